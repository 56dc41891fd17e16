#pragma once

// Writes a ".sms" backup of a phone's databases (the phone's fresh backup
// or a phone backup folder on display) into the backup folder, named after
// the current local time, with the attachments of the phone backup inside.

#include <QString>

class ContactStore;
class MessageStore;
class QWidget;
struct SourceRequest;
namespace phonebackup {
class PhoneBackup;
}

class SmsFileWriter
{
public:
    struct Written
    {
        // The new file; empty when nothing was written.
        QString path;
        // The user cancelled a long copy of the attachments.
        bool cancelled = false;
    };
    // Copies source's message database (with its write-ahead log) into a new
    // file of folder, with the contacts of source's address book, read
    // into contacts first (when there is a store), and the content of every
    // attachment of messages found in backup. A long copy shows its progress
    // over parent and may be cancelled. No half-made file is ever left.
    static Written write(QWidget* parent, const QString& folder, const SourceRequest& source, ContactStore* contacts,
                         const MessageStore* messages, phonebackup::PhoneBackup* backup);
};
