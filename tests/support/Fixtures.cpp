#include "Fixtures.h"

#include "PhoneDb.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>

namespace fixtures {

namespace {

// The builder answers read() like the phone does for a message that has
// been read, and the address book's functions with a fresh identifier per
// call and the value the trigger computed; only this connection knows them.
void registerStandIns(sqlite3* db)
{
    phonedb::registerRead(db, phonedb::StandIn::One);
    phonedb::registerAddressBookStandIns(db, [] {
        static qint64 counter = 0;
        return "fixture-guid-" + QByteArray::number(++counter);
    });
}

void fail(const char* what, sqlite3* db)
{
    qFatal("fixtures: %s: %s", what, db ? sqlite3_errmsg(db) : "no connection");
}

QByteArray schemaStatements(const QString& fileName)
{
    QString error;
    const QByteArray statements = phonedb::readSchemaFile(dataDir() + QLatin1Char('/') + fileName, &error);
    if (statements.isEmpty())
        qFatal("fixtures: %s", qPrintable(error.isEmpty() ? fileName + QStringLiteral(" is empty") : error));
    return statements;
}

sqlite3* createDatabase(const QString& path, const QString& schemaFile)
{
    QString error;
    sqlite3* db = phonedb::create(path, &error);
    if (!db)
        qFatal("fixtures: %s", qPrintable(error));
    registerStandIns(db);
    // Throw-away files: no need to wait for the disk.
    phonedb::exec(db, "PRAGMA synchronous=OFF");
    if (!schemaFile.isEmpty() && !phonedb::loadSchema(db, schemaStatements(schemaFile)))
        fail("schema", db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    return db;
}

void finish(sqlite3* db)
{
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("commit", db);
    sqlite3_close(db);
}

// QByteArray values are bound as TEXT byte for byte, so tests can store
// invalid UTF-8; QString values are bound as their UTF-8.
using phonedb::bind;

sqlite3_stmt* prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* stmt = phonedb::prepare(db, sql);
    if (!stmt)
        fail(sql, db);
    return stmt;
}

void run(sqlite3* db, sqlite3_stmt* stmt)
{
    if (!phonedb::step(db, stmt))
        fail("insert", db);
}

void insertMessages(sqlite3* db, const QList<Msg>& messages)
{
    sqlite3_stmt* stmt = prepare(db, "insert into message (ROWID, address, date, text, flags) values (?, ?, ?, ?, ?)");
    for (const Msg& m : messages) {
        bind(stmt, 1, m.rowId);
        bind(stmt, 2, m.address);
        bind(stmt, 3, m.date);
        bind(stmt, 4, m.text);
        bind(stmt, 5, m.flags);
        run(db, stmt);
    }
    sqlite3_finalize(stmt);
}

QString smsSchemaFile(SmsSchema schema)
{
    return schema == SmsSchema::Ios5 ? QStringLiteral("legacy-sms-ios5.sql") : QStringLiteral("legacy-sms-ios4.sql");
}

} // namespace

QString dataDir()
{
    const QByteArray fromEnv = qgetenv("MSGDESK_TEST_DATA");
    if (!fromEnv.isEmpty())
        return QString::fromLocal8Bit(fromEnv);
    return QStringLiteral(MSGDESK_SOURCE_DIR "/schemas");
}

QString makeMessageDb(const QString& path, const QList<Msg>& messages, SmsSchema schema)
{
    sqlite3* db = createDatabase(path, smsSchemaFile(schema));
    insertMessages(db, messages);
    finish(db);
    return path;
}

QString makeAddressBook(const QString& path, const QList<Person>& people, BookSchema schema)
{
    const QString schemaFile = schema == BookSchema::Ios15  ? QStringLiteral("addressbook-ios15.sql")
                               : schema == BookSchema::Ios9 ? QStringLiteral("addressbook-ios9.sql")
                                                            : QStringLiteral("addressbook-ios5.sql");
    sqlite3* db = createDatabase(path, schemaFile);
    sqlite3_stmt* person = prepare(db, "insert into ABPerson (ROWID, First, Last, Organization) values (?, ?, ?, ?)");
    sqlite3_stmt* value = prepare(db, "insert into ABMultiValue (record_id, property, value) values (?, ?, ?)");
    for (const Person& p : people) {
        bind(person, 1, p.rowId);
        bind(person, 2, p.first);
        bind(person, 3, p.last);
        bind(person, 4, p.organization);
        run(db, person);
        const sqlite3_int64 personId = sqlite3_last_insert_rowid(db);
        for (const auto& v : p.values) {
            sqlite3_bind_int64(value, 1, personId);
            sqlite3_bind_int(value, 2, v.first);
            bind(value, 3, v.second);
            run(db, value);
        }
    }
    sqlite3_finalize(person);
    sqlite3_finalize(value);
    finish(db);
    return path;
}

QString makeFromSchema(const QString& path, const QString& schemaFile, const QString& statements)
{
    sqlite3* db = createDatabase(path, schemaFile);
    if (sqlite3_exec(db, statements.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("statements", db);
    finish(db);
    return path;
}

QString makeBackupFile(const QString& path, const QList<Msg>& messages,
                       const QList<QPair<QVariant, QVariant>>& contacts)
{
    sqlite3* db = createDatabase(path, smsSchemaFile(SmsSchema::Ios4));
    insertMessages(db, messages);
    if (sqlite3_exec(db, "create table AddressBook111(name varchar(100), tel varchar(100));", nullptr, nullptr,
                     nullptr) != SQLITE_OK)
        fail("AddressBook111", db);
    sqlite3_stmt* stmt = prepare(db, "insert into AddressBook111 values (?, ?)");
    for (const auto& c : contacts) {
        bind(stmt, 1, c.first);
        bind(stmt, 2, c.second);
        run(db, stmt);
    }
    sqlite3_finalize(stmt);
    finish(db);
    return path;
}

QList<Msg> sampleMessages()
{
    // Rows 1-12; times rise with the row id. Flags: 2 received, 3 sent.
    return {
        {1, QStringLiteral("13800138000"), 1262304000, QStringLiteral("新年快乐！"), 2},
        {2, QStringLiteral("138-0013-8000"), 1262304060, QStringLiteral("谢谢，你也是"), 3},
        {3, QStringLiteral("(209) 598-1933"), 1262304120, QStringLiteral("Café at 5? Ça va."), 2},
        {4, QStringLiteral("+12095981933"), 1262304180, QStringLiteral("See you there 😀👍"), 3},
        {5, QStringLiteral("10086"), 1262304240, QStringLiteral("您的话费余额为 12.50 元。"), 2},
        {6, QStringLiteral("95555"), 1262304300, QStringLiteral("Your code is 4711"), 2},
        {7, QVariant(), 1262304360, QVariant(), 3}, // outgoing MMS: no address, no text
        {8, QStringLiteral("+8613800138000"), 1262304420, QStringLiteral("图片\u00A0\uFFFC"), 2},
        {9, QStringLiteral("13900139000"), QVariant(), QStringLiteral("no date"), QVariant()},
        {10, QStringLiteral("13800138000"), 1262304540, QStringLiteral("Straße, naïve, señor"), 3},
        {11, QStringLiteral("+447700900123"), 1262304600, QStringLiteral("O'Neil here"), 2},
        {12, QStringLiteral("13800138000"), 1262304660, QStringLiteral("晚安 🌙"), 2},
    };
}

QList<Person> samplePeople()
{
    return {
        {QStringLiteral("明"), QStringLiteral("李"), {{3, QStringLiteral("138-0013-8000")}}},
        {QStringLiteral("Amélie"),
         QStringLiteral("Dupont"),
         {{4, QStringLiteral("amelie@example.org")}, {3, QStringLiteral("(209) 598-1933")}}},
        {QStringLiteral("China"), QStringLiteral("Mobile"), {{3, QStringLiteral("10086")}}},
        {QStringLiteral("Nobody"), QStringLiteral("Without"), {}},
        {QStringLiteral("Shannon"), QStringLiteral("O'Neil"), {{3, QStringLiteral("+447700900123")}}},
        {QStringLiteral("Bank"), QVariant(), {{3, QStringLiteral("95555")}, {3, QStringLiteral("95566")}}},
    };
}

void writeIntoLog(const QString& path, const QString& statements)
{
    QString error;
    sqlite3* db = phonedb::open(path, SQLITE_OPEN_READWRITE, &error);
    if (!db)
        qFatal("fixtures: %s", qPrintable(error));
    registerStandIns(db);
    if (sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, statements.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("log", db);
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_close(db);
}

bool walFormCopy(const QString& source, const QString& target)
{
    const QString work = target + QStringLiteral(".making");
    for (const QString& stale : {work, work + QStringLiteral("-wal"), work + QStringLiteral("-shm"), target,
                                 target + QStringLiteral("-wal"), target + QStringLiteral("-shm")})
        QFile::remove(stale);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(work.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    registerStandIns(db);
    const auto run = [db](const QByteArray& sql) {
        return sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    // Tables and their rows first, then what reacts to rows (indexes,
    // triggers), so that copying fires nothing.
    bool ok = run("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;") &&
              run("ATTACH " + ("'" + source.toUtf8().replace('\'', "''") + "'") + " AS src") && run("BEGIN");
    QList<QByteArray> tables;
    QList<QByteArray> later;
    QList<QByteArray> virtualTables;
    sqlite3_stmt* stmt = nullptr;
    if (ok &&
        sqlite3_prepare_v2(db, "select type, name, sql from src.sqlite_master where sql is not null order by rowid", -1,
                           &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const QByteArray type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            const QByteArray name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
            const QByteArray sql = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
            if (name.startsWith("sqlite_"))
                continue;
            // A full-text table makes its own shadow tables, and its rows
            // are only a search index: it is made, not filled.
            const bool shadow = std::any_of(virtualTables.cbegin(), virtualTables.cend(),
                                            [&](const QByteArray& v) { return name.startsWith(v + '_'); });
            if (shadow)
                continue;
            if (type == "table" && sql.toUpper().startsWith("CREATE VIRTUAL")) {
                ok = ok && run(sql);
                virtualTables.append(name);
            } else if (type == "table") {
                ok = ok && run(sql);
                tables.append(name);
            } else {
                later.append(sql);
            }
        }
    }
    sqlite3_finalize(stmt);
    for (const QByteArray& table : std::as_const(tables)) {
        const QByteArray quoted = '"' + QByteArray(table).replace('"', "\"\"") + '"';
        ok = ok && run("INSERT INTO main." + quoted + " SELECT * FROM src." + quoted);
    }
    for (const QByteArray& sql : std::as_const(later))
        ok = ok && run(sql);
    sqlite3_stmt* sequence = nullptr;
    if (ok &&
        sqlite3_prepare_v2(db, "select 1 from src.sqlite_master where name = 'sqlite_sequence'", -1, &sequence,
                           nullptr) == SQLITE_OK &&
        sqlite3_step(sequence) == SQLITE_ROW)
        ok =
            run("DELETE FROM main.sqlite_sequence; INSERT INTO main.sqlite_sequence SELECT * FROM src.sqlite_sequence");
    sqlite3_finalize(sequence);
    ok = ok && run("COMMIT") && run("DETACH src");
    // Copied while the writer is open: the log is never checkpointed.
    ok = ok && QFileInfo(work).size() <= 4096 && QFileInfo(work + QStringLiteral("-wal")).size() > 4096 &&
         QFile::copy(work, target) && QFile::copy(work + QStringLiteral("-wal"), target + QStringLiteral("-wal"));
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_close(db);
    for (const QString& done : {work, work + QStringLiteral("-wal"), work + QStringLiteral("-shm")})
        QFile::remove(done);
    return ok;
}

QByteArray folderDigest(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& name : std::as_const(files)) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("fixtures: cannot read %s", qPrintable(name));
        const QByteArray bytes = file.readAll();
        hash.addData(QDir(folder).relativeFilePath(name).toUtf8() + '\0' + QByteArray::number(bytes.size()) + '\0');
        hash.addData(bytes);
    }
    return hash.result().toHex();
}

int exec(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

QStringList column(const QString& path, const QString& sql)
{
    QStringList result;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK) {
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                if (sqlite3_column_type(stmt, 0) == SQLITE_NULL)
                    result.append(QStringLiteral("NULL"));
                else
                    result.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
            }
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return result;
}

bool giveRowIdTwice(const QString& path, const QString& table, qint64 rowId, qint64 asRowId)
{
    const QStringList roots = column(
        path, QStringLiteral("select rootpage from sqlite_master where type = 'table' and name = '%1'").arg(table));
    return roots.size() == 1 && giveRowIdTwiceOnPage(path, roots.first().toLongLong(), rowId, asRowId);
}

bool giveRowIdTwiceOnPage(const QString& path, qint64 pageNumber, qint64 rowId, qint64 asRowId)
{
    if (pageNumber <= 0 || rowId <= 0 || rowId > 127 || asRowId <= 0 || asRowId > 127)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    if (bytes.size() < 100)
        return false;
    const auto byte = [&](qsizetype at) { return at < bytes.size() ? uchar(bytes.at(at)) : uchar(0); };
    qsizetype pageSize = (byte(16) << 8) | byte(17);
    if (pageSize == 1)
        pageSize = 65536;
    const qsizetype page = (pageNumber - 1) * pageSize;
    const qsizetype header = page + (page == 0 ? 100 : 0);
    // Only a leaf of the table holds the rows themselves.
    if (byte(header) != 0x0D)
        return false;
    const int cells = (byte(header + 3) << 8) | byte(header + 4);
    for (int i = 0; i < cells; ++i) {
        qsizetype cell = page + ((byte(header + 8 + 2 * i) << 8) | byte(header + 9 + 2 * i));
        // The payload's length, a varint, then the row id.
        int guard = 0;
        while ((byte(cell) & 0x80) && ++guard < 9)
            ++cell;
        ++cell;
        if (byte(cell) == rowId) {
            bytes[cell] = char(asRowId);
            file.seek(0);
            return file.write(bytes) == bytes.size();
        }
    }
    return false;
}

qint64 smashLeafPage(const QString& path, const QString& table)
{
    const QStringList sizes = column(path, QStringLiteral("PRAGMA page_size"));
    const qint64 pageSize = sizes.size() == 1 ? sizes.first().toLongLong() : 0;
    const qint64 pages = pageSize > 0 ? QFileInfo(path).size() / pageSize : 0;
    if (pages < 3)
        return 0;
    const QStringList leaves = column(
        path,
        QStringLiteral("select pageno from dbstat where name = '%1' and pagetype = 'leaf' order by pageno").arg(table));
    const qint64 page = leaves.size() >= 3 ? leaves.at(leaves.size() / 2).toLongLong() : pages / 2 + 1;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek((page - 1) * pageSize))
        return 0;
    return file.write(QByteArray(qsizetype(pageSize), '\xFF')) == pageSize ? page : 0;
}

bool patchBagValue(const QString& folder, const char* tag, quint32 value)
{
    QFile file(folder + QStringLiteral("/Manifest.plist"));
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    const qsizetype at = bytes.indexOf(QByteArray(tag, 4) + QByteArray("\0\0\0\4", 4));
    if (at < 0)
        return false;
    for (int i = 0; i < 4; ++i)
        bytes[at + 8 + i] = char((value >> (8 * (3 - i))) & 0xFF);
    file.seek(0);
    return file.write(bytes) == bytes.size();
}

} // namespace fixtures
