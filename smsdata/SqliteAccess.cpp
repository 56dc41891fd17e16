#include "SqliteAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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
    int rc = sqlite3_open_v2(name.constData(), db, flags, nullptr);
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

void deleteCopyFolder(void* folder)
{
    delete static_cast<QTemporaryDir*>(folder);
}

void unusedFunction(sqlite3_context* context, int, sqlite3_value**)
{
    sqlite3_result_null(context);
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
    // The folder lives exactly as long as the connection: SQLite calls the
    // destructor of a function's user data when the connection closes.
    sqlite3_create_function_v2(*db, "msgdesk_private_copy", 0, SQLITE_UTF8, folder, &unusedFunction, nullptr, nullptr,
                               &deleteCopyFolder);
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
    const QString wal = walPath.isEmpty() ? QString::fromUtf8(path) + QStringLiteral("-wal") : QString::fromUtf8(walPath);
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
    if (column >= columnCount || sqlite3_column_type(stmt, column) == SQLITE_NULL)
        return 0;
    return sqlite3_column_int64(stmt, column);
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
