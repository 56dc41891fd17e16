#pragma once

// A folder of msgdesk's own for the decrypted copies of an encrypted
// backup's files: made with mode 0700 inside the temporary folder, removed
// with the object, and removed at program end for objects still alive
// then. A lock file inside marks the folder as in use by this run, so that
// the next run can sweep the folders of a run that crashed. The lock file
// holds the owner's process id and is readable by the owner only.

#include <QString>

#include <memory>

class QLockFile;

namespace phonebackup {

class PrivateFolder
{
public:
    // Folders are named "msgdesk-backup-" and a random part.
    static const char* const kPrefix;

    // base: where the folder is made; empty means the system's temporary
    // folder.
    explicit PrivateFolder(const QString& base = QString());
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    QString filePath(const QString& name) const;

    // Removes the folder now; later calls do nothing.
    void remove();

    // Removes from base (empty: the temporary folder) every folder of this
    // kind whose run has ended. Folders of runs still going on are kept,
    // as are folders of another kind. Returns how many were removed.
    static int sweepStale(const QString& base = QString());

    // Removes every folder of this run at once, for a program that is about
    // to end on a signal: each is first renamed, so that nothing written
    // into it from another thread in the meantime lands anywhere, then
    // removed. The objects stay as they are; only _exit() should follow.
    static void removeAllBeforeExit();

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace phonebackup
