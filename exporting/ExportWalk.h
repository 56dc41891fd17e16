#pragma once

// The walk every format shares: the chosen conversations in the
// conversation list's order, each with its chosen messages oldest first,
// and what a page shows beside a message's text (who wrote it, the
// reactions, the attachments). One conversation is held at a time, so an
// export of a million messages needs the memory of its largest
// conversation, not of the file.
//
// The store is only read, never selected or changed: the window's open
// conversation stays as it is. The walk may run on a worker thread as long
// as nothing changes the store meanwhile.

#include "ExportOptions.h"
#include "MessageStore.h"

#include <QString>
#include <QVector>

namespace exporting {

struct ExportConversation
{
    QByteArray key;
    // The contact's or group's name; the key's printed form when it has none.
    QString name;
    bool isGroup = false;
    // The chosen messages, oldest first.
    QVector<MessageRecord> messages;
};

class ExportWalk
{
public:
    ExportWalk(MessageStore& store, const Selection& selection);

    // Messages and conversations the walk gives, counted before it starts.
    qint64 messageCount() const { return m_messageCount; }
    int conversationCount() const { return int(m_keys.size()); }

    // The next conversation with at least one chosen message; false once
    // every one was given.
    bool next(ExportConversation* conversation);

    // Who wrote a message, as the chat page names them: "me" for a sent
    // one, the sender's contact name or handle in a group, else the
    // conversation's name.
    QString authorOf(const ExportConversation& conversation, const MessageRecord& message) const;
    // The reactions as one badge ("❤️ 2  👍"); empty when none.
    QString reactionsOf(const MessageRecord& message) const;
    QVector<AttachmentRecord> attachmentsOf(const MessageRecord& message) const;
    // The text a page shows beside the attachments: their "[name]" and
    // U+FFFC placeholders taken out, as the chat page's bubbles do.
    QString shownTextOf(const MessageRecord& message, const QVector<AttachmentRecord>& attachments) const;

    const MessageStore& store() const { return m_store; }

private:
    bool chosen(const MessageRecord& message) const;
    QVector<MessageRecord> chosenOf(const QByteArray& key);

    MessageStore& m_store;
    Selection m_selection;
    QVector<QByteArray> m_keys;
    QVector<qint64> m_wanted; // Messages scope: sorted row ids
    qint64 m_messageCount = 0;
    int m_next = 0;
};

// The name of a conversation as the list shows it: the contact's or group's
// name, else its key in printed form.
QString conversationName(const MessageRecord& head);

// Seconds since 1970 as ISO 8601 in UTC ("2024-03-05T14:02:00Z"), and as
// the local date and time the chat page shows ("2024-03-05 22:02"), and the
// local day. Local times come from the C library's conversion, which reads
// the time zone once: asking Qt for each message's local time looks the
// zone file up again every time, which costs more than writing the message.
QString utcText(qint64 time);
QByteArray utcBytes(qint64 time);
QString localTimeText(qint64 time);
QDate localDate(qint64 time);

// The local time as the record's time text shows it ("Fri Jan 01 08:00:00
// 2010"), without its "time:" label and line end; ASCII.
QString shownTime(const MessageRecord& message);
QByteArray shownTimeBytes(const MessageRecord& message);

// "1 message", "1,234 messages" in the user's language.
QString messageCountText(qint64 count);

} // namespace exporting
