// The message store on arbitrary files: read as the phone's database (never
// changed) and as a backup of the user's own (with deletes), then browsed as
// the pages do. Whatever the bytes, the store must stay consistent with
// itself: its count, its row-id order, one list row per conversation, and
// every message in exactly one conversation.

#include "FuzzEntries.h"

#include "MessageStore.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void ignoreDeleteError(const QString&, const QString&) {}

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void browse(MessageStore& store)
{
    require(store.messageCount == store.messages.size());
    for (qsizetype i = 1; i < store.messages.size(); ++i)
        require(store.messages.at(i - 1).rowId < store.messages.at(i).rowId);
    store.buildConversationList();
    QSet<QByteArray> keys;
    qsizetype inConversations = 0;
    for (const MessageRecord& head : std::as_const(store.conversationHeads)) {
        require(!keys.contains(head.address));
        keys.insert(head.address);
        store.selectConversation(head.address);
        require(!store.conversation.isEmpty());
        require(store.conversation.constLast().rowId == head.rowId);
        inConversations += store.conversation.size();
        for (const MessageRecord& m : std::as_const(store.conversation))
            require(m.timeText().startsWith("time:") && store.message(m.rowId));
        for (const Reaction& r : store.reactionsTo(head.rowId))
            require(r.rowId != head.rowId);
        store.eventsOf(head.address);
        store.conversationInfo(head.address);
    }
    require(inConversations == store.messages.size());
}

} // namespace

namespace fuzzentries {

int messageStore(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const bool quiet = (setDeleteErrorHandler(&ignoreDeleteError), true);
    Q_UNUSED(quiet)
    const QString path = dir.filePath(QStringLiteral("fuzz.db"));
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    {
        MessageStore phone(path.toUtf8(), StoreAccess::ReadOnly);
        browse(phone);
        // A phone's file is never changed.
        require(phone.deleteMessage(phone.messages.isEmpty() ? 1 : phone.messages.at(0).rowId) != 0);
        require(phone.messageCount == phone.messages.size());
        // A damaged file is only shown, whatever the caller allows.
        phone.setDeletesAllowed(true);
        require(phone.damage().isEmpty() || !phone.deletesAllowed());
        // One conversation read alone (through the file's indexes, or,
        // where they run into damage, from the whole table) and the counts
        // a summary takes.
        ReadOptions options;
        options.access = StoreAccess::ReadOnly;
        const QByteArray key = phone.messages.isEmpty() ? QByteArray() : phone.messages.at(0).address;
        options.onlyConversation = key.isEmpty() ? QByteArray("x") : key;
        MessageStore one(path.toUtf8(), options);
        browse(one);
        for (const MessageRecord& m : std::as_const(one.messages))
            require(m.address == options.onlyConversation);
        countMessages(path.toUtf8(), options);
    }
    MessageStore backup(path.toUtf8());
    browse(backup);
    if (!backup.conversationHeads.isEmpty()) {
        const MessageRecord head = backup.conversationHeads.constFirst();
        backup.selectConversation(head.address);
        // A failed delete keeps the record; one that went leaves the open
        // conversation too. (A damaged file may report success for a row
        // it cannot find: the record then stays, as the row does.)
        const bool succeeded = backup.deleteMessage(head.rowId) == 0;
        const bool kept = backup.message(head.rowId) != nullptr;
        require(succeeded || kept);
        for (const MessageRecord& m : std::as_const(backup.conversation))
            require(kept || m.rowId != head.rowId);
        browse(backup);
        backup.deleteConversation(head.address);
        browse(backup);
    }
    return 0;
}

} // namespace fuzzentries
