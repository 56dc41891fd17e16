#include "MessageJson.h"

#include "AttachmentFiles.h"
#include "ConversationKey.h"
#include "ExportWalk.h"

#include <QByteArrayView>

#include <ctime>

namespace exporting {

namespace {

void appendJsonText(QByteArray* out, const QString& text)
{
    appendJsonString(out, text.toUtf8());
}

// The key in its printed form. Most keys (numbers, addresses, chat
// identifiers) are printable ASCII that prints as it is.
void appendKey(QByteArray* out, const QByteArray& key)
{
    for (const char c : key) {
        if (c < 0x20 || c > 0x7e || c == '\\' || c == '"') {
            appendJsonText(out, conversationkey::toText(key));
            return;
        }
    }
    out->append('"');
    out->append(key);
    out->append('"');
}

void appendDigits(char* at, int value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        at[i] = char('0' + value % 10);
        value /= 10;
    }
}

} // namespace

QByteArray utcBytes(qint64 time)
{
    // Years 1970 to 9999; QDateTime for anything else.
    constexpr qint64 kYear10000 = 253402300800;
    const time_t t = time_t(time);
    std::tm parts{};
    if (time < 0 || time >= kYear10000 || !gmtime_r(&t, &parts))
        return utcText(time).toUtf8();
    char text[] = "0000-00-00T00:00:00Z";
    appendDigits(text, parts.tm_year + 1900, 4);
    appendDigits(text + 5, parts.tm_mon + 1, 2);
    appendDigits(text + 8, parts.tm_mday, 2);
    appendDigits(text + 11, parts.tm_hour, 2);
    appendDigits(text + 14, parts.tm_min, 2);
    appendDigits(text + 17, parts.tm_sec, 2);
    return QByteArray(text, sizeof text - 1);
}

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

void appendJsonString(QByteArray* out, const QByteArray& bytes)
{
    const QByteArray utf8 = QByteArrayView(bytes).isValidUtf8() ? bytes : QString::fromUtf8(bytes).toUtf8();
    static const char hex[] = "0123456789abcdef";
    out->append('"');
    const char* data = utf8.constData();
    qsizetype start = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const uchar c = uchar(data[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out->append(data + start, i - start);
        start = i + 1;
        switch (c) {
        case '"':
            out->append("\\\"", 2);
            break;
        case '\\':
            out->append("\\\\", 2);
            break;
        case '\b':
            out->append("\\b", 2);
            break;
        case '\f':
            out->append("\\f", 2);
            break;
        case '\n':
            out->append("\\n", 2);
            break;
        case '\r':
            out->append("\\r", 2);
            break;
        case '\t':
            out->append("\\t", 2);
            break;
        default: {
            const char escaped[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0x0f]};
            out->append(escaped, sizeof escaped);
        }
        }
    }
    out->append(data + start, utf8.size() - start);
    out->append('"');
}

void appendMessageJson(QByteArray* out, const MessageRecord& message, const MessageJsonExtras& extras)
{
    out->append('{');
    if (extras.attachments) {
        out->append("\"attachments\":[");
        bool first = true;
        for (const AttachmentRecord& a : *extras.attachments) {
            if (!first)
                out->append(',');
            first = false;
            out->append("{\"mime\":");
            appendJsonString(out, a.mimeType);
            out->append(",\"name\":");
            appendJsonText(out, a.shownName());
            out->append(extras.presence && extras.presence->isPresent(a) ? ",\"present\":true}"
                                                                         : ",\"present\":false}");
        }
        out->append("],");
    }
    out->append(message.isIncoming ? "\"incoming\":true,\"key\":" : "\"incoming\":false,\"key\":");
    appendKey(out, message.address);
    if (extras.name) {
        out->append(",\"name\":");
        appendJsonString(out, *extras.name);
    }
    out->append(",\"rowid\":");
    out->append(QByteArray::number(message.rowId));
    out->append(",\"sender\":");
    const QByteArray sender = senderOf(message);
    if (sender.isEmpty())
        out->append("null");
    else
        appendJsonString(out, sender);
    out->append(",\"text\":");
    appendJsonString(out, message.text);
    // The time texts are ASCII and need no escapes.
    QByteArray time = message.timeText().trimmed();
    if (time.startsWith("time:"))
        time.remove(0, 5);
    out->append(",\"time\":\"");
    out->append(time);
    out->append("\",\"utc\":\"");
    out->append(utcBytes(message.time));
    out->append('"');
    out->append("}\n");
}

} // namespace exporting
