#pragma once

// A conversation's key (its handle or chat identifier, as the file gives
// it) as text that can be printed, typed and given back. A key that is
// valid UTF-8 without control characters and backslashes reads as itself;
// any other is written with "\xHH" for each byte that is not part of such a
// character and "\\" for a backslash, so that different keys never read the
// same.

#include <QByteArray>
#include <QString>

namespace conversationkey {

QString toText(const QByteArray& key);

// The key a text written by toText stands for. A text that is not such a
// form (a lone backslash, "\x" without two hex digits) stands for its own
// UTF-8 bytes.
QByteArray fromText(const QString& text);

} // namespace conversationkey
