#pragma once

// What both backup tools (the real one and the simulated phone's) take:
// the command line "--backup --target DEVICE-ID" and the backup root.

#include <QDir>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <cstdio>

// Returns the device identifier, or an empty text after saying on standard
// error what is wrong. An identifier names a folder under the backup root,
// so one that could leave that folder is refused.
inline QString backupTargetFromArguments(const QStringList& args)
{
    const int target = static_cast<int>(args.indexOf(QStringLiteral("--target")));
    if (!args.contains(QStringLiteral("--backup")) || target < 0 || target + 1 >= args.size()) {
        std::fprintf(stderr, "usage: AppleMobileBackup --backup --target DEVICE-ID\n");
        return QString();
    }
    const QString id = args.at(target + 1);
    if (id.isEmpty() || id.contains(QLatin1Char('/')) || id.startsWith(QLatin1Char('.'))) {
        std::fprintf(stderr, "AppleMobileBackup: not a device identifier: %s\n", id.toUtf8().constData());
        return QString();
    }
    return id;
}

// msgdesk names the backup root in MSGDESK_BACKUP_ROOT; started by hand, a
// tool uses the user's data folder, as msgdesk does by default.
inline QString backupRoot()
{
    QString root = qEnvironmentVariable("MSGDESK_BACKUP_ROOT");
    if (root.isEmpty()) {
        root = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/Apple Computer/MobileSync/Backup");
    }
    return QDir::cleanPath(root);
}
