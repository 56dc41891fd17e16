#include "BackupRun.h"

#include "DeviceFetch.h"
#include "DeviceLink.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTimer>

namespace {

// Exit status of a tool that could not find its own helper program.
constexpr int kToolMissingStatus = 127;
// How long a cancelled tool gets to stop before it is killed.
constexpr int kTerminateGraceMs = 3000;

QString tr(const char* text)
{
    return QCoreApplication::translate("BackupRun", text);
}

QString missingToolsMessage(const QString& what)
{
    return tr("The backup tool %1 could not be started.\n"
              "Install the Debian packages libimobiledevice-utils and usbmuxd, "
              "and keep msgdesk's device support beside the program.")
        .arg(what);
}

} // namespace

BackupRun::BackupRun(QObject* parent) : QObject(parent), m_backupRoot(defaultBackupRoot())
{
    m_toolsFolder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}

BackupRun::~BackupRun()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->disconnect(this);
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
    m_lastLine.clear();
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
    m_process->start(tool, {QStringLiteral("--backup"), QStringLiteral("--target"), QString::fromUtf8(identifier)});
    return true;
}

void BackupRun::cancel()
{
    if (!m_running || !m_process || m_process->state() == QProcess::NotRunning)
        return;
    m_cancelled = true;
    m_process->terminate();
    QTimer::singleShot(kTerminateGraceMs, m_process, [p = m_process] {
        if (p->state() != QProcess::NotRunning)
            p->kill();
    });
}

bool BackupRun::isRunning() const
{
    return m_running;
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
        qDebug().noquote() << "Make output:" << line;
        emit output(line);
    }
}

void BackupRun::onFinished(int exitCode, QProcess::ExitStatus status)
{
    readOutput();
    if (!m_pending.trimmed().isEmpty()) {
        m_lastLine = QString::fromUtf8(m_pending).trimmed();
        emit output(m_lastLine);
    }
    m_pending.clear();
    if (m_cancelled) {
        finish(false, tr("The backup was cancelled. The phone's previous backup is kept."));
    } else if (status != QProcess::NormalExit) {
        finish(false, tr("The backup tool stopped unexpectedly. The phone's previous backup is kept."));
    } else if (exitCode == kToolMissingStatus) {
        finish(false, missingToolsMessage(QStringLiteral("idevicebackup2")));
    } else if (exitCode != 0) {
        QString message = tr("The backup of the phone failed (status %1).").arg(exitCode);
        if (!m_lastLine.isEmpty())
            message += QLatin1Char('\n') + m_lastLine;
        finish(false, message);
    } else {
        finish(true, QString());
    }
}

void BackupRun::onError(QProcess::ProcessError error)
{
    // Only a failed start gives no finished() afterwards.
    if (error == QProcess::FailedToStart) {
        qDebug() << "Make failed:" << m_process->errorString();
        finish(false, missingToolsMessage(toolPath()));
    }
}

void BackupRun::finish(bool ok, const QString& message)
{
    if (!m_running)
        return;
    m_running = false;
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
