#include "AttachmentContent.h"

#include "Attachment.h"
#include "SqliteAccess.h"

#include <QIODevice>
#include <QString>

#include <limits>

#include <sqlite3.h>

namespace attachmentcontent {

const char* const kTable = "AttachmentContent111";

namespace {

// "msgdesk_backup_path(filename)": the backup path of a phone-side file
// name, as the readers compute it, so that SQL can compare with the keys.
void backupPathFunction(sqlite3_context* context, int, sqlite3_value** values)
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
    if (!bytes) {
        sqlite3_result_null(context);
        return;
    }
    const QByteArray path = attachments::backupPathOf(QByteArray(bytes, sqlite3_value_bytes(values[0])));
    sqlite3_result_text(context, path.constData(), int(path.size()), SQLITE_TRANSIENT);
}

void legacyPathFunction(sqlite3_context* context, int, sqlite3_value** values)
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
    if (!bytes) {
        sqlite3_result_null(context);
        return;
    }
    const QByteArray path = attachments::legacyPartPath(QByteArray(bytes, sqlite3_value_bytes(values[0])));
    sqlite3_result_text(context, path.constData(), int(path.size()), SQLITE_TRANSIENT);
}

int execute(sqlite3* db, const QByteArray& sql)
{
    return sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
}

} // namespace

QByteArray createTableStatement()
{
    return QByteArray("CREATE TABLE ") + kTable +
           " (path TEXT PRIMARY KEY NOT NULL, bytes INTEGER NOT NULL, content BLOB NOT NULL)";
}

bool hasTable(sqlite3* db)
{
    return !sqliteaccess::columnNames(db, kTable).isEmpty();
}

int storeFile(sqlite3* db, const QByteArray& relativePath, QIODevice* source, qint64 size,
              const ChunkProgress& progress)
{
    if (size < 0 || size > std::numeric_limits<int>::max())
        return SQLITE_TOOBIG;
    const QByteArray sql = QByteArray("INSERT INTO ") + kTable + " (path, bytes, content) VALUES (?, ?, zeroblob(?))";
    sqlite3_stmt* insert = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &insert, nullptr) != SQLITE_OK)
        return sqlite3_extended_errcode(db);
    sqlite3_bind_text(insert, 1, relativePath.constData(), int(relativePath.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert, 2, size);
    sqlite3_bind_int64(insert, 3, size);
    int rc = sqlite3_step(insert);
    sqlite3_finalize(insert);
    if (rc != SQLITE_DONE)
        return sqlite3_extended_errcode(db);
    const sqlite3_int64 row = sqlite3_last_insert_rowid(db);

    sqlite3_blob* blob = nullptr;
    rc = sqlite3_blob_open(db, "main", kTable, "content", row, 1, &blob);
    if (rc != SQLITE_OK) {
        sqlite3_blob_close(blob);
        return rc;
    }
    QByteArray chunk;
    qint64 written = 0;
    while (written < size) {
        const qint64 want = qMin(kChunkBytes, size - written);
        chunk.resize(qsizetype(want));
        const qint64 got = source->read(chunk.data(), want);
        if (got <= 0) {
            rc = SQLITE_IOERR_READ;
            break;
        }
        rc = sqlite3_blob_write(blob, chunk.constData(), int(got), int(written));
        if (rc != SQLITE_OK)
            break;
        written += got;
        if (progress && !progress(written)) {
            rc = SQLITE_INTERRUPT;
            break;
        }
    }
    const int closed = sqlite3_blob_close(blob);
    return rc != SQLITE_OK ? rc : closed;
}

qint64 storedSize(sqlite3* db, const QByteArray& relativePath)
{
    if (relativePath.isEmpty())
        return -1;
    const QByteArray sql = QByteArray("SELECT length(content) FROM ") + kTable + " WHERE path = ?";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return -1;
    }
    sqlite3_bind_text(stmt, 1, relativePath.constData(), int(relativePath.size()), SQLITE_TRANSIENT);
    const qint64 size = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    return size;
}

bool copyOut(sqlite3* db, const QByteArray& relativePath, QIODevice* target, QString* why)
{
    const QByteArray sql = QByteArray("SELECT rowid FROM ") + kTable + " WHERE path = ?";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        *why = QStringLiteral("not in this backup");
        return false;
    }
    sqlite3_bind_text(stmt, 1, relativePath.constData(), int(relativePath.size()), SQLITE_TRANSIENT);
    const bool found = sqlite3_step(stmt) == SQLITE_ROW;
    const sqlite3_int64 row = found ? sqlite3_column_int64(stmt, 0) : 0;
    sqlite3_finalize(stmt);
    if (!found) {
        *why = QStringLiteral("not in this backup");
        return false;
    }
    sqlite3_blob* blob = nullptr;
    if (sqlite3_blob_open(db, "main", kTable, "content", row, 0, &blob) != SQLITE_OK) {
        sqlite3_blob_close(blob);
        *why = QStringLiteral("the backup's copy cannot be read");
        return false;
    }
    const int size = sqlite3_blob_bytes(blob);
    QByteArray chunk;
    bool ok = true;
    for (int offset = 0; offset < size;) {
        const int n = int(qMin<qint64>(kChunkBytes, size - offset));
        chunk.resize(n);
        if (sqlite3_blob_read(blob, chunk.data(), n, offset) != SQLITE_OK) {
            *why = QStringLiteral("the backup's copy cannot be read");
            ok = false;
            break;
        }
        if (target->write(chunk) != n) {
            *why = QStringLiteral("the file cannot be written");
            ok = false;
            break;
        }
        offset += n;
    }
    sqlite3_blob_close(blob);
    return ok;
}

int removeUnreferenced(sqlite3* db, MessageLayout layout)
{
    if (!hasTable(db))
        return SQLITE_OK;
    QByteArray referenced;
    if (layout == MessageLayout::Modern) {
        const QByteArray attachmentRowId = sqliteaccess::rowIdName(db, "attachment");
        if (attachmentRowId.isEmpty() || !sqliteaccess::columnNames(db, "attachment").contains("filename"))
            return SQLITE_OK;
        sqlite3_create_function(db, "msgdesk_backup_path", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                &backupPathFunction, nullptr, nullptr);
        referenced = "SELECT msgdesk_backup_path(a.filename) FROM attachment a JOIN message_attachment_join j ON "
                     "j.attachment_id = a." +
                     attachmentRowId + " WHERE a.filename IS NOT NULL";
    } else if (layout == MessageLayout::Legacy) {
        if (!sqliteaccess::columnNames(db, "msg_pieces").contains("content_loc"))
            return SQLITE_OK;
        sqlite3_create_function(db, "msgdesk_part_path", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                &legacyPathFunction, nullptr, nullptr);
        referenced = "SELECT msgdesk_part_path(content_loc) FROM msg_pieces WHERE content_loc IS NOT NULL";
    } else {
        return SQLITE_OK;
    }
    const int rc = execute(db, QByteArray("DELETE FROM ") + kTable + " WHERE path NOT IN (" + referenced + ")");
    return rc == SQLITE_OK ? rc : sqlite3_extended_errcode(db);
}

} // namespace attachmentcontent
