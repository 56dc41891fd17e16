#pragma once

// Small helpers shared by the two stores: opening a file without creating it,
// reading result cells leniently, and the local-time text of a message.

#include <QByteArray>
#include <QSet>
#include <QString>

#include <ctime>

struct sqlite3;
struct sqlite3_stmt;

namespace sqliteaccess {

// ReadWrite and ReadOnly open the file in place. Untouched is for files that
// must stay byte for byte as they are, with nothing added beside them (a
// phone's databases inside its backup folder): SQLite opens them read-only
// and immutable, or, when their write-ahead log holds content that the main
// file lacks, reads a private copy of both.
enum class OpenMode { ReadWrite, ReadOnly, Untouched };

// Opens an existing database file. On failure writes the line "数据库打开失败"
// to standard output and returns null. A file whose folder cannot be written
// (a WAL database on a read-only medium) is opened read-only instead.
// walPath names the file's write-ahead log when it does not lie beside it
// under the usual name (a backup stores it under a name of its own); empty
// means path + "-wal".
sqlite3* openExisting(const QByteArray& path, OpenMode mode, const QByteArray& walPath = {});

// After a scan (a loop while sqlite3_step gives SQLITE_ROW) or a single
// step: a damaged page ends it with an error (SQLITE_CORRUPT), which must
// not pass for the end of the table. Notes the first such stop in *stopped,
// as "reading stopped after 12 messages: database disk image is malformed"
// (count rows of what); SQLITE_DONE and SQLITE_ROW note nothing.
void noteScanEnd(int rc, qint64 count, const char* what, QString* stopped);

// Prepares sql; returns null (and nothing else happens) when it fails, for
// example on a missing table or a file that is not a database.
sqlite3_stmt* prepare(sqlite3* db, const char* sql);

// Cells are addressed by column index; a column the table does not have reads
// as NULL, so short tables and NULL cells give empty text or 0.
QByteArray text(sqlite3_stmt* stmt, int column, int columnCount);
qint64 integer(sqlite3_stmt* stmt, int column, int columnCount);

// Names of the file's tables; *readable is false when the schema cannot be
// read (not a database, damaged, or db is null).
QList<QByteArray> tableNames(sqlite3* db, bool* readable);

// Names of a table's columns, in lower case (SQLite compares them so);
// empty when the table does not exist.
QSet<QByteArray> columnNames(sqlite3* db, const char* table);
// The same as written in the table's definition, in its column order.
QList<QByteArray> columnsInOrder(sqlite3* db, const char* table);
// name as an SQL identifier: "name", inner quotes doubled.
QByteArray quotedName(const QByteArray& name);

// The name by which the table's true row id can be read: "rowid", "oid" or
// "_rowid_", whichever the table does not declare as a column of its own
// (a declared column of that name hides the row id), or the declared
// INTEGER PRIMARY KEY when it takes all three. Empty when the table has no
// reachable row id (it does not exist, or is WITHOUT ROWID).
QByteArray rowIdName(sqlite3* db, const char* table);

// The first column of the first row of sql as an integer; 0 when it gives none.
qint64 singleInteger(sqlite3* db, const char* sql);

// About how many rows a table holds, for progress and for reserving room:
// the span of its row ids (two look-ups), or, when that span is implausibly
// wide (a file with gaps of millions), the true count (a scan).
qint64 rowCountEstimate(sqlite3* db, const char* table, const QByteArray& rowIdName);

// Gives every function that the file's triggers call and this connection
// does not know a stand-in that does nothing, so that changing the tables
// runs the triggers' own work instead of failing with "no such function".
// The phone registers such functions itself (to remove an attachment's
// file, for example); nothing of the kind must happen here.
void registerTriggerStandIns(sqlite3* db);

// After a delete: when the file is in WAL form, copies the log into the
// file and empties it, so that nothing deleted stays readable in the log.
// Another connection that still reads an older state of the file holds
// this up; it is waited for up to waitMs. False when the log could not be
// emptied (the deleted rows may still be read from it).
bool checkpointAfterDelete(sqlite3* db, int waitMs = 0);

// The local time of seconds since 1970, through the C library's reentrant
// conversion (the time zone is read once, not per call); false when it
// cannot be converted.
bool toLocalTime(qint64 seconds, std::tm* out);

// "time:" followed by the asctime layout ("Thu Jan 01 08:00:00 1970\n") of
// the given seconds since 1970 in local time.
QByteArray timeText(qint64 secondsSinceEpoch);

} // namespace sqliteaccess
