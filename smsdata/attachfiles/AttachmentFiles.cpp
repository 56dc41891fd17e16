#include "AttachmentFiles.h"

#include "AttachmentContent.h"
#include "PhoneBackup.h"
#include "PrivateFolder.h"
#include "SafeFileName.h"
#include "SqliteAccess.h"

#include <QFile>
#include <QHash>

#include <sqlite3.h>

namespace attachmentfiles {

QString notInBackup()
{
    return QStringLiteral("not in this backup");
}

namespace {

bool copyFile(const QString& path, QIODevice* target, QString* why)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("the file cannot be read");
        return false;
    }
    QByteArray chunk(qsizetype(attachmentcontent::kChunkBytes), Qt::Uninitialized);
    for (;;) {
        const qint64 n = source.read(chunk.data(), chunk.size());
        if (n < 0) {
            *why = QStringLiteral("the file cannot be read");
            return false;
        }
        if (n == 0)
            return true;
        if (target->write(chunk.constData(), n) != n) {
            *why = QStringLiteral("the file cannot be written");
            return false;
        }
    }
}

class BackupFiles final : public AttachmentFiles
{
public:
    explicit BackupFiles(phonebackup::PhoneBackup* backup) : m_backup(backup) {}

    bool isPresent(const AttachmentRecord& a) override
    {
        return !a.relativePath.isEmpty() &&
               m_backup->hasFile(QLatin1String(attachments::kMediaDomain), QString::fromUtf8(a.relativePath));
    }

    QString localFile(const AttachmentRecord& a, QString* why) override
    {
        if (a.relativePath.isEmpty()) {
            *why = notInBackup();
            return {};
        }
        QString error;
        const QString path =
            m_backup->locateFile(QLatin1String(attachments::kMediaDomain), QString::fromUtf8(a.relativePath), &error);
        if (path.isEmpty()) {
            // Not listed at all is the usual case of a file kept in the
            // cloud; anything else says what went wrong.
            *why = error.isEmpty() || !m_backup->hasFile(QLatin1String(attachments::kMediaDomain),
                                                         QString::fromUtf8(a.relativePath))
                       ? notInBackup()
                       : error;
        }
        return path;
    }

private:
    phonebackup::PhoneBackup* m_backup;
};

class SmsFiles final : public AttachmentFiles
{
public:
    SmsFiles(const QString& path, SmsAccess access)
    {
        m_db = sqliteaccess::openExisting(path.toUtf8(), access == SmsAccess::MayChange
                                                             ? sqliteaccess::OpenMode::ReadOnly
                                                             : sqliteaccess::OpenMode::Untouched);
        if (m_db && !attachmentcontent::hasTable(m_db)) {
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }
    ~SmsFiles() override { sqlite3_close(m_db); }

    bool isPresent(const AttachmentRecord& a) override
    {
        return m_db && attachmentcontent::storedSize(m_db, a.relativePath) >= 0;
    }

    bool copyTo(const AttachmentRecord& a, QIODevice* target, QString* why) override
    {
        if (!m_db) {
            *why = notInBackup();
            return false;
        }
        return attachmentcontent::copyOut(m_db, a.relativePath, target, why);
    }

    QString localFile(const AttachmentRecord& a, QString* why) override
    {
        const QString known = m_copies.value(a.relativePath);
        if (!known.isEmpty() && QFile::exists(known))
            return known;
        if (!isPresent(a)) {
            *why = notInBackup();
            return {};
        }
        if (!m_folder) {
            m_folder = std::make_unique<phonebackup::PrivateFolder>();
            if (!m_folder->isValid()) {
                m_folder.reset();
                *why = QStringLiteral("no private folder can be made");
                return {};
            }
        }
        QFile file;
        const QString path = safename::createUniqueFile(m_folder->path(), a.shownName(), &file);
        if (path.isEmpty()) {
            *why = QStringLiteral("the file cannot be written");
            return {};
        }
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (!attachmentcontent::copyOut(m_db, a.relativePath, &file, why) || !file.flush()) {
            file.close();
            QFile::remove(path);
            return {};
        }
        file.close();
        m_copies.insert(a.relativePath, path);
        return path;
    }

private:
    sqlite3* m_db = nullptr;
    std::unique_ptr<phonebackup::PrivateFolder> m_folder;
    QHash<QByteArray, QString> m_copies;
};

class NoFiles final : public AttachmentFiles
{
public:
    bool isPresent(const AttachmentRecord&) override { return false; }
    QString localFile(const AttachmentRecord&, QString* why) override
    {
        *why = notInBackup();
        return {};
    }
};

} // namespace

std::unique_ptr<AttachmentFiles> ofPhoneBackup(phonebackup::PhoneBackup* backup)
{
    return std::make_unique<BackupFiles>(backup);
}

std::unique_ptr<AttachmentFiles> ofSmsFile(const QString& path, SmsAccess access)
{
    return std::make_unique<SmsFiles>(path, access);
}

std::unique_ptr<AttachmentFiles> none()
{
    return std::make_unique<NoFiles>();
}

} // namespace attachmentfiles

bool AttachmentFiles::copyTo(const AttachmentRecord& attachment, QIODevice* target, QString* why)
{
    const QString path = localFile(attachment, why);
    return !path.isEmpty() && attachmentfiles::copyFile(path, target, why);
}
