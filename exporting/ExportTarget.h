#pragma once

// Where an export goes. Nothing is ever overwritten, and a cancelled or
// failed export leaves nothing behind: a file is written under a hidden
// temporary name beside its target and takes the target's name only at the
// end (refused if something took that name meanwhile); a folder is built
// as a hidden temporary folder beside it and renamed the same way. An
// existing empty folder may be the target of a folder export.
//
// What is written keeps the private modes of its temporary (0600 files,
// 0700 folders): an export holds someone's messages.

#include <QFile>
#include <QString>

#include <memory>

class QTemporaryDir;
class QTemporaryFile;

namespace exporting {

class ExportTarget
{
public:
    enum class Check {
        Free,           // nothing there yet (or an empty folder, for a folder)
        Exists,         // a file (or anything, for a file target) is there
        FolderNotEmpty, // a folder target names a folder with something in it
        NoParent,       // the folder it would go in does not exist
    };
    // Whether path can take a new export; never changes anything.
    static Check check(const QString& path, bool folder);
    // One line for the user about a refused target; empty for Free.
    static QString refusal(Check check, const QString& path);

    ExportTarget(const QString& path, bool folder);
    // Removes whatever was written unless commit() succeeded.
    ~ExportTarget();
    ExportTarget(const ExportTarget&) = delete;
    ExportTarget& operator=(const ExportTarget&) = delete;

    // Makes the temporary file or folder; false with *why.
    bool open(QString* why);
    // The temporary file (one-file targets), open for writing.
    QIODevice* file() const;
    // The temporary folder (folder targets).
    QString folder() const;
    // Moves what was written to the target's name; false with *why (and
    // everything written removed) when that name was taken meanwhile or
    // the data could not be written completely.
    bool commit(QString* why);

    QString path() const { return m_path; }

private:
    QString m_path;
    bool m_folder = false;
    bool m_committed = false;
    std::unique_ptr<QTemporaryFile> m_file;
    std::unique_ptr<QTemporaryDir> m_dir;
};

} // namespace exporting
