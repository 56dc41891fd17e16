#pragma once

// One message as JSON: what `msgdesk-cli show --json` prints and what the
// json export writes, built in one place so that the two never drift apart.

#include "Attachment.h"
#include "MessageRecord.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QVector>

class AttachmentFiles;

namespace exporting {

// The handle of whoever sent an incoming message (the conversation's key
// when the record names no sender); empty for a sent message.
QByteArray senderOf(const MessageRecord& message);

// The local time as the record shows it ("Fri Jan 01 08:00:00 2010"),
// without its "time:" label and line end.
QString shownTime(const MessageRecord& message);

// rowid, key, incoming, sender (null for a sent message), time, utc, text.
QJsonObject messageJson(const MessageRecord& message);

// One {name, mime, present} per attachment; present is false for all of
// them when files is null (a source without attachment content).
QJsonArray attachmentsJson(const QVector<AttachmentRecord>& attachments, AttachmentFiles* files);

} // namespace exporting
