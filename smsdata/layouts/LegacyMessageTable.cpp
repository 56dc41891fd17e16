#include "LegacyMessageTable.h"

#include "PlistValue.h"

#include "ByteInterner.h"
#include "SqliteAccess.h"
#include "TextChunks.h"

#include <QVector>

#include <climits>
#include <cstdlib>
#include <cstring>

#include <plist/plist.h>
#include <sqlite3.h>

namespace legacytable {

namespace {

// Columns of the phone's table, counted after the row id read beside them.
constexpr int addressColumn = 1;
constexpr int dateColumn = 2;
constexpr int textColumn = 3;
constexpr int flagsColumn = 4;

constexpr int progressStep = 8192;

// A recipients list is a few numbers; anything far larger is not one.
constexpr int maxRecipientsBytes = 64 * 1024;

// Text parts joined as the phone shows them, with every other part named
// in the bracket form attachments take; at most this much of a message.
constexpr qsizetype maxPartsText = 1024 * 1024;

struct PendingMms
{
    qsizetype index = 0; // in store.messages
    bool needsAddress = false;
    bool needsText = false;
    QByteArray recipients;
    // The row lists recipients (even none that can be read).
    bool hasRecipients = false;
    qint64 groupId = 0;
};

// "recipients", "group_id" and "is_madrid" when the table has them (iOS 4
// and 5), and whether msg_pieces and group_member exist.
struct MmsSources
{
    QByteArray recipientsColumn;
    QByteArray groupColumn;
    // Set on the instant messages of iOS 5, which are never multimedia
    // messages: they keep the address rule.
    QByteArray madridColumn;
    bool pieces = false;
    bool members = false;
};

MmsSources mmsSources(sqlite3* db, const QList<QByteArray>& columns)
{
    MmsSources sources;
    for (const QByteArray& column : columns) {
        if (column.compare("recipients", Qt::CaseInsensitive) == 0)
            sources.recipientsColumn = sqliteaccess::quotedName(column);
        else if (column.compare("group_id", Qt::CaseInsensitive) == 0)
            sources.groupColumn = sqliteaccess::quotedName(column);
        else if (column.compare("is_madrid", Qt::CaseInsensitive) == 0)
            sources.madridColumn = sqliteaccess::quotedName(column);
    }
    sources.pieces = sqliteaccess::columnNames(db, "msg_pieces").contains("message_id");
    sources.members = sqliteaccess::columnNames(db, "group_member").contains("group_id");
    return sources;
}

// The columns a multimedia message is told by, for a select: recipients,
// group id, whether it is an instant message.
QByteArray mmsColumns(const MmsSources& mms)
{
    const auto orNull = [](const QByteArray& column) { return column.isEmpty() ? QByteArray("NULL") : column; };
    return ", " + orNull(mms.recipientsColumn) + ", " + orNull(mms.groupColumn) + ", " + orNull(mms.madridColumn);
}

// Whether a row without an address is a sent multimedia message, whose
// recipient is found elsewhere: not an instant message, and it lists
// recipients or belongs to a group (whether it has parts is asked later).
bool mayBeSentMms(sqlite3_stmt* stmt, int recipientsAt)
{
    if (sqlite3_column_int64(stmt, recipientsAt + 2) != 0)
        return false;
    return sqlite3_column_type(stmt, recipientsAt) != SQLITE_NULL || sqlite3_column_int64(stmt, recipientsAt + 1) != 0;
}

PendingMms pendingAddress(sqlite3_stmt* stmt, int recipientsAt)
{
    PendingMms pending;
    pending.needsAddress = true;
    pending.hasRecipients = sqlite3_column_type(stmt, recipientsAt) != SQLITE_NULL;
    pending.recipients = QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, recipientsAt)),
                                    sqlite3_column_bytes(stmt, recipientsAt));
    pending.groupId = sqlite3_column_int64(stmt, recipientsAt + 1);
    return pending;
}

// Whether the address in column (NULL, or the key once its dashes are
// dropped) may be of the conversation with this key: a row without one may
// be a sent multimedia message of it.
bool mayBelongTo(sqlite3_stmt* stmt, int column, const QByteArray& key)
{
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL)
        return true;
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    const int size = sqlite3_column_bytes(stmt, column);
    qsizetype at = 0;
    for (int i = 0; i < size; ++i) {
        if (bytes[i] == '-')
            continue;
        if (at >= key.size() || bytes[i] != key.at(at))
            return false;
        ++at;
    }
    return at == key.size();
}

QByteArray withoutDashes(QByteArray address)
{
    address.replace('-', QByteArray());
    return address;
}

// Fills in what a multimedia message keeps outside its row: its text in
// its parts, and, for one that was sent, its recipient.
void completeMms(sqlite3* db, const MmsSources& sources, const QVector<PendingMms>& pending, MessageStore& store)
{
    sqlite3_stmt* parts = sources.pieces ? sqliteaccess::prepare(db, "select content_type, data, content_loc from "
                                                                     "msg_pieces where message_id = ? order by part_id")
                                         : nullptr;
    sqlite3_stmt* member = sources.members ? sqliteaccess::prepare(db, "select address from group_member where "
                                                                       "group_id = ? and address is not null and "
                                                                       "address != '' order by ROWID limit 1")
                                           : nullptr;
    // A row without recipients is a multimedia message only when it has parts.
    sqlite3_stmt* hasParts =
        sources.pieces ? sqliteaccess::prepare(db, "select 1 from msg_pieces where message_id = ? limit 1") : nullptr;
    const auto isMms = [hasParts](const PendingMms& mms, qint64 rowId) {
        if (mms.hasRecipients)
            return true;
        if (!hasParts)
            return false;
        sqlite3_bind_int64(hasParts, 1, rowId);
        const bool found = sqlite3_step(hasParts) == SQLITE_ROW;
        sqlite3_reset(hasParts);
        return found;
    };
    QString stopped;
    for (const PendingMms& mms : pending) {
        MessageRecord& record = store.messages[mms.index];
        if (mms.needsAddress) {
            QByteArray address = legacytable::firstRecipient(mms.recipients);
            if (address.isEmpty() && member && mms.groupId != 0 && isMms(mms, record.rowId)) {
                sqlite3_bind_int64(member, 1, mms.groupId);
                const int rc = sqlite3_step(member);
                if (rc == SQLITE_ROW)
                    address = sqliteaccess::text(member, 0, 1);
                sqliteaccess::noteScanEnd(rc, 0, "rows of group_member", &stopped);
                sqlite3_reset(member);
            }
            record.address = withoutDashes(address);
        }
        if (mms.needsText && parts) {
            sqlite3_bind_int64(parts, 1, record.rowId);
            QByteArray text;
            bool afterName = false;
            int rc;
            while ((rc = sqlite3_step(parts)) == SQLITE_ROW && text.size() < maxPartsText) {
                const QByteArray type = sqliteaccess::text(parts, 0, 3).trimmed().toLower();
                QByteArray piece;
                bool isName = false;
                if (type == "text/plain") {
                    piece = sqliteaccess::text(parts, 1, 3);
                } else {
                    // A part without a name (the message's layout) shows nothing.
                    const QByteArray name = sqliteaccess::text(parts, 2, 3);
                    if (!name.isEmpty())
                        piece = '[' + name + ']';
                    isName = true;
                }
                if (piece.isEmpty())
                    continue;
                // Names stand apart from what is next to them; text parts
                // follow each other as written.
                if (!text.isEmpty() && (isName || afterName))
                    text += ' ';
                text += piece;
                afterName = isName;
            }
            sqliteaccess::noteScanEnd(rc, 0, "rows of msg_pieces", &stopped);
            sqlite3_reset(parts);
            record.text = text.left(maxPartsText);
        }
    }
    sqlite3_finalize(parts);
    sqlite3_finalize(member);
    sqlite3_finalize(hasParts);
    store.noteDamage(stopped);
}

} // namespace

void count(sqlite3* db, const QByteArray& rowIdName, MessageCounts* counts)
{
    const QList<QByteArray> columns = sqliteaccess::columnsInOrder(db, "message");
    const MmsSources mms = mmsSources(db, columns);
    QByteArray sql =
        "select " + rowIdName + ", " +
        (addressColumn < columns.size() ? sqliteaccess::quotedName(columns.at(addressColumn)) : QByteArray("NULL"));
    sql += mmsColumns(mms) + " from message";
    sqlite3_stmt* stmt = sqliteaccess::prepare(db, sql.constData());
    if (!stmt)
        return;
    QSet<QByteArray> keys;
    QVector<PendingMms> pending;
    MessageStore unresolved;
    QByteArray dashed;
    dashed.reserve(64);
    RepeatedRowIds again;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (again.repeats(sqlite3_column_int64(stmt, 0)))
            continue;
        ++counts->messages;
        if (sqlite3_column_type(stmt, 1) == SQLITE_NULL) {
            if (!mayBeSentMms(stmt, 2)) {
                keys.insert(QByteArray());
                continue;
            }
            // Resolved afterwards, as a whole read does.
            MessageRecord& record = unresolved.messages.emplaceBack();
            record.rowId = sqlite3_column_int64(stmt, 0);
            PendingMms mmsRow = pendingAddress(stmt, 2);
            mmsRow.index = unresolved.messages.size() - 1;
            pending.append(mmsRow);
            continue;
        }
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        const int size = sqlite3_column_bytes(stmt, 1);
        if (!bytes)
            continue;
        if (std::memchr(bytes, '-', size_t(size))) {
            // The key without its dashes, in a buffer used again and again.
            dashed.resize(0);
            for (int i = 0; i < size; ++i) {
                if (bytes[i] != '-')
                    dashed.append(bytes[i]);
            }
            if (!keys.contains(dashed))
                keys.insert(QByteArray(dashed.constData(), dashed.size()));
            continue;
        }
        // Looked up without a copy; kept only when new.
        const QByteArray view = QByteArray::fromRawData(bytes, size);
        if (!keys.contains(view))
            keys.insert(QByteArray(bytes, size));
    }
    sqliteaccess::noteScanEnd(rc, counts->messages + again.count(), "messages", &counts->damage);
    sqlite3_finalize(stmt);
    if (!pending.isEmpty()) {
        completeMms(db, mms, pending, unresolved);
        for (const MessageRecord& record : std::as_const(unresolved.messages))
            keys.insert(record.address);
    }
    appendDamage(&counts->damage, unresolved.damage());
    appendDamage(&counts->damage, again.damage());
    counts->conversations = keys.size();
}

QByteArray firstRecipient(const QByteArray& recipients)
{
    if (recipients.isEmpty() || recipients.size() > maxRecipientsBytes)
        return {};
    // The parser recurses per level: a cell nested deeper than any real
    // list is not handed to it.
    if (!phonebackup::plistvalue::checkBounds(recipients).isEmpty())
        return {};
    plist_t root = nullptr;
    plist_from_memory(recipients.constData(), uint32_t(recipients.size()), &root);
    QByteArray first;
    if (root && plist_get_node_type(root) == PLIST_ARRAY) {
        const uint32_t count = plist_array_get_size(root);
        for (uint32_t i = 0; i < count && first.isEmpty(); ++i) {
            plist_t item = plist_array_get_item(root, i);
            if (!item || plist_get_node_type(item) != PLIST_STRING)
                continue;
            // A string may hold NUL bytes; its length says where it ends.
            uint64_t length = 0;
            const char* value = plist_get_string_ptr(item, &length);
            if (value && length <= uint64_t(recipients.size()))
                first = QByteArray(value, qsizetype(length)).trimmed();
        }
    }
    if (root)
        plist_free(root);
    return first;
}

bool matches(const QSet<QByteArray>& columns)
{
    return columns.contains("address") && columns.contains("flags");
}

void read(sqlite3* db, const QByteArray& rowIdName, MessageStore& store, const ReadProgress& progress,
          const QByteArray& onlyConversation)
{
    // The columns the Part's positions name, asked for by name: "select *"
    // would make SQLite take apart every one of the table's columns.
    const QList<QByteArray> columns = sqliteaccess::columnsInOrder(db, "message");
    store.columnCount = int(columns.size());
    QByteArray sql = "select " + rowIdName;
    for (int position : {addressColumn, dateColumn, textColumn, flagsColumn})
        sql += ", " + (position < columns.size() ? sqliteaccess::quotedName(columns.at(position)) : QByteArray("NULL"));
    const MmsSources mms = mmsSources(db, columns);
    sql += mmsColumns(mms) + " from message";
    // One conversation is picked from the table's own scan (it has no index
    // by address), which also sees the other rows' ids: a damaged table that
    // gives one of them twice shows only there.
    const bool whole = onlyConversation.isEmpty();
    if (!whole)
        sql += " not indexed";
    sqlite3_stmt* stmt = sqliteaccess::prepare(db, sql.constData());
    if (!stmt) {
        if (progress)
            progress(0, 0);
        return;
    }

    const qint64 total = whole ? sqliteaccess::rowCountEstimate(db, "message", rowIdName) : 0;
    if (total > 0)
        store.messages.reserve(qsizetype(qMin<qint64>(total, INT_MAX / 2)));
    if (progress)
        progress(0, total);

    ByteInterner addresses;
    TextChunks texts;
    QByteArray address;
    QVector<PendingMms> pendingMms;
    qint64 done = 0;
    // A damaged file may fail part-way; the rows read so far are kept, and
    // the file is marked damaged.
    int rc;
    qint64 previousRowId = 0;
    qint64 scanned = 0;
    bool outOfOrder = false;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const qint64 rowId = sqlite3_column_int64(stmt, 0);
        if (!whole) {
            if (scanned++ > 0 && rowId <= previousRowId)
                outOfOrder = true;
            previousRowId = rowId;
            if (!mayBelongTo(stmt, 1, onlyConversation))
                continue;
        }
        MessageRecord& record = store.messages.emplaceBack();
        record.rowId = rowId;

        if (sqlite3_column_type(stmt, 1) != SQLITE_NULL) {
            const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
            const int size = sqlite3_column_bytes(stmt, 1);
            if (bytes && std::memchr(bytes, '-', size_t(size))) {
                address = QByteArray(bytes, size);
                address.replace('-', QByteArray());
                record.address = addresses.intern(address);
            } else if (bytes) {
                record.address = addresses.intern(bytes, size);
            }
        }
        // Times before 1970 (and corrupt ones beyond 32 bits) show as the
        // epoch rather than failing in the C library.
        qint64 seconds = sqlite3_column_int64(stmt, 2);
        if (seconds < 0 || seconds > INT_MAX)
            seconds = 0;
        record.time = seconds;
        if (sqlite3_column_type(stmt, 3) != SQLITE_NULL) {
            const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3));
            record.text = texts.add(bytes, sqlite3_column_bytes(stmt, 3));
        }
        record.isIncoming = sqlite3_column_int64(stmt, 4) == 2;

        // A multimedia message: a sent one has no address but recipients,
        // and its text, sent or received, lies in its parts.
        // Instant messages keep their text in their row.
        const bool noAddress = sqlite3_column_type(stmt, 1) == SQLITE_NULL && mayBeSentMms(stmt, 5);
        const bool noText = record.text.isEmpty() && mms.pieces && sqlite3_column_int64(stmt, 7) == 0;
        if (noAddress || noText) {
            PendingMms pending = noAddress ? pendingAddress(stmt, 5) : PendingMms();
            pending.index = store.messages.size() - 1;
            pending.needsText = noText;
            pendingMms.append(pending);
        }

        if (progress && ++done % progressStep == 0)
            progress(done, qMax(total, done));
    }
    QString stopped;
    sqliteaccess::noteScanEnd(rc, store.messages.size(), "messages", &stopped);
    store.noteDamage(stopped);
    if (outOfOrder)
        store.noteDamage(QStringLiteral("its message table gives its rows out of order"));
    sqlite3_finalize(stmt);
    if (!pendingMms.isEmpty())
        completeMms(db, mms, pendingMms, store);
    // The total was an estimate: the last report says all is read.
    if (progress)
        progress(store.messages.size(), store.messages.size());
}

} // namespace legacytable
