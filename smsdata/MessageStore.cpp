#include "MessageStore.h"

#include "AttachmentContent.h"
#include "LegacyMessageTable.h"
#include "LegacyParts.h"
#include "ModernMessageTable.h"
#include "PhoneDb.h"
#include "SqliteAccess.h"

#include <QMutex>
#include <QObject>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include <sqlite3.h>

int lastDeletedFlags = 2;

namespace {

// A store may be read on a worker thread while the GUI thread asks for the
// last connection.
QMutex g_lastMutex;
sqlite3* g_lastDatabase = nullptr;
MessageStore* g_lastStore = nullptr;

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

bool byRowId(const MessageRecord& record, qint64 rowId)
{
    return record.rowId < rowId;
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

int exec(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

} // namespace

sqlite3* lastMessageDatabase()
{
    QMutexLocker lock(&g_lastMutex);
    return g_lastDatabase;
}

void closeLastMessageDatabase()
{
    MessageStore* store = nullptr;
    {
        QMutexLocker lock(&g_lastMutex);
        store = g_lastStore;
        g_lastDatabase = nullptr;
        g_lastStore = nullptr;
    }
    if (store)
        store->close();
}

void setDeleteErrorHandler(DeleteErrorHandler handler)
{
    g_deleteErrorHandler = handler ? handler : &writeDeleteErrorToStderr;
}

MessageStore::MessageStore(const QByteArray& path, StoreAccess access)
{
    ReadOptions options;
    options.access = access;
    openAndRead(path, options);
}

MessageStore::MessageStore(const QByteArray& path, const ReadOptions& options)
{
    openAndRead(path, options);
}

MessageStore::~MessageStore()
{
    close();
}

void MessageStore::openAndRead(const QByteArray& path, const ReadOptions& options)
{
    messages.clear();
    conversation.clear();
    conversationHeads.clear();
    reload(path, options);
}

void MessageStore::reload(const QByteArray& path, StoreAccess access)
{
    ReadOptions options;
    options.access = access;
    reload(path, options);
}

void MessageStore::reload(const QByteArray& path, const ReadOptions& options)
{
    messages.clear();
    messageCount = 0;
    columnCount = 0;
    clearSideData();
    m_damage.clear();
    m_layout = MessageLayout::Unknown;
    m_rowIdName.clear();
    // A connection still open would otherwise leak and keep its file locked.
    close();

    const bool readOnly = options.access == StoreAccess::ReadOnly;
    m_deletesAllowed = !readOnly;
    m_db = sqliteaccess::openExisting(
        path, readOnly ? sqliteaccess::OpenMode::Untouched : sqliteaccess::OpenMode::ReadWrite, options.walPath);
    {
        QMutexLocker lock(&g_lastMutex);
        g_lastDatabase = m_db;
        g_lastStore = m_db ? this : nullptr;
    }
    if (!m_db) {
        rebuildIndex();
        return;
    }

    // The phone's triggers on the message table ask read(flags) whether the
    // row was an unread incoming message; deleteMessage decides the answer.
    phonedb::registerBit0Of(m_db, "read", 1, &lastDeletedFlags);
    if (!readOnly) {
        sqliteaccess::registerTriggerStandIns(m_db);
        // A deleted message must not stay readable in the file's free pages.
        exec(m_db, "PRAGMA secure_delete=ON");
    }

    const QSet<QByteArray> columns = sqliteaccess::columnNames(m_db, "message");
    m_rowIdName = sqliteaccess::rowIdName(m_db, "message");
    if (m_rowIdName.isEmpty())
        m_layout = MessageLayout::Unknown;
    else if (legacytable::matches(columns))
        m_layout = MessageLayout::Legacy;
    else if (moderntable::matches(columns))
        m_layout = MessageLayout::Modern;
    else
        m_layout = MessageLayout::Unknown;

    if (m_layout == MessageLayout::Legacy)
        legacytable::read(m_db, m_rowIdName, *this, options.progress, options.onlyConversation);
    else if (m_layout == MessageLayout::Modern)
        moderntable::read(m_db, m_rowIdName, *this, options.progress, options.onlyConversation);
    else if (options.progress)
        options.progress(0, 0);
    if (!options.onlyConversation.isEmpty()) {
        // The readers may take a few rows of other conversations along.
        const QByteArray& key = options.onlyConversation;
        messages.removeIf([&key](const MessageRecord& record) { return record.address != key; });
    }
    rebuildIndex();
    dropDuplicateRows();
    messageCount = int(messages.size());
    if (m_layout == MessageLayout::Legacy)
        legacyparts::readAttachments(m_db, *this);
}

void MessageStore::dropDuplicateRows()
{
    // In row-id order, a row id given twice sits next to itself.
    const auto same = [](const MessageRecord& a, const MessageRecord& b) { return a.rowId == b.rowId; };
    const auto first = std::adjacent_find(messages.cbegin(), messages.cend(), same);
    if (first == messages.cend())
        return;
    const qint64 rowId = first->rowId;
    const qsizetype before = messages.size();
    messages.erase(std::unique(messages.begin(), messages.end(), same), messages.end());
    const qsizetype dropped = before - messages.size();
    m_damage =
        dropped == 1
            ? QStringLiteral("its message table gives row %1 twice").arg(rowId)
            : QStringLiteral("its message table gives %1 rows more than once (row %2 first)").arg(dropped).arg(rowId);
    rebuildIndex();
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

MessageCounts countMessages(const QByteArray& path, const ReadOptions& options)
{
    MessageCounts counts;
    const bool readOnly = options.access == StoreAccess::ReadOnly;
    sqlite3* db = sqliteaccess::openExisting(
        path, readOnly ? sqliteaccess::OpenMode::Untouched : sqliteaccess::OpenMode::ReadOnly, options.walPath);
    if (!db)
        return counts;
    const QSet<QByteArray> columns = sqliteaccess::columnNames(db, "message");
    const QByteArray rowIdName = sqliteaccess::rowIdName(db, "message");
    if (!rowIdName.isEmpty() && legacytable::matches(columns)) {
        counts.layout = MessageLayout::Legacy;
        legacytable::count(db, rowIdName, &counts);
    } else if (!rowIdName.isEmpty() && moderntable::matches(columns)) {
        counts.layout = MessageLayout::Modern;
        moderntable::count(db, rowIdName, &counts);
    }
    sqlite3_close_v2(db);
    return counts;
}

int MessageStore::close()
{
    if (!m_db)
        return SQLITE_OK;
    finishWipe();
    const int rc = sqlite3_close_v2(m_db);
    {
        QMutexLocker lock(&g_lastMutex);
        if (g_lastStore == this) {
            g_lastStore = nullptr;
            g_lastDatabase = nullptr;
        }
    }
    m_db = nullptr;
    return rc;
}

void MessageStore::clear()
{
    messages.clear();
    conversation.clear();
    conversationHeads.clear();
    messageCount = 0;
    clearSideData();
    rebuildIndex();
}

void MessageStore::clearSideData()
{
    m_conversations.clear();
    m_reactions.clear();
    m_events.clear();
    m_handleCountries.clear();
    m_senderNames.clear();
    m_dependentRows.clear();
    m_dependentOf.clear();
    m_eventAddress.clear();
    m_attachments.clear();
}

void MessageStore::ensureIndex()
{
    if (m_indexedSize != messages.size() || m_indexedData != messages.constData())
        rebuildIndex();
}

void MessageStore::rebuildIndex()
{
    // Records a caller added out of order are put back in row-id order;
    // records of one row id keep their order.
    auto before = [](const MessageRecord& a, const MessageRecord& b) { return a.rowId < b.rowId; };
    if (!std::is_sorted(messages.cbegin(), messages.cend(), before))
        std::stable_sort(messages.begin(), messages.end(), before);
    m_byAddress.clear();
    // Records of one conversation share their key's buffer (the readers
    // intern it): grouped by the buffer first, a record costs a pointer's
    // hash, not its key's bytes. Equal keys in other buffers meet below.
    struct Group
    {
        QByteArray address;
        QVector<qint64> rowIds;
    };
    using Buffer = QPair<const char*, qsizetype>;
    QHash<Buffer, Group> byBuffer;
    Buffer lastBuffer;
    Group* last = nullptr;
    for (const MessageRecord& record : std::as_const(messages)) {
        const Buffer buffer(record.address.constData(), record.address.size());
        if (!last || buffer != lastBuffer) {
            last = &byBuffer[buffer];
            if (last->rowIds.isEmpty())
                last->address = record.address;
            lastBuffer = buffer;
        }
        last->rowIds.append(record.rowId);
    }
    for (Group& group : byBuffer) {
        auto entry = m_byAddress.find(group.address);
        if (entry == m_byAddress.end()) {
            m_byAddress.insert(group.address, std::move(group.rowIds));
            continue;
        }
        *entry += group.rowIds;
        std::sort(entry->begin(), entry->end());
    }
    m_indexedSize = messages.size();
    m_indexedData = messages.constData();
}

qsizetype MessageStore::positionOf(qint64 rowId) const
{
    const auto it = std::lower_bound(messages.cbegin(), messages.cend(), rowId, &byRowId);
    return it != messages.cend() && it->rowId == rowId ? it - messages.cbegin() : -1;
}

const MessageRecord* MessageStore::message(qint64 rowId)
{
    ensureIndex();
    const qsizetype at = positionOf(rowId);
    return at < 0 ? nullptr : &messages.at(at);
}

int MessageStore::messageCountOf(const QByteArray& address)
{
    ensureIndex();
    const auto it = m_byAddress.constFind(address);
    return it == m_byAddress.cend() ? 0 : int(it->size());
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
        bool allAtOnce = false;
        if (rowIds.size() > 1 && run(savepoint) == SQLITE_OK) {
            int rc = SQLITE_OK;
            for (qint64 rowId : rowIds) {
                const qsizetype at = positionOf(rowId);
                if (at >= 0)
                    lastDeletedFlags = messages.at(at).isIncoming ? 2 : 3;
                for (qint64 dependent : m_dependentRows.value(rowId)) {
                    rc = deleteRow(dependent);
                    if (rc != SQLITE_OK)
                        break;
                }
                if (rc == SQLITE_OK)
                    rc = deleteRow(rowId);
                if (rc != SQLITE_OK)
                    break;
            }
            if (rc == SQLITE_OK && run(release) == SQLITE_OK) {
                for (qint64 rowId : rowIds) {
                    watch.noteRequested(rowId);
                    for (qint64 dependent : m_dependentRows.value(rowId))
                        watch.noteRequested(dependent);
                }
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
            const qsizetype at = positionOf(rowId);
            if (at >= 0)
                lastDeletedFlags = messages.at(at).isIncoming ? 2 : 3;
            // Each message goes whole, with its reactions, or not at all.
            int rc = run(savepoint);
            if (rc == SQLITE_OK) {
                for (qint64 dependent : m_dependentRows.value(rowId)) {
                    rc = deleteRow(dependent);
                    if (rc != SQLITE_OK)
                        break;
                }
            }
            if (rc == SQLITE_OK)
                rc = deleteRow(rowId);
            if (rc == SQLITE_OK && run(release) == SQLITE_OK) {
                watch.noteRequested(rowId);
                for (qint64 dependent : m_dependentRows.value(rowId))
                    watch.noteRequested(dependent);
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

void MessageStore::selectConversation(const QByteArray& address)
{
    ensureIndex();
    conversation.clear();
    const auto it = m_byAddress.constFind(address);
    if (it == m_byAddress.cend())
        return;
    conversation.reserve(it->size());
    // Records beyond messageCount (which a caller may have lowered) are not
    // part of the store's messages.
    for (qint64 rowId : *it) {
        const qsizetype at = positionOf(rowId);
        if (at >= 0 && at < messageCount)
            conversation.append(messages.at(at));
    }
}

void MessageStore::buildConversationList()
{
    ensureIndex();
    conversationHeads.clear();
    // The latest record of each conversation is its last in row-id order;
    // the conversation whose latest record comes last comes first.
    QVector<qint64> latest;
    latest.reserve(m_byAddress.size());
    for (const QVector<qint64>& rowIds : std::as_const(m_byAddress)) {
        if (!rowIds.isEmpty())
            latest.append(rowIds.constLast());
    }
    std::sort(latest.begin(), latest.end(), std::greater<qint64>());
    conversationHeads.reserve(latest.size());
    for (qint64 rowId : std::as_const(latest)) {
        const qsizetype at = positionOf(rowId);
        if (at >= 0)
            conversationHeads.append(messages.at(at));
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

QVector<AttachmentRecord> MessageStore::attachmentsOf(qint64 rowId) const
{
    return m_attachments.value(rowId);
}

void MessageStore::addAttachment(qint64 rowId, const AttachmentRecord& attachment)
{
    m_attachments[rowId].append(attachment);
}

QVector<qint64> MessageStore::messagesWithAttachments() const
{
    QVector<qint64> rowIds = m_attachments.keys();
    std::sort(rowIds.begin(), rowIds.end());
    return rowIds;
}

void MessageStore::setConversationInfo(const QByteArray& address, const ConversationInfo& info)
{
    m_conversations.insert(address, info);
}

void MessageStore::addReaction(qint64 targetRowId, const Reaction& reaction)
{
    m_reactions[targetRowId].append(reaction);
    addDependentRow(targetRowId, reaction.rowId);
}

void MessageStore::addDependentRow(qint64 targetRowId, qint64 rowId)
{
    if (rowId == targetRowId || m_dependentOf.contains(rowId))
        return;
    m_dependentRows[targetRowId].append(rowId);
    m_dependentOf.insert(rowId, targetRowId);
}

void MessageStore::addEvent(const QByteArray& address, const ConversationEvent& event)
{
    m_events[address].append(event);
    m_eventAddress.insert(event.rowId, address);
}

void MessageStore::setHandleCountry(const QByteArray& handle, const QByteArray& country)
{
    m_handleCountries.insert(handle, country);
}
