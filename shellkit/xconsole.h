#pragma once

// The console side of the platform layer, for the command-line program:
// Qt Core only, so that it needs no display.

#include <QByteArray>
#include <QString>

namespace shellkit {

// Shows `prompt` on standard error and reads one line from the terminal
// without echoing it (a password). False when standard input is not a
// terminal or the line cannot be read; the line end is not part of `line`.
bool readSecretLine(const QString& prompt, QByteArray* line);

} // namespace shellkit
