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

    // The phone's book is only ever read: its folder stays byte for byte as
    // it was, and a write-ahead log beside it (or at walPath, where a phone
    // backup keeps it under a name of its own) is read, never merged.
    // Columns are found by name (First, Last, Organization; record_id,
    // property, value), so every version of the book reads alike.
    void readPhoneAddressBook(const QByteArray& path, const QByteArray& walPath = {});
    // The same, keeping only the persons that could name one of these
    // addresses (a conversation's, its senders' and members'): names for a
    // few messages without a large book's every person.
    void readPhoneAddressBookFor(const QByteArray& path, const QByteArray& walPath,
                                 const QVector<QByteArray>& addresses);
    // Returns the SQLite result code of the final close. Each row is one
    // contact; its tel is also the contact's one value.
    int readBackupAddressBook(const QByteArray& path);

    QVector<ContactRecord> contacts;
    QVector<NumberLink> numberLinks; // kept, and appended to, across reads
    int personRowCount = 0;
    int personColumnCount = 0;

private:
    void readPhoneBook(const QByteArray& path, const QByteArray& walPath, const QVector<QByteArray>* addresses);

    sqlite3* m_db = nullptr;
};

class MessageStore;

// Sets contactName of every message, one shared buffer per conversation:
// "NULL" when nobody matches, else the contact's name ("last first", or the
// organisation of a contact without either). A group conversation is named
// by its own name, or by its members' names (their handles when unknown)
// joined with ", ". Every group member and sender handle gets its name, or
// an empty one, through MessageStore::setSenderName.
void fillContactNames(MessageStore& messages, const ContactStore& contacts);
