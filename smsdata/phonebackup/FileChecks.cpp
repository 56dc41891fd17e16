#include "FileChecks.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace phonebackup::files {

QString canonicalFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() ? info.canonicalFilePath() : QString();
}

FileState check(const QString& canonicalFolder, const QString& path, QString* resolved)
{
    const QFileInfo info(path);
    // exists() follows links: a dangling link reads as missing.
    if (!info.exists())
        return info.isSymLink() ? FileState::Outside : FileState::Missing;
    const QString real = info.canonicalFilePath();
    if (canonicalFolder.isEmpty() || real.isEmpty() || !real.startsWith(canonicalFolder + QLatin1Char('/')))
        return FileState::Outside;
    // After canonicalFilePath no link is left in the path, so this is the
    // file itself: only a regular file counts (QFileInfo::isFile is false
    // for FIFOs, sockets and devices).
    if (!QFileInfo(real).isFile())
        return FileState::NotRegular;
    if (resolved)
        *resolved = real;
    return FileState::Regular;
}

std::optional<QByteArray> readInside(const QString& canonicalFolder, const QString& path, qint64 maxBytes,
                                     QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QString name = QFileInfo(path).fileName();
    QString real;
    switch (check(canonicalFolder, path, &real)) {
    case FileState::Missing:
        return fail(QStringLiteral("%1 is missing").arg(name));
    case FileState::NotRegular:
        return fail(QStringLiteral("%1 is not a regular file").arg(name));
    case FileState::Outside:
        return fail(QStringLiteral("%1 leads out of the backup folder").arg(name));
    case FileState::Regular:
        break;
    }
    QFile file(real);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1 cannot be read: %2").arg(name, file.errorString()));
    if (file.size() > maxBytes)
        return fail(QStringLiteral("%1 is too large (%2 bytes)").arg(name).arg(file.size()));
    // read() sets aside as much as it is asked for: ask for the file's size
    // (one byte more shows a file that grew past the limit meanwhile).
    QByteArray bytes = file.read(qMin(file.size(), maxBytes) + 1);
    if (bytes.size() > maxBytes)
        return fail(QStringLiteral("%1 is too large").arg(name));
    return bytes;
}

QString fileId(const QString& domain, const QString& relativePath)
{
    return QString::fromLatin1(
        QCryptographicHash::hash((domain + QLatin1Char('-') + relativePath).toUtf8(), QCryptographicHash::Sha1)
            .toHex());
}

bool isFileId(const QString& id)
{
    if (id.size() != 40)
        return false;
    for (QChar c : id) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')))
            return false;
    }
    return true;
}

} // namespace phonebackup::files
