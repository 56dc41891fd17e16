#include "BackupWriter.h"

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

bool insertContacts(sqlite3* db, const QVector<ContactRecord>& contacts)
{
    if (!exec(db, "begin transaction;"))
        return false;
    Statement insert;
    if (sqlite3_prepare_v2(db, "insert into AddressBook111 values(?1, ?2);", -1, &insert.stmt, nullptr) != SQLITE_OK) {
        exec(db, "rollback;");
        return false;
    }
    for (const ContactRecord& c : contacts) {
        const QByteArray name = c.firstName + ' ' + c.lastName;
        // Bound as the raw bytes the address book gave: quotes, backslashes and
        // any odd byte go in unchanged, and nothing in them is read as SQL.
        sqlite3_bind_text(insert.stmt, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert.stmt, 2, c.number.constData(), int(c.number.size()), SQLITE_TRANSIENT);
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

} // namespace

QString backupFileName(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyy.MM.dd.hh.mm.ss")) + QStringLiteral(".sms");
}

QByteArray createContactTableStatement()
{
    return QByteArrayLiteral("create table AddressBook111(name varchar(100), tel varchar(100));");
}

Result writeBackup(const QString& sourceDb, const QString& target, const QVector<ContactRecord>& contacts)
{
    // Two backups within one second get the same name; the earlier one stays as it is.
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return Result::TargetExists;
    if (sourceDb.isEmpty() || !QFileInfo(sourceDb).isFile())
        return Result::CopyFailed;
    // QFile::copy refuses to overwrite and removes its own temporary file when
    // it fails, so nothing is left here to clean up.
    if (!QFile::copy(sourceDb, target))
        return Result::CopyFailed;
    // The phone's backup files are often read-only; the copy must take the
    // contact table and later deletes.
    QFile::setPermissions(target, QFile::permissions(target) | QFile::ReadOwner | QFile::WriteOwner);

    Result result = Result::Written;
    {
        Connection conn;
        const QByteArray path = target.toUtf8();
        if (sqlite3_open_v2(path.constData(), &conn.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
            !exec(conn.db, createContactTableStatement().constData())) {
            result = Result::NotADatabase;
        } else if (!insertContacts(conn.db, contacts)) {
            result = Result::ContactsFailed;
        }
    }
    if (result != Result::Written) {
        QFile::remove(target);
        // A journal left by the failed transaction belongs to the removed copy.
        QFile::remove(target + QStringLiteral("-journal"));
    }
    return result;
}

} // namespace backupwriter
