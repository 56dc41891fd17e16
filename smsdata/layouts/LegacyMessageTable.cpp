#include "LegacyMessageTable.h"

#include "ByteInterner.h"
#include "SqliteAccess.h"
#include "TextChunks.h"

#include <climits>
#include <cstring>

#include <sqlite3.h>

namespace legacytable {

namespace {

// Columns of the phone's table, counted after the row id read beside them.
constexpr int addressColumn = 1;
constexpr int dateColumn = 2;
constexpr int textColumn = 3;
constexpr int flagsColumn = 4;

constexpr int progressStep = 8192;

} // namespace

bool matches(const QSet<QByteArray>& columns)
{
    return columns.contains("address") && columns.contains("flags");
}

void read(sqlite3* db, const QByteArray& rowIdName, MessageStore& store, const ReadProgress& progress)
{
    // The columns the Part's positions name, asked for by name: "select *"
    // would make SQLite take apart every one of the table's columns.
    const QList<QByteArray> columns = sqliteaccess::columnsInOrder(db, "message");
    store.columnCount = int(columns.size());
    QByteArray sql = "select " + rowIdName;
    for (int position : {addressColumn, dateColumn, textColumn, flagsColumn})
        sql += ", " + (position < columns.size() ? sqliteaccess::quotedName(columns.at(position)) : QByteArray("NULL"));
    sql += " from message";
    sqlite3_stmt* stmt = sqliteaccess::prepare(db, sql.constData());
    if (!stmt) {
        if (progress)
            progress(0, 0);
        return;
    }

    const qint64 total = sqliteaccess::rowCountEstimate(db, "message", rowIdName);
    if (total > 0)
        store.messages.reserve(qsizetype(qMin<qint64>(total, INT_MAX / 2)));
    if (progress)
        progress(0, total);

    ByteInterner addresses;
    TextChunks texts;
    QByteArray address;
    qint64 done = 0;
    // A damaged file may fail part-way; the rows read so far are kept.
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        MessageRecord& record = store.messages.emplaceBack();
        record.rowId = sqlite3_column_int64(stmt, 0);

        if (sqlite3_column_type(stmt, 1) != SQLITE_NULL) {
            const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
            const int size = sqlite3_column_bytes(stmt, 1);
            if (bytes && std::memchr(bytes, '-', size_t(size))) {
                address = QByteArray(bytes, size);
                address.replace('-', QByteArray());
                record.address = addresses.intern(address);
            } else if (bytes) {
                record.address = addresses.intern(bytes, size);
            }
        }
        // Times before 1970 (and corrupt ones beyond 32 bits) show as the
        // epoch rather than failing in the C library.
        qint64 seconds = sqlite3_column_int64(stmt, 2);
        if (seconds < 0 || seconds > INT_MAX)
            seconds = 0;
        record.time = seconds;
        if (sqlite3_column_type(stmt, 3) != SQLITE_NULL) {
            const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3));
            record.text = texts.add(bytes, sqlite3_column_bytes(stmt, 3));
        }
        record.isIncoming = sqlite3_column_int64(stmt, 4) == 2;

        if (progress && ++done % progressStep == 0)
            progress(done, qMax(total, done));
    }
    sqlite3_finalize(stmt);
    // The total was an estimate: the last report says all is read.
    if (progress)
        progress(store.messages.size(), store.messages.size());
}

} // namespace legacytable
