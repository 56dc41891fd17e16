#pragma once

// The message table of iOS 5 and before: "message" with ROWID, address,
// date (seconds since 1970), text and flags (2 received), read by column
// position as the phone laid it out. Its triggers call read(flags), which
// the store registers.

#include "MessageStore.h"

#include <QByteArray>
#include <QSet>

struct sqlite3;

namespace legacytable {

// A message table with the columns "address" and "flags" (lower case).
bool matches(const QSet<QByteArray>& columns);

// Appends one record per row to store.messages, in row-id order, and sets
// store.columnCount to the table's column count. rowIdName reads the true
// row id beside the columns, which are counted after it.
//
// A multimedia message keeps part of itself elsewhere: a sent one has a
// NULL address and its number first in "recipients" (or, without one, in
// the group_member rows of its msg_group), and its text, sent or received,
// is in msg_pieces: the "text/plain" parts in part_id order, each other
// part shown as "[its content_loc]". Such a message is keyed by that
// number, dashes removed, as every other address is.
// With onlyConversation, only rows that may be of that conversation are
// taken apart (the table has no index by address: it is still scanned);
// the caller drops the few others.
void read(sqlite3* db, const QByteArray& rowIdName, MessageStore& store, const ReadProgress& progress,
          const QByteArray& onlyConversation = {});

// The messages and conversations read() would give, counted in one pass
// over the addresses.
void count(sqlite3* db, const QByteArray& rowIdName, MessageCounts* counts);

// The first string of a "recipients" cell, a property list array (XML or
// binary); empty when the cell holds none. Bounded: an oversized cell is
// not parsed.
QByteArray firstRecipient(const QByteArray& recipients);

} // namespace legacytable
