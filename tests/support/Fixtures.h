#pragma once

// Builds the databases the tests read: message databases and address books on
// the phone's own schema statements (schemas/*.sql, triggers included),
// and backup files (a message database plus the table "AddressBook111").
// A QVariant that is null (QVariant()) becomes a NULL cell.

#include <QList>
#include <QString>
#include <QVariant>

namespace fixtures {

// Folder of the schema files; taken from MSGDESK_TEST_DATA, which CTest sets.
QString dataDir();

enum class SmsSchema { Ios4, Ios5 };
// Address books of iOS 5 and before, of iOS 9 and of iOS 15. The newer ones'
// triggers call functions only the phone registers; the builder registers
// stand-ins on its own connection, so a plain connection still cannot change them.
enum class BookSchema { Ios5, Ios9, Ios15 };

struct Msg
{
    QVariant rowId;   // null: let SQLite choose
    QVariant address; // text, or null
    QVariant date;    // seconds since 1970 (UTC), or null
    QVariant text;    // text, or null
    QVariant flags;   // 2 received, 3 sent, or null
};

struct Person
{
    QVariant first;
    QVariant last;
    // ABMultiValue rows of this person, in order: property (3 phone, 4 e-mail) and value.
    QList<QPair<int, QVariant>> values;
    QVariant organization{};
    QVariant rowId{}; // null: let SQLite choose
};

// Each returns the path it wrote (an existing file is replaced). The message
// database is written with a "read" function registered only while filling it,
// so a later delete on a plain connection fails as on the phone's own file.
QString makeMessageDb(const QString& path, const QList<Msg>& messages, SmsSchema schema = SmsSchema::Ios4);
QString makeAddressBook(const QString& path, const QList<Person>& people, BookSchema schema = BookSchema::Ios5);
// Any schema file of schemas/ ("modern-sms-ios13.sql"), then the given
// statements, run with the stand-in functions registered.
QString makeFromSchema(const QString& path, const QString& schemaFile, const QString& statements);
// A backup file: the message database and "AddressBook111" holding (name, tel) pairs.
QString makeBackupFile(const QString& path, const QList<Msg>& messages,
                       const QList<QPair<QVariant, QVariant>>& contacts);

// A varied sample: non-ASCII texts (Chinese, accents, emoji, U+FFFC), NULL
// cells, dashed, bracketed and prefixed numbers; the matching address book has
// a person whose first multi-value is an e-mail address.
//
// sampleMessages(): rows 1-12, dates rising from 1262304000 (2010-01-01 UTC).
//   "13800138000" rows 1, 10, 12 and "138-0013-8000" row 2 (one conversation
//   once dashes are removed); "+8613800138000" row 8; "(209) 598-1933" row 3;
//   "+12095981933" row 4; short numbers "10086" row 5 and "95555" row 6; row 7
//   has NULL address and text (outgoing MMS); row 9 "13900139000" has NULL date
//   and flags; row 11 "+447700900123". Incoming (flags 2): 1, 3, 5, 6, 8, 11, 12.
// samplePeople(): 李明 "138-0013-8000"; Amélie Dupont (e-mail first, then
//   "(209) 598-1933"); China Mobile "10086"; Nobody Without (no value); Shannon
//   O'Neil "+447700900123"; Bank (NULL last name) "95555" then "95566".
//   fillContactNames on the two gives "李 明" to rows 1, 2, 8, 10, 12,
//   "Dupont Amélie" to 3 and 4 (by her phone number, her second value),
//   "Mobile China" to 5, " Bank" to 6, "O'Neil Shannon" to 11 and "NULL" to
//   the rest.
QList<Msg> sampleMessages();
QList<Person> samplePeople();

// Puts the file in WAL form and runs statements (stand-in functions
// registered), then closes without a checkpoint: what they wrote is only in
// path + "-wal", as in a phone's files. The -shm file stays beside it.
void writeIntoLog(const QString& path, const QString& statements);

// Writes a copy of the database at source to target in the form real phone
// files often have: a main file of one page and all content in target +
// "-wal" (no -shm). The copy is taken while its writer is still open, so no
// checkpoint ever ran. False when that form could not be made.
bool walFormCopy(const QString& source, const QString& target);

// SHA-256 over the names, sizes and bytes of every file under folder, in
// name order: equal digests mean nothing was changed, added or removed.
QByteArray folderDigest(const QString& folder);

// Runs one SQL statement on a file through a plain connection; returns the SQLite result code.
int exec(const QString& path, const QString& sql);
// First column of every row of a query, as text ("NULL" for NULL cells).
QStringList column(const QString& path, const QString& sql);

// Damages the file as a broken table would be: the row `rowId` of `table`
// says it is row `asRowId`, so that a scan of the table gives that row id
// twice. For small tables only (the rows on the table's first page, row
// ids below 128); false when the file is not such.
bool giveRowIdTwice(const QString& path, const QString& table, qint64 rowId, qint64 asRowId);
// The same on a given leaf page of a table of several pages.
bool giveRowIdTwiceOnPage(const QString& path, qint64 page, qint64 rowId, qint64 asRowId);

// Damages the file as a bad disk sector would: a leaf page of the table in
// the middle of its pages (found through the dbstat table where SQLite has
// it, else the file's middle page) is overwritten with 0xFF bytes. Returns
// the page's number, 0 when the file has too few pages.
qint64 smashLeafPage(const QString& path, const QString& table);

// The key bag of an encrypted backup's Manifest.plist (binary), changed in
// place: a four-byte value of `tag` in the bag's header becomes `value`.
bool patchBagValue(const QString& folder, const char* tag, quint32 value);

} // namespace fixtures
