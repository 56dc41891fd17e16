#pragma once

// Which files of a backup folder may be read: only regular files that lie
// inside the folder once every link is resolved. Special files (FIFOs,
// devices, sockets) are never opened, so nothing can block on them, and a
// link that leads out of the folder is never followed. Internal to the
// backup library.

#include <QByteArray>
#include <QString>

#include <optional>

namespace phonebackup::files {

enum class FileState { Regular, Missing, NotRegular, Outside };

// The folder with every link resolved; empty when it is not a folder.
QString canonicalFolder(const QString& folder);

// Checks `path`, a file the backup names inside `canonicalFolder`.
// *resolved gets the path with links resolved when the state is Regular.
FileState check(const QString& canonicalFolder, const QString& path, QString* resolved = nullptr);

// Reads a regular file inside the folder, at most maxBytes of it. nullopt
// with *error set when it is missing, not a regular file, outside the
// folder, larger than maxBytes or unreadable.
std::optional<QByteArray> readInside(const QString& canonicalFolder, const QString& path, qint64 maxBytes,
                                     QString* error);

// A backup file's name: the SHA-1 (hex) of domain, "-" and relative path.
QString fileId(const QString& domain, const QString& relativePath);
// Exactly forty hex digits, as every catalogued file name is.
bool isFileId(const QString& id);

} // namespace phonebackup::files
