#pragma once

// The attachments' content inside a ".sms" backup: one table beside the
// phone's own and the contact table, one row per file, keyed by the file's
// backup path ("Library/SMS/Attachments/..."). Content is written and read
// in chunks through SQLite's incremental blob I/O, so memory stays flat
// however large a file is. A backup without the table simply has no
// attachment content; nothing else about it changes.

#include "MessageStore.h"

#include <QByteArray>

#include <functional>

class QIODevice;
class QString;
struct sqlite3;

namespace attachmentcontent {

extern const char* const kTable; // "AttachmentContent111"

constexpr qint64 kChunkBytes = 256 * 1024;

QByteArray createTableStatement();
bool hasTable(sqlite3* db);

// Called after each chunk with the bytes written so far; false cancels.
using ChunkProgress = std::function<bool(qint64 written)>;

// Stores `size` bytes read from `source` under relativePath (replacing
// nothing: a path already stored is kept and SQLITE_CONSTRAINT returned).
// SQLITE_INTERRUPT when progress cancelled, SQLITE_IOERR_READ when the
// source gave fewer bytes. The caller runs it inside its transaction.
int storeFile(sqlite3* db, const QByteArray& relativePath, QIODevice* source, qint64 size,
              const ChunkProgress& progress = {});

// The stored size, or -1 when the path has no content here.
qint64 storedSize(sqlite3* db, const QByteArray& relativePath);

// Writes the stored content to target in chunks; false with *why when it
// is not stored or cannot be read or written.
bool copyOut(sqlite3* db, const QByteArray& relativePath, QIODevice* target, QString* why);

// Removes the content no message refers to any more (after deletes); the
// caller's transaction and secure-delete setting apply. SQLITE_OK when
// there is no table.
int removeUnreferenced(sqlite3* db, MessageLayout layout);

} // namespace attachmentcontent
