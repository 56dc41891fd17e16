#pragma once

// The json export: one compact JSON object per line for each message, the
// fields `msgdesk-cli show --json` prints (MessageJson.h) plus the
// conversation's name:
//
//   {"attachments":[{"mime":...,"name":...,"present":...}],"incoming":...,
//    "key":...,"name":...,"rowid":...,"sender":...,"text":...,"time":...,
//    "utc":...}
//
// Conversations in the list's order, messages oldest first. Whether an
// attachment is present is asked of the source; its content is never read.

#include "FormatWriter.h"

namespace exporting {

class JsonWriter : public FormatWriter
{
public:
    bool begin(QIODevice* file, const QString& folder, QString* why) override;
    bool write(const ExportConversation& conversation, QString* why) override;
    bool finish(QString* why) override;

private:
    QIODevice* m_out = nullptr;
};

} // namespace exporting
