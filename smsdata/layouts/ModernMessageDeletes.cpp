// Removing messages from the modern layout: the row deleter and the pausing
// of triggers that would delete more than was chosen.
#include "ModernMessageTable.h"

#include "SqliteAccess.h"

#include <QRegularExpression>

#include <sqlite3.h>

namespace moderntable {

RowDeleter::RowDeleter(sqlite3* db, const QByteArray& rowIdName)
{
    if (sqliteaccess::columnNames(db, "message_attachment_join").contains("message_id"))
        m_attachmentLinks = sqliteaccess::prepare(db, "delete from message_attachment_join where message_id = ?");
    if (sqliteaccess::columnNames(db, "chat_message_join").contains("message_id"))
        m_chatLinks = sqliteaccess::prepare(db, "delete from chat_message_join where message_id = ?");
    const QByteArray sql = "delete from message where " + rowIdName + " = ?";
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &m_message, nullptr) != SQLITE_OK) {
        m_prepareResult = db ? sqlite3_extended_errcode(db) : SQLITE_MISUSE;
        sqlite3_finalize(m_message);
        m_message = nullptr;
        if (m_prepareResult == SQLITE_OK)
            m_prepareResult = SQLITE_ERROR;
    }
}

RowDeleter::~RowDeleter()
{
    sqlite3_finalize(m_attachmentLinks);
    sqlite3_finalize(m_chatLinks);
    sqlite3_finalize(m_message);
}

int RowDeleter::deleteRow(qint64 rowId)
{
    if (!m_message)
        return m_prepareResult;
    // Join rows first: the triggers that follow them (orphaned attachments,
    // the room-name cache) then see the message still there, as on the phone.
    for (sqlite3_stmt* stmt : {m_attachmentLinks, m_chatLinks, m_message}) {
        if (!stmt)
            continue;
        sqlite3_bind_int64(stmt, 1, rowId);
        const int rc = sqlite3_step(stmt);
        const int reset = sqlite3_reset(stmt);
        if (rc != SQLITE_DONE)
            return reset != SQLITE_OK ? reset : rc;
    }
    return SQLITE_OK;
}

namespace {

// A DELETE on the message table whose statement does not name the OLD row:
// it removes messages by some rule of its own, not the one going.
bool deletesUnchosenMessages(const QByteArray& triggerSql)
{
    static const QRegularExpression deleteFromMessage(
        QStringLiteral("\\bdelete\\s+from\\s+(?:main\\s*\\.\\s*)?[\"`\\[]?message[\"`\\]]?(?![A-Za-z0-9_$])"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression oldRow(QStringLiteral("\\bold\\s*\\."), QRegularExpression::CaseInsensitiveOption);
    const QString sql = QString::fromUtf8(triggerSql);
    const qsizetype begin =
        sql.indexOf(QRegularExpression(QStringLiteral("\\bbegin\\b"), QRegularExpression::CaseInsensitiveOption));
    auto match = deleteFromMessage.globalMatch(sql, qMax<qsizetype>(begin, 0));
    while (match.hasNext()) {
        const QRegularExpressionMatch m = match.next();
        qsizetype end = sql.indexOf(QLatin1Char(';'), m.capturedEnd());
        if (end < 0)
            end = sql.size();
        if (!oldRow.match(sql.mid(m.capturedEnd(), end - m.capturedEnd())).hasMatch())
            return true;
    }
    return false;
}

} // namespace

int TriggerPause::pause(sqlite3* db)
{
    m_db = db;
    m_sql.clear();
    struct Trigger
    {
        QByteArray name;
        QByteArray table;
        QByteArray sql;
    };
    QVector<Trigger> triggers;
    if (sqlite3_stmt* stmt = sqliteaccess::prepare(db, "select name, tbl_name, sql from sqlite_master where type = "
                                                       "'trigger' and sql is not null order by rowid")) {
        while (sqlite3_step(stmt) == SQLITE_ROW)
            triggers.append({sqliteaccess::text(stmt, 0, 3), sqliteaccess::text(stmt, 1, 3).toLower(),
                             sqliteaccess::text(stmt, 2, 3)});
        sqlite3_finalize(stmt);
    }

    QSet<QByteArray> pausedTables;
    QVector<QByteArray> names;
    for (const Trigger& t : std::as_const(triggers)) {
        if (!pausedTables.contains(t.table) && !deletesUnchosenMessages(t.sql))
            continue;
        pausedTables.insert(t.table);
        names.append(t.name);
        m_sql.append(t.sql);
    }
    for (const QByteArray& name : std::as_const(names)) {
        const QByteArray drop = "drop trigger \"" + QByteArray(name).replace('"', "\"\"") + '"';
        const int rc = sqlite3_exec(db, drop.constData(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

int TriggerPause::resume()
{
    for (const QByteArray& sql : std::as_const(m_sql)) {
        const int rc = sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    m_sql.clear();
    return SQLITE_OK;
}

} // namespace moderntable
