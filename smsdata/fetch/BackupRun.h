#pragma once

// One run of the backup tool for the linked phone, without blocking the
// event loop: the tool's output arrives line by line through output(), and
// finished() tells once how it ended. backupDone is set only when the tool
// ended with status 0. The phone's existing backup is never removed first:
// the tool brings it up to date, and a failed or cancelled run leaves the
// previous backup as it was.
//
// The tool is "<tools folder>bin/AppleMobileBackup", started with
// "--backup --target <identifier>" in "<tools folder>bin", with the backup
// root handed over in MSGDESK_BACKUP_ROOT. It runs in a process group of its
// own: cancelling stops the whole group (the real tool runs idevicebackup2
// under it), and a run counts as ended only once nothing of that group is
// left, so that no backup writes into the phone's folder after finished()
// and a new run never overlaps the previous one.

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

class QTimer;

struct DeviceLink;

class BackupRun : public QObject
{
    Q_OBJECT

public:
    explicit BackupRun(QObject* parent = nullptr);
    ~BackupRun() override;

    // The folder of the device tools, with or without a trailing "/".
    void setToolsFolder(const QString& folder);
    void setBackupRoot(const QString& root);
    QString toolPath() const;

    // Starts the tool for the device; false when a run is going on or the
    // identifier is unusable. A tool that cannot be started is reported
    // through finished(), after this returns.
    bool start(const QByteArray& identifier);
    // Stops a running tool and everything it started; finished() follows
    // with the reason once they are gone.
    void cancel();
    // True from start() until finished() has been emitted.
    bool isRunning() const;
    // The device the latest run was started for: the backup to read is
    // this device's, whatever phone is linked when the run ends.
    QByteArray identifier() const;

signals:
    void output(const QString& line);
    // `message` tells the user why the backup failed; empty on success.
    void finished(bool ok, const QString& message);

private:
    void readOutput();
    void keepLine(const QString& line);
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onError(QProcess::ProcessError error);
    void finish(bool ok, const QString& message);
    // Ends the run once the tool's process group is empty; stragglers get
    // the same terminate-then-kill treatment as a cancelled tool.
    void awaitGroupEnd();
    void checkGroup();

    QProcess* m_process = nullptr;
    QTimer* m_groupWatch = nullptr;
    qint64 m_group = 0;
    QElapsedTimer m_stopClock;
    bool m_groupKilled = false;
    bool m_toolEnded = false;
    bool m_toolOk = false;
    QString m_toolMessage;
    QByteArray m_identifier;
    QString m_toolsFolder;
    QString m_backupRoot;
    QString m_lastLine;
    // The latest lines, which a failure is explained from. The device
    // library's name comes at the start; it is kept apart.
    QStringList m_recentLines;
    QString m_libraryLine;
    QByteArray m_pending;
    bool m_cancelled = false;
    bool m_running = false;
};

// Starts `run` for the phone of `link`: false at once when no phone is linked.
bool runDeviceBackup(DeviceLink* link, BackupRun* run);
