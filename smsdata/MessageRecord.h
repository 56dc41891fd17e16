#pragma once

// The in-memory records through which the rest of the program sees messages
// and contacts. All text is UTF-8 in byte strings, exactly as SQLite gives it.
//
// A phone holds up to a million messages, so a record is kept small: the
// time is a number (its text is made when shown), and the byte strings that
// many records share (the conversation key, the contact's name, a group
// member's handle) are one implicitly shared buffer, not a copy each.

#include <QByteArray>
#include <QVector>

#include <utility>

struct MessageRecord
{
    // What a modern phone tells beyond the text.
    enum Flag : quint8 {
        Edited = 0x01, // edited after sending; text is the latest version
        Unsent = 0x02, // taken back by its sender; text is a short note saying so
    };

    // Row id of the message in its table: SQLite row ids are 64-bit.
    qint64 rowId = 0;
    // Seconds since 1970-01-01 00:00 UTC; 0 when the file gives none.
    qint64 time = 0;
    QByteArray contactName; // "NULL" when no contact matched, else "last first"
    QByteArray address;     // conversation key: dashes removed (legacy), chat identifier (modern)
    QByteArray text;
    // Handle of whoever sent an incoming message ("+12095981933",
    // "anna@example.org"); empty for sent messages and legacy files.
    QByteArray sender;
    // The names of the message's attachments, each ending in '\n' (line
    // breaks within a name became blanks); empty for none. Searched beside
    // the text, which may not hold them all.
    QByteArray attachmentNames;
    bool isIncoming = false;
    quint8 flags = 0;

    // "time:" + the asctime layout of the local time ("Thu Jan 01 08:00:00
    // 1970"), ending in '\n'.
    QByteArray timeText() const;
};
// Moved by memcpy when the arrays grow or close up after a delete.
Q_DECLARE_TYPEINFO(MessageRecord, Q_RELOCATABLE_TYPE);

// One phone or e-mail value of a person in an address book.
struct ContactValue
{
    enum Kind : quint8 { Other = 0, Phone = 3, Email = 4 };
    Kind kind = Other;
    QByteArray value; // as stored: "(209) 598-1933", "+1 209-598-1933", "anna@example.org"
};

struct ContactRecord
{
    ContactRecord() = default;
    ContactRecord(QByteArray first, QByteArray last, QByteArray matchNumber)
        : firstName(std::move(first)), lastName(std::move(last)), number(std::move(matchNumber))
    {
    }

    QByteArray firstName;
    QByteArray lastName;
    // The number matched by the last-11-bytes rule: the person's first
    // linked value with dashes removed, or the stored "tel" of a backup.
    QByteArray number;
    // Names a person who has neither first nor last name.
    QByteArray organization;
    // Every phone and e-mail value of the person, in the book's order.
    QVector<ContactValue> values;
};

// Working pair used while reading the phone's address book.
struct NumberLink
{
    qint64 personId = 0;
    QByteArray value;
};
