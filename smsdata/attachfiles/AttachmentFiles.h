#pragma once

// Where the content of a message's attachments lies, one class per kind of
// source:
//   a phone backup folder (any layout): the file of "MediaDomain" that the
//     attachment's backup path names; an encrypted backup decrypts only the
//     file asked for, when it is asked for, into its private folder;
//   a ".sms" backup: the content table inside the file (AttachmentContent.h);
//   anything else (a bare message database): no content.
// A source is only ever read. Files that are not there (kept in the cloud,
// left out of the backup) are "not in this backup": a quiet answer, not an
// error.
//
// Not thread-safe: one object is used from one thread.

#include "Attachment.h"

#include <QString>

#include <memory>

class QIODevice;

namespace phonebackup {
class PhoneBackup;
}

class AttachmentFiles
{
public:
    virtual ~AttachmentFiles() = default;

    // Whether the content is in the source; nothing is decrypted or copied.
    virtual bool isPresent(const AttachmentRecord& attachment) = 0;
    // Writes the content to target; false with *why when it cannot.
    virtual bool copyTo(const AttachmentRecord& attachment, QIODevice* target, QString* why);
    // A file holding the content, to read or hand to a viewer: the backup's
    // own file, or a private copy (mode 0600) that goes with this object.
    // Empty with *why when there is none.
    virtual QString localFile(const AttachmentRecord& attachment, QString* why) = 0;
};

namespace attachmentfiles {

// "not in this backup"
QString notInBackup();

// backup is not owned and must outlive the result.
std::unique_ptr<AttachmentFiles> ofPhoneBackup(phonebackup::PhoneBackup* backup);
// The ".sms" file at path, read through a connection of its own. A file
// that may change while it is read (the window deletes messages in it)
// is opened as an ordinary reader; otherwise it is opened immutable, so
// that nothing at all is added beside it.
enum class SmsAccess { Unchanging, MayChange };
std::unique_ptr<AttachmentFiles> ofSmsFile(const QString& path, SmsAccess access = SmsAccess::Unchanging);
// A source without attachment content.
std::unique_ptr<AttachmentFiles> none();

} // namespace attachmentfiles
