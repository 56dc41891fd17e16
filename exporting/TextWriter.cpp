#include "TextWriter.h"

#include "TextExport.h"

#include <QByteArrayView>
#include <QIODevice>

namespace exporting {

namespace {

// What TextExport's lines give for bytes from the phone once written as
// UTF-8: the bytes themselves when they are valid UTF-8, else with U+FFFD
// for what is not, and without a leading byte-order mark (the conversion
// drops it). Most text is not converted at all.
void appendUtf8(QByteArray* out, const QByteArray& bytes)
{
    if (!bytes.startsWith("\xef\xbb\xbf") && QByteArrayView(bytes).isValidUtf8())
        out->append(bytes);
    else
        out->append(QString::fromUtf8(bytes).toUtf8());
}

} // namespace

bool TextWriter::begin(QIODevice* file, const QString&, QString*)
{
    m_out = file;
    m_rule = textexport::rule().toUtf8() + "\r\n";
    return m_out != nullptr;
}

bool TextWriter::line(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return m_out->write(bytes) == bytes.size() && m_out->write("\r\n", 2) == 2;
}

// textexport::fromLine() and the text, each a line.
void TextWriter::appendMessage(const MessageRecord& m)
{
    m_block.append("From  ", 6);
    appendUtf8(&m_block, m.address);
    m_block.append(" at:", 4);
    appendUtf8(&m_block, m.timeText());
    m_block.append(" :\r\n", 4);
    appendUtf8(&m_block, m.text);
    m_block.append("\r\n", 2);
}

bool TextWriter::flush()
{
    const bool ok = m_out->write(m_block) == m_block.size();
    m_block.clear();
    return ok;
}

bool TextWriter::write(const ExportConversation& conversation, QString* why)
{
    const QVector<MessageRecord>& messages = conversation.messages;
    bool ok = true;
    m_block.clear();
    if (context().options.selection.scope == Selection::Scope::AllConversations) {
        m_block.append(m_rule);
        for (qsizetype i = messages.size() - 1; ok && i >= 0; --i) {
            appendMessage(messages.at(i));
            m_block.append(m_rule);
            ok = flush();
            if (ok && !step())
                return false;
        }
    } else {
        ok = line(textexport::rule()) && line(QStringLiteral("*") + QString::fromUtf8(messages.first().address)) &&
             line(textexport::shortRule());
        for (qsizetype i = 0; ok && i < messages.size(); ++i) {
            appendMessage(messages.at(i));
            ok = flush();
            if (ok && !step())
                return false;
        }
    }
    if (!ok)
        *why = m_out->errorString();
    return ok;
}

bool TextWriter::finish(QString*)
{
    return true;
}

bool writeText(MessageStore& store, const Selection& selection, QIODevice* out, QString* why)
{
    ExportWalk walk(store, selection);
    FormatWriter::Context context;
    context.walk = &walk;
    context.options.selection = selection;
    TextWriter writer;
    writer.setContext(context);
    bool ok = writer.begin(out, QString(), why);
    ExportConversation conversation;
    while (ok && walk.next(&conversation))
        ok = writer.write(conversation, why);
    return ok && writer.finish(why);
}

} // namespace exporting
