#pragma once

// Runs one export: checks the target, walks the chosen conversations,
// hands them to the format's writer, reports progress and honours cancel.
// A cancelled or failed export leaves nothing behind (ExportTarget.h); an
// existing file or a non-empty folder is refused untouched.
//
// Needs no widgets. The pdf format needs a QGuiApplication (fonts); the
// others a QCoreApplication. It may run on a worker thread while nothing
// changes the store.

#include "ExportOptions.h"

#include <QString>

#include <functional>
#include <memory>

class AttachmentFiles;
class MessageStore;

namespace exporting {

class FormatWriter;

struct Result
{
    enum class Status { Written, Cancelled, Refused, Failed };
    Status status = Status::Failed;
    // One line for the user when not written.
    QString message;
    // What a viewer opens: the file, or the folder's "index.html".
    QString openPath;
    qint64 messages = 0;
    int conversations = 0;
};

// After each message written: done of total so far. Returning false
// cancels the export.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// files may be null (no attachment content in the source).
Result run(MessageStore& store, AttachmentFiles* files, const Options& options, const QString& target,
           const Progress& progress = {});

// The writer of a format.
std::unique_ptr<FormatWriter> writerFor(Format format);

// The name an export of one conversation gets by default: its name and
// the day, made safe for a file name ("Anna Berg 2026-12-09.pdf"); all
// conversations give "Messages 2026-12-09".
QString defaultName(const QString& conversationName, Format format, const QDate& day);

} // namespace exporting
