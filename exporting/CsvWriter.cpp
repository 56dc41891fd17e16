#include "CsvWriter.h"

#include "ConversationKey.h"
#include "MessageJson.h"

#include <QByteArrayView>
#include <QIODevice>

namespace exporting {

namespace {

bool needsQuotes(const QByteArray& field)
{
    if (field.isEmpty())
        return false;
    switch (field.front()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
        return true;
    default:
        break;
    }
    for (const char c : field) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    }
    return false;
}

// Text from the phone as valid UTF-8: invalid bytes become U+FFFD, as in
// every other export.
QByteArray validUtf8(const QByteArray& bytes)
{
    return QByteArrayView(bytes).isValidUtf8() ? bytes : QString::fromUtf8(bytes).toUtf8();
}

} // namespace

void CsvWriter::appendField(QByteArray* row, const QByteArray& utf8)
{
    if (!needsQuotes(utf8)) {
        row->append(utf8);
        return;
    }
    row->append('"');
    qsizetype start = 0;
    for (qsizetype quote = utf8.indexOf('"'); quote >= 0; quote = utf8.indexOf('"', start)) {
        row->append(utf8.constData() + start, quote + 1 - start);
        row->append('"');
        start = quote + 1;
    }
    row->append(utf8.constData() + start, utf8.size() - start);
    row->append('"');
}

bool CsvWriter::begin(QIODevice* file, const QString&, QString* why)
{
    m_out = file;
    static const char header[] = "\xef\xbb\xbfkey,name,rowid,incoming,sender,utc,text,attachments\r\n";
    if (m_out->write(header, sizeof header - 1) != qint64(sizeof header - 1)) {
        *why = m_out->errorString();
        return false;
    }
    return true;
}

bool CsvWriter::write(const ExportConversation& conversation, QString* why)
{
    QByteArray prefix;
    appendField(&prefix, conversationkey::toText(conversation.key).toUtf8());
    prefix.append(',');
    appendField(&prefix, conversation.name.toUtf8());
    prefix.append(',');
    const ExportWalk& walk = *context().walk;
    for (const MessageRecord& m : conversation.messages) {
        m_row = prefix;
        m_row.append(QByteArray::number(m.rowId));
        m_row.append(m.isIncoming ? ",true," : ",false,");
        appendField(&m_row, validUtf8(senderOf(m)));
        m_row.append(',');
        m_row.append(utcBytes(m.time));
        m_row.append(',');
        appendField(&m_row, validUtf8(m.text));
        m_row.append(',');
        const QVector<AttachmentRecord> attachments = walk.attachmentsOf(m);
        if (!attachments.isEmpty()) {
            QStringList names;
            names.reserve(attachments.size());
            for (const AttachmentRecord& a : attachments)
                names.append(a.shownName());
            appendField(&m_row, names.join(QStringLiteral("; ")).toUtf8());
        }
        m_row.append("\r\n", 2);
        if (m_out->write(m_row) != m_row.size()) {
            *why = m_out->errorString();
            return false;
        }
        if (!step())
            return false;
    }
    return true;
}

bool CsvWriter::finish(QString*)
{
    return true;
}

} // namespace exporting
