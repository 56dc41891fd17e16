#pragma once

// The parts of a legacy MMS (iOS 5 and before): "msg_pieces" rows by
// message_id and part_id. Text parts ("text/plain", also "application/smil"
// layouts) carry no file; every other part is an attachment named by its
// content_loc, whose file lies in "MediaDomain" under "Library/SMS/Parts/".

#include "MessageStore.h"

struct sqlite3;

namespace legacyparts {

// Records the attachments of every message already in store.messages, each
// message's in part order. A file without msg_pieces records none.
void readAttachments(sqlite3* db, MessageStore& store);

// Whether a part of this content type is an attachment (not text or layout).
bool isAttachmentPart(const QByteArray& contentType);

} // namespace legacyparts
