#include "MessageJson.h"

#include "AttachmentFiles.h"
#include "ConversationKey.h"
#include "ExportWalk.h"

#include <QByteArrayView>

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

} // namespace

QByteArray senderOf(const MessageRecord& message)
{
    if (!message.isIncoming)
        return QByteArray();
    return message.sender.isEmpty() ? message.address : message.sender;
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
    out->append(",\"time\":\"");
    out->append(shownTimeBytes(message));
    out->append("\",\"utc\":\"");
    out->append(utcBytes(message.time));
    out->append('"');
    out->append("}\n");
}

} // namespace exporting
