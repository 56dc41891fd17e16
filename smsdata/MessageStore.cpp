#include "MessageStore.h"

#include "LegacyMessageTable.h"
#include "LegacyParts.h"
#include "MessageStoreInternal.h"
#include "ModernMessageTable.h"
#include "PhoneDb.h"
#include "SqliteAccess.h"

#include <QMutex>

#include <algorithm>
#include <functional>

#include <sqlite3.h>

namespace {

// A store may be read on a worker thread while the GUI thread asks for the
// last connection.
QMutex g_lastMutex;
sqlite3* g_lastDatabase = nullptr;
MessageStore* g_lastStore = nullptr;

bool byRowId(const MessageRecord& record, qint64 rowId)
{
    return record.rowId < rowId;
}

using storeinternal::exec;

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

    readRows(options, options.onlyConversation);
    if (!options.onlyConversation.isEmpty() && !m_damage.isEmpty()) {
        // The look-up through the file's indexes ran into damage: the
        // conversation is taken from the whole table, as far as it reads.
        const QString filtered = m_damage;
        messages.clear();
        clearSideData();
        m_damage.clear();
        readRows(options, QByteArray());
        rebuildIndex();
        dropDuplicateRows();
        if (m_damage.isEmpty())
            m_damage = filtered;
    }
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

void MessageStore::readRows(const ReadOptions& options, const QByteArray& onlyConversation)
{
    if (m_layout == MessageLayout::Legacy)
        legacytable::read(m_db, m_rowIdName, *this, options.progress, onlyConversation);
    else if (m_layout == MessageLayout::Modern)
        moderntable::read(m_db, m_rowIdName, *this, options.progress, onlyConversation);
    else if (options.progress)
        options.progress(0, 0);
}

void MessageStore::noteDamage(const QString& reason)
{
    appendDamage(&m_damage, reason);
}

void appendDamage(QString* damage, const QString& reason)
{
    if (reason.isEmpty() || damage->contains(reason))
        return;
    *damage += (damage->isEmpty() ? QString() : QStringLiteral("; ")) + reason;
}

QString duplicateRowsDamage(qint64 dropped, qint64 rowId)
{
    return dropped == 1 ? QStringLiteral("its message table gives row %1 twice").arg(rowId)
                        : QStringLiteral("its message table gives %1 rows more than once (row %2 first)")
                              .arg(dropped)
                              .arg(rowId);
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
    noteDamage(duplicateRowsDamage(dropped, rowId));
    rebuildIndex();
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

void MessageStore::selectConversation(const QByteArray& address)
{
    conversation = recordsOf(address);
}

QVector<MessageRecord> MessageStore::recordsOf(const QByteArray& address)
{
    ensureIndex();
    QVector<MessageRecord> records;
    const auto it = m_byAddress.constFind(address);
    if (it == m_byAddress.cend())
        return records;
    records.reserve(it->size());
    // Records beyond messageCount (which a caller may have lowered) are not
    // part of the store's messages.
    for (qint64 rowId : *it) {
        const qsizetype at = positionOf(rowId);
        if (at >= 0 && at < messageCount)
            records.append(messages.at(at));
    }
    return records;
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
    // A reader adds the files of the message it has just read; anything
    // else finds it by its row id.
    const qsizetype at =
        !messages.isEmpty() && messages.last().rowId == rowId ? messages.size() - 1 : positionOf(rowId);
    if (at < 0 || attachment.name.isEmpty())
        return;
    QByteArray name = attachment.name;
    name.replace('\n', ' ').replace('\r', ' ');
    messages[at].attachmentNames += name + '\n';
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
