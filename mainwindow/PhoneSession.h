#pragma once

// The window's side of the linked phone: the device reports, the backup run
// that makes a fresh backup of the phone (with its progress dialog), and
// the phone's databases located in that backup.
//
// The device library reports on its own thread; the reports arrive here on
// the GUI thread through linkReported(), in their order. A report that
// comes while the window reads a source waits (deferReport) until the read
// is over. A run stopped because the phone went away ends quietly; a phone
// attached again meanwhile is linked once the run has stopped.

#include "SourceOpener.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QVector>

#include <memory>

class BackupProgress;
class BackupRun;
class DetectIphoneAction;
class QWidget;
struct DeviceLink;

class PhoneSession : public QObject
{
    Q_OBJECT
public:
    // window: the parent of the progress dialog.
    explicit PhoneSession(QWidget* window);
    ~PhoneSession() override;

    // Filled by the device support once a phone is linked.
    DeviceLink* link() const { return m_link; }
    // Starts the device reports; without the device library there are none.
    void subscribe();

    // Reports that came while a source was read, in their order.
    void deferReport(bool islink) { m_deferred.append(islink); }
    bool hasDeferredReports() const { return !m_deferred.isEmpty(); }
    bool takeDeferredReport() { return m_deferred.takeFirst(); }

    bool isBackingUp() const;
    // The phone went away: a running backup is stopped, and its ending is no
    // news to the user; the progress dialog goes.
    void phoneRemoved();
    // True when a running backup answers this link report (the window then
    // does nothing more with it).
    bool holdLinkReport();
    // Backs the linked phone up, showing the tool's progress; the user is
    // told when the phone gives no usable identifier.
    void startBackup();

    // The phone the latest backup was made for, and its folder below the
    // backup root (empty for an identifier that would name another folder).
    QByteArray identifier() const;
    QString backupFolder() const;
    // The folder as the user is told it, also for an unusable identifier.
    QString backupFolderText() const;

    // Opens the phone's fresh backup, unlocking it when it is encrypted, and
    // locates its databases; the user is told when they cannot be read.
    OpenedSource locateDatabases(const SourceOpener& opener) const;
    // What the user should know about the located databases, in the
    // window's words; empty when nothing.
    static QString warningsText(const phonebackup::PhoneDatabases& databases);

    // The phone's databases in its fresh backup, once located.
    bool isLocated() const { return !m_request.messagesPath.isEmpty(); }
    const SourceRequest& databases() const { return m_request; }
    // backup: kept while the data is loaded (the decrypted copies of an
    // encrypted backup live as long as it does).
    void setLocated(const SourceRequest& request, std::unique_ptr<phonebackup::PhoneBackup> backup);
    // The fresh backup while the phone's data is loaded; null otherwise.
    phonebackup::PhoneBackup* backup() const { return m_backup.get(); }
    // Lets the backup go; the located paths are kept for the next link.
    void releaseBackup();

signals:
    // A device report: attached (true) or removed (false).
    void linkReported(bool islink);
    // The fresh backup is done: its databases can be located.
    void backupDone();

private:
    void onBackupFinished(bool ok, const QString& message);

    QWidget* m_window;
    DeviceLink* m_link = nullptr;
    DetectIphoneAction* m_notifier = nullptr;
    BackupRun* m_run = nullptr;
    QPointer<BackupProgress> m_progress;
    QVector<bool> m_deferred;
    // Set when the phone was removed while its backup ran.
    bool m_abandoned = false;
    // A link report came while such a run was stopping.
    bool m_relinkAfterRun = false;
    SourceRequest m_request;
    std::unique_ptr<phonebackup::PhoneBackup> m_backup;
};
