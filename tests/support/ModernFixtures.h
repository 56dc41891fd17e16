#pragma once

// Message databases of the modern layout (iOS 6 and later), built on the
// phone's own schema statements (schemas/modern-sms-*.sql, triggers and
// indexes included) from a compact description. Like the phone's files,
// they are left without the functions the phone registers for its
// triggers, so a plain connection cannot delete from them.
//
// A QVariant that is null (QVariant()) becomes a NULL cell.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace modernfixtures {

enum class Schema {
    Ios9,    // message with 38 columns, dates in seconds, no reactions or events
    Ios13,   // 68 columns, dates in nanoseconds, reactions and group events
    Ios17,   // iOS 13 plus the later columns the reader uses (date_edited, date_retracted, associated_message_emoji)
    Reduced, // only the tables message and handle, as some tools leave a file
};

struct Handle
{
    qint64 rowId = 0;
    QString id;
    QString service = QStringLiteral("SMS");
    QVariant country;
};

struct Chat
{
    qint64 rowId = 0;
    QVariant identifier;
    int style = 45; // 45 one-to-one, 43 group
    QVariant displayName;
    QList<qint64> members; // handle row ids
};

struct Attachment
{
    qint64 rowId = 0;
    QVariant transferName;
    QVariant filename;
    // Further columns by name (mime_type, uti, total_bytes, is_sticker).
    QVariantMap columns;
};

struct Message
{
    qint64 rowId = 0;
    QVariant text;
    QVariant body; // attributedBody: a blob (QByteArray), or null
    QVariant handle = 0;
    QVariant fromMe = 0;
    QVariant date;
    QList<qint64> chats;
    QList<qint64> attachments;
    // Further columns by name (item_type, associated_message_guid, ...).
    QVariantMap columns;
    QString guid; // empty: "GUID-<rowId>"
};

struct Database
{
    QList<Handle> handles;
    QList<Chat> chats;
    QList<Attachment> attachments;
    QList<Message> messages;
};

QString guidOf(const Message& message);

// Writes the database to path (an existing file is replaced) and returns path.
QString makeModernDb(const QString& path, const Database& database, Schema schema);

// An attributedBody blob holding text, as the phone writes it.
QByteArray body(const QByteArray& text);

// Apple time stamps: seconds or nanoseconds since 2001-01-01 UTC of a time
// given in seconds since 1970.
qint64 appleSeconds(qint64 unixSeconds);
qint64 appleNanoseconds(qint64 unixSeconds);

// A sample of everything the reader must handle, as far as the schema can
// hold it (iOS 9 has no reactions, events, edits):
//
// handles: 1 "+12095981933" SMS (us), 2 "+12095981933" iMessage (us),
//   3 "anna@example.org", 4 "40404", 5 "telma", 6 "+447700900123" (gb),
//   7 "+8613800138000" (cn), 8 "+15550001111" (used by message 23 only).
// chats: 1 and 2 "+12095981933" (SMS and iMessage: one conversation),
//   3 "anna@example.org", 4 "40404", 5 "telma", 6 "chat123456789" named
//   "Climbing" (members 3, 6, 7), 7 "chat987654321" without a name
//   (members 1, 6).
// messages (dates from 2020-01-01 00:00 UTC + row id minutes; the odd rows
// in seconds, the even in nanoseconds; 6 has date 0):
//   1 in chat 1 from 1 "Hi over SMS"; 2 in chat 2 sent "Reply over iMessage";
//   3 chat 3 from 3, text NULL, body "Short body"; 4 chat 3 sent, text "",
//   body of 200 bytes; 5 chat 3 from 3, body of 70,000 bytes; 6 chat 4 from 4
//   "Your code is 4711", date 0; 7 chat 5 from 5 "Parcel waiting";
//   8 chat 6 from 6 "Who is in for Saturday?"; 9 chat 6 sent "Me! \uFFFC and
//   \uFFFC" with attachments 1 and 2; 16 chat 7 from 1 "Unnamed group hello";
//   18 in no chat from 6 "In no chat"; 21 chat 3 sent "\uFFFC" with
//   attachment 3; 22 chat 4 with NULL text, body, date, handle and
//   is_from_me; 23 in no chat from 8 "Only message of handle 8".
//   From iOS 13: 10 love (2000) from 7 on 8 ("p:0/GUID-8"); 11 like (2001)
//   from 6 on 9; 12 its removal (3001) from 6; 13 laugh (2003) from 7 on 9
//   ("bp:GUID-9"); 14 event in chat 6: 6 added 7; 15 event: renamed
//   "Climbing crew" by the owner; 17 event in chat 7: 6 left.
//   From iOS 17: 19 chat 1 sent "Edited text" (date_edited set); 20 chat 1
//   from 1 "Taken back" (date_retracted set).
// attachments: 1 "IMG_0042.HEIC"; 2 NULL transfer name, file
//   ".../voice-note.caf"; 3 "map.png".
Database sample(Schema schema);

// The sample's message texts of over 127 and 65,535 bytes.
QByteArray longBody200();
QByteArray longBody70000();

} // namespace modernfixtures
