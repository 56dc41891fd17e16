#include "PhoneSession.h"

#include "BackupProgress.h"
#include "BackupRun.h"
#include "DetectIphoneAction.h"
#include "DeviceFetch.h"
#include "DeviceLink.h"
#include "PhoneBackup.h"
#include "xbackgroundFrame.h"
#include "xdialogContainer.h"
#include "WindowTexts.h"
#include "xdialogs.h"
#include "xplatform.h"

#include <QCoreApplication>

#include <vector>

namespace {

// The device library cannot be unsubscribed from: its thread may still hand
// an old link to the callback or emit through an old notifier after a
// window is gone. Both therefore live until the program ends.
void retireDeviceObjects(DeviceLink* link, DetectIphoneAction* notifier)
{
    static std::vector<std::unique_ptr<DeviceLink>> links;
    static std::vector<std::unique_ptr<DetectIphoneAction>> notifiers;
    links.emplace_back(link);
    notifiers.emplace_back(notifier);
}

QString withSeparator(QString root)
{
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    return root;
}

} // namespace

PhoneSession::PhoneSession(QWidget* window) : QObject(window), m_window(window)
{
    m_link = new DeviceLink;
    m_notifier = new DetectIphoneAction;
    m_run = new BackupRun(this);
    connect(m_run, &BackupRun::finished, this, &PhoneSession::onBackupFinished);
}

PhoneSession::~PhoneSession()
{
    if (linkNotifier() == m_notifier)
        setLinkNotifier(nullptr);
    m_notifier->disconnect(this);
    retireDeviceObjects(m_link, m_notifier);
    // A running tool is stopped; its ending is no longer anyone's business.
    m_run->disconnect(this);
    delete m_run;
}

void PhoneSession::subscribe()
{
    // The notifier exists and is connected before the subscription: the
    // library may report a phone at once, on its own thread.
    setLinkNotifier(m_notifier);
    connect(m_notifier, &DetectIphoneAction::validlink, this, &PhoneSession::linkReported);
    subscribeDeviceNotifications(m_link);
}

bool PhoneSession::isBackingUp() const
{
    return m_run->isRunning();
}

void PhoneSession::phoneRemoved()
{
    m_relinkAfterRun = false;
    if (m_run->isRunning()) {
        m_abandoned = true;
        m_run->cancel();
    }
    if (m_progress)
        m_progress->hide();
}

bool PhoneSession::holdLinkReport()
{
    // Link reports queue up behind a running backup; that backup answers
    // them. A run being stopped for a removal answers nothing, so a phone
    // attached again meanwhile is linked once it has stopped.
    if (!m_run->isRunning())
        return false;
    if (m_abandoned)
        m_relinkAfterRun = true;
    return true;
}

void PhoneSession::startBackup()
{
    m_abandoned = false;
    m_run->setToolsFolder(deviceToolsFolder());
    m_run->setBackupRoot(defaultBackupRoot());
    if (!runDeviceBackup(m_link, m_run)) {
        // The phone went away before its report was handled (its removal is
        // on the way), or it gave no usable identifier.
        if (linkUp.load())
            infoDialogOK(nullptr, WindowTexts::tr("Warning"),
                         WindowTexts::tr("The iPhone could not be backed up: it did not tell its identifier. "
                                         "Unlock it, attach it again and confirm that this computer is trusted."));
        return;
    }
    if (!m_progress) {
        m_progress = new xdialogContainer<BackupProgress, xbackgroundFrame>(m_window);
        m_progress->setWindowModality(Qt::ApplicationModal);
        connect(m_run, &BackupRun::output, m_progress, &BackupProgress::appendLine);
        connect(m_progress, &BackupProgress::cancelRequested, m_run, &BackupRun::cancel);
    }
    m_progress->setWindowTitle(WindowTexts::tr("BackUp iPhone"));
    m_progress->startRun();
    // Shown, not run: the event loop goes on and the tool's ending closes it.
    m_progress->show();
}

void PhoneSession::onBackupFinished(bool ok, const QString& message)
{
    // A failure's explanation ends the tool's output: the window stays up
    // beside the message box until that is closed.
    if (m_progress && (ok || m_abandoned))
        m_progress->hide();
    if (m_abandoned) {
        m_abandoned = false;
        const bool relink = m_relinkAfterRun;
        m_relinkAfterRun = false;
        if (relink && linkUp.load())
            emit linkReported(true);
        return;
    }
    if (!ok) {
        // The window stays linked without data; choosing the phone row or
        // the next link report tries again.
        infoDialogOK(nullptr, WindowTexts::tr("Warning"), message);
        if (m_progress)
            m_progress->hide();
        return;
    }
    emit backupDone();
}

QByteArray PhoneSession::identifier() const
{
    // The backup just made is that of the phone it was started for; a phone
    // attached meanwhile may answer for the link by now.
    return m_run->identifier();
}

QString PhoneSession::backupFolder() const
{
    const QByteArray id = identifier();
    if (id.isEmpty() || id == "." || id == ".." || id.contains('/') || id.contains('\\'))
        return QString();
    return withSeparator(defaultBackupRoot()) + QString::fromUtf8(id);
}

QString PhoneSession::backupFolderText() const
{
    return defaultBackupRoot() + QString::fromUtf8(identifier());
}

OpenedSource PhoneSession::locateDatabases(const SourceOpener& opener) const
{
    const QString folder = backupFolder();
    OpenedSource source = opener.openPhoneBackup(folder);
    if (source.isOpen() || source.status == OpenedSource::Status::Cancelled)
        return source;
    // Nothing is shown as if the phone had no messages; the user is told
    // instead and may try again.
    const QString where = source.status == OpenedSource::Status::NotReadable ? backupFolderText() : folder;
    QString text = WindowTexts::tr("The message database was not found in the iPhone's backup:\n%1").arg(where);
    if (!source.detail.isEmpty())
        text += QStringLiteral("\n\n") + source.detail;
    infoDialogOK(nullptr, WindowTexts::tr("Warning"), text);
    return source;
}

QString PhoneSession::warningsText(const phonebackup::PhoneDatabases& databases)
{
    QStringList warnings;
    for (int i = 0; i < databases.warnings.size(); ++i) {
        if (databases.warningCodes.value(i) == phonebackup::DatabaseWarning::NoAddressBook)
            warnings.append(WindowTexts::tr("The iPhone's backup holds no address book: names cannot be shown."));
        else
            warnings.append(databases.warnings.at(i));
    }
    return warnings.join(QStringLiteral("\n\n"));
}

void PhoneSession::setLocated(const SourceRequest& request, std::unique_ptr<phonebackup::PhoneBackup> backup)
{
    m_request = request;
    m_backup = std::move(backup);
}

void PhoneSession::releaseBackup()
{
    m_backup.reset();
}
