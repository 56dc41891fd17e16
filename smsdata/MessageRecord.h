#pragma once

// The in-memory records through which the rest of the program sees messages
// and contacts. All text is UTF-8 in byte strings, exactly as SQLite gives it.

#include <QByteArray>

struct MessageRecord
{
    int rowId = 0;
    QByteArray contactName; // "NULL" when no contact matched, else "last first"
    QByteArray address;     // dashes removed; conversations are keyed by it
    QByteArray text;
    QByteArray timeText;    // "time:" + asctime() of the local time, ends in '\n'
    bool isIncoming = false;
};

struct ContactRecord
{
    QByteArray firstName;
    QByteArray lastName;
    QByteArray number;
};

// Working pair used while reading the phone's address book.
struct NumberLink
{
    int personId = 0;
    QByteArray value;
};
