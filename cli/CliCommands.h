#pragma once

// msgdesk-cli: the conversations of a source from the command line, for
// people who script or archive.
//
//   msgdesk-cli list   [--json] [--contacts FILE] SOURCE
//   msgdesk-cli show   [--json] [--contacts FILE] SOURCE KEY
//   msgdesk-cli export [--contacts FILE] [--conversation KEY] SOURCE FILE
//
// Exit status: 0 on success, 2 on bad usage, 1 when the source cannot be
// read (or the export cannot be written), with one line on standard error.
// The source is never changed.

#include <QStringList>

class QIODevice;

namespace cli {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// Runs one command line (without the program name); what a command prints
// goes to `out`, errors to `err`.
int run(const QStringList& arguments, QIODevice* out, QIODevice* err);

} // namespace cli
