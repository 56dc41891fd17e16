#pragma once

// One message as JSON: what `msgdesk-cli show --json` and `search --json`
// print and what the json export writes, built by one function so that they
// never drift apart. The line is written directly (not through a JSON
// document), as the export writes a million of them: compact, keys in
// alphabetical order, text as UTF-8 with only what JSON requires escaped,
// invalid UTF-8 from the phone turned into U+FFFD.
//
//   {"attachments":[{"mime":"image/jpeg","name":"IMG_0001.JPG","present":true}],
//    "incoming":true,"key":"+4915112345678","name":"Berg Anna","rowid":1,
//    "sender":"+4915112345678","text":"...","time":"Tue Mar 05 22:00:00 2024",
//    "utc":"2024-03-05T14:00:00Z"}

#include "Attachment.h"
#include "MessageRecord.h"

#include <QByteArray>
#include <QString>
#include <QVector>

class AttachmentFiles;

namespace exporting {

// The handle of whoever sent an incoming message (the conversation's key
// when the record names no sender); empty for a sent message.
QByteArray senderOf(const MessageRecord& message);

// What a line carries beyond rowid, key, incoming, sender (null for a sent
// message), time, utc and text.
struct MessageJsonExtras
{
    // "name": the conversation's name, as UTF-8.
    const QByteArray* name = nullptr;
    // "attachments": one {mime, name, present} each; present is false for
    // all when presence is null (a source without attachment content).
    const QVector<AttachmentRecord>* attachments = nullptr;
    AttachmentFiles* presence = nullptr;
};

// Appends the message's line, ending in '\n', to out.
void appendMessageJson(QByteArray* out, const MessageRecord& message, const MessageJsonExtras& extras = {});

// Appends text as a JSON string.
void appendJsonString(QByteArray* out, const QByteArray& utf8);

} // namespace exporting
