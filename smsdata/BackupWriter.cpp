#include "BackupWriter.h"

#include "SqliteAccess.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace backupwriter {

namespace {

// Closes the connection on every way out of writeBackup.
struct Connection
{
    sqlite3* db = nullptr;
    ~Connection() { sqlite3_close(db); }
};

struct Statement
{
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

bool exec(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

QByteArray rowName(const ContactRecord& c)
{
    if (c.firstName.isEmpty() && c.lastName.isEmpty() && !c.organization.isEmpty())
        return c.organization;
    return c.firstName + ' ' + c.lastName;
}

Result copyDatabase(sqlite3* source, sqlite3* target)
{
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
    if (!backup)
        return Result::CopyFailed;
    const int stepRc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (stepRc == SQLITE_DONE) {
        // A copy of a database in WAL form carries that form in its header;
        // the backup is a file of its own, whole without a log beside it.
        return exec(target, "PRAGMA journal_mode=DELETE;") ? Result::Written : Result::CopyFailed;
    }
    const int primary = stepRc & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT ? Result::NotADatabase : Result::CopyFailed;
}

bool insertContacts(sqlite3* db, const QVector<ContactRecord>& contacts)
{
    if (!exec(db, "begin transaction;"))
        return false;
    Statement insert;
    if (sqlite3_prepare_v2(db, "insert into AddressBook111 values(?1, ?2);", -1, &insert.stmt, nullptr) != SQLITE_OK) {
        exec(db, "rollback;");
        return false;
    }
    const QVector<QPair<QByteArray, QByteArray>> rows = contactRows(contacts);
    for (const auto& row : rows) {
        // Bound as the raw bytes the address book gave: quotes, backslashes and
        // any odd byte go in unchanged, and nothing in them is read as SQL.
        sqlite3_bind_text(insert.stmt, 1, row.first.constData(), int(row.first.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert.stmt, 2, row.second.constData(), int(row.second.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(insert.stmt);
        sqlite3_reset(insert.stmt);
        if (rc != SQLITE_DONE) {
            exec(db, "rollback;");
            return false;
        }
    }
    if (!exec(db, "commit;")) {
        exec(db, "rollback;");
        return false;
    }
    return true;
}

void removeDatabaseFiles(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

} // namespace

QString backupFileName(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyy.MM.dd.hh.mm.ss")) + QStringLiteral(".sms");
}

QByteArray createContactTableStatement()
{
    return QByteArrayLiteral("create table AddressBook111(name varchar(100), tel varchar(100));");
}

QVector<QPair<QByteArray, QByteArray>> contactRows(const QVector<ContactRecord>& contacts)
{
    QVector<QPair<QByteArray, QByteArray>> rows;
    rows.reserve(contacts.size() * 2);
    for (const ContactRecord& c : contacts)
        rows.append({rowName(c), c.number});
    for (const ContactRecord& c : contacts) {
        // The value that became the first row's number (dashes removed)
        // is there already, once.
        bool firstRowValueSeen = c.number.isEmpty();
        for (const ContactValue& value : c.values) {
            if (value.kind != ContactValue::Phone && value.kind != ContactValue::Email)
                continue;
            if (!firstRowValueSeen && QByteArray(value.value).replace('-', QByteArray()) == c.number) {
                firstRowValueSeen = true;
                continue;
            }
            rows.append({rowName(c), value.value});
        }
    }
    return rows;
}

Result writeBackup(const QString& sourceDb, const QString& target, const QVector<ContactRecord>& contacts,
                   const QString& sourceWal)
{
    // Two backups within one second get the same name; the earlier one stays as it is.
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return Result::TargetExists;
    if (sourceDb.isEmpty() || !QFileInfo(sourceDb).isFile())
        return Result::CopyFailed;

    Connection source;
    source.db = sqliteaccess::openExisting(sourceDb.toUtf8(), sqliteaccess::OpenMode::Untouched, sourceWal.toUtf8());
    if (!source.db)
        return Result::CopyFailed;

    // Made here, exclusively, so that a file that appeared since the check
    // above is never written through.
    {
        QFile file(target);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return file.exists() ? Result::TargetExists : Result::CopyFailed;
    }

    Result result = Result::Written;
    {
        Connection conn;
        const QByteArray path = target.toUtf8();
        if (sqlite3_open_v2(path.constData(), &conn.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            result = Result::CopyFailed;
        else
            result = copyDatabase(source.db, conn.db);
        if (result == Result::Written && !exec(conn.db, createContactTableStatement().constData()))
            result = Result::NotADatabase;
        if (result == Result::Written && !insertContacts(conn.db, contacts))
            result = Result::ContactsFailed;
    }
    if (result != Result::Written)
        removeDatabaseFiles(target);
    return result;
}

} // namespace backupwriter
