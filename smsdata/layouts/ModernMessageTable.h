#pragma once

// The message database of iOS 6 and later: "message" (with "handle_id" and
// "is_from_me"), "handle", "chat" and the joins "chat_message_join",
// "chat_handle_join" and "message_attachment_join" to "attachment". Columns
// were added in almost every version, so everything is read by name; a
// column or table that a file lacks reads as NULL or empty.
//
// A message's conversation is the chat_identifier of its chat, or, for a
// message in no chat, its handle's id. Reactions (associated_message_type
// 2000 to 3999) and group events (item_type not 0) are not messages: the
// store keeps them beside the messages.

#include "MessageStore.h"

#include <QByteArray>
#include <QSet>
#include <QVector>

struct sqlite3;
struct sqlite3_stmt;

namespace moderntable {

// A message table with the columns "handle_id" and "is_from_me" (lower case).
bool matches(const QSet<QByteArray>& columns);

// Appends one record per message to store.messages, in row-id order, sets
// store.columnCount, and records groups, reactions, events and handle
// countries through the store's builder calls. Reads row by row: the joins
// are read once each and walked beside the messages.
// With onlyConversation, reads the rows of that conversation (and a few
// around it, which the caller drops) through the file's indexes instead of
// the whole table.
void read(sqlite3* db, const QByteArray& rowIdName, MessageStore& store, const ReadProgress& progress,
          const QByteArray& onlyConversation = {});

// The messages and conversations read() would give, counted in one pass
// over the message rows and one over chat_message_join.
void count(sqlite3* db, const QByteArray& rowIdName, MessageCounts* counts);

// Seconds since 1970 of a message date (from 2001-01-01 UTC, in seconds or,
// above 10^12, in nanoseconds); 0 for 0.
qint64 unixTime(qint64 messageDate);

// The statements that remove one row of the message table together with
// its rows in chat_message_join and message_attachment_join; the file's own
// triggers then remove what those leave orphaned.
class RowDeleter
{
public:
    RowDeleter(sqlite3* db, const QByteArray& rowIdName);
    ~RowDeleter();
    RowDeleter(const RowDeleter&) = delete;
    RowDeleter& operator=(const RowDeleter&) = delete;

    // SQLITE_OK, or the code of the first statement that failed (or of the
    // message table's statement that could not be prepared).
    int deleteRow(qint64 rowId);

private:
    sqlite3_stmt* m_attachmentLinks = nullptr;
    sqlite3_stmt* m_chatLinks = nullptr;
    sqlite3_stmt* m_message = nullptr;
    int m_prepareResult = 0;
};

// Some phones' triggers delete more than the message whose rows go: iOS 9
// removes every message that is in no chat whenever any chat_message_join
// row is deleted, scanning the whole table each time. Inside the delete's
// transaction such triggers are dropped and afterwards created again from
// their own SQL, so that the file keeps its schema and loses nothing the
// user did not choose.
class TriggerPause
{
public:
    // Drops the triggers (and, to keep the order in which a table's
    // triggers fire, those created after them on the same table).
    int pause(sqlite3* db);
    // Creates them again, in their first order.
    int resume();
    int pausedCount() const { return int(m_sql.size()); }

private:
    sqlite3* m_db = nullptr;
    QVector<QByteArray> m_sql;
};

} // namespace moderntable
