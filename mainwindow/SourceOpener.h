#pragma once

// Opens every source the window shows, the same way for each: a ".sms"
// backup file, a phone backup folder the user chose, and the phone, whose
// data is read from the fresh backup made of it. A phone backup is checked,
// unlocked with the user's password when it is encrypted, and its message
// database and address book are located; the result says what to read and
// keeps the backup (and with it the decrypted copies) alive as long as the
// source is in use.
//
//   OpenedSource source = SourceOpener(window).openPhoneBackup(folder);
//   if (source.status == OpenedSource::Status::Opened)
//       loader.load(source.request, ...);

#include "PhoneBackup.h"
#include "SourceLoader.h"

#include <QString>

#include <memory>

class NavigationRows;
class QWidget;

struct OpenedSource
{
    enum class Status {
        Opened,
        // The user cancelled the password, or was told why none can open it.
        Cancelled,
        // The folder is no backup that can be read (detail says why).
        NotReadable,
        // The backup holds no message database that can be read (detail).
        NoMessages,
    };
    Status status = Status::NotReadable;
    QString detail;
    // What to read: the message database and the names to show with it.
    SourceRequest request;
    // The backup read from (none for a ".sms" file).
    std::unique_ptr<phonebackup::PhoneBackup> backup;
    // The databases located in it, with what the user should know about them.
    phonebackup::PhoneDatabases databases;

    bool isOpen() const { return status == Status::Opened; }
};

class SourceOpener
{
public:
    // parent: the window the password dialog belongs to.
    explicit SourceOpener(QWidget* parent) : m_parent(parent) {}

    // Whether folder is a phone backup that can be read, before it becomes
    // a row; the user is told when it is not.
    bool checkPhoneBackup(const QString& folder, phonebackup::BackupInfo* info) const;

    // The row of the ".sms" file or phone backup folder at path, added to
    // rows when it is not listed yet; -1 (the user is told) when path is
    // neither.
    int listedRow(const QString& path, NavigationRows& rows) const;

    // A ".sms" backup file: the user's own, so deleting from it is allowed.
    OpenedSource openSmsFile(const QString& path) const;
    // A phone backup folder of any layout (the phone's own fresh backup
    // too). Its databases are never changed: they are read only.
    OpenedSource openPhoneBackup(const QString& folder) const;

    // What reads a phone's databases located in one of its backups.
    static SourceRequest phoneDatabasesRequest(const phonebackup::PhoneDatabases& databases);

private:
    // Asks for the password of a backup that is still locked; false when it
    // stays locked (cancelled, or it cannot be unlocked: the user is told).
    bool unlockIfNeeded(phonebackup::PhoneBackup& backup) const;

    QWidget* m_parent;
};
