// Deleting from a message store: the transaction around the deletes, what the
// file's triggers remove with them, the wipe afterwards and the error reports.
#include "MessageStore.h"

#include "AttachmentContent.h"
#include "MessageStoreInternal.h"
#include "ModernMessageTable.h"
#include "SqliteAccess.h"

#include <QObject>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sqlite3.h>

int lastDeletedFlags = 2;

namespace {

using storeinternal::exec;

void writeDeleteErrorToStderr(const QString& title, const QString& text)
{
    std::fprintf(stderr, "%s: %s\n", title.toUtf8().constData(), text.toUtf8().constData());
}

DeleteErrorHandler g_deleteErrorHandler = &writeDeleteErrorToStderr;

// Last thing a delete does: the handler may show a box with an event loop of
// its own, in which anything (the store included) may be destroyed.
void reportDeleteError()
{
    if (g_deleteErrorHandler)
        g_deleteErrorHandler(QObject::tr("Error"), QObject::tr("Delete Error"));
}

void reportWipeDelayed()
{
    if (g_deleteErrorHandler)
        g_deleteErrorHandler(QObject::tr("Warning"),
                             QObject::tr("The messages are deleted, but another program is reading the file: "
                                         "their text stays in it until that program closes it. It is wiped as "
                                         "soon as that program lets go."));
}

// Watches one delete call: which rows of the message table left the file,
// whoever removed them (the statement or a trigger of the file), counted
// only for the messages whose deletes succeeded and kept.
class DeleteWatch
{
public:
    explicit DeleteWatch(sqlite3* db) : m_db(db)
    {
        sqlite3_update_hook(db, &DeleteWatch::rowChanged, this);
        sqlite3_set_authorizer(db, &DeleteWatch::authorize, nullptr);
    }
    ~DeleteWatch()
    {
        sqlite3_update_hook(m_db, nullptr, nullptr);
        sqlite3_set_authorizer(m_db, nullptr, nullptr);
    }
    DeleteWatch(const DeleteWatch&) = delete;
    DeleteWatch& operator=(const DeleteWatch&) = delete;

    // A row whose delete statement succeeded is gone, whether the file had
    // it or not (a record a caller made, a row removed behind the store's back).
    void noteRequested(qint64 rowId) { m_pending.append(rowId); }
    void keep()
    {
        for (qint64 rowId : std::as_const(m_pending))
            m_deleted.insert(rowId);
        m_pending.clear();
    }
    void discard() { m_pending.clear(); }
    void discardAll()
    {
        m_pending.clear();
        m_deleted.clear();
    }
    const QSet<qint64>& deleted() const { return m_deleted; }

private:
    static void rowChanged(void* self, int operation, const char* database, const char* table, sqlite3_int64 rowId)
    {
        if (operation == SQLITE_DELETE && std::strcmp(database, "main") == 0 && sqlite3_stricmp(table, "message") == 0)
            static_cast<DeleteWatch*>(self)->m_pending.append(rowId);
    }
    // A "delete from message" without a condition, in some trigger, would
    // empty the table in one step without telling which rows went; told to
    // ignore, SQLite deletes row by row instead (and nothing else changes).
    static int authorize(void*, int action, const char* table, const char*, const char*, const char*)
    {
        return action == SQLITE_DELETE && table && sqlite3_stricmp(table, "message") == 0 ? SQLITE_IGNORE : SQLITE_OK;
    }

    sqlite3* m_db;
    QVector<qint64> m_pending;
    QSet<qint64> m_deleted;
};

} // namespace

void setDeleteErrorHandler(DeleteErrorHandler handler)
{
    g_deleteErrorHandler = handler ? handler : &writeDeleteErrorToStderr;
}

bool MessageStore::finishWipe(int waitMs)
{
    if (!m_wipePending)
        return true;
    if (!m_db)
        return false;
    m_wipePending = !sqliteaccess::checkpointAfterDelete(m_db, waitMs);
    return !m_wipePending;
}

int MessageStore::deleteMessage(qint64 rowId)
{
    bool failed = false;
    const int rc = deleteRows({rowId}, &failed);
    if (failed)
        reportDeleteError();
    return rc;
}

int MessageStore::deleteMessages(const QVector<qint64>& rowIds)
{
    bool failed = false;
    const int rc = deleteRows(rowIds, &failed);
    if (failed)
        reportDeleteError();
    return rc;
}

void MessageStore::deleteConversation(const QByteArray& address)
{
    ensureIndex();
    QVector<qint64> rowIds = m_byAddress.value(address);
    // A group's events go with its messages: they show nowhere else.
    for (const ConversationEvent& event : m_events.value(address))
        rowIds.append(event.rowId);
    if (rowIds.isEmpty())
        return;
    bool failed = false;
    deleteRows(rowIds, &failed);
    if (failed)
        reportDeleteError();
}

int MessageStore::deleteRows(const QVector<qint64>& rowIds, bool* failed)
{
    *failed = false;
    // A damaged file's row ids may name more than one message: none is
    // deleted by them.
    if (!deletesAllowed())
        return SQLITE_READONLY;
    if (rowIds.isEmpty())
        return SQLITE_OK;
    if (!m_db || m_layout == MessageLayout::Unknown) {
        *failed = true;
        return m_db ? SQLITE_ERROR : SQLITE_MISUSE;
    }
    ensureIndex();

    DeleteWatch watch(m_db);
    int firstError = exec(m_db, "BEGIN");
    if (firstError != SQLITE_OK) {
        *failed = true;
        return sqlite3_extended_errcode(m_db);
    }
    bool rolledBack = false;
    auto noteError = [&firstError](int rc) {
        if (firstError == SQLITE_OK)
            firstError = rc;
    };

    const bool modern = m_layout == MessageLayout::Modern;
    moderntable::TriggerPause pause;
    if (modern) {
        const int rc = pause.pause(m_db);
        if (rc != SQLITE_OK) {
            noteError(sqlite3_extended_errcode(m_db));
            exec(m_db, "ROLLBACK");
            rolledBack = true;
        }
    }

    if (!rolledBack) {
        // Legacy rows are deleted by their row id alone, as the phone's own
        // program did; the file's triggers do the rest.
        std::unique_ptr<moderntable::RowDeleter> modernRows;
        sqlite3_stmt* legacyRow = nullptr;
        int legacyPrepared = SQLITE_OK;
        if (modern) {
            modernRows = std::make_unique<moderntable::RowDeleter>(m_db, m_rowIdName);
        } else {
            const QByteArray sql = "delete from message where " + m_rowIdName + " = ?";
            if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &legacyRow, nullptr) != SQLITE_OK) {
                legacyPrepared = sqlite3_extended_errcode(m_db);
                sqlite3_finalize(legacyRow);
                legacyRow = nullptr;
            }
        }
        sqlite3_stmt* savepoint = sqliteaccess::prepare(m_db, "SAVEPOINT msgdesk_row");
        sqlite3_stmt* release = sqliteaccess::prepare(m_db, "RELEASE msgdesk_row");
        sqlite3_stmt* undo = sqliteaccess::prepare(m_db, "ROLLBACK TO msgdesk_row");
        auto run = [](sqlite3_stmt* stmt) {
            if (!stmt)
                return SQLITE_MISUSE;
            const int rc = sqlite3_step(stmt);
            const int reset = sqlite3_reset(stmt);
            return rc == SQLITE_DONE ? SQLITE_OK : reset != SQLITE_OK ? reset : rc;
        };
        auto deleteRow = [&](qint64 rowId) {
            if (modernRows)
                return modernRows->deleteRow(rowId);
            if (!legacyRow)
                return legacyPrepared != SQLITE_OK ? legacyPrepared : SQLITE_ERROR;
            sqlite3_bind_int64(legacyRow, 1, rowId);
            return run(legacyRow);
        };

        // All rows under one savepoint first: a savepoint per row costs a
        // statement journal entry for every page each row touches. Only
        // when a row fails is the lot undone and deleted row by row below,
        // so that every other message still goes.
        // A message goes with its reactions: they first, then the message.
        const auto deleteWhole = [&](qint64 rowId) {
            const qsizetype at = positionOf(rowId);
            if (at >= 0)
                lastDeletedFlags = messages.at(at).isIncoming ? 2 : 3;
            int rc = SQLITE_OK;
            for (qint64 dependent : m_dependentRows.value(rowId)) {
                rc = deleteRow(dependent);
                if (rc != SQLITE_OK)
                    return rc;
            }
            return deleteRow(rowId);
        };
        const auto noteWhole = [&](qint64 rowId) {
            watch.noteRequested(rowId);
            for (qint64 dependent : m_dependentRows.value(rowId))
                watch.noteRequested(dependent);
        };

        bool allAtOnce = false;
        if (rowIds.size() > 1 && run(savepoint) == SQLITE_OK) {
            int rc = SQLITE_OK;
            for (qint64 rowId : rowIds) {
                rc = deleteWhole(rowId);
                if (rc != SQLITE_OK)
                    break;
            }
            if (rc == SQLITE_OK && run(release) == SQLITE_OK) {
                for (qint64 rowId : rowIds)
                    noteWhole(rowId);
                watch.keep();
                allAtOnce = true;
            } else {
                watch.discard();
                if (sqlite3_get_autocommit(m_db)) {
                    noteError(rc != SQLITE_OK ? rc : sqlite3_extended_errcode(m_db));
                    rolledBack = true;
                } else {
                    run(undo);
                    run(release);
                }
            }
        }

        for (qint64 rowId : rowIds) {
            if (allAtOnce || rolledBack)
                break;
            // Each message goes whole, with its reactions, or not at all.
            int rc = run(savepoint);
            if (rc == SQLITE_OK)
                rc = deleteWhole(rowId);
            if (rc == SQLITE_OK && run(release) == SQLITE_OK) {
                noteWhole(rowId);
                watch.keep();
                continue;
            }
            noteError(rc != SQLITE_OK ? rc : sqlite3_extended_errcode(m_db));
            watch.discard();
            // Some errors (disk full, I/O) roll back the whole transaction,
            // and with it the deletes that had succeeded: those records stay.
            if (sqlite3_get_autocommit(m_db)) {
                rolledBack = true;
                break;
            }
            run(undo);
            run(release);
        }
        sqlite3_finalize(legacyRow);
        sqlite3_finalize(savepoint);
        sqlite3_finalize(release);
        sqlite3_finalize(undo);
    }

    if (!rolledBack && pause.pausedCount() > 0 && pause.resume() != SQLITE_OK) {
        noteError(sqlite3_extended_errcode(m_db));
        exec(m_db, "ROLLBACK");
        rolledBack = true;
    }
    // The content of attachments that went with their messages goes too.
    if (!rolledBack && watch.deleted().size() > 0) {
        const int rc = attachmentcontent::removeUnreferenced(m_db, m_layout);
        if (rc != SQLITE_OK) {
            noteError(rc);
            exec(m_db, "ROLLBACK");
            rolledBack = true;
        }
    }
    if (!rolledBack && exec(m_db, "COMMIT") != SQLITE_OK) {
        noteError(sqlite3_extended_errcode(m_db));
        exec(m_db, "ROLLBACK");
        rolledBack = true;
    }
    if (rolledBack)
        watch.discardAll();
    const bool wasPending = m_wipePending;
    m_wipePending = !sqliteaccess::checkpointAfterDelete(m_db, kWipeWaitMs);
    forgetDeleted(watch.deleted());
    *failed = firstError != SQLITE_OK;
    // Told once for as long as the reader holds on, not at every delete.
    if (m_wipePending && !wasPending && !*failed)
        reportWipeDelayed();
    return firstError;
}

void MessageStore::forgetDeleted(const QSet<qint64>& deleted)
{
    if (deleted.isEmpty())
        return;

    // Records: their positions, and per conversation the row ids that go.
    QVector<qsizetype> positions;
    QHash<QByteArray, QSet<qint64>> byAddress;
    for (qint64 rowId : deleted) {
        const qsizetype at = positionOf(rowId);
        if (at < 0)
            continue;
        positions.append(at);
        byAddress[messages.at(at).address].insert(rowId);
    }
    for (auto it = byAddress.cbegin(); it != byAddress.cend(); ++it) {
        auto entry = m_byAddress.find(it.key());
        if (entry == m_byAddress.end())
            continue;
        const QSet<qint64>& gone = it.value();
        entry->removeIf([&gone](qint64 rowId) { return gone.contains(rowId); });
        if (entry->isEmpty())
            m_byAddress.erase(entry);
    }
    // One pass closes the gaps, from the first one on.
    if (!positions.isEmpty()) {
        std::sort(positions.begin(), positions.end());
        qsizetype out = positions.first();
        qsizetype next = 0;
        for (qsizetype i = positions.first(); i < messages.size(); ++i) {
            if (next < positions.size() && positions.at(next) == i) {
                ++next;
                continue;
            }
            messages[out++] = std::move(messages[i]);
        }
        messages.resize(out);
        messageCount = qMax(0, messageCount - int(positions.size()));
    }
    m_indexedSize = messages.size();
    m_indexedData = messages.constData();

    // What hung on the rows that went.
    for (qint64 rowId : deleted) {
        m_reactions.remove(rowId);
        m_attachments.remove(rowId);
        for (qint64 dependent : m_dependentRows.take(rowId))
            m_dependentOf.remove(dependent);
        const auto owner = m_dependentOf.constFind(rowId);
        if (owner != m_dependentOf.cend()) {
            const qint64 target = *owner;
            m_dependentOf.erase(owner);
            m_dependentRows[target].removeAll(rowId);
            auto shown = m_reactions.find(target);
            if (shown != m_reactions.end())
                shown->removeIf([rowId](const Reaction& r) { return r.rowId == rowId; });
        }
        const auto eventAddress = m_eventAddress.constFind(rowId);
        if (eventAddress != m_eventAddress.cend()) {
            auto events = m_events.find(*eventAddress);
            if (events != m_events.end())
                events->removeIf([rowId](const ConversationEvent& e) { return e.rowId == rowId; });
            m_eventAddress.erase(eventAddress);
        }
    }

    // The open conversation no longer shows (nor copies) what went.
    conversation.removeIf([&deleted](const MessageRecord& r) { return deleted.contains(r.rowId); });
}
