#include "AttachmentBackup.h"

#include "AttachmentContent.h"
#include "MessageStore.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

namespace attachmentbackup {

namespace {

void removeDatabaseFiles(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

Result fromWriter(backupwriter::Result r)
{
    switch (r) {
    case backupwriter::Result::Written:
        return Result::Written;
    case backupwriter::Result::TargetExists:
        return Result::TargetExists;
    case backupwriter::Result::CopyFailed:
        return Result::CopyFailed;
    case backupwriter::Result::NotADatabase:
        return Result::NotADatabase;
    case backupwriter::Result::ContactsFailed:
        return Result::ContactsFailed;
    }
    return Result::CopyFailed;
}

Result storeAll(sqlite3* db, AttachmentFiles& files, const QVector<AttachmentRecord>& attachments,
                const Progress& progress, QString* why)
{
    // What is there, with its size, before anything is written, so that
    // progress has a total.
    struct Present
    {
        const AttachmentRecord* record;
        QString path;
    };
    QVector<Present> present;
    qint64 total = 0;
    for (const AttachmentRecord& a : attachments) {
        if (a.relativePath.isEmpty() || !files.isPresent(a))
            continue;
        QString ignored;
        const QString path = files.localFile(a, &ignored);
        if (path.isEmpty())
            continue;
        present.append({&a, path});
        total += QFileInfo(path).size();
    }
    if (progress && !progress(0, total))
        return Result::Cancelled;

    if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, attachmentcontent::createTableStatement().constData(), nullptr, nullptr, nullptr) !=
            SQLITE_OK) {
        *why = QString::fromUtf8(sqlite3_errmsg(db));
        return Result::AttachmentsFailed;
    }
    qint64 done = 0;
    for (const Present& p : std::as_const(present)) {
        QFile file(p.path);
        if (!file.open(QIODevice::ReadOnly)) {
            *why = QStringLiteral("%1 cannot be read").arg(p.record->shownName());
            return Result::AttachmentsFailed;
        }
        const qint64 base = done;
        const int rc =
            attachmentcontent::storeFile(db, p.record->relativePath, &file, file.size(), [&](qint64 written) {
                done = base + written;
                return !progress || progress(done, total);
            });
        if (rc == SQLITE_INTERRUPT)
            return Result::Cancelled;
        if (rc != SQLITE_OK) {
            *why = QStringLiteral("%1 cannot be stored: %2")
                       .arg(p.record->shownName(), QString::fromUtf8(sqlite3_errstr(rc)));
            return Result::AttachmentsFailed;
        }
        done = base + file.size();
    }
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        *why = QString::fromUtf8(sqlite3_errmsg(db));
        return Result::AttachmentsFailed;
    }
    if (progress)
        progress(total, total);
    return Result::Written;
}

} // namespace

QVector<AttachmentRecord> attachmentsOf(const MessageStore& store)
{
    QVector<AttachmentRecord> all;
    QSet<QByteArray> seen;
    for (qint64 rowId : store.messagesWithAttachments()) {
        for (const AttachmentRecord& a : store.attachmentsOf(rowId)) {
            if (a.relativePath.isEmpty() || seen.contains(a.relativePath))
                continue;
            seen.insert(a.relativePath);
            all.append(a);
        }
    }
    return all;
}

Result writeBackup(const QString& sourceDb, const QString& target, const QVector<ContactRecord>& contacts,
                   const QString& sourceWal, AttachmentFiles& files, const QVector<AttachmentRecord>& attachments,
                   const Progress& progress, QString* why)
{
    QString ignored;
    if (!why)
        why = &ignored;
    const Result written = fromWriter(backupwriter::writeBackup(sourceDb, target, contacts, sourceWal));
    if (written != Result::Written || attachments.isEmpty())
        return written;

    sqlite3* db = nullptr;
    Result result = Result::AttachmentsFailed;
    const QByteArray path = target.toUtf8();
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
        result = storeAll(db, files, attachments, progress, why);
    else
        *why = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    // The backup writer made this file; nothing of it stays unless whole.
    if (result != Result::Written)
        removeDatabaseFiles(target);
    return result;
}

} // namespace attachmentbackup
