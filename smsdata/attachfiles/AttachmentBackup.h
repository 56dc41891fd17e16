#pragma once

// A ".sms" backup that carries its attachments: the backup writer's copy of
// the message database and contact table, then every attachment present in
// the source, stored in the file's content table (AttachmentContent.h) in
// chunks, so memory stays flat however large the files are. Long backups
// report progress and can be cancelled; a cancelled or failed backup leaves
// no file behind.

#include "AttachmentFiles.h"
#include "BackupWriter.h"

#include <QVector>

#include <functional>

class MessageStore;

namespace attachmentbackup {

enum class Result {
    Written,
    TargetExists,
    CopyFailed,
    NotADatabase,
    ContactsFailed,
    AttachmentsFailed, // an attachment could not be stored (a full disk, a source that went away)
    Cancelled,
};

// Bytes of attachment content stored so far and in all; false cancels.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Every attachment of the store's messages, each file once, oldest message first.
QVector<AttachmentRecord> attachmentsOf(const MessageStore& store);

Result writeBackup(const QString& sourceDb, const QString& target, const QVector<ContactRecord>& contacts,
                   const QString& sourceWal, AttachmentFiles& files, const QVector<AttachmentRecord>& attachments,
                   const Progress& progress = {}, QString* why = nullptr);

} // namespace attachmentbackup
