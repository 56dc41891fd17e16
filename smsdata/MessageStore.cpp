#include "MessageStore.h"

#include "SqliteAccess.h"

#include <QHash>
#include <QObject>
#include <QSet>

#include <climits>
#include <cstdio>

#include <sqlite3.h>

int lastDeletedFlags = 2;

namespace {

sqlite3* g_lastDatabase = nullptr;
MessageStore* g_lastStore = nullptr;

void writeDeleteErrorToStderr(const QString& title, const QString& text)
{
    std::fprintf(stderr, "%s: %s\n", title.toUtf8().constData(), text.toUtf8().constData());
}

DeleteErrorHandler g_deleteErrorHandler = &writeDeleteErrorToStderr;

void reportDeleteError()
{
    if (g_deleteErrorHandler)
        g_deleteErrorHandler(QObject::tr("Error"), QObject::tr("Delete Error"));
}

// The phone's triggers on the message table ask read(flags) whether the row
// was an unread incoming message; deleteMessage decides the answer.
void readFunction(sqlite3_context* context, int, sqlite3_value**)
{
    sqlite3_result_int(context, lastDeletedFlags & 1);
}

MessageRecord recordFromRow(sqlite3_stmt* stmt, int columnCount)
{
    MessageRecord record;
    record.rowId = sqliteaccess::integer(stmt, 0, columnCount);
    record.address = sqliteaccess::text(stmt, 1, columnCount);
    record.address.replace('-', QByteArray());
    // Times before 1970 (and corrupt ones beyond 32 bits) show as the epoch
    // rather than failing in the C library.
    qint64 seconds = sqliteaccess::integer(stmt, 2, columnCount);
    if (seconds < 0 || seconds > INT_MAX)
        seconds = 0;
    record.time = seconds;
    record.text = sqliteaccess::text(stmt, 3, columnCount);
    record.isIncoming = sqliteaccess::integer(stmt, 4, columnCount) == 2;
    return record;
}

// Runs the prepared delete for one row id, first telling "read" what kind of
// message goes.
int runDelete(sqlite3_stmt* stmt, const MessageRecord* record, qint64 rowId)
{
    if (record)
        lastDeletedFlags = record->isIncoming ? 2 : 3;
    sqlite3_reset(stmt);
    sqlite3_bind_int64(stmt, 1, rowId);
    const int rc = sqlite3_step(stmt);
    return rc == SQLITE_DONE ? SQLITE_OK : sqlite3_reset(stmt);
}

} // namespace

sqlite3* lastMessageDatabase()
{
    return g_lastDatabase;
}

void closeLastMessageDatabase()
{
    if (g_lastStore)
        g_lastStore->close();
    g_lastDatabase = nullptr;
    g_lastStore = nullptr;
}

void setDeleteErrorHandler(DeleteErrorHandler handler)
{
    g_deleteErrorHandler = handler ? handler : &writeDeleteErrorToStderr;
}

MessageStore::MessageStore(const QByteArray& path, StoreAccess access)
{
    Q_UNUSED(access)
    openAndRead(path);
}

MessageStore::~MessageStore()
{
    close();
}

void MessageStore::openAndRead(const QByteArray& path)
{
    messages.clear();
    conversation.clear();
    conversationHeads.clear();
    reload(path);
}

void MessageStore::reload(const QByteArray& path, StoreAccess access)
{
    Q_UNUSED(access)
    messages.clear();
    messageCount = 0;
    columnCount = 0;
    // A connection still open would otherwise leak and keep its file locked.
    close();

    m_db = sqliteaccess::openExisting(path, sqliteaccess::OpenMode::ReadWrite);
    g_lastDatabase = m_db;
    g_lastStore = m_db ? this : nullptr;
    if (!m_db)
        return;

    sqlite3_create_function(m_db, "read", 1, SQLITE_UTF8, nullptr, &readFunction, nullptr, nullptr);
    // A deleted message must not stay readable in the file's free pages.
    sqlite3_exec(m_db, "PRAGMA secure_delete=ON", nullptr, nullptr, nullptr);

    sqlite3_stmt* stmt = sqliteaccess::prepare(m_db, "select * from message");
    if (!stmt)
        return;
    columnCount = sqlite3_column_count(stmt);
    // A damaged file may fail part-way; the rows read so far are kept.
    while (sqlite3_step(stmt) == SQLITE_ROW)
        messages.append(recordFromRow(stmt, columnCount));
    sqlite3_finalize(stmt);
    messageCount = messages.size();
}

int MessageStore::close()
{
    if (!m_db)
        return SQLITE_OK;
    const int rc = sqlite3_close_v2(m_db);
    if (g_lastStore == this) {
        g_lastStore = nullptr;
        g_lastDatabase = nullptr;
    }
    m_db = nullptr;
    return rc;
}

int MessageStore::deleteMessage(qint64 rowId)
{
    if (!m_deletesAllowed)
        return SQLITE_READONLY;

    int index = -1;
    for (int i = 0; i < messages.size(); ++i) {
        if (messages.at(i).rowId == rowId) {
            index = i;
            break;
        }
    }

    int rc = SQLITE_MISUSE;
    if (sqlite3_stmt* stmt = sqliteaccess::prepare(m_db, "delete from message where rowid=?")) {
        rc = runDelete(stmt, index >= 0 ? &messages.at(index) : nullptr, rowId);
        sqlite3_finalize(stmt);
    } else if (m_db) {
        rc = sqlite3_errcode(m_db);
    }
    if (rc != SQLITE_OK) {
        reportDeleteError();
        return rc;
    }
    if (index >= 0) {
        messages.remove(index);
        --messageCount;
    }
    return SQLITE_OK;
}

void MessageStore::deleteConversation(const QByteArray& address)
{
    QVector<qint64> rowIds;
    for (const MessageRecord& record : std::as_const(messages)) {
        if (record.address == address)
            rowIds.append(record.rowId);
    }
    if (!rowIds.isEmpty())
        deleteMessages(rowIds);
}

int MessageStore::deleteMessages(const QVector<qint64>& rowIds)
{
    if (!m_deletesAllowed)
        return SQLITE_READONLY;
    if (rowIds.isEmpty())
        return SQLITE_OK;

    sqlite3_stmt* stmt = sqliteaccess::prepare(m_db, "delete from message where rowid=?");
    if (!stmt || sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        reportDeleteError();
        return m_db ? sqlite3_errcode(m_db) : SQLITE_MISUSE;
    }

    // Where each row id stands in messages; a row id may (in a damaged file)
    // stand more than once, and each delete takes the first not yet taken.
    QHash<qint64, QVector<int>> positions;
    for (int i = 0; i < messages.size(); ++i)
        positions[messages.at(i).rowId].append(i);

    // One transaction for all; records leave messages only for the statements
    // that succeeded, the others stay where they are. The user hears of a
    // failure once, not once per message.
    QVector<bool> removed(messages.size(), false);
    int removedCount = 0;
    int firstError = SQLITE_OK;
    bool rolledBack = false;
    for (qint64 rowId : rowIds) {
        int index = -1;
        auto it = positions.find(rowId);
        if (it != positions.end() && !it->isEmpty())
            index = it->first();
        const int rc = runDelete(stmt, index >= 0 ? &messages.at(index) : nullptr, rowId);
        if (rc == SQLITE_OK) {
            if (index >= 0) {
                it->removeFirst();
                removed[index] = true;
                ++removedCount;
            }
            continue;
        }
        if (firstError == SQLITE_OK)
            firstError = rc;
        // Some errors (disk full, I/O) roll back the whole transaction, and
        // with it the deletes that had succeeded: those records stay.
        if (sqlite3_get_autocommit(m_db)) {
            rolledBack = true;
            break;
        }
    }
    sqlite3_finalize(stmt);

    if (!rolledBack && sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        if (firstError == SQLITE_OK)
            firstError = sqlite3_errcode(m_db);
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        rolledBack = true;
    }
    if (firstError != SQLITE_OK)
        reportDeleteError();
    if (rolledBack || removedCount == 0)
        return firstError;

    // Compact in one pass instead of removing records one at a time.
    int out = 0;
    for (int i = 0; i < messages.size(); ++i) {
        if (removed.at(i))
            continue;
        if (out != i)
            messages[out] = std::move(messages[i]);
        ++out;
    }
    messages.resize(out);
    messageCount -= removedCount;
    return firstError;
}

void MessageStore::selectConversation(const QByteArray& address)
{
    conversation.clear();
    const int bound = qMin(messageCount, int(messages.size()));
    for (int i = 0; i < bound; ++i) {
        if (messages.at(i).address == address)
            conversation.append(messages.at(i));
    }
}

void MessageStore::buildConversationList()
{
    conversationHeads.clear();
    QSet<QByteArray> seen;
    for (int i = messages.size() - 1; i >= 0; --i) {
        const MessageRecord& record = messages.at(i);
        if (seen.contains(record.address))
            continue;
        seen.insert(record.address);
        conversationHeads.append(record);
    }
}

const ConversationInfo* MessageStore::conversationInfo(const QByteArray& address) const
{
    const auto it = m_conversations.constFind(address);
    return it == m_conversations.constEnd() ? nullptr : &it.value();
}

QVector<Reaction> MessageStore::reactionsTo(qint64 rowId) const
{
    return m_reactions.value(rowId);
}

QVector<ConversationEvent> MessageStore::eventsOf(const QByteArray& address) const
{
    return m_events.value(address);
}

QByteArray MessageStore::handleCountry(const QByteArray& handle) const
{
    return m_handleCountries.value(handle);
}

void MessageStore::setSenderName(const QByteArray& handle, const QByteArray& name)
{
    m_senderNames.insert(handle, name);
}

QByteArray MessageStore::senderName(const QByteArray& handle) const
{
    return m_senderNames.value(handle);
}

void MessageStore::setConversationInfo(const QByteArray& address, const ConversationInfo& info)
{
    m_conversations.insert(address, info);
}

void MessageStore::addReaction(qint64 targetRowId, const Reaction& reaction)
{
    m_reactions[targetRowId].append(reaction);
}

void MessageStore::addEvent(const QByteArray& address, const ConversationEvent& event)
{
    m_events[address].append(event);
}

void MessageStore::setHandleCountry(const QByteArray& handle, const QByteArray& country)
{
    m_handleCountries.insert(handle, country);
}
