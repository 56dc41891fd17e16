#pragma once

// A source the command line reads: a ".sms" backup file, a phone's message
// database, or a phone backup folder in any layout (encrypted or not), with
// the contacts that name its conversations. A source is only ever read: files
// are opened read-only and immutable, and a backup folder stays byte for byte
// as it was.

#include "AttachmentFiles.h"
#include "ContactStore.h"
#include "MessageStore.h"
#include "PhoneBackup.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Asks for the password of an encrypted backup; false when none can be had.
using PasswordSource = std::function<bool(const phonebackup::BackupInfo& backup, QByteArray* password)>;

struct CliSource
{
    // Holds the decrypted copies of an encrypted backup while it lives.
    std::unique_ptr<phonebackup::PhoneBackup> backup;
    std::unique_ptr<MessageStore> messages; // null when only counts were asked for
    MessageCounts counts;                   // set when only counts were asked for
    std::unique_ptr<ContactStore> contacts;
    // Where the attachments' content lies; goes before the backup it reads.
    std::unique_ptr<AttachmentFiles> files;
    // The message database read (a backup's own file or its decrypted
    // copy) and its write-ahead log when that lies elsewhere.
    QString databasePath;
    QString walPath;
    QString error;        // one line for the user; empty when the source was read
    QStringList warnings; // what the user should know although it was read
};

bool isBackupFolder(const QString& path);

// Reads `path`; `contactsPath`, when not empty, names a phone address book
// whose names are used instead of those the source carries.
// onlyConversation, when not empty, reads that conversation's messages
// alone (all that `show` and an export of one conversation need).
// countsOnly counts the messages and conversations instead of reading them
// (what `info` prints).
CliSource openCliSource(const QString& path, const QString& contactsPath, const PasswordSource& password,
                        const QByteArray& onlyConversation = {}, bool countsOnly = false);
