#include "JsonWriter.h"

#include "MessageJson.h"

#include <QIODevice>

namespace exporting {

bool JsonWriter::begin(QIODevice* file, const QString&, QString*)
{
    m_out = file;
    return m_out != nullptr;
}

bool JsonWriter::write(const ExportConversation& conversation, QString* why)
{
    const ExportWalk& walk = *context().walk;
    const QByteArray name = conversation.name.toUtf8();
    QByteArray line;
    for (const MessageRecord& m : conversation.messages) {
        const QVector<AttachmentRecord> attachments = walk.attachmentsOf(m);
        line.clear();
        appendMessageJson(&line, m, {&name, &attachments, context().presence});
        if (m_out->write(line) != line.size()) {
            *why = m_out->errorString();
            return false;
        }
        if (!step())
            return false;
    }
    return true;
}

bool JsonWriter::finish(QString*)
{
    return true;
}

} // namespace exporting
