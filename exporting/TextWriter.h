#pragma once

// The plain-text export: the bytes "Copy" writes (TextExport.h), streamed
// message by message. All conversations give the conversation list's form
// (latest conversation first, each message newest first and followed by a
// rule); one conversation or chosen messages give the chat page's form.

#include "FormatWriter.h"

#include <QByteArray>

class MessageStore;
class QIODevice;

namespace exporting {

class TextWriter : public FormatWriter
{
public:
    bool begin(QIODevice* file, const QString& folder, QString* why) override;
    bool write(const ExportConversation& conversation, QString* why) override;
    bool finish(QString* why) override;

private:
    bool line(const QString& text);
    void appendMessage(const MessageRecord& message);
    // Writes what was gathered for one message.
    bool flush();

    QIODevice* m_out = nullptr;
    QByteArray m_rule; // the rule and its line end
    QByteArray m_block;
};

// The txt of selection written straight to out (already open for writing,
// a QSaveFile for instance), one message at a time, without the export
// target around it: what "Copy" writes to the file the user confirmed.
// False with *why when out refused the bytes.
bool writeText(MessageStore& store, const Selection& selection, QIODevice* out, QString* why);

} // namespace exporting
