#include "PrivateFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <QCoreApplication>
#include <QSysInfo>

#include <cerrno>
#include <cstdlib>
#include <limits>

#ifdef Q_OS_UNIX
#include <signal.h>
#include <sys/types.h>
#endif

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
    // The folders and their paths, readable from any thread.
    QHash<PrivateFolder*, QString> folders;
};

Registry& registry()
{
    static Registry* const instance = [] {
        auto* created = new Registry;
        std::atexit([] {
            Registry& r = registry();
            QMutexLocker lock(&r.mutex);
            const QList<PrivateFolder*> alive = r.folders.keys();
            lock.unlock();
            for (PrivateFolder* folder : alive)
                folder->remove();
        });
        return created;
    }();
    return *instance;
}

// The lock file holds the owner's process id, its program's name and the
// machine's name, one a line. Whether the owner lives is decided by the
// process id alone (a program's name need not be that of its file); a lock
// that cannot be read, or one of another machine sharing the folder, is
// taken as alive.
bool ownerMayLive(const QString& lockPath)
{
    QFile lock(lockPath);
    if (!lock.open(QIODevice::ReadOnly))
        return true;
    const QList<QByteArray> lines = lock.read(4096).split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&ok);
    if (!ok || pid <= 0)
        return true;
    const QByteArray host = lines.value(2).trimmed();
    if (!host.isEmpty() && host != QSysInfo::machineHostName().toUtf8())
        return true;
    if (pid == QCoreApplication::applicationPid())
        return true;
#ifdef Q_OS_UNIX
    return pid <= std::numeric_limits<pid_t>::max() && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
#else
    // Elsewhere the lock's own test decides.
    QLockFile probe(lockPath);
    probe.setStaleLockTime(0);
    if (!probe.tryLock(0))
        return true;
    probe.unlock();
    return false;
#endif
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
    QFile::setPermissions(dir.path() + QLatin1Char('/') + kLockName, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    m_path = dir.path();
    m_lock = std::move(lock);
    Registry& r = registry();
    QMutexLocker locker(&r.mutex);
    r.folders.insert(this, m_path);
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
    {
        Registry& r = registry();
        QMutexLocker locker(&r.mutex);
        r.folders.remove(this);
    }
    // The lock goes first: it is a file inside the folder.
    m_lock.reset();
    QDir(m_path).removeRecursively();
    m_path.clear();
}

void PrivateFolder::removeAllBeforeExit()
{
    Registry& r = registry();
    QStringList paths;
    {
        QMutexLocker lock(&r.mutex);
        paths = r.folders.values();
    }
    for (const QString& path : std::as_const(paths)) {
        // Still named like a private folder, so that a later sweep takes
        // whatever this one could not remove.
        const QString gone = path + QStringLiteral("-ending");
        const QString target = QDir().rename(path, gone) ? gone : path;
        QDir(target).removeRecursively();
    }
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
        } else if (ownerMayLive(lockPath)) {
            continue;
        }
        if (QDir(path).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace phonebackup
