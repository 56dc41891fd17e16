#pragma once

// Demo data for msgdesk: a phone message database (the older phone layout with
// its triggers), the phone's address book, and .sms backup files made from
// them. Everything is generated from a fixed seed, so two runs write the same
// rows; the sets are meant to look like a real person's phone: a few dozen
// conversations over months, texts in several languages, contacts stored
// with country prefixes and dashes, unknown numbers and short service numbers.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace demodata {

struct Person
{
    QString first;
    QString last;
    // As stored in the address book: dashes, country prefixes.
    QString bookNumber;
    // The first multi-value of this person is an e-mail address when set.
    QString email;
};

struct Message
{
    int rowId = 0;
    QString address; // as the phone stored it; may carry dashes
    qint64 date = 0; // seconds since 1970, UTC
    QString text;
    int flags = 2; // 2 received, 3 sent
    int groupId = 0;
};

struct Conversation
{
    int groupId = 0;
    QString address;      // address without dashes: the conversation key
    int personIndex = -1; // index into people(), -1 for a number without contact
};

// The generated sets; stable for the life of the process and across runs.
const QList<Person>& people();
const QList<Conversation>& conversations();
const QList<Message>& messages();

// Time of the newest message (seconds since 1970).
qint64 newestDate();

// The phone's databases. Existing files are replaced. Messages newer than
// `cutoff` are left out (a phone as it was at that moment). Return false with
// a readable reason in `error` when a file cannot be written.
bool writeMessageDb(const QString& path, qint64 cutoff = -1, QString* error = nullptr);
bool writeAddressBook(const QString& path, QString* error = nullptr);

// Both databases, as "sms.db" and "AddressBook.sqlitedb" in `folder` (created when missing).
bool writePhone(const QString& folder, QString* error = nullptr);

// `count` backup files "yyyy.MM.dd.hh.mm.ss.sms" in `folder`, each a message
// database as of a later moment plus the table AddressBook111 ("first last",
// number). Returns the paths written, oldest first; empty on failure.
QStringList writeBackups(const QString& folder, int count, QString* error = nullptr);

// The name the address book's number takes in a backup's contact table.
QString withoutDashes(const QString& number);

} // namespace demodata
