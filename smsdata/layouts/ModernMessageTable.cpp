#include "ModernMessageTable.h"

#include "AttributedBody.h"
#include "ByRowId.h"
#include "ByteInterner.h"
#include "SqliteAccess.h"
#include "TextChunks.h"

#include <QHash>

#include <algorithm>
#include <climits>

#include <sqlite3.h>

namespace moderntable {

namespace {

constexpr qint64 secondsFrom1970To2001 = 978307200;
constexpr qint64 nanosecondThreshold = Q_INT64_C(1000000000000);
constexpr int progressStep = 8192;

const QByteArray objectReplacement = QByteArrayLiteral("\xef\xbf\xbc"); // U+FFFC
const QByteArray unsentNote = QByteArrayLiteral("This message was unsent.");

// A select list entry: the column when the table has it, else NULL.
QByteArray column(const QSet<QByteArray>& columns, const char* name)
{
    return columns.contains(name) ? QByteArray(name) : QByteArrayLiteral("NULL");
}

struct Chat
{
    QByteArray key;
    bool isGroup = false;
    QByteArray displayName;
};

// A row of a join table: the message it names and the other side.
struct ChatLink
{
    qint64 messageId = 0;
    qint64 chatId = 0;
};

struct AttachmentLink
{
    qint64 messageId = 0;
    AttachmentRecord record;
};

struct PendingReaction
{
    Reaction reaction;
    bool removed = false;
};

using Handles = ByRowId<QByteArray>;
using Chats = ByRowId<Chat>;

QByteArray handleOf(const Handles& handles, qint64 rowId)
{
    const QByteArray* handle = handles.find(rowId);
    return handle ? *handle : QByteArray();
}

Handles readHandles(sqlite3* db, const QByteArray& rowId, ByteInterner& pool, MessageStore& store, QString* stopped)
{
    Handles handles;
    const QSet<QByteArray> columns = sqliteaccess::columnNames(db, "handle");
    if (rowId.isEmpty() || !columns.contains("id"))
        return handles;
    const QByteArray sql = "select " + rowId + ", id, " + column(columns, "country") + " from handle";
    sqlite3_stmt* stmt = sqliteaccess::prepare(db, sql.constData());
    if (!stmt)
        return handles;
    int rc;
    qint64 rows = 0;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW && ++rows) {
        const QByteArray id = pool.intern(sqliteaccess::text(stmt, 1, 3));
        handles.insert(sqlite3_column_int64(stmt, 0), id);
        const QByteArray country = sqliteaccess::text(stmt, 2, 3);
        if (!id.isEmpty() && !country.isEmpty())
            store.setHandleCountry(id, country);
    }
    sqliteaccess::noteScanEnd(rc, rows, "rows of handle", stopped);
    sqlite3_finalize(stmt);
    return handles;
}

Chats readChats(sqlite3* db, const QByteArray& rowId, ByteInterner& pool, QString* stopped)
{
    Chats chats;
    const QSet<QByteArray> columns = sqliteaccess::columnNames(db, "chat");
    if (rowId.isEmpty() || columns.isEmpty())
        return chats;
    const QByteArray sql = "select " + rowId + ", " + column(columns, "chat_identifier") + ", " +
                           column(columns, "style") + ", " + column(columns, "display_name") + " from chat";
    sqlite3_stmt* stmt = sqliteaccess::prepare(db, sql.constData());
    if (!stmt)
        return chats;
    int rc;
    qint64 rows = 0;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW && ++rows) {
        Chat chat;
        chat.key = pool.intern(sqliteaccess::text(stmt, 1, 4));
        chat.isGroup = sqliteaccess::integer(stmt, 2, 4) == 43 || chat.key.startsWith("chat");
        chat.displayName = sqliteaccess::text(stmt, 3, 4);
        chats.insert(sqlite3_column_int64(stmt, 0), chat);
    }
    sqliteaccess::noteScanEnd(rc, rows, "rows of chat", stopped);
    sqlite3_finalize(stmt);
    return chats;
}

// Groups with their names and members; several chats with one identifier
// are one conversation, so their members are joined.
void recordGroups(sqlite3* db, const Chats& chats, const Handles& handles, MessageStore& store, QString* stopped)
{
    QHash<QByteArray, ConversationInfo> groups;
    chats.forEach([&groups](const Chat& chat) {
        if (!chat.isGroup || chat.key.isEmpty())
            return;
        ConversationInfo& info = groups[chat.key];
        info.isGroup = true;
        if (info.displayName.isEmpty())
            info.displayName = chat.displayName;
    });
    if (groups.isEmpty())
        return;
    const QSet<QByteArray> columns = sqliteaccess::columnNames(db, "chat_handle_join");
    if (columns.contains("chat_id") && columns.contains("handle_id")) {
        if (sqlite3_stmt* stmt = sqliteaccess::prepare(db, "select chat_id, handle_id from chat_handle_join")) {
            int rc;
            qint64 rows = 0;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW && ++rows) {
                const Chat* chat = chats.find(sqliteaccess::integer(stmt, 0, 2));
                const QByteArray* handle = handles.find(sqliteaccess::integer(stmt, 1, 2));
                if (!chat || !handle || handle->isEmpty())
                    continue;
                auto group = groups.find(chat->key);
                if (group != groups.end() && !group->members.contains(*handle))
                    group->members.append(*handle);
            }
            sqliteaccess::noteScanEnd(rc, rows, "rows of chat_handle_join", stopped);
            sqlite3_finalize(stmt);
        }
    }
    for (auto it = groups.cbegin(); it != groups.cend(); ++it)
        store.setConversationInfo(it.key(), it.value());
}

// Rows of chat_message_join ordered by message, then chat. Read in the
// table's own order (which is the messages' order in a phone's file), and
// sorted only when it is not.
QVector<ChatLink> readChatLinks(sqlite3* db, qint64 expected, const QByteArray& messageFilter, QString* stopped)
{
    QVector<ChatLink> links;
    // About one row per message: growing step by step would copy them all
    // a few times over.
    links.reserve(qsizetype(qBound(qint64(0), expected, qint64(1) << 24)));
    const QSet<QByteArray> columns = sqliteaccess::columnNames(db, "chat_message_join");
    if (!columns.contains("chat_id") || !columns.contains("message_id"))
        return links;
    // The table's own order, not that of an index SQLite might prefer.
    const QByteArray where = messageFilter.isEmpty() ? QByteArray() : " where message_id in " + messageFilter;
    QByteArray sql = "select message_id, chat_id from chat_message_join" + where;
    sqlite3_stmt* stmt = sqliteaccess::prepare(db, (sql + " order by rowid").constData());
    if (!stmt)
        stmt = sqliteaccess::prepare(db, sql.constData());
    if (!stmt)
        return links;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        links.append({sqliteaccess::integer(stmt, 0, 2), sqliteaccess::integer(stmt, 1, 2)});
    sqliteaccess::noteScanEnd(rc, links.size(), "rows of chat_message_join", stopped);
    sqlite3_finalize(stmt);
    auto before = [](const ChatLink& a, const ChatLink& b) {
        return a.messageId != b.messageId ? a.messageId < b.messageId : a.chatId < b.chatId;
    };
    if (!std::is_sorted(links.cbegin(), links.cend(), before))
        std::sort(links.begin(), links.end(), before);
    return links;
}

QByteArray fileNamePart(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

// Attachments by message, each message's in the order of its join rows.
QVector<AttachmentLink> readAttachmentLinks(sqlite3* db, const QByteArray& messageFilter, QString* stopped)
{
    QVector<AttachmentLink> links;
    const QSet<QByteArray> joinColumns = sqliteaccess::columnNames(db, "message_attachment_join");
    if (!joinColumns.contains("message_id") || !joinColumns.contains("attachment_id"))
        return links;
    const QSet<QByteArray> columns = sqliteaccess::columnNames(db, "attachment");
    const QByteArray attachmentRowId = sqliteaccess::rowIdName(db, "attachment");
    enum { MessageId, TransferName, FileName, MimeType, Uti, TotalBytes, IsSticker, ColumnCount };
    QByteArray sql = "select j.message_id, NULL, NULL, NULL, NULL, NULL, NULL from message_attachment_join j";
    if (!attachmentRowId.isEmpty()) {
        auto attachmentColumn = [&columns](const char* name) {
            return columns.contains(name) ? "a." + QByteArray(name) : QByteArrayLiteral("NULL");
        };
        sql = "select j.message_id, " + attachmentColumn("transfer_name") + ", " + attachmentColumn("filename") + ", " +
              attachmentColumn("mime_type") + ", " + attachmentColumn("uti") + ", " + attachmentColumn("total_bytes") +
              ", " + attachmentColumn("is_sticker") + " from message_attachment_join j left join attachment a on a." +
              attachmentRowId + " = j.attachment_id";
    }
    if (!messageFilter.isEmpty())
        sql += " where j.message_id in " + messageFilter;
    // The join rows' own order is the attachments' order within a message.
    sqlite3_stmt* stmt = sqliteaccess::prepare(db, (sql + " order by j.rowid").constData());
    if (!stmt)
        stmt = sqliteaccess::prepare(db, sql.constData());
    if (!stmt)
        return links;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        AttachmentLink& link = links.emplaceBack();
        link.messageId = sqliteaccess::integer(stmt, MessageId, ColumnCount);
        AttachmentRecord& record = link.record;
        const QByteArray fileName = sqliteaccess::text(stmt, FileName, ColumnCount);
        record.name = sqliteaccess::text(stmt, TransferName, ColumnCount);
        if (record.name.isEmpty())
            record.name = fileNamePart(fileName);
        record.mimeType = sqliteaccess::text(stmt, MimeType, ColumnCount);
        record.uti = sqliteaccess::text(stmt, Uti, ColumnCount);
        record.bytes = sqlite3_column_type(stmt, TotalBytes) == SQLITE_NULL
                           ? -1
                           : qMax<qint64>(-1, sqliteaccess::integer(stmt, TotalBytes, ColumnCount));
        record.isSticker = sqliteaccess::integer(stmt, IsSticker, ColumnCount) != 0;
        record.relativePath = attachments::backupPathOf(fileName);
    }
    sqliteaccess::noteScanEnd(rc, links.size(), "rows of message_attachment_join", stopped);
    sqlite3_finalize(stmt);
    std::stable_sort(links.begin(), links.end(),
                     [](const AttachmentLink& a, const AttachmentLink& b) { return a.messageId < b.messageId; });
    return links;
}

// Each U+FFFC that stands for an attachment shows its name in brackets; a
// message whose only content is attachments shows their names.
QByteArray withAttachmentNames(QByteArrayView text, const QVector<QByteArray>& names)
{
    if (text.isEmpty()) {
        QByteArray shown;
        for (const QByteArray& name : names) {
            if (name.isEmpty())
                continue;
            if (!shown.isEmpty())
                shown += ' ';
            shown += '[' + name + ']';
        }
        return shown;
    }
    QByteArray result;
    result.reserve(text.size() + names.size() * 16);
    qsizetype from = 0;
    for (const QByteArray& name : names) {
        const qsizetype at = text.indexOf(objectReplacement, from);
        if (at < 0)
            break;
        result += text.sliced(from, at - from);
        // An attachment without any name keeps its placeholder.
        result += name.isEmpty() ? objectReplacement : '[' + name + ']';
        from = at + objectReplacement.size();
    }
    result += text.sliced(from);
    return result;
}

// "p:0/GUID" (part 0 of the message GUID) or "bp:GUID" name the message a
// reaction is about.
QByteArray targetGuid(const QByteArray& associated)
{
    if (associated.startsWith("p:")) {
        const qsizetype slash = associated.indexOf('/');
        return slash < 0 ? QByteArray() : associated.mid(slash + 1);
    }
    if (associated.startsWith("bp:"))
        return associated.mid(3);
    return associated;
}

ConversationEvent::Kind eventKind(qint64 itemType, qint64 groupAction)
{
    switch (itemType) {
    case 1:
        return groupAction == 0   ? ConversationEvent::MemberAdded
               : groupAction == 1 ? ConversationEvent::MemberRemoved
                                  : ConversationEvent::Other;
    case 2:
        return ConversationEvent::Renamed;
    case 3:
        return ConversationEvent::MemberLeft;
    default:
        return ConversationEvent::Other;
    }
}

bool guidIsIndexed(sqlite3* db)
{
    return sqliteaccess::singleInteger(db,
                                       "select count(*) from pragma_index_list('message') l, "
                                       "pragma_index_info(l.name) i where i.seqno = 0 and lower(i.name) = 'guid'") > 0;
}

// The row ids of the messages with the given guids: looked up one by one
// through the index on guid where the file has one (the phone's files do),
// else found in one pass over the table.
QHash<QByteArray, qint64> rowIdsOfGuids(sqlite3* db, const QByteArray& rowId, const QList<QByteArray>& guids,
                                        QString* stopped)
{
    QHash<QByteArray, qint64> found;
    if (guids.isEmpty())
        return found;
    if (guidIsIndexed(db)) {
        const QByteArray sql = "select " + rowId + " from message where guid = ?";
        sqlite3_stmt* stmt = sqliteaccess::prepare(db, sql.constData());
        if (!stmt)
            return found;
        for (const QByteArray& guid : guids) {
            sqlite3_bind_text(stmt, 1, guid.constData(), int(guid.size()), SQLITE_STATIC);
            const int rc = sqlite3_step(stmt);
            if (rc == SQLITE_ROW)
                found.insert(guid, sqlite3_column_int64(stmt, 0));
            sqliteaccess::noteScanEnd(rc, found.size(), "reactions' messages", stopped);
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        return found;
    }
    const QSet<QByteArray> wanted(guids.cbegin(), guids.cend());
    const QByteArray sql = "select " + rowId + ", guid from message where guid is not null";
    if (sqlite3_stmt* stmt = sqliteaccess::prepare(db, sql.constData())) {
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            const QByteArray guid = sqliteaccess::text(stmt, 1, 2);
            if (wanted.contains(guid) && !found.contains(guid))
                found.insert(guid, sqlite3_column_int64(stmt, 0));
        }
        sqliteaccess::noteScanEnd(rc, found.size(), "reactions' messages", stopped);
        sqlite3_finalize(stmt);
    }
    return found;
}

bool isRecord(const MessageStore& store, qint64 rowId)
{
    const auto it = std::lower_bound(store.messages.cbegin(), store.messages.cend(), rowId,
                                     [](const MessageRecord& r, qint64 id) { return r.rowId < id; });
    return it != store.messages.cend() && it->rowId == rowId;
}

// Message columns in the order the reader takes them.
enum MessageColumn {
    RowIdColumn,
    TextColumn,
    BodyColumn,
    HandleColumn,
    FromMeColumn,
    DateColumn,
    ItemTypeColumn,
    OtherHandleColumn,
    GroupTitleColumn,
    GroupActionColumn,
    AssociatedGuidColumn,
    AssociatedTypeColumn,
    AssociatedEmojiColumn,
    EditedColumn,
    RetractedColumn,
    MessageColumnCount
};

QByteArray messageQuery(const QSet<QByteArray>& c, const QByteArray& rowId, const QByteArray& where)
{
    // Columns that only some rows need are taken apart only for those rows:
    // the body where the text is missing, the group columns for events, the
    // reaction columns for reactions. Every column costs on every row.
    auto only = [&c](const char* condition, const char* name) -> QByteArray {
        if (!c.contains(QByteArray(name).toLower()))
            return "NULL";
        return QByteArray("case when ") + condition + " then " + name + " end";
    };
    const QByteArray itemType = column(c, "item_type");
    const QByteArray associatedType = column(c, "associated_message_type");
    const QByteArray isEvent = "ifnull(" + itemType + ", 0) != 0";
    const QByteArray isReaction = "ifnull(" + associatedType + ", 0) between 2000 and 3999";
    QByteArray body = "NULL";
    if (c.contains("attributedbody"))
        body = c.contains("text") ? only("text is null or length(text) = 0", "attributedBody") : "attributedBody";
    return "select " + rowId + ", " + column(c, "text") + ", " + body + ", " + column(c, "handle_id") + ", " +
           column(c, "is_from_me") + ", " + column(c, "date") + ", " + itemType + ", " + only(isEvent, "other_handle") +
           ", " + only(isEvent, "group_title") + ", " + only(isEvent, "group_action_type") + ", " +
           only(isReaction, "associated_message_guid") + ", " + associatedType + ", " +
           only(isReaction, "associated_message_emoji") + ", " + column(c, "date_edited") + ", " +
           column(c, "date_retracted") + " from message" + where + " order by " + rowId;
}

} // namespace

bool matches(const QSet<QByteArray>& columns)
{
    return columns.contains("handle_id") && columns.contains("is_from_me");
}

qint64 unixTime(qint64 messageDate)
{
    if (messageDate == 0)
        return 0;
    const qint64 seconds = (messageDate > nanosecondThreshold || messageDate < -nanosecondThreshold)
                               ? messageDate / 1000000000
                               : messageDate;
    return qMax<qint64>(0, seconds + secondsFrom1970To2001);
}

// The rows that may belong to the conversation `key`: those in a chat of
// that identifier and those of that handle. Which conversation each one
// is in is then decided as for a whole read; the caller drops the others.
// Both parts are looked up through the phone's own indexes.
QByteArray conversationFilter(sqlite3* db, const QSet<QByteArray>& columns, const QByteArray& rowId,
                              const QByteArray& key)
{
    const QByteArray literal = "'" + QByteArray(key).replace('\'', "''") + "'";
    QByteArray filter;
    const QByteArray chatRowId = sqliteaccess::rowIdName(db, "chat");
    const QSet<QByteArray> joinColumns = sqliteaccess::columnNames(db, "chat_message_join");
    if (!chatRowId.isEmpty() && sqliteaccess::columnNames(db, "chat").contains("chat_identifier") &&
        joinColumns.contains("chat_id") && joinColumns.contains("message_id"))
        filter = rowId + " in (select message_id from chat_message_join where chat_id in (select " + chatRowId +
                 " from chat where chat_identifier = " + literal + "))";
    const QByteArray handleRowId = sqliteaccess::rowIdName(db, "handle");
    if (!handleRowId.isEmpty() && columns.contains("handle_id") &&
        sqliteaccess::columnNames(db, "handle").contains("id")) {
        if (!filter.isEmpty())
            filter += " or ";
        filter += "handle_id in (select " + handleRowId + " from handle where id = " + literal + ")";
    }
    return filter.isEmpty() ? QByteArray("0") : filter;
}

void read(sqlite3* db, const QByteArray& rowIdName, MessageStore& store, const ReadProgress& progress,
          const QByteArray& onlyConversation)
{
    const QSet<QByteArray> columns = sqliteaccess::columnNames(db, "message");
    store.columnCount = int(columns.size());
    const bool whole = onlyConversation.isEmpty();
    const QByteArray filter = whole ? QByteArray() : conversationFilter(db, columns, rowIdName, onlyConversation);
    const QByteArray where = whole ? QByteArray() : " where " + filter;
    const QByteArray messageFilter = whole ? QByteArray() : "(select " + rowIdName + " from message" + where + ")";
    const qint64 total = whole ? sqliteaccess::rowCountEstimate(db, "message", rowIdName) : 0;
    if (progress)
        progress(0, total);

    // The first scan a damaged page stopped, told once all is read.
    QString stopped;
    ByteInterner pool;
    const Handles handles = readHandles(db, sqliteaccess::rowIdName(db, "handle"), pool, store, &stopped);
    const Chats chats = readChats(db, sqliteaccess::rowIdName(db, "chat"), pool, &stopped);
    recordGroups(db, chats, handles, store, &stopped);
    const QVector<ChatLink> chatLinks = readChatLinks(db, total, messageFilter, &stopped);
    const QVector<AttachmentLink> attachmentLinks = readAttachmentLinks(db, messageFilter, &stopped);

    sqlite3_stmt* stmt = sqliteaccess::prepare(db, messageQuery(columns, rowIdName, where).constData());
    if (!stmt) {
        store.noteDamage(stopped);
        if (progress)
            progress(0, 0);
        return;
    }
    if (total > 0)
        store.messages.reserve(qsizetype(qMin<qint64>(total, INT_MAX / 2)));

    // Reactions by the guid they name, in the file's order; a removal takes
    // back the latest matching one. Every row about a message, removals
    // included, goes when that message is deleted.
    QHash<QByteArray, QVector<PendingReaction>> reactions;
    QHash<QByteArray, QVector<qint64>> dependents;

    TextChunks texts;
    qsizetype chatCursor = 0;
    qsizetype attachmentCursor = 0;
    QVector<QByteArray> names;
    qint64 done = 0;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const qint64 rowId = sqlite3_column_int64(stmt, RowIdColumn);
        const qint64 handleId = sqliteaccess::integer(stmt, HandleColumn, MessageColumnCount);
        const bool fromMe = sqliteaccess::integer(stmt, FromMeColumn, MessageColumnCount) != 0;
        const QByteArray handle = handleOf(handles, handleId);

        QByteArray key;
        while (chatCursor < chatLinks.size() && chatLinks.at(chatCursor).messageId < rowId)
            ++chatCursor;
        for (; chatCursor < chatLinks.size() && chatLinks.at(chatCursor).messageId == rowId; ++chatCursor) {
            if (!key.isEmpty())
                continue;
            if (const Chat* chat = chats.find(chatLinks.at(chatCursor).chatId))
                key = chat->key;
        }
        if (key.isEmpty())
            key = handle;

        names.clear();
        while (attachmentCursor < attachmentLinks.size() && attachmentLinks.at(attachmentCursor).messageId < rowId)
            ++attachmentCursor;
        const qsizetype firstAttachment = attachmentCursor;
        for (; attachmentCursor < attachmentLinks.size() && attachmentLinks.at(attachmentCursor).messageId == rowId;
             ++attachmentCursor)
            names.append(attachmentLinks.at(attachmentCursor).record.name);

        const qint64 time = unixTime(sqliteaccess::integer(stmt, DateColumn, MessageColumnCount));
        const qint64 associatedType = sqliteaccess::integer(stmt, AssociatedTypeColumn, MessageColumnCount);
        const qint64 itemType = sqliteaccess::integer(stmt, ItemTypeColumn, MessageColumnCount);
        const QByteArray sender = fromMe ? QByteArray() : handle;

        if (associatedType >= 2000 && associatedType <= 3999) {
            const QByteArray guid = targetGuid(sqliteaccess::text(stmt, AssociatedGuidColumn, MessageColumnCount));
            if (!guid.isEmpty()) {
                dependents[guid].append(rowId);
                QVector<PendingReaction>& onTarget = reactions[guid];
                if (associatedType < 3000) {
                    PendingReaction pending;
                    pending.reaction.rowId = rowId;
                    pending.reaction.kind = int(associatedType);
                    pending.reaction.sender = sender;
                    pending.reaction.emoji = sqliteaccess::text(stmt, AssociatedEmojiColumn, MessageColumnCount);
                    onTarget.append(pending);
                } else {
                    for (qsizetype i = onTarget.size() - 1; i >= 0; --i) {
                        PendingReaction& earlier = onTarget[i];
                        if (!earlier.removed && earlier.reaction.kind == associatedType - 1000 &&
                            earlier.reaction.sender == sender) {
                            earlier.removed = true;
                            break;
                        }
                    }
                }
            }
        } else if (itemType != 0) {
            ConversationEvent event;
            event.rowId = rowId;
            event.time = time;
            event.kind = eventKind(itemType, sqliteaccess::integer(stmt, GroupActionColumn, MessageColumnCount));
            event.actor = sender;
            event.target = handleOf(handles, sqliteaccess::integer(stmt, OtherHandleColumn, MessageColumnCount));
            event.title = sqliteaccess::text(stmt, GroupTitleColumn, MessageColumnCount);
            store.addEvent(key, event);
        } else {
            MessageRecord& record = store.messages.emplaceBack();
            record.rowId = rowId;
            record.time = time;
            record.address = key;
            record.sender = sender;
            record.isIncoming = !fromMe;
            if (sqliteaccess::integer(stmt, RetractedColumn, MessageColumnCount) > 0) {
                record.flags |= MessageRecord::Unsent;
                record.text = unsentNote;
            } else {
                // Views into SQLite's buffers, copied once into the store.
                QByteArrayView text;
                if (sqlite3_column_type(stmt, TextColumn) != SQLITE_NULL) {
                    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, TextColumn));
                    text = QByteArrayView(bytes, bytes ? sqlite3_column_bytes(stmt, TextColumn) : 0);
                }
                if (text.isEmpty() && sqlite3_column_type(stmt, BodyColumn) == SQLITE_BLOB) {
                    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, BodyColumn));
                    if (bytes)
                        text = attributedbody::textIn(QByteArrayView(bytes, sqlite3_column_bytes(stmt, BodyColumn)));
                }
                if (names.isEmpty()) {
                    record.text = texts.add(text.constData(), text.size());
                } else {
                    const QByteArray shown = withAttachmentNames(text, names);
                    record.text = texts.add(shown.constData(), shown.size());
                }
            }
            if (sqliteaccess::integer(stmt, EditedColumn, MessageColumnCount) > 0)
                record.flags |= MessageRecord::Edited;
            // An unsent message's files went with it.
            if (!(record.flags & MessageRecord::Unsent)) {
                for (qsizetype i = firstAttachment; i < attachmentCursor; ++i)
                    store.addAttachment(rowId, attachmentLinks.at(i).record);
            }
        }

        if (progress && ++done % progressStep == 0)
            progress(done, qMax(total, done));
    }
    sqliteaccess::noteScanEnd(rc, store.messages.size(), "messages", &stopped);
    sqlite3_finalize(stmt);

    const QHash<QByteArray, qint64> targets = rowIdsOfGuids(db, rowIdName, dependents.keys(), &stopped);
    store.noteDamage(stopped);
    for (auto it = dependents.cbegin(); it != dependents.cend(); ++it) {
        const auto target = targets.constFind(it.key());
        // Reactions to something that is not a message here (gone, or an
        // event) have nothing to show on.
        if (target == targets.cend() || !isRecord(store, *target))
            continue;
        QSet<qint64> shown;
        for (const PendingReaction& pending : reactions.value(it.key())) {
            if (!pending.removed) {
                store.addReaction(*target, pending.reaction);
                shown.insert(pending.reaction.rowId);
            }
        }
        for (qint64 row : it.value()) {
            if (!shown.contains(row))
                store.addDependentRow(*target, row);
        }
    }
    // The total was an estimate: the last report says all is read.
    if (progress)
        progress(done, done);
}

void count(sqlite3* db, const QByteArray& rowIdName, MessageCounts* counts)
{
    const QSet<QByteArray> columns = sqliteaccess::columnNames(db, "message");
    ByteInterner pool;
    MessageStore unused;
    QString* stopped = &counts->damage;
    const Handles handles = readHandles(db, sqliteaccess::rowIdName(db, "handle"), pool, unused, stopped);
    const Chats chats = readChats(db, sqliteaccess::rowIdName(db, "chat"), pool, stopped);
    const QVector<ChatLink> chatLinks = readChatLinks(db, 0, QByteArray(), stopped);

    // Conversations by key, as a whole read keys its messages; the keys are
    // interned, so equal keys share their data.
    QSet<const char*> seen;
    bool seenEmpty = false;
    const QByteArray sql = "select " + rowIdName + ", " + column(columns, "handle_id") + ", " +
                           column(columns, "item_type") + ", " + column(columns, "associated_message_type") +
                           " from message order by " + rowIdName;
    sqlite3_stmt* stmt = sqliteaccess::prepare(db, sql.constData());
    if (!stmt)
        return;
    qsizetype chatCursor = 0;
    RepeatedRowIds again;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const qint64 rowId = sqlite3_column_int64(stmt, 0);
        const qint64 associatedType = sqliteaccess::integer(stmt, 3, 4);
        const qint64 itemType = sqliteaccess::integer(stmt, 2, 4);
        while (chatCursor < chatLinks.size() && chatLinks.at(chatCursor).messageId < rowId)
            ++chatCursor;
        if ((associatedType >= 2000 && associatedType <= 3999) || itemType != 0)
            continue;
        if (again.repeats(rowId))
            continue;
        ++counts->messages;
        const QByteArray* key = nullptr;
        for (qsizetype i = chatCursor; i < chatLinks.size() && chatLinks.at(i).messageId == rowId; ++i) {
            const Chat* chat = chats.find(chatLinks.at(i).chatId);
            if (chat && !chat->key.isEmpty()) {
                key = &chat->key;
                break;
            }
        }
        if (!key)
            key = handles.find(sqliteaccess::integer(stmt, 1, 4));
        if (!key || key->isEmpty())
            seenEmpty = true;
        else
            seen.insert(key->constData());
    }
    sqliteaccess::noteScanEnd(rc, counts->messages + again.count(), "messages", stopped);
    appendDamage(stopped, again.damage());
    sqlite3_finalize(stmt);
    counts->conversations = seen.size() + (seenEmpty ? 1 : 0);
}

} // namespace moderntable
