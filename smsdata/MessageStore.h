#pragma once

// Messages of one source (the phone's message database or a backup file):
// every message, the selected conversation and the conversation list. The
// store keeps its SQLite connection open for deletes until closed.
//
// `messages` is kept in row-id order. Beside it the store keeps an index (by
// row id and by conversation key), so that finding, selecting and deleting
// cost what they touch, not the size of the file. A caller that changes
// `messages` itself gets the index rebuilt on the next call that needs it.

#include "Attachment.h"
#include "MessageRecord.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>

#include <functional>

struct sqlite3;

// The table layouts a message database comes in: the phone's own of iOS 5
// and before ("message" with "address" and "flags"), and that of iOS 6 and
// later ("message" with "handle_id" and "is_from_me", beside "handle",
// "chat" and their joins). Any other table reads as empty (Unknown).
enum class MessageLayout { Unknown, Legacy, Modern };

// What a modern file tells about one conversation besides its messages.
struct ConversationInfo
{
    bool isGroup = false;
    QByteArray displayName;      // the group's own name; empty when it has none
    QVector<QByteArray> members; // handles of the other members, in the file's order
};

// A reaction ("tapback") to a message: not a message of its own.
struct Reaction
{
    qint64 rowId = 0;
    int kind = 2000;   // 2000 love, 2001 like, 2002 dislike, 2003 laugh, 2004 emphasis, 2005 question, ...
    QByteArray sender; // handle of who reacted; empty when it was the phone's owner
    QByteArray emoji;  // the emoji of a custom reaction, when the file names one
};

// A change to a group (a member added or removed, a new name, someone
// leaving): shown as a line between the messages, not as a message.
struct ConversationEvent
{
    enum Kind : quint8 { MemberAdded, MemberRemoved, Renamed, MemberLeft, Other };
    qint64 rowId = 0;
    qint64 time = 0;
    Kind kind = Other;
    QByteArray actor;  // handle of who did it; empty when it was the phone's owner
    QByteArray target; // handle of the member added or removed
    QByteArray title;  // the new name
};

// How a store opens its file: a backup of the user's own (".sms") is
// changed by deletes; a phone's database is only ever read, and its folder
// stays byte for byte as it was.
enum class StoreAccess { ReadWrite, ReadOnly };

// Called while a read runs, on the thread that reads: `done` of about
// `total` rows so far; the last call has done == total. A read of a large file may run on a worker thread; the
// callback then posts to the GUI thread itself.
using ReadProgress = std::function<void(qint64 done, qint64 total)>;

struct ReadOptions
{
    StoreAccess access = StoreAccess::ReadWrite;
    // The database's write-ahead log when it does not lie beside the file
    // as path + "-wal" (a phone backup keeps it under a name of its own).
    QByteArray walPath;
    ReadProgress progress;
    // When set, only the messages of this conversation are read (what one
    // conversation's view needs), found through the file's indexes where
    // it has them.
    QByteArray onlyConversation;
};

// What a whole read of a file would give as the sizes of `messages` and of
// `conversationHeads`, counted without keeping the messages: a summary of a
// large file costs a pass over its rows, not its texts.
struct MessageCounts
{
    MessageLayout layout = MessageLayout::Unknown;
    qint64 messages = 0;
    qint64 conversations = 0;
    // Why the counts fall short, worded as MessageStore::damage(); empty
    // when the file read whole.
    QString damage;
};

class MessageStore
{
public:
    // An empty store with nothing open, to be filled by reload (for example
    // on a worker thread).
    MessageStore() = default;
    // openAndRead: creates the empty arrays and reads the file at path
    // (UTF-8). A path that does not exist reads as empty and is not created.
    explicit MessageStore(const QByteArray& path, StoreAccess access = StoreAccess::ReadWrite);
    MessageStore(const QByteArray& path, const ReadOptions& options);
    ~MessageStore();

    MessageStore(const MessageStore&) = delete;
    MessageStore& operator=(const MessageStore&) = delete;

    // Empties messages (not the derived arrays), opens path and reads every
    // row of the message table. The caller closes any earlier connection.
    // A ReadOnly store refuses deletes; a ReadWrite one allows them.
    void reload(const QByteArray& path, StoreAccess access = StoreAccess::ReadWrite);
    void reload(const QByteArray& path, const ReadOptions& options);
    // Closes the connection; an already closed store does nothing (SQLITE_OK).
    int close();
    bool isOpen() const { return m_db != nullptr; }
    // Empties every array and what the store knows beside them; the
    // connection (and with it the file's layout, for deletes) stays.
    void clear();

    // 0 on success, else the SQLite result code. A record leaves messages
    // only when its row left the file. Rows the file's own triggers remove
    // with it leave the store too, so store and file always agree.
    int deleteMessage(qint64 rowId);
    void deleteConversation(const QByteArray& address);
    // Deletes the given rows, in order, in one transaction: each as
    // deleteMessage would, but a failure is reported once. Returns 0, or the
    // first failure's SQLite result code.
    int deleteMessages(const QVector<qint64>& rowIds);
    void selectConversation(const QByteArray& address);
    // The records of one conversation, oldest first, without selecting it
    // (what an export reads while the window shows another).
    QVector<MessageRecord> recordsOf(const QByteArray& address);
    void buildConversationList();

    // A store on the phone's own databases refuses to delete (SQLITE_READONLY),
    // as does one whose file is damaged, whatever it was allowed.
    void setDeletesAllowed(bool allowed) { m_deletesAllowed = allowed; }
    bool deletesAllowed() const { return m_deletesAllowed && m_damage.isEmpty(); }

    // True while deleted rows may still be read from the file's log because
    // another program held it when they were deleted; the user was told.
    // finishWipe() (also run by the next delete and by close) empties the
    // log once that program lets go, waiting for it up to waitMs, and says
    // whether it did.
    // How long a delete waits for another reader of the file to let go.
    static constexpr int kWipeWaitMs = 1000;
    bool wipePending() const { return m_wipePending; }
    bool finishWipe(int waitMs = kWipeWaitMs);

    // Why the file read is damaged ("its message table gives row 17 twice"),
    // empty when nothing was seen. A damaged file shows what could be read
    // of it: one record per row id, the first one the table gave.
    QString damage() const { return m_damage; }
    // What a reader saw of the damage (a scan that stopped at an error);
    // a second reason is added after the first.
    void noteDamage(const QString& reason);

    MessageLayout layout() const { return m_layout; }

    // The record with this row id, or null.
    const MessageRecord* message(qint64 rowId);
    // Number of messages of one conversation.
    int messageCountOf(const QByteArray& address);

    // Modern files only; legacy files have none of these.
    const ConversationInfo* conversationInfo(const QByteArray& address) const;
    QVector<Reaction> reactionsTo(qint64 rowId) const;
    QVector<ConversationEvent> eventsOf(const QByteArray& address) const;
    // The handle's country as the file records it ("us"), empty when unknown.
    QByteArray handleCountry(const QByteArray& handle) const;

    // What the modern reader records beside the messages.
    void setConversationInfo(const QByteArray& address, const ConversationInfo& info);
    void addReaction(qint64 targetRowId, const Reaction& reaction);
    void addEvent(const QByteArray& address, const ConversationEvent& event);
    void setHandleCountry(const QByteArray& handle, const QByteArray& country);
    // A row that belongs to a message without being a reaction shown on it
    // (the removal of a reaction, or a reaction since removed): it goes
    // when the message is deleted.
    void addDependentRow(qint64 targetRowId, qint64 rowId);

    // A message's attachments, in the order their placeholders stand in its
    // text; empty when it has none. Both layouts record them while reading.
    QVector<AttachmentRecord> attachmentsOf(qint64 rowId) const;
    void addAttachment(qint64 rowId, const AttachmentRecord& attachment);
    // Row ids of the messages that carry attachments, ascending.
    QVector<qint64> messagesWithAttachments() const;

    // Names of group members and senders, set by the contact-name fill:
    // the contact's name, or empty when none matched.
    void setSenderName(const QByteArray& handle, const QByteArray& name);
    QByteArray senderName(const QByteArray& handle) const;

    QVector<MessageRecord> messages;
    QVector<MessageRecord> conversation;
    QVector<MessageRecord> conversationHeads;
    int messageCount = 0;
    int columnCount = 0;

private:
    friend void closeLastMessageDatabase();
    void openAndRead(const QByteArray& path, const ReadOptions& options);
    void clearSideData();

    // The index: positions by row id come from a binary search in messages;
    // the row ids of each conversation, ascending, from this hash.
    void ensureIndex();
    void rebuildIndex();
    qsizetype positionOf(qint64 rowId) const;

    // Runs the deletes without telling the user; fills *failed when one did
    // not succeed. The caller reports afterwards.
    int deleteRows(const QVector<qint64>& rowIds, bool* failed);
    void forgetDeleted(const QSet<qint64>& deleted);

    // Keeps the first record of each row id and notes the damage when the
    // file gave one more than once (a damaged table).
    void dropDuplicateRows();
    // Reads the rows of the layout found (of one conversation, or all).
    void readRows(const ReadOptions& options, const QByteArray& onlyConversation);

    sqlite3* m_db = nullptr;
    bool m_deletesAllowed = true;
    bool m_wipePending = false;
    QString m_damage;
    MessageLayout m_layout = MessageLayout::Unknown;
    // The name under which the message table's true row id is read and
    // deleted by ("rowid", "oid" or "_rowid_": one the table does not
    // declare as a column of its own).
    QByteArray m_rowIdName;

    QHash<QByteArray, QVector<qint64>> m_byAddress;
    qsizetype m_indexedSize = -1;
    const MessageRecord* m_indexedData = nullptr;

    QHash<QByteArray, ConversationInfo> m_conversations;
    QHash<qint64, QVector<Reaction>> m_reactions;
    QHash<QByteArray, QVector<ConversationEvent>> m_events;
    QHash<QByteArray, QByteArray> m_handleCountries;
    QHash<QByteArray, QByteArray> m_senderNames;
    // Rows that go with a message (its reactions and their removals), and
    // the other way round, which message a row goes with; group events by
    // row id, to the conversation that shows them.
    QHash<qint64, QVector<qint64>> m_dependentRows;
    QHash<qint64, qint64> m_dependentOf;
    QHash<qint64, QByteArray> m_eventAddress;
    QHash<qint64, QVector<AttachmentRecord>> m_attachments;
};

// Adds a reason to a damage word, after "; " when it holds one already;
// an empty reason, or one already there, adds nothing.
void appendDamage(QString* damage, const QString& reason);

// The damage word for a message table that gave `dropped` rows again, the
// first of them `rowId`.
QString duplicateRowsDamage(qint64 dropped, qint64 rowId);

// Row ids of a scan in row-id order that a damaged table gives again: the
// counters count each once, as a read keeps it.
class RepeatedRowIds
{
public:
    // True when rowId repeats the one before it.
    bool repeats(qint64 rowId)
    {
        if (m_seen && rowId == m_previous) {
            if (m_count++ == 0)
                m_first = rowId;
            return true;
        }
        m_seen = true;
        m_previous = rowId;
        return false;
    }
    qint64 count() const { return m_count; }
    // The damage word; empty when no row id came again.
    QString damage() const { return m_count > 0 ? duplicateRowsDamage(m_count, m_first) : QString(); }

private:
    bool m_seen = false;
    qint64 m_previous = 0;
    qint64 m_count = 0;
    qint64 m_first = 0;
};

// Counts the file at path as a store with these options would read it
// (access and walPath are used; the file is never changed).
MessageCounts countMessages(const QByteArray& path, const ReadOptions& options);

// Bit 0 of this value is what the SQL function "read" answers; deleteMessage
// sets it to 2 before deleting an incoming message and to 3 otherwise.
extern int lastDeletedFlags;

// The connection most recently opened by a MessageStore, or null once closed.
sqlite3* lastMessageDatabase();
// Closes that connection when it is still open, through the store that owns
// it, so that the store does not close it a second time.
void closeLastMessageDatabase();

// Called when a delete statement fails, with the translated title "Error" and
// text "Delete Error"; and with "Warning" and a text of its own when the
// deleted text stays readable for a while because another program reads
// the file. The default writes them to standard error; the GUI
// installs a handler that shows the message box. The store calls it last,
// when it is done with the delete: the handler may run an event loop in
// which the store is destroyed.
using DeleteErrorHandler = void (*)(const QString& title, const QString& text);
void setDeleteErrorHandler(DeleteErrorHandler handler);
