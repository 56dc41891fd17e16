#pragma once

// `msgdesk-cli export`: the options that choose the format and the messages,
// and the export itself through the shared export writers. Without
// --format the file is the plain text "Copy" has always written (the chat
// page's form for --conversation, else the conversation list's).

#include "CliSource.h"
#include "ExportOptions.h"

#include <QString>

class QIODevice;

namespace cli {

struct ExportRequest
{
    QString format; // empty: txt
    bool attachments = false;
    QString from; // YYYY-MM-DD, empty when not given
    QString to;
};

// The export's options from what the command line gave; false with
// *problem (a usage error) for an unknown format, a bad date, a range that
// ends before it starts, or --attachments with a format that cannot carry
// them.
bool exportOptions(const ExportRequest& request, exporting::Options* options, QString* problem);

// Refuses an existing OUT (any file, a non-empty folder, a missing parent
// folder) before anything is read: false after one line on err.
bool exportTargetFree(const exporting::Options& options, const QString& target, QIODevice* err);

// Writes the export of source to target; conversation, when not null, is
// the key of the one conversation to write. Returns the exit status.
int exportMessages(CliSource& source, exporting::Options options, const QByteArray* conversation, const QString& target,
                   QIODevice* err);

} // namespace cli
