#pragma once

// Saving attachments into a folder the user chose, as "Save attachment…",
// "Save all attachments…" and the command line's --save do: each under its
// name made safe (SafeFileName.h), numbered " (1)", " (2)" when the name is
// taken, never over an existing file and never outside the folder. A file
// that fails part-way is removed again.

#include "AttachmentFiles.h"

#include <QStringList>
#include <QVector>

namespace attachmentsaving {

// One attachment into folder; the path written, or empty with *why.
QString saveInto(AttachmentFiles& files, const AttachmentRecord& attachment, const QString& folder, QString* why);

// Writes the content to the file at exactly `path` (made new, never
// replacing one); false with *why.
bool saveAs(AttachmentFiles& files, const AttachmentRecord& attachment, const QString& path, QString* why);

struct Report
{
    QStringList written;               // paths, in the order given
    QVector<AttachmentRecord> missing; // not in the source
    QStringList failures;              // "name: why" of those present that could not be written
};

// Every attachment given, in order; the folder is made when missing.
Report saveAll(AttachmentFiles& files, const QVector<AttachmentRecord>& attachments, const QString& folder);

} // namespace attachmentsaving
