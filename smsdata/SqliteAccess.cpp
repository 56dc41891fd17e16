#include "SqliteAccess.h"

#include "PhoneDb.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QVector>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include <sqlite3.h>

namespace sqliteaccess {

namespace {

bool isReadOnlyMediumError(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY;
}

sqlite3* reportOpenFailure()
{
    std::printf("%s\n", "数据库打开失败");
    std::fflush(stdout);
    return nullptr;
}

// Opens with the given flags and touches the schema, since opening alone is
// lazy. Returns the probe's result; *db is null when the open itself failed.
int openAndProbe(const QByteArray& name, int flags, sqlite3** db)
{
    if (*db)
        sqlite3_close(*db);
    *db = nullptr;
    // A connection is used by one thread at a time (a store may be read on
    // a worker and used on the GUI thread after): no locking per call.
    int rc = sqlite3_open_v2(name.constData(), db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(*db);
        *db = nullptr;
        return rc;
    }
    sqlite3_extended_result_codes(*db, 1);
    sqlite3_stmt* probe = nullptr;
    rc = sqlite3_prepare_v2(*db, "select count(*) from sqlite_master", -1, &probe, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(probe);
    sqlite3_finalize(probe);
    return rc == SQLITE_ROW ? SQLITE_OK : rc;
}

void deleteCopyFolder(void* folder)
{
    delete static_cast<QTemporaryDir*>(folder);
}

bool openPrivateCopy(const QByteArray& path, const QString& wal, sqlite3** db)
{
    const QString source = QString::fromUtf8(path);
    if (QFileInfo(wal).size() <= 0)
        return false;
    auto* folder = new QTemporaryDir;
    const QString copy = folder->filePath(QStringLiteral("copy.db"));
    if (!folder->isValid() || !QFile::copy(source, copy) || !QFile::copy(wal, copy + QStringLiteral("-wal")) ||
        openAndProbe(copy.toUtf8(), SQLITE_OPEN_READONLY, db) != SQLITE_OK) {
        delete folder;
        return false;
    }
    // The folder lives exactly as long as the connection.
    phonedb::keepUntilClose(*db, folder, &deleteCopyFolder);
    return true;
}

QByteArray immutableUri(const QByteArray& path)
{
    const QByteArray absolute = QFileInfo(QString::fromUtf8(path)).absoluteFilePath().toUtf8();
    QByteArray uri = "file:";
    if (!absolute.startsWith('/'))
        uri += '/'; // a drive letter path on Windows
    return uri + absolute.toPercentEncoding("/:") + "?mode=ro&immutable=1";
}

// A file SQLite must neither change nor add to: no -shm, no -wal, no
// checkpoint. Its log, when it has content, is merged in a private copy.
sqlite3* openUntouched(const QByteArray& path, const QString& wal)
{
    sqlite3* db = nullptr;
    if (!QFileInfo(QString::fromUtf8(path)).isFile())
        return reportOpenFailure();
    if (openPrivateCopy(path, wal, &db))
        return db;
    openAndProbe(immutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, &db);
    return db ? db : reportOpenFailure();
}

} // namespace

sqlite3* openExisting(const QByteArray& path, OpenMode mode, const QByteArray& walPath)
{
    const QString wal =
        walPath.isEmpty() ? QString::fromUtf8(path) + QStringLiteral("-wal") : QString::fromUtf8(walPath);
    if (mode == OpenMode::Untouched)
        return openUntouched(path, wal);
    sqlite3* db = nullptr;
    int rc = openAndProbe(path, mode == OpenMode::ReadWrite ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, &db);
    if (!db)
        return reportOpenFailure();
    if (!isReadOnlyMediumError(rc))
        return db;

    // A WAL database in a folder we may not write to (a read-only medium)
    // cannot get its shared-memory file, and SQLite refuses to read it. Its
    // content, -wal included, is then read from a private copy; deletes fail
    // there as on the medium itself, since the copy is opened read-only.
    if (openPrivateCopy(path, wal, &db))
        return db;
    if (mode == OpenMode::ReadWrite) {
        rc = openAndProbe(path, SQLITE_OPEN_READONLY, &db);
        if (!isReadOnlyMediumError(rc))
            return db;
    }
    // Last resort: the main file alone, as a file nobody changes.
    rc = openAndProbe(immutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, &db);
    if (!db)
        return reportOpenFailure();
    return db;
}

QList<QByteArray> tableNames(sqlite3* db, bool* readable)
{
    QList<QByteArray> names;
    *readable = false;
    sqlite3_stmt* stmt = prepare(db, "select name from sqlite_master where type = 'table'");
    if (!stmt)
        return names;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        names.append(text(stmt, 0, 1));
    *readable = rc == SQLITE_DONE;
    sqlite3_finalize(stmt);
    return names;
}

void noteScanEnd(int rc, qint64 count, const char* what, QString* stopped)
{
    if (rc == SQLITE_DONE || rc == SQLITE_ROW || !stopped || !stopped->isEmpty())
        return;
    *stopped = QStringLiteral("reading stopped after %1 %2: %3")
                   .arg(count)
                   .arg(QLatin1String(what), QString::fromUtf8(sqlite3_errstr(rc)));
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql)
{
    if (!db)
        return nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    return stmt;
}

QByteArray text(sqlite3_stmt* stmt, int column, int columnCount)
{
    if (column >= columnCount || sqlite3_column_type(stmt, column) == SQLITE_NULL)
        return QByteArray();
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    if (!bytes)
        return QByteArray();
    // Bytes are kept as stored, invalid UTF-8 included; the GUI converts them.
    return QByteArray(bytes, sqlite3_column_bytes(stmt, column));
}

qint64 integer(sqlite3_stmt* stmt, int column, int columnCount)
{
    // SQLite gives 0 for NULL.
    return column < columnCount ? sqlite3_column_int64(stmt, column) : 0;
}

QList<QByteArray> columnsInOrder(sqlite3* db, const char* table)
{
    QList<QByteArray> names;
    sqlite3_stmt* stmt = prepare(db, "select name from pragma_table_info(?) order by cid");
    if (!stmt)
        return names;
    sqlite3_bind_text(stmt, 1, table, -1, SQLITE_STATIC);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        names.append(text(stmt, 0, 1));
    sqlite3_finalize(stmt);
    return names;
}

QSet<QByteArray> columnNames(sqlite3* db, const char* table)
{
    QSet<QByteArray> names;
    for (const QByteArray& name : columnsInOrder(db, table))
        names.insert(name.toLower());
    return names;
}

QByteArray quotedName(const QByteArray& name)
{
    return '"' + QByteArray(name).replace('"', "\"\"") + '"';
}

QByteArray rowIdName(sqlite3* db, const char* table)
{
    struct Column
    {
        QByteArray name;
        QByteArray type;
        qint64 pk = 0;
    };
    QVector<Column> columns;
    if (sqlite3_stmt* stmt = prepare(db, "select name, type, pk from pragma_table_info(?)")) {
        sqlite3_bind_text(stmt, 1, table, -1, SQLITE_STATIC);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            columns.append({text(stmt, 0, 3).toLower(), text(stmt, 1, 3).toUpper(), integer(stmt, 2, 3)});
        sqlite3_finalize(stmt);
    }
    if (columns.isEmpty())
        return {};

    auto declared = [&columns](const QByteArray& name) {
        return std::any_of(columns.cbegin(), columns.cend(), [&name](const Column& c) { return c.name == name; });
    };
    QByteArray chosen;
    for (const char* name : {"rowid", "oid", "_rowid_"}) {
        if (!declared(name)) {
            chosen = name;
            break;
        }
    }
    if (chosen.isEmpty()) {
        // All three are columns: only an INTEGER PRIMARY KEY of its own is
        // still the row id under another name.
        const qsizetype keys =
            std::count_if(columns.cbegin(), columns.cend(), [](const Column& c) { return c.pk > 0; });
        for (const Column& c : std::as_const(columns)) {
            if (keys == 1 && c.pk == 1 && c.type == "INTEGER")
                chosen = quotedName(c.name);
        }
    }
    if (chosen.isEmpty())
        return {};
    // A WITHOUT ROWID table has none, whatever its columns are called.
    const QByteArray probe = "select " + chosen + " from " + quotedName(table) + " limit 0";
    sqlite3_stmt* stmt = prepare(db, probe.constData());
    sqlite3_finalize(stmt);
    return stmt ? chosen : QByteArray();
}

qint64 singleInteger(sqlite3* db, const char* sql)
{
    qint64 value = 0;
    if (sqlite3_stmt* stmt = prepare(db, sql)) {
        if (sqlite3_step(stmt) == SQLITE_ROW)
            value = integer(stmt, 0, sqlite3_column_count(stmt));
        sqlite3_finalize(stmt);
    }
    return value;
}

qint64 rowCountEstimate(sqlite3* db, const char* table, const QByteArray& rowIdName)
{
    constexpr qint64 plausibleSpan = qint64(1) << 22;
    const QByteArray name = quotedName(table);
    const QByteArray span = "select max(" + rowIdName + ") - min(" + rowIdName + ") + 1 from " + name;
    const qint64 estimate = singleInteger(db, span.constData());
    if (estimate >= 0 && estimate <= plausibleSpan)
        return estimate;
    return singleInteger(db, ("select count(*) from " + name).constData());
}

namespace {

// Every name in sql that stands before an opening bracket: the functions a
// trigger calls, and (harmlessly) the tables of "insert into t (a, b)".
QSet<QByteArray> calledNames(const QByteArray& sql)
{
    QSet<QByteArray> names;
    auto isStart = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    auto isPart = [&isStart](char c) { return isStart(c) || (c >= '0' && c <= '9') || c == '$'; };
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n;) {
        const char c = sql.at(i);
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            // Skip literals and quoted names whole.
            const char close = c == '[' ? ']' : c;
            const qsizetype end = sql.indexOf(close, i + 1);
            i = end < 0 ? n : end + 1;
            continue;
        }
        if (!isStart(c) || (i > 0 && isPart(sql.at(i - 1)))) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < n && isPart(sql.at(end)))
            ++end;
        qsizetype next = end;
        while (next < n &&
               (sql.at(next) == ' ' || sql.at(next) == '\t' || sql.at(next) == '\n' || sql.at(next) == '\r'))
            ++next;
        const QByteArray name = sql.mid(i, end - i).toLower();
        if (next < n && sql.at(next) == '(' && !sqlite3_keyword_check(name.constData(), int(name.size())))
            names.insert(name);
        i = end;
    }
    return names;
}

} // namespace

void registerTriggerStandIns(sqlite3* db)
{
    if (!db)
        return;
    QSet<QByteArray> wanted{"delete_attachment_path", "before_delete_attachment_path"};
    if (sqlite3_stmt* stmt = prepare(db, "select sql from sqlite_master where type = 'trigger'")) {
        while (sqlite3_step(stmt) == SQLITE_ROW)
            wanted.unite(calledNames(text(stmt, 0, 1)));
        sqlite3_finalize(stmt);
    }
    // Never shadow what SQLite or this program already provides.
    bool listed = false;
    if (sqlite3_stmt* stmt = prepare(db, "select name from pragma_function_list")) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            wanted.remove(text(stmt, 0, 1).toLower());
            listed = true;
        }
        sqlite3_finalize(stmt);
    }
    for (const QByteArray& name : std::as_const(wanted)) {
        if (!listed) {
            // Without the function list, ask SQLite about each name.
            sqlite3_stmt* probe = nullptr;
            const QByteArray sql = "select " + name + "()";
            sqlite3_prepare_v2(db, sql.constData(), -1, &probe, nullptr);
            sqlite3_finalize(probe);
            if (!QByteArray(sqlite3_errmsg(db)).startsWith("no such function"))
                continue;
        }
        phonedb::registerStandIn(db, name.constData(), -1, phonedb::StandIn::Null);
    }
}

bool checkpointAfterDelete(sqlite3* db, int waitMs)
{
    sqlite3_stmt* stmt = prepare(db, "PRAGMA journal_mode");
    if (!stmt)
        return true;
    const bool wal = sqlite3_step(stmt) == SQLITE_ROW && text(stmt, 0, 1).toLower() == "wal";
    sqlite3_finalize(stmt);
    if (!wal)
        return true;
    // The busy handler is what waits for the readers; it is off again after.
    sqlite3_busy_timeout(db, waitMs);
    int logFrames = 0;
    int copiedFrames = 0;
    const int rc = sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, &logFrames, &copiedFrames);
    sqlite3_busy_timeout(db, 0);
    return rc == SQLITE_OK && logFrames == copiedFrames;
}

// The one place where the platforms differ: the C library's reentrant local
// time. The time zone is read once, as the C library would on its first call.
bool toLocalTime(qint64 seconds, std::tm* out)
{
#ifdef _WIN32
    static const bool zoneRead = (_tzset(), true);
    Q_UNUSED(zoneRead);
    const __time64_t t = seconds;
    return _localtime64_s(out, &t) == 0;
#else
    static const bool zoneRead = (tzset(), true);
    Q_UNUSED(zoneRead);
    const std::time_t t = static_cast<std::time_t>(seconds);
    return localtime_r(&t, out) != nullptr;
#endif
}

QByteArray timeText(qint64 secondsSinceEpoch)
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm tm{};
    if (!toLocalTime(secondsSinceEpoch, &tm)) {
        tm = std::tm{};
        tm.tm_mday = 1;
        tm.tm_year = 70;
        tm.tm_wday = 4;
    }
    // Written out by hand rather than with asctime(): same layout on every
    // platform (two-digit day), no shared static buffer, and English names
    // whatever the locale.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "time:%s %s %02d %02d:%02d:%02d %d\n", days[(tm.tm_wday % 7 + 7) % 7],
                  months[(tm.tm_mon % 12 + 12) % 12], tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_year + 1900);
    return QByteArray(buffer);
}

} // namespace sqliteaccess
