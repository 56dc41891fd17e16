#include "JsonWriter.h"

#include "MessageJson.h"

#include <QIODevice>
#include <QJsonDocument>

namespace exporting {

bool JsonWriter::begin(QIODevice* file, const QString&, QString*)
{
    m_out = file;
    return m_out != nullptr;
}

bool JsonWriter::write(const ExportConversation& conversation, QString* why)
{
    const ExportWalk& walk = *context().walk;
    for (const MessageRecord& m : conversation.messages) {
        QJsonObject object = messageJson(m);
        object.insert(QStringLiteral("name"), conversation.name);
        object.insert(QStringLiteral("attachments"), attachmentsJson(walk.attachmentsOf(m), context().presence));
        QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact);
        line.append('\n');
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
