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
void read(sqlite3* db, const QByteArray& rowIdName, MessageStore& store, const ReadProgress& progress);

} // namespace legacytable
