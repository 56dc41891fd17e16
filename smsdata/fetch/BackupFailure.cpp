#include "BackupFailure.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

namespace backupfailure {

namespace {

// The texts belong to the backup run's messages. A class, not a function,
// so that lupdate files them under the context they are looked up in.
class Texts
{
    Q_DECLARE_TR_FUNCTIONS(BackupRun)
};

struct Pattern
{
    Cause cause;
    const char* expression;
};

// What the device library and the phone say, in its own words. Matched
// without regard to case; error numbers only where the text names them as
// such, so that a file name or a count of files never matches.
const Pattern kPatterns[] = {
    {Cause::DeviceLocked, "device (is )?locked"},
    {Cause::DeviceLocked, "(error|errorcode|code)[ :=]*208\\b"},
    {Cause::DeviceLocked, "MBErrorDomain/208"},
    {Cause::DeviceLocked, "\\bPasswordProtected\\b"},
    {Cause::ProtocolTooOld, "could not perform backup protocol version exchange"},
    {Cause::NotPaired, "invalid ?host ?id"},
    {Cause::NotPaired, "\\b(PairingDialogResponsePending|UserDeniedPairing|InvalidPairRecord|PairingProhibited)\\b"},
    {Cause::NotPaired, "\\b(not |un)paired\\b"},
    {Cause::NotPaired, "pairing (error|failed)|could not pair|failed to pair|pair record"},
    {Cause::DiskFull, "no space left on device"},
    {Cause::DiskFull, "not enough (free )?(disk )?space"},
    {Cause::DiskFull, "insufficient (free )?(disk )?space"},
    {Cause::DiskFull, "disk (is )?full"},
};

const QVector<QPair<Cause, QRegularExpression>>& patterns()
{
    static const QVector<QPair<Cause, QRegularExpression>> compiled = [] {
        QVector<QPair<Cause, QRegularExpression>> list;
        for (const Pattern& p : kPatterns)
            list.append({p.cause, QRegularExpression(QString::fromLatin1(p.expression),
                                                     QRegularExpression::CaseInsensitiveOption)});
        return list;
    }();
    return compiled;
}

// Bytes of the files below folder; -1 when there is no such folder.
qint64 folderSize(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        return -1;
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

} // namespace

Cause recognise(const QStringList& lines)
{
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        for (const auto& [cause, expression] : patterns()) {
            if (expression.match(*line).hasMatch())
                return cause;
        }
    }
    return Cause::Unknown;
}

Context contextOf(const QStringList& lines, const QString& backupRoot, const QString& identifier)
{
    Context context;
    static const QRegularExpression library(QStringLiteral("^Device library:\\s*(.+)$"));
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = library.match(line);
        if (m.hasMatch())
            context.deviceLibrary = m.captured(1).trimmed();
    }
    if (!backupRoot.isEmpty()) {
        // The root may not exist yet: its nearest existing folder is on the same disk.
        QFileInfo where(backupRoot);
        while (!where.exists() && where.absolutePath() != where.absoluteFilePath())
            where = QFileInfo(where.absolutePath());
        const QStorageInfo storage(where.absoluteFilePath());
        if (storage.isValid())
            context.freeBytes = storage.bytesAvailable();
        if (!identifier.isEmpty() && !identifier.contains(QLatin1Char('/')) && !identifier.startsWith(QLatin1Char('.')))
            context.lastBackupBytes = folderSize(backupRoot + QLatin1Char('/') + identifier);
    }
    return context;
}

QString sizeText(qint64 bytes)
{
    if (bytes < 0)
        return Texts::tr("unknown");
    constexpr double kB = 1000.0;
    if (bytes >= kB * kB * kB)
        return Texts::tr("%1 GB").arg(double(bytes) / (kB * kB * kB), 0, 'f', 1);
    if (bytes >= kB * kB)
        return Texts::tr("%1 MB").arg(double(bytes) / (kB * kB), 0, 'f', 0);
    return Texts::tr("%1 kB").arg((bytes + 999) / 1000);
}

QString advice(Cause cause, const Context& context)
{
    switch (cause) {
    case Cause::Unknown:
        return {};
    case Cause::DeviceLocked:
        return Texts::tr(
            "The iPhone is locked. Unlock it and keep it unlocked while the backup starts; on iOS 16.1 and "
            "later, enter the passcode on the iPhone when it asks for it. Then choose the phone again.");
    case Cause::ProtocolTooOld: {
        const QString found = context.deviceLibrary.isEmpty() ? Texts::tr("an unknown version") : context.deviceLibrary;
        return Texts::tr(
                   "The device library on this computer (%1) is older than the iPhone's software and cannot back it "
                   "up. Install a newer device library, or make the backup with another program and open it with "
                   "\"File > Open phone backup…\".")
            .arg(found);
    }
    case Cause::NotPaired:
        return Texts::tr(
            "This computer is no longer paired with the iPhone. Unlock the iPhone, run \"idevicepair pair\", "
            "tap \"Trust\" on the iPhone and enter its passcode, then attach it again.");
    case Cause::DiskFull: {
        QString text =
            Texts::tr("There is too little free disk space for the backup: %1 free").arg(sizeText(context.freeBytes));
        if (context.lastBackupBytes >= 0)
            text += Texts::tr(", and the last backup of this iPhone takes %1").arg(sizeText(context.lastBackupBytes));
        return text + Texts::tr(". Free some space and choose the phone again.");
    }
    }
    return {};
}

} // namespace backupfailure
