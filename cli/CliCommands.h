#pragma once

// msgdesk-cli: the conversations of a source from the command line, for
// people who script or archive.
//
//   msgdesk-cli list   [--json] [--contacts FILE] SOURCE
//   msgdesk-cli show   [--json] [--contacts FILE] SOURCE KEY
//   msgdesk-cli export [--format txt|html|pdf|csv|json] [--attachments] [--contacts FILE]
//                      [--conversation KEY] [--from DATE] [--to DATE] SOURCE OUT
//   msgdesk-cli info   [--json] SOURCE
//   msgdesk-cli search [--json] [--contacts FILE] [--conversation KEY] SOURCE QUERY
//   msgdesk-cli attachments [--json] [--contacts FILE] [--conversation KEY] [--save DIR] SOURCE
//   msgdesk-cli backup [--contacts FILE] SOURCE FILE
//
// "attachments" lists every attachment, conversations in the order "list"
// gives them, or with --save writes those present into DIR under safe,
// never-overwriting names. "backup" writes the ".sms" backup of the source,
// the attachments' content inside it; an existing FILE is refused.
// "export" writes OUT in one of the export formats (CliExport.h); an
// existing OUT (a non-empty folder, for html) is refused.
//
// SOURCE is a ".sms" backup file, a phone's message database, or a phone
// backup folder in any layout. An encrypted backup's password comes from
// MSGDESK_BACKUP_PASSWORD, or is asked for on the terminal without echo.
//
// Exit status: 0 on success, 2 on bad usage, 1 when the source cannot be
// read (or the export cannot be written), with one line on standard error.
// The source is never changed.

#include "CliSource.h"

#include <QStringList>

class QIODevice;

namespace cli {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// Runs one command line (without the program name); what a command prints
// goes to `out`, errors and notes to `err`. `password` is asked when an
// encrypted backup is read.
int run(const QStringList& arguments, QIODevice* out, QIODevice* err, const PasswordSource& password);

// Whether the command line needs a QGuiApplication rather than a
// QCoreApplication: the pdf export lays out text with the system's fonts.
bool needsGuiApplication(const QStringList& arguments);

// The program's own way to a password: MSGDESK_BACKUP_PASSWORD, else the
// terminal without echo.
bool passwordFromEnvironmentOrTerminal(const phonebackup::BackupInfo& backup, QByteArray* password);

} // namespace cli
