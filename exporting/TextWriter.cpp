#include "TextWriter.h"

#include "TextExport.h"

#include <QIODevice>

namespace exporting {

bool TextWriter::begin(QIODevice* file, const QString&, QString*)
{
    m_out = file;
    return m_out != nullptr;
}

bool TextWriter::line(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return m_out->write(bytes) == bytes.size() && m_out->write("\r\n", 2) == 2;
}

bool TextWriter::write(const ExportConversation& conversation, QString* why)
{
    const QVector<MessageRecord>& messages = conversation.messages;
    bool ok = true;
    if (context().options.selection.scope == Selection::Scope::AllConversations) {
        ok = line(textexport::rule());
        for (qsizetype i = messages.size() - 1; ok && i >= 0; --i) {
            const MessageRecord& m = messages.at(i);
            ok = line(textexport::fromLine(m)) && line(QString::fromUtf8(m.text)) && line(textexport::rule());
            if (ok && !step())
                return false;
        }
    } else {
        ok = line(textexport::rule()) && line(QStringLiteral("*") + QString::fromUtf8(messages.first().address)) &&
             line(textexport::shortRule());
        for (qsizetype i = 0; ok && i < messages.size(); ++i) {
            const MessageRecord& m = messages.at(i);
            ok = line(textexport::fromLine(m)) && line(QString::fromUtf8(m.text));
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
