#include "ConversationItems.h"

#include "Attachment.h"
#include "ReactionText.h"

#include <QCoreApplication>

#include <algorithm>
#include <numeric>

namespace views {

namespace {

// The texts of conversation events, in a translation context of their own.
struct EventText
{
    Q_DECLARE_TR_FUNCTIONS(views::EventText)
};

template <typename Key> bool sortedBy(const QVector<MessageRecord>& records, Key key)
{
    return std::is_sorted(records.begin(), records.end(),
                          [&](const MessageRecord& a, const MessageRecord& b) { return key(a) < key(b); });
}

} // namespace

QString describeEvent(const ConversationEvent& event, const QString& actor, const QString& target)
{
    const QString who = actor.isEmpty() ? EventText::tr("You") : actor;
    const QString whom = target.isEmpty() ? EventText::tr("you") : target;
    switch (event.kind) {
    case ConversationEvent::MemberAdded:
        return EventText::tr("%1 added %2").arg(who, whom);
    case ConversationEvent::MemberRemoved:
        return EventText::tr("%1 removed %2").arg(who, whom);
    case ConversationEvent::Renamed:
        if (event.title.isEmpty())
            return EventText::tr("%1 removed the conversation's name").arg(who);
        return EventText::tr("%1 named the conversation \u201c%2\u201d").arg(who, QString::fromUtf8(event.title));
    case ConversationEvent::MemberLeft:
        return EventText::tr("%1 left the conversation").arg(who);
    case ConversationEvent::Other:
        break;
    }
    return EventText::tr("%1 changed the conversation").arg(who);
}

void ConversationItems::clear()
{
    m_records.clear();
    m_eventTexts.clear();
    m_items.clear();
    m_itemOfRecord.clear();
    m_senderNames.clear();
    m_badges.clear();
    m_besideAttachments.clear();
    m_header.clear();
    m_group = false;
    m_selected = 0;
    m_messagesLeft = 0;
}

void ConversationItems::load(const QVector<MessageRecord>& records, const MessageStore* store)
{
    clear();
    m_records = records;
    m_messagesLeft = int(records.size());
    if (records.isEmpty())
        return;
    const QByteArray address = records.first().address;
    m_header = QString::fromUtf8(address);

    auto nameOf = [store](const QByteArray& handle) {
        if (handle.isEmpty())
            return QString();
        const QByteArray name = store ? store->senderName(handle).trimmed() : QByteArray();
        return QString::fromUtf8(name.isEmpty() ? handle : name);
    };

    QVector<ConversationEvent> events;
    if (store) {
        const ConversationInfo* info = store->conversationInfo(address);
        m_group = info && info->isGroup;
        if (m_group) {
            QString name = QString::fromUtf8(info->displayName).trimmed();
            if (name.isEmpty()) {
                QStringList members;
                for (const QByteArray& member : info->members)
                    members.append(nameOf(member));
                name = members.join(QStringLiteral(", "));
            }
            if (!name.isEmpty())
                m_header = name;
            for (const MessageRecord& r : records) {
                if (r.isIncoming && !r.sender.isEmpty() && !m_senderNames.contains(r.sender))
                    m_senderNames.insert(r.sender, nameOf(r.sender));
            }
        }
        for (const MessageRecord& r : records) {
            const QVector<Reaction> reactions = store->reactionsTo(r.rowId);
            if (!reactions.isEmpty()) {
                const QString badge = reactiontext::badge(reactions);
                if (!badge.isEmpty())
                    m_badges.insert(r.rowId, badge);
            }
        }
        events = store->eventsOf(address);
        // Attachments show as tiles under the bubble; their names do not
        // show again in its text.
        for (const MessageRecord& r : records) {
            if (r.flags & MessageRecord::Unsent)
                continue;
            const QVector<AttachmentRecord> attachments = store->attachmentsOf(r.rowId);
            if (!attachments.isEmpty())
                m_besideAttachments.insert(r.rowId, attachments::textBesideAttachments(r.text, attachments));
        }
    }

    // Where each event goes among the messages: by row id where the file
    // gives one (the conversation is in row-id order), else by time.
    const int n = int(records.size());
    const bool byRow = sortedBy(records, [](const MessageRecord& r) { return r.rowId; });
    const bool byTime = sortedBy(records, [](const MessageRecord& r) { return r.time; });
    QVector<int> before(events.size());
    for (int e = 0; e < events.size(); ++e) {
        const ConversationEvent& ev = events.at(e);
        if (ev.rowId > 0 && byRow) {
            before[e] = int(std::lower_bound(records.begin(), records.end(), ev.rowId,
                                             [](const MessageRecord& r, qint64 id) { return r.rowId < id; }) -
                            records.begin());
        } else if (byTime) {
            before[e] = int(std::upper_bound(records.begin(), records.end(), ev.time,
                                             [](qint64 t, const MessageRecord& r) { return t < r.time; }) -
                            records.begin());
        } else {
            before[e] = n;
        }
        m_eventTexts.append(describeEvent(ev, nameOf(ev.actor), nameOf(ev.target)));
    }
    QVector<int> eventOrder(events.size());
    std::iota(eventOrder.begin(), eventOrder.end(), 0);
    std::stable_sort(eventOrder.begin(), eventOrder.end(), [&](int a, int b) { return before[a] < before[b]; });

    // Oldest first, then turned over: the latest is at the top.
    m_items.reserve(n + events.size());
    int next = 0;
    for (int r = 0; r <= n; ++r) {
        while (next < eventOrder.size() && before[eventOrder[next]] <= r) {
            ChatItem item;
            item.event = eventOrder[next++];
            m_items.append(item);
        }
        if (r < n) {
            ChatItem item;
            item.record = r;
            m_items.append(item);
        }
    }
    std::reverse(m_items.begin(), m_items.end());
    m_itemOfRecord.fill(-1, n);
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items[i].record >= 0)
            m_itemOfRecord[m_items[i].record] = i;
    }
}

QString ConversationItems::messageText(int item) const
{
    return QString::fromUtf8(record(item).text);
}

bool ConversationItems::isPlain(int item) const
{
    const MessageRecord& r = record(item);
    return r.flags == 0 && !(m_group && r.isIncoming && !r.sender.isEmpty()) &&
           (m_badges.isEmpty() || !m_badges.contains(r.rowId)) &&
           (m_besideAttachments.isEmpty() || !m_besideAttachments.contains(r.rowId));
}

BubbleContent ConversationItems::contentOf(int item) const
{
    const MessageRecord& r = record(item);
    BubbleContent c;
    const auto beside = m_besideAttachments.constFind(r.rowId);
    c.besideAttachments = beside != m_besideAttachments.constEnd();
    c.text = breakableText(QString::fromUtf8(c.besideAttachments ? *beside : r.text));
    if (m_group && r.isIncoming && !r.sender.isEmpty()) {
        c.sender = m_senderNames.value(r.sender);
        c.senderTone = int(qHash(r.sender) % 1024);
    }
    c.badge = m_badges.value(r.rowId);
    c.edited = (r.flags & MessageRecord::Edited) != 0;
    c.unsent = (r.flags & MessageRecord::Unsent) != 0;
    return c;
}

void ConversationItems::setSelected(int item, bool on)
{
    ChatItem& it = m_items[item];
    if (it.selected == on || it.gone || it.record < 0)
        return;
    it.selected = on;
    m_selected += on ? 1 : -1;
}

void ConversationItems::clearSelection()
{
    for (ChatItem& it : m_items)
        it.selected = false;
    m_selected = 0;
}

void ConversationItems::setGone(int item)
{
    ChatItem& it = m_items[item];
    if (it.gone)
        return;
    if (it.selected) {
        it.selected = false;
        --m_selected;
    }
    it.gone = true;
    if (it.record >= 0)
        --m_messagesLeft;
}

int ConversationItems::itemOfRecord(int record) const
{
    return record >= 0 && record < m_itemOfRecord.size() ? m_itemOfRecord[record] : -1;
}

} // namespace views
