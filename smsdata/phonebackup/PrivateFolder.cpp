#include "PrivateFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QSet>
#include <QTemporaryDir>

#include <cstdlib>

namespace phonebackup {

namespace {

const QString kLockName = QStringLiteral(".in-use");

// A folder without its lock file is being made right now, or was left by a
// run that died in between; only the latter is old.
constexpr qint64 kUnlockedAgeSeconds = 3600;

// The folders still alive, for the clean-up at program end. Never
// destroyed, so it outlives every static object that owns a folder.
struct Registry
{
    QMutex mutex;
    QSet<PrivateFolder*> folders;
};

Registry& registry()
{
    static Registry* const instance = [] {
        auto* created = new Registry;
        std::atexit([] {
            Registry& r = registry();
            QMutexLocker lock(&r.mutex);
            const QSet<PrivateFolder*> alive = r.folders;
            lock.unlock();
            for (PrivateFolder* folder : alive)
                folder->remove();
        });
        return created;
    }();
    return *instance;
}

QString baseOrTemp(const QString& base)
{
    return base.isEmpty() ? QDir::tempPath() : base;
}

} // namespace

const char* const PrivateFolder::kPrefix = "msgdesk-backup-";

PrivateFolder::PrivateFolder(const QString& base)
{
    // The first folder of a run clears what a crashed run left in the same place.
    static QMutex sweepMutex;
    static QSet<QString> swept;
    {
        QMutexLocker locker(&sweepMutex);
        const QString where = QDir(baseOrTemp(base)).absolutePath();
        if (!swept.contains(where)) {
            swept.insert(where);
            sweepStale(where);
        }
    }
    // QTemporaryDir makes the folder with mode 0700.
    QTemporaryDir dir(baseOrTemp(base) + QLatin1Char('/') + QLatin1String(kPrefix) + QStringLiteral("XXXXXX"));
    if (!dir.isValid())
        return;
    dir.setAutoRemove(false);
    auto lock = std::make_unique<QLockFile>(dir.path() + QLatin1Char('/') + kLockName);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        QDir(dir.path()).removeRecursively();
        return;
    }
    m_path = dir.path();
    m_lock = std::move(lock);
    Registry& r = registry();
    QMutexLocker locker(&r.mutex);
    r.folders.insert(this);
}

PrivateFolder::~PrivateFolder()
{
    remove();
    Registry& r = registry();
    QMutexLocker locker(&r.mutex);
    r.folders.remove(this);
}

QString PrivateFolder::filePath(const QString& name) const
{
    return m_path + QLatin1Char('/') + name;
}

void PrivateFolder::remove()
{
    if (m_path.isEmpty())
        return;
    // The lock goes first: it is a file inside the folder.
    m_lock.reset();
    QDir(m_path).removeRecursively();
    m_path.clear();
}

int PrivateFolder::sweepStale(const QString& base)
{
    const QDir dir(baseOrTemp(base));
    const QStringList names = dir.entryList({QLatin1String(kPrefix) + QLatin1Char('*')},
                                            QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    int removed = 0;
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        const QString lockPath = path + QLatin1Char('/') + kLockName;
        if (!QFileInfo::exists(lockPath)) {
            if (QFileInfo(path).lastModified().secsTo(QDateTime::currentDateTime()) < kUnlockedAgeSeconds)
                continue;
        } else {
            // Taking the lock succeeds only when its owner is gone.
            QLockFile lock(lockPath);
            lock.setStaleLockTime(0);
            if (!lock.tryLock(0))
                continue;
        }
        if (QDir(path).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace phonebackup
