#pragma once

// What the download manager promises about the file an address is saved to,
// checked against the file system itself: shared by the fuzz target and the
// ordinary test that feeds random and truncated addresses.

#include "DownloadManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

// Empty when every promise holds for the address, otherwise what broke.
// The manager's download folder must be an empty folder; it is left empty.
inline QString downloadNameProblem(const DownloadManager& manager, const QUrl& url)
{
    const QString name = DownloadManager::fileNameForUrl(url);
    if (name.isEmpty())
        return QStringLiteral("empty name");
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("separator in ") + name;
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("the name ") + name;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c == QLatin1Char(':'))
            return QStringLiteral("unusable character %1 in ").arg(int(c.unicode())) + name;
    }
    const QByteArray bytes = name.toUtf8();
    if (bytes.size() + DownloadManager::suffixRoomBytes > DownloadManager::maxNameBytes)
        return QStringLiteral("%1 bytes leave no room for a suffix: ").arg(bytes.size()) + name;
    // Cut between characters, no half pairs: the bytes read back as the same text.
    if (QString::fromUtf8(bytes) != name)
        return QStringLiteral("not whole characters: ") + name;

    // The folder rule: directly in the download folder, and the file system
    // takes the name and the first numbered one after it.
    const QString folder = manager.downloadFolder();
    const QString first = manager.saveFileName(url);
    if (first != folder + QLatin1Char('/') + name)
        return QStringLiteral("saved as ") + first;
    QFile file(first);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return QStringLiteral("cannot create ") + first + QStringLiteral(": ") + file.errorString();
    file.close();
    const QString second = manager.saveFileName(url);
    QFile numbered(second);
    const bool created = numbered.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    numbered.close();
    const QStringList left =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QFile::remove(second);
    QFile::remove(first);
    if (second != first + QStringLiteral(".0"))
        return QStringLiteral("taken name saved as ") + second;
    if (!created)
        return QStringLiteral("cannot create ") + second + QStringLiteral(": ") + numbered.errorString();
    if (left.size() != 2)
        return QStringLiteral("outside the folder: %1 entries in it").arg(left.size());
    return {};
}
