#pragma once

// Writing SQLite databases as the phone keeps them: open or create a file,
// run statements and schema files, bind values, and register stand-ins for
// the functions the phone's triggers call. The phone registers those
// functions itself; a connection without them cannot change the tables the
// triggers watch ("no such function"), so whoever fills or edits such a file
// registers harmless stand-ins on its own connection, through this file.
//
// The phone's functions and where its schemas call them:
//   read(flags)                        message table triggers, iOS 5 and before
//   delete_attachment_path(...)        attachment triggers, iOS 6 and later
//   before_delete_attachment_path(...)
//   ab_generate_guid()                 address book defaults, iOS 9 and later
//   ab_update_value_from_trigger(...)  address book triggers, iOS 9 and later

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <functional>

struct sqlite3;
struct sqlite3_stmt;

namespace phonedb {

// Opens path with SQLite's open flags (SQLITE_OPEN_*). On failure returns
// null and sets error to "Cannot open PATH: REASON".
sqlite3* open(const QString& path, int flags, QString* error = nullptr);
// A new, empty database in place of whatever was at path: an old file and
// its -wal, -shm and -journal files are removed first, so that nothing of
// them is applied to the new one, and a missing folder is made. On failure
// returns null and sets error to "Cannot create PATH: REASON".
sqlite3* create(const QString& path, QString* error = nullptr);

// SQLite's message for the connection's last error.
QString lastError(sqlite3* db);

// Runs one or more statements; on failure sets error to SQLite's message.
bool exec(sqlite3* db, const QByteArray& sql, QString* error = nullptr);
// The schema statements of a phone database (a file of schemas/).
bool loadSchema(sqlite3* db, const QByteArray& statements, QString* error = nullptr);
// The text of a schema file; empty (and error set) when it cannot be read.
QByteArray readSchemaFile(const QString& path, QString* error = nullptr);

// Null (and error set) when sql does not compile.
sqlite3_stmt* prepare(sqlite3* db, const char* sql, QString* error = nullptr);
// A null QVariant binds NULL; integers and booleans bind as integers,
// doubles as reals; a QByteArray binds as TEXT byte for byte (so invalid
// UTF-8 can be stored on purpose); anything else as the UTF-8 of its text.
void bind(sqlite3_stmt* stmt, int index, const QVariant& value);
// The bytes as a BLOB (an empty array as an empty BLOB, never NULL).
void bindBlob(sqlite3_stmt* stmt, int index, const QByteArray& bytes);
// Runs a prepared statement once to its end, then resets it and clears its
// values for the next row. False (and error set) unless it finished.
bool step(sqlite3* db, sqlite3_stmt* stmt, QString* error = nullptr);

// What a stand-in answers.
enum class StandIn {
    One,           // 1, whatever it is given
    Null,          // NULL
    FirstArgument, // its first argument as it is; NULL when it has none
    FlagsBit0,     // bit 0 of its first argument as an integer (0 when it has none)
};

// Registers name with argCount arguments (-1: any number) on this
// connection only. False when SQLite refuses.
bool registerStandIn(sqlite3* db, const char* name, int argCount, StandIn answer);
// A function that answers bit 0 of *value at the time of each call; value
// must outlive the connection.
bool registerBit0Of(sqlite3* db, const char* name, int argCount, const int* value);
// A function that answers make()'s text, called anew for each row; make is
// kept until the connection closes.
bool registerText(sqlite3* db, const char* name, int argCount, std::function<QByteArray()> make);

// read(flags): One for "every message has been read", FlagsBit0 for the
// phone's own answer from the message's flags.
bool registerRead(sqlite3* db, StandIn answer);
// delete_attachment_path and before_delete_attachment_path, any arguments.
bool registerAttachmentPathStandIns(sqlite3* db, StandIn answer);
// ab_generate_guid() answering newGuid(), and ab_update_value_from_trigger
// answering its first argument.
bool registerAddressBookStandIns(sqlite3* db, std::function<QByteArray()> newGuid);

// Hands data to the connection: destroy(data) runs when it closes (or at
// once, when SQLite cannot take it). For what must live exactly as long as
// the connection, such as the folder of a private copy it reads. One per
// connection: a second call ends the first one's data.
bool keepUntilClose(sqlite3* db, void* data, void (*destroy)(void*));

} // namespace phonedb
