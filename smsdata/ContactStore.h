#pragma once

// Contacts of one source: the phone's address book, or the contact table
// "AddressBook111" of a backup file. No connection stays open after a read.

#include "MessageRecord.h"

#include <QVector>

struct sqlite3;

class ContactStore
{
public:
    // Reads the phone address book at path (UTF-8).
    explicit ContactStore(const QByteArray& path);
    ~ContactStore();

    ContactStore(const ContactStore&) = delete;
    ContactStore& operator=(const ContactStore&) = delete;

    void readPhoneAddressBook(const QByteArray& path);
    // Returns the SQLite result code of the final close.
    int readBackupAddressBook(const QByteArray& path);

    QVector<ContactRecord> contacts;
    QVector<NumberLink> numberLinks; // kept, and appended to, across reads
    int personRowCount = 0;
    int personColumnCount = 0;

private:
    sqlite3* m_db = nullptr;
};

class MessageStore;

// Sets contactName of every message: "NULL", or the first contact whose
// number agrees with the address in its last 11 bytes ("last" + " " + "first").
void fillContactNames(MessageStore& messages, const ContactStore& contacts);
