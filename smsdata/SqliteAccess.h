#pragma once

// Small helpers shared by the two stores: opening a file without creating it,
// reading result cells leniently, and the local-time text of a message.

#include <QByteArray>

struct sqlite3;
struct sqlite3_stmt;

namespace sqliteaccess {

enum class OpenMode { ReadWrite, ReadOnly };

// Opens an existing database file. On failure writes the line "数据库打开失败"
// to standard output and returns null. A file whose folder cannot be written
// (a WAL database on a read-only medium) is opened read-only instead.
sqlite3* openExisting(const QByteArray& path, OpenMode mode);

// Prepares sql; returns null (and nothing else happens) when it fails, for
// example on a missing table or a file that is not a database.
sqlite3_stmt* prepare(sqlite3* db, const char* sql);

// Cells are addressed by column index; a column the table does not have reads
// as NULL, so short tables and NULL cells give empty text or 0.
QByteArray text(sqlite3_stmt* stmt, int column, int columnCount);
qint64 integer(sqlite3_stmt* stmt, int column, int columnCount);

// "time:" followed by the asctime layout ("Thu Jan 01 08:00:00 1970\n") of
// the given seconds since 1970 in local time.
QByteArray timeText(qint64 secondsSinceEpoch);

} // namespace sqliteaccess
