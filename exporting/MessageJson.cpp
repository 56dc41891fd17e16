#include "MessageJson.h"

#include "AttachmentFiles.h"
#include "ConversationKey.h"
#include "ExportWalk.h"

namespace exporting {

QByteArray senderOf(const MessageRecord& message)
{
    if (!message.isIncoming)
        return QByteArray();
    return message.sender.isEmpty() ? message.address : message.sender;
}

QString shownTime(const MessageRecord& message)
{
    QString t = QString::fromUtf8(message.timeText()).trimmed();
    if (t.startsWith(QLatin1String("time:")))
        t.remove(0, 5);
    return t;
}

QJsonObject messageJson(const MessageRecord& message)
{
    const QByteArray sender = senderOf(message);
    return {{QStringLiteral("rowid"), message.rowId},
            {QStringLiteral("key"), conversationkey::toText(message.address)},
            {QStringLiteral("incoming"), message.isIncoming},
            {QStringLiteral("sender"), sender.isEmpty() ? QJsonValue() : QString::fromUtf8(sender)},
            {QStringLiteral("time"), shownTime(message)},
            {QStringLiteral("utc"), utcText(message.time)},
            {QStringLiteral("text"), QString::fromUtf8(message.text)}};
}

QJsonArray attachmentsJson(const QVector<AttachmentRecord>& attachments, AttachmentFiles* files)
{
    QJsonArray list;
    for (const AttachmentRecord& a : attachments) {
        list.append(QJsonObject{{QStringLiteral("name"), a.shownName()},
                                {QStringLiteral("mime"), QString::fromUtf8(a.mimeType)},
                                {QStringLiteral("present"), files != nullptr && files->isPresent(a)}});
    }
    return list;
}

} // namespace exporting
