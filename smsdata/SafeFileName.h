#pragma once

// Names from outside (an attachment's name as the sender gave it, a file
// name in a catalogue) become file names here, and only here. The result is
// one plain name: no folder separators, no "." or "..", no control or
// invisible format characters, no leading dot, at most kMaxNameBytes of
// UTF-8 with the extension kept. Files are then made with
// createUniqueFile(), which never overwrites: "a.jpg" taken gives
// "a (1).jpg", then "a (2).jpg".

#include <QString>

class QFile;

namespace safename {

// Leaves room for " (NNNN)" within the 255 bytes most file systems allow.
constexpr int kMaxNameBytes = 240;

// A safe file name for `name`; `fallback` (itself made safe) when nothing
// usable is left.
QString safeFileName(const QString& name, const QString& fallback = QStringLiteral("attachment"));

// "name (n).ext" for n > 0; the name itself for n == 0.
QString numberedName(const QString& safeName, int n);

// Makes a new file in `folder` under `safeFileName(name)` or the first free
// numbered form, opened for writing in `file` (which must not be open).
// The file is created exclusively, so an existing file, or one that appears
// meanwhile, is never written. Returns the path, or empty when none could
// be made (the folder is missing or not writable).
QString createUniqueFile(const QString& folder, const QString& name, QFile* file);

} // namespace safename
