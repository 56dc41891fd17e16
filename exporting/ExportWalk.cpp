#include "ExportWalk.h"

#include "ConversationKey.h"
#include "ReactionText.h"
#include "SqliteAccess.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <ctime>

namespace exporting {

namespace {

// The texts of the exports share one translation context.
struct Export
{
    Q_DECLARE_TR_FUNCTIONS(Export)
};

} // namespace

QString conversationName(const MessageRecord& head)
{
    const QString name = QString::fromUtf8(head.contactName).trimmed();
    return head.contactName == "NULL" || name.isEmpty() ? conversationkey::toText(head.address) : name;
}

namespace {

// Writes value as count digits, zero-padded, at at.
void writeDigits(char* at, int value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        at[i] = char('0' + value % 10);
        value /= 10;
    }
}

// Writes "yyyy-MM-dd?hh:mm" of parts into text, over its digits only.
void writeDayAndMinute(char* text, const std::tm& parts)
{
    writeDigits(text, parts.tm_year + 1900, 4);
    writeDigits(text + 5, parts.tm_mon + 1, 2);
    writeDigits(text + 8, parts.tm_mday, 2);
    writeDigits(text + 11, parts.tm_hour, 2);
    writeDigits(text + 14, parts.tm_min, 2);
}

} // namespace

// Both time texts are written digit by digit for years 1970 to 9999 (an
// export asks for them with every message); QDateTime makes any other.
QByteArray utcBytes(qint64 time)
{
    constexpr qint64 kYear10000 = 253402300800;
    const std::time_t t = std::time_t(time);
    std::tm parts{};
    if (time < 0 || time >= kYear10000 || !gmtime_r(&t, &parts))
        return QDateTime::fromSecsSinceEpoch(time, Qt::UTC).toString(Qt::ISODate).toUtf8();
    char text[] = "0000-00-00T00:00:00Z";
    writeDayAndMinute(text, parts);
    writeDigits(text + 17, parts.tm_sec, 2);
    return QByteArray(text, sizeof text - 1);
}

QString utcText(qint64 time)
{
    return QString::fromLatin1(utcBytes(time));
}

QString localTimeText(qint64 time)
{
    std::tm tm{};
    if (!sqliteaccess::toLocalTime(time, &tm) || tm.tm_year + 1900 < 0 || tm.tm_year + 1900 > 9999)
        return QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    char text[] = "0000-00-00 00:00";
    writeDayAndMinute(text, tm);
    return QString::fromLatin1(text, sizeof text - 1);
}

QByteArray shownTimeBytes(const MessageRecord& message)
{
    QByteArray time = message.timeText().trimmed();
    if (time.startsWith("time:"))
        time.remove(0, 5);
    return time;
}

QString shownTime(const MessageRecord& message)
{
    return QString::fromLatin1(shownTimeBytes(message));
}

QString messageCountText(qint64 count)
{
    return count == 1 ? Export::tr("1 message") : Export::tr("%1 messages").arg(QLocale().toString(count));
}

QDate localDate(qint64 time)
{
    std::tm tm{};
    if (!sqliteaccess::toLocalTime(time, &tm))
        return QDateTime::fromSecsSinceEpoch(time).date();
    return QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

ExportWalk::ExportWalk(MessageStore& store, const Selection& selection) : m_store(store), m_selection(selection)
{
    using Scope = Selection::Scope;
    if (selection.scope == Scope::Messages) {
        m_wanted = selection.rowIds;
        std::sort(m_wanted.begin(), m_wanted.end());
    }
    QVector<QByteArray> keys;
    if (selection.scope == Scope::AllConversations) {
        keys.reserve(store.conversationHeads.size());
        for (const MessageRecord& head : std::as_const(store.conversationHeads))
            keys.append(head.address);
    } else {
        keys.append(selection.conversation);
    }
    // One pass over the messages counts what each conversation gives, so
    // that progress knows its total and empty conversations are left out.
    QHash<QByteArray, qint64> counts;
    counts.reserve(keys.size());
    for (const QByteArray& key : std::as_const(keys))
        counts.insert(key, 0);
    const qsizetype n = std::min<qsizetype>(store.messageCount, store.messages.size());
    for (qsizetype i = 0; i < n; ++i) {
        const MessageRecord& m = store.messages.at(i);
        const auto it = counts.find(m.address);
        if (it != counts.end() && chosen(m))
            ++it.value();
    }
    for (const QByteArray& key : std::as_const(keys)) {
        const qint64 count = counts.value(key);
        if (count > 0) {
            m_keys.append(key);
            m_messageCount += count;
        }
    }
}

bool ExportWalk::chosen(const MessageRecord& message) const
{
    if (m_selection.scope == Selection::Scope::Messages &&
        !std::binary_search(m_wanted.cbegin(), m_wanted.cend(), message.rowId))
        return false;
    if (m_selection.from.isNull() && m_selection.to.isNull())
        return true;
    const QDate day = localDate(message.time);
    return (m_selection.from.isNull() || day >= m_selection.from) && (m_selection.to.isNull() || day <= m_selection.to);
}

QVector<MessageRecord> ExportWalk::chosenOf(const QByteArray& key)
{
    QVector<MessageRecord> records = m_store.recordsOf(key);
    records.erase(std::remove_if(records.begin(), records.end(), [this](const MessageRecord& m) { return !chosen(m); }),
                  records.end());
    return records;
}

bool ExportWalk::next(ExportConversation* conversation)
{
    while (m_next < m_keys.size()) {
        const QByteArray key = m_keys.at(m_next++);
        QVector<MessageRecord> records = chosenOf(key);
        if (records.isEmpty())
            continue;
        const ConversationInfo* info = m_store.conversationInfo(key);
        conversation->key = key;
        conversation->name = conversationName(records.constLast());
        conversation->isGroup = info && info->isGroup;
        conversation->messages = std::move(records);
        return true;
    }
    return false;
}

QString ExportWalk::authorOf(const ExportConversation& conversation, const MessageRecord& message) const
{
    if (!message.isIncoming)
        return Export::tr("me");
    if (!message.sender.isEmpty() && message.sender != message.address) {
        const QByteArray name = m_store.senderName(message.sender).trimmed();
        return QString::fromUtf8(name.isEmpty() ? message.sender : name);
    }
    return conversation.name;
}

QString ExportWalk::reactionsOf(const MessageRecord& message) const
{
    return reactiontext::badge(m_store.reactionsTo(message.rowId));
}

QVector<AttachmentRecord> ExportWalk::attachmentsOf(const MessageRecord& message) const
{
    return m_store.attachmentsOf(message.rowId);
}

QString ExportWalk::shownTextOf(const MessageRecord& message, const QVector<AttachmentRecord>& attachments) const
{
    if (attachments.isEmpty())
        return QString::fromUtf8(message.text);
    return QString::fromUtf8(attachments::textBesideAttachments(message.text, attachments));
}

} // namespace exporting
