#pragma once

// Demo data for msgdesk: a phone's message database and address book, and
// .sms backup files made from them, for two phones:
//  - a current phone (iOS 17): the message database of iOS 6 and later
//    (handles, chats, one person in an SMS and an iMessage chat, group chats
//    with and without a name, reactions, group events, attachments, texts
//    kept only in attributedBody, an edited and an unsent message, e-mail
//    handles and short codes) and the address book of iOS 15, with numbers
//    as people type them ("(209) 598-1933", no-break spaces, national forms);
//  - a phone of iOS 5 and before (the legacy layout with its triggers), with
//    contacts stored with country prefixes and dashes.
// Everything is generated from a fixed seed, so two runs write the same rows;
// both sets are meant to look like a real person's phone: a few dozen
// conversations over months, texts in several languages, unknown numbers and
// short service numbers.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace demodata {

// The phone the data comes from: a current one, or one of iOS 5 and before.
enum class Layout { Modern, Legacy };

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

// The legacy phone's generated sets; stable for the life of the process and across runs.
const QList<Person>& people();
const QList<Conversation>& conversations();
const QList<Message>& messages();

// Time of the newest message (seconds since 1970).
qint64 newestDate();

// The legacy phone's databases. Existing files are replaced. Messages newer than
// `cutoff` are left out (a phone as it was at that moment). Return false with
// a readable reason in `error` when a file cannot be written.
bool writeMessageDb(const QString& path, qint64 cutoff = -1, QString* error = nullptr);
bool writeAddressBook(const QString& path, QString* error = nullptr);

// The current phone's databases, as writeMessageDb() and writeAddressBook(),
// and the time of its newest message (seconds since 1970).
bool writeModernMessageDb(const QString& path, qint64 cutoff = -1, QString* error = nullptr);
bool writeModernAddressBook(const QString& path, QString* error = nullptr);
qint64 modernNewestDate();

// A file that the current phone's messages carry (a picture, a video, a
// document), as a backup holds it: its path in "MediaDomain" (the
// attachment's file name without "~/") and its content.
struct MediaFile
{
    QString relativePath;
    QByteArray content;
};
QList<MediaFile> modernMediaFiles();

// Both databases, as "sms.db" and "AddressBook.sqlitedb" in `folder`
// (created when missing). Without a layout: the legacy phone.
bool writePhone(const QString& folder, QString* error = nullptr);
bool writePhone(const QString& folder, Layout layout, QString* error = nullptr);

// `count` backup files "yyyy.MM.dd.hh.mm.ss.sms" in `folder`, each a message
// database as of a later moment plus the table AddressBook111 ("first last"
// or the organisation, and one row per number or e-mail address of a person
// of the modern phone). Returns the paths written, oldest first; empty on
// failure. Without a layout: the legacy phone.
QStringList writeBackups(const QString& folder, int count, QString* error = nullptr);
QStringList writeBackups(const QString& folder, int count, Layout layout, QString* error = nullptr);

// The name the address book's number takes in a backup's contact table.
QString withoutDashes(const QString& number);

} // namespace demodata
