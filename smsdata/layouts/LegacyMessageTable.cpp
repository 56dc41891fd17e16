#include "LegacyMessageTable.h"

#include "ByteInterner.h"
#include "SqliteAccess.h"

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
    const qint64 total = sqliteaccess::singleInteger(db, "select count(*) from message");
    const QByteArray sql = "select " + rowIdName + ", * from message";
    sqlite3_stmt* stmt = sqliteaccess::prepare(db, sql.constData());
    if (!stmt)
        return;
    const int statementColumns = sqlite3_column_count(stmt);
    store.columnCount = statementColumns - 1;
    if (total > 0)
        store.messages.reserve(qsizetype(qMin<qint64>(total, INT_MAX / 2)));
    if (progress)
        progress(0, total);

    ByteInterner addresses;
    QByteArray address;
    qint64 done = 0;
    // A damaged file may fail part-way; the rows read so far are kept.
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        MessageRecord record;
        record.rowId = sqlite3_column_int64(stmt, 0);

        if (addressColumn + 1 < statementColumns && sqlite3_column_type(stmt, addressColumn + 1) != SQLITE_NULL) {
            const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, addressColumn + 1));
            const int size = sqlite3_column_bytes(stmt, addressColumn + 1);
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
        qint64 seconds = sqliteaccess::integer(stmt, dateColumn + 1, statementColumns);
        if (seconds < 0 || seconds > INT_MAX)
            seconds = 0;
        record.time = seconds;
        record.text = sqliteaccess::text(stmt, textColumn + 1, statementColumns);
        record.isIncoming = sqliteaccess::integer(stmt, flagsColumn + 1, statementColumns) == 2;
        store.messages.append(std::move(record));

        if (progress && ++done % progressStep == 0)
            progress(done, qMax(total, done));
    }
    sqlite3_finalize(stmt);
    if (progress)
        progress(store.messages.size(), qMax<qint64>(total, store.messages.size()));
}

} // namespace legacytable
