#include "BackupRun.h"

#include "BackupFailure.h"
#include "DeviceFetch.h"
#include "DeviceLink.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace {

// Exit status of a tool that could not find its own helper program.
constexpr int kToolMissingStatus = 127;
// How long a stopped tool's group gets to end before it is killed, and how
// long a killed group may linger (as unreaped zombies) before the run ends
// regardless: after a kill nothing of it can write any more.
constexpr int kTerminateGraceMs = 3000;
// How often a group being stopped is looked at.
constexpr int kGroupCheckMs = 25;

// The tool's process group. On Unix the tool leads a group of its own and
// the whole group is signalled; elsewhere only the tool itself is stopped.
namespace toolgroup {
#ifdef Q_OS_UNIX
void prepare(QProcess* process)
{
    process->setChildProcessModifier([] { ::setpgid(0, 0); });
}

// Set from both sides of the fork, so that the group exists whichever side
// runs first; the call fails harmlessly once the child has run its program.
void adopt(qint64 pid)
{
    ::setpgid(static_cast<pid_t>(pid), static_cast<pid_t>(pid));
}

bool alive(QProcess*, qint64 group)
{
    return group > 0 && (::kill(-static_cast<pid_t>(group), 0) == 0 || errno == EPERM);
}

void stop(QProcess* process, qint64 group, bool kill)
{
    if (group <= 0 || ::kill(-static_cast<pid_t>(group), kill ? SIGKILL : SIGTERM) != 0) {
        // The group is not formed yet or already gone: the tool itself still counts.
        if (process && process->state() != QProcess::NotRunning)
            kill ? process->kill() : process->terminate();
    }
}
#else
void prepare(QProcess*) {}
void adopt(qint64) {}

bool alive(QProcess* process, qint64)
{
    return process && process->state() != QProcess::NotRunning;
}

void stop(QProcess* process, qint64, bool kill)
{
    if (process && process->state() != QProcess::NotRunning)
        kill ? process->kill() : process->terminate();
}
#endif
} // namespace toolgroup

QString missingToolsMessage(const QString& what)
{
    return BackupRun::tr("The backup tool %1 could not be started.\n"
                         "Install the Debian packages libimobiledevice-utils and usbmuxd, "
                         "and keep msgdesk's device support beside the program.")
        .arg(what);
}

} // namespace

BackupRun::BackupRun(QObject* parent) : QObject(parent), m_backupRoot(defaultBackupRoot())
{
    m_toolsFolder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    m_groupWatch = new QTimer(this);
    m_groupWatch->setInterval(kGroupCheckMs);
    connect(m_groupWatch, &QTimer::timeout, this, &BackupRun::checkGroup);
}

BackupRun::~BackupRun()
{
    if (!m_process)
        return;
    m_process->disconnect(this);
    if (toolgroup::alive(m_process, m_group))
        toolgroup::stop(m_process, m_group, true);
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(kTerminateGraceMs);
    }
}

void BackupRun::setToolsFolder(const QString& folder)
{
    m_toolsFolder = folder;
}

void BackupRun::setBackupRoot(const QString& root)
{
    m_backupRoot = root;
}

QString BackupRun::toolPath() const
{
    QString folder = m_toolsFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + QStringLiteral("bin/AppleMobileBackup");
}

bool BackupRun::start(const QByteArray& identifier)
{
    if (m_running || identifier.isEmpty() || identifier.contains('/') || identifier.startsWith('.'))
        return false;
    m_running = true;
    m_cancelled = false;
    m_toolEnded = false;
    m_toolOk = false;
    m_toolMessage.clear();
    m_group = 0;
    m_groupKilled = false;
    m_identifier = identifier;
    m_lastLine.clear();
    m_recentLines.clear();
    m_libraryLine.clear();
    m_pending.clear();

    const QString tool = toolPath();
    qDebug() << "backup tool:" << tool;
    const QFileInfo info(tool);
    if (!info.isFile() || !info.isExecutable()) {
        // Reported after start() returns, like every other ending.
        QTimer::singleShot(0, this, [this, tool] { finish(false, missingToolsMessage(tool)); });
        return true;
    }

    delete m_process;
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setWorkingDirectory(info.absolutePath());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MSGDESK_BACKUP_ROOT"), m_backupRoot);
    m_process->setProcessEnvironment(env);
    connect(m_process, &QProcess::readyRead, this, &BackupRun::readOutput);
    connect(m_process, &QProcess::finished, this, &BackupRun::onFinished);
    connect(m_process, &QProcess::errorOccurred, this, &BackupRun::onError);
    toolgroup::prepare(m_process);
    m_process->start(tool, {QStringLiteral("--backup"), QStringLiteral("--target"), QString::fromUtf8(identifier)});
    // A start that failed at once has already ended the run.
    if (m_running && m_process->processId() > 0) {
        m_group = m_process->processId();
        toolgroup::adopt(m_group);
    }
    return true;
}

void BackupRun::cancel()
{
    // A tool that has ended is only waited for; its result stands.
    if (!m_running || !m_process || m_toolEnded || m_cancelled)
        return;
    m_cancelled = true;
    toolgroup::stop(m_process, m_group, false);
    m_stopClock.start();
    m_groupWatch->start();
}

bool BackupRun::isRunning() const
{
    return m_running;
}

QByteArray BackupRun::identifier() const
{
    return m_identifier;
}

void BackupRun::readOutput()
{
    m_pending += m_process->readAll();
    // Tools draw progress bars with carriage returns; each redraw is a line.
    m_pending.replace('\r', '\n');
    int end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_pending.left(end)).trimmed();
        m_pending.remove(0, end + 1);
        if (line.isEmpty())
            continue;
        m_lastLine = line;
        keepLine(line);
        qDebug().noquote() << "Make output:" << line;
        emit output(line);
    }
}

void BackupRun::keepLine(const QString& line)
{
    // What explains a failure comes near the end; the start of a long
    // backup's output is let go.
    constexpr int kKeptLines = 200;
    if (line.startsWith(QLatin1String("Device library:")))
        m_libraryLine = line;
    if (m_recentLines.size() >= kKeptLines)
        m_recentLines.removeFirst();
    m_recentLines.append(line);
}

void BackupRun::onFinished(int exitCode, QProcess::ExitStatus status)
{
    readOutput();
    if (!m_pending.trimmed().isEmpty()) {
        m_lastLine = QString::fromUtf8(m_pending).trimmed();
        keepLine(m_lastLine);
        emit output(m_lastLine);
    }
    m_pending.clear();
    m_toolEnded = true;
    if (m_cancelled) {
        m_toolMessage = tr("The backup was cancelled. The phone's previous backup is kept.");
    } else if (status != QProcess::NormalExit) {
        m_toolMessage = tr("The backup tool stopped unexpectedly. The phone's previous backup is kept.");
    } else if (exitCode == kToolMissingStatus) {
        m_toolMessage = missingToolsMessage(QStringLiteral("idevicebackup2"));
    } else if (exitCode != 0) {
        m_toolMessage = tr("The backup of the phone failed (status %1).").arg(exitCode);
        // The common causes get what to do about them, in the progress
        // window's output as in the message.
        const backupfailure::Cause cause = backupfailure::recognise(m_recentLines);
        const QString advice =
            backupfailure::advice(cause, backupfailure::contextOf(QStringList(m_recentLines) << m_libraryLine,
                                                                  m_backupRoot, QString::fromUtf8(m_identifier)));
        // The tool's own last words, then what to do about them.
        if (!m_lastLine.isEmpty())
            m_toolMessage += QLatin1Char('\n') + m_lastLine;
        if (!advice.isEmpty()) {
            m_toolMessage += QLatin1Char('\n') + advice;
            emit output(advice);
        }
    } else {
        m_toolOk = true;
    }
    awaitGroupEnd();
}

void BackupRun::awaitGroupEnd()
{
    if (!toolgroup::alive(m_process, m_group)) {
        finish(m_toolOk, m_toolMessage);
        return;
    }
    // Something the tool started outlived it.
    if (!m_groupWatch->isActive()) {
        toolgroup::stop(m_process, m_group, false);
        m_stopClock.start();
        m_groupWatch->start();
    }
}

void BackupRun::checkGroup()
{
    const bool alive = toolgroup::alive(m_process, m_group);
    if (m_toolEnded && (!alive || (m_groupKilled && m_stopClock.elapsed() > 2 * kTerminateGraceMs))) {
        finish(m_toolOk, m_toolMessage);
        return;
    }
    if (alive && !m_groupKilled && m_stopClock.elapsed() > kTerminateGraceMs) {
        m_groupKilled = true;
        toolgroup::stop(m_process, m_group, true);
    }
}

void BackupRun::onError(QProcess::ProcessError error)
{
    // Only a failed start gives no finished() afterwards.
    if (error == QProcess::FailedToStart) {
        qDebug() << "Make failed:" << m_process->errorString();
        m_group = 0;
        finish(false, missingToolsMessage(toolPath()));
    }
}

void BackupRun::finish(bool ok, const QString& message)
{
    if (!m_running)
        return;
    m_running = false;
    m_groupWatch->stop();
    m_group = 0;
    // A phone removed while its backup ran must not count as backed up.
    if (ok && linkUp.load())
        backupDone.store(true);
    emit finished(ok, message);
}

bool runDeviceBackup(DeviceLink* link, BackupRun* run)
{
    if (!linkUp.load() || !run)
        return false;
    return run->start(deviceIdentifier(link));
}
