#pragma once

// What the chat page shows of one conversation, as plain data: one item per
// message and one per group event (a member added or removed, a new name,
// someone leaving), latest at the top, in the order the conversation holds
// them. Each item carries what the page needs whether or not it has a
// widget at the moment: its selection, and whether it was deleted here.
//
// What the store tells about groups (the name, who sent each message, the
// reactions) is read once when a conversation is loaded, so that scrolling
// never goes back to the store.

#include "BubbleLook.h"
#include "MessageRecord.h"
#include "MessageStore.h"

#include <QHash>
#include <QString>
#include <QVector>

namespace views {

struct ChatItem
{
    int record = -1; // index into the records, or -1 for an event
    int event = -1;  // index into the events
    bool gone = false;
    bool selected = false;
};

// The line shown for a group event. actor and target are the names to show;
// an empty name stands for the phone's owner.
QString describeEvent(const ConversationEvent& event, const QString& actor, const QString& target);

class ConversationItems
{
public:
    // records: the conversation, oldest first; store: where the groups,
    // reactions, events and sender names are (null for none).
    void load(const QVector<MessageRecord>& records, const MessageStore* store);
    void clear();

    int count() const { return int(m_items.size()); }
    const ChatItem& at(int item) const { return m_items[item]; }
    bool isMessage(int item) const { return m_items[item].record >= 0; }
    const MessageRecord& record(int item) const { return m_records[m_items[item].record]; }
    const QVector<MessageRecord>& records() const { return m_records; }
    QString eventText(int item) const { return m_eventTexts[m_items[item].event]; }

    // Whether a message shows nothing but its text.
    bool isPlain(int item) const;
    // The text of a message and what is shown with it.
    QString messageText(int item) const;
    BubbleContent contentOf(int item) const;

    bool isGroup() const { return m_group; }
    // The group's name, or the address of the conversation's first message
    // (empty when it has none).
    QString header() const { return m_header; }

    void setSelected(int item, bool on);
    int selectedCount() const { return m_selected; }
    void clearSelection();
    // Marks the item deleted; it keeps its place and shows nothing.
    void setGone(int item);
    int messagesLeft() const { return m_messagesLeft; }

    // The item of a message, by its position in the records; -1 when none.
    int itemOfRecord(int record) const;

private:
    QVector<MessageRecord> m_records;
    QVector<QString> m_eventTexts;
    QVector<ChatItem> m_items;
    QVector<int> m_itemOfRecord;
    QHash<QByteArray, QString> m_senderNames;
    QHash<qint64, QString> m_badges;
    // The text shown beside the attachments of each message that has them.
    QHash<qint64, QByteArray> m_besideAttachments;
    QString m_header;
    bool m_group = false;
    int m_selected = 0;
    int m_messagesLeft = 0;
};

} // namespace views
