#include "LegacyParts.h"

#include "SqliteAccess.h"

#include <sqlite3.h>

namespace legacyparts {

bool isAttachmentPart(const QByteArray& contentType)
{
    const QByteArray type = contentType.trimmed().toLower();
    return !type.isEmpty() && !type.startsWith("text/plain") && !type.startsWith("application/smil");
}

void readAttachments(sqlite3* db, MessageStore& store)
{
    const QSet<QByteArray> columns = sqliteaccess::columnNames(db, "msg_pieces");
    if (!columns.contains("message_id") || !columns.contains("content_type"))
        return;
    auto column = [&columns](const char* name) {
        return columns.contains(name) ? QByteArray(name) : QByteArrayLiteral("NULL");
    };
    enum { MessageId, ContentType, ContentLoc, ColumnCount };
    const QByteArray sql = "select message_id, content_type, " + column("content_loc") +
                           " from msg_pieces order by message_id, " + column("part_id") + ", rowid";
    sqlite3_stmt* stmt = sqliteaccess::prepare(db, sql.constData());
    if (!stmt)
        return;
    int rc;
    qint64 rows = 0;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW && ++rows) {
        const QByteArray type = sqliteaccess::text(stmt, ContentType, ColumnCount);
        if (!isAttachmentPart(type))
            continue;
        const qint64 messageId = sqliteaccess::integer(stmt, MessageId, ColumnCount);
        // Parts of a message that is not shown (gone, or never read) are
        // not offered either.
        if (!store.message(messageId))
            continue;
        AttachmentRecord record;
        record.name = sqliteaccess::text(stmt, ContentLoc, ColumnCount);
        record.mimeType = type.trimmed().toLower();
        record.relativePath = attachments::legacyPartPath(record.name);
        if (record.name.isEmpty())
            record.name = "part";
        store.addAttachment(messageId, record);
    }
    QString stopped;
    sqliteaccess::noteScanEnd(rc, rows, "rows of msg_pieces", &stopped);
    store.noteDamage(stopped);
    sqlite3_finalize(stmt);
}

} // namespace legacyparts
