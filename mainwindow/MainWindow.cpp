#include "MainWindow.h"

#include "AboutBox.h"

#include "BackupChooser.h"
#include "BackupPassword.h"
#include "BackupProgress.h"
#include "BackupRun.h"
#include "BackupWriter.h"
#include "ContactStore.h"
#include "DetectIphoneAction.h"
#include "DeviceFetch.h"
#include "DeviceLink.h"
#include "Frame.h"
#include "Frame1.h"
#include "FrameCopy.h"
#include "MessageStore.h"
#include "PhoneBackup.h"
#include "SourceLoader.h"
#include "TextExport.h"
#include "frame_page1.h"
#include "frame_page2.h"
#include "xbackgroundFrame.h"
#include "xdialogContainer.h"
#include "xdialogs.h"
#include "xplatform.h"
#include "xpublicPath.h"

#include "ui_mainwindow.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidgetItem>
#include <QMenu>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>

int phoneLoadCount = 0;

namespace {

const int HeaderRow = 1;
const int FirstBackupRow = 2;

QIcon backupIcon()
{
    return QIcon(QStringLiteral(":/icon/backup.png"));
}

QIcon phoneIcon()
{
    return QIcon(QStringLiteral(":/icon/iphone.png"));
}

// Two rows may name one file by different spellings (opened from elsewhere,
// through a link); compare what they resolve to.
QString fileKey(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// The box runs an event loop of its own: it comes up once the delete that
// failed has returned, so that nothing handled in that loop (a phone
// removed, another source chosen) meets a store in the middle of a delete.
void showDeleteError(const QString& title, const QString& text)
{
    QMetaObject::invokeMethod(
        qApp, [title, text] { infoDialogOK(nullptr, title, text); }, Qt::QueuedConnection);
}

// The folder of one phone's backup below the backup root; empty for an
// identifier that would name another folder.
QString phoneBackupFolder(const QString& root, const QByteArray& identifier)
{
    if (identifier.isEmpty() || identifier == "." || identifier == ".." || identifier.contains('/') ||
        identifier.contains('\\'))
        return QString();
    QString folder = root;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + QString::fromUtf8(identifier);
}

// A read of a phone's databases inside one of its backups. They are never
// changed: deletes work in ".sms" files only.
SourceRequest phoneDatabasesRequest(const QByteArray& messages, const QByteArray& messagesWal, const QByteArray& book,
                                    const QByteArray& bookWal)
{
    SourceRequest request;
    request.messagesPath = messages;
    request.messagesWal = messagesWal;
    request.access = StoreAccess::ReadOnly;
    request.names = SourceRequest::Names::FromPhoneBook;
    request.bookPath = book;
    request.bookWal = bookWal;
    return request;
}

// The text of a phone backup's row: its device name and backup day (the
// time of day is in the row's tool tip).
QString phoneBackupRowText(const phonebackup::BackupInfo& info)
{
    QString name = info.deviceName.isEmpty() ? info.identifier : info.deviceName;
    if (info.lastBackupDate.isValid())
        name += QLatin1Char(' ') + info.lastBackupDate.toLocalTime().toString(QStringLiteral("yyyy-MM-dd"));
    return name;
}

// The device library cannot be unsubscribed from: its thread may still hand
// an old link to the callback or emit through an old notifier after a window
// is gone. Both therefore live until the program ends.
void retireDeviceObjects(DeviceLink* link, DetectIphoneAction* notifier)
{
    static std::vector<std::unique_ptr<DeviceLink>> links;
    static std::vector<std::unique_ptr<DetectIphoneAction>> notifiers;
    links.emplace_back(link);
    notifiers.emplace_back(notifier);
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    // The notifier exists and is connected before the subscription: the
    // library may report a phone at once, on its own thread.
    deviceLink = new DeviceLink;
    m_linkNotifier = new DetectIphoneAction;
    setLinkNotifier(m_linkNotifier);
    connect(m_linkNotifier, &DetectIphoneAction::validlink, this, &MainWindow::detectIphone);
    // Without the device library msgdesk runs on its backup files alone.
    subscribeDeviceNotifications(deviceLink);

    ui = std::make_unique<Ui::MainWindow>();
    ui->setupUi(this);
    setDeleteErrorHandler(&showDeleteError);

    ui->listWidget->item(0)->setIcon(phoneIcon());

    databasePaths << QString() << QString();
    rowKinds << RowKind::Phone << RowKind::Header;
    listBackups();

    removeAction = new QAction(tr("Remove"), this);
    openAction = new QAction(tr("Open"), this);
    connect(removeAction, &QAction::triggered, this, &MainWindow::removelistOne);
    connect(openAction, &QAction::triggered, this, &MainWindow::OpenOneData);
    connect(ui->actionOpne, &QAction::triggered, this, &MainWindow::Open_A_BackUp);
    connect(ui->actionOpenPhoneBackup, &QAction::triggered, this, &MainWindow::openPhoneBackup);
    connect(ui->actionExit, &QAction::triggered, this, &MainWindow::close);
    connect(ui->actionDelete, &QAction::triggered, this, &MainWindow::Delete_A_BackUp);
    connect(ui->actionBackUp, &QAction::triggered, this, &MainWindow::on_pushButtonBACKUP_clicked);
    connect(ui->actionCopy, &QAction::triggered, this, &MainWindow::on_Btn_Back_clicked);
    addHelpMenu(this, ui->menuBar);
    connect(ui->listWidget, &QListWidget::currentRowChanged, this, &MainWindow::setIngWhichDB);

    listPage = new frame_page1(nullptr, ui->verticalStackedWidget);
    chatPage = new frame_page2(nullptr, ui->verticalStackedWidget);
    ui->verticalStackedWidget->insertWidget(ListPage, listPage);
    ui->verticalStackedWidget->insertWidget(ChatPage, chatPage);
    ui->verticalStackedWidget->setCurrentIndex(ListPage);
    connect(listPage, &frame_page1::sendMessageClick, this, &MainWindow::ChangePageToNext);
    connect(chatPage, &frame_page2::sendToPage1, this, &MainWindow::reBackToPage1);
    connect(chatPage, &frame_page2::sendOneMessage, this, &MainWindow::CopyOneMessage);
    ui->verticalStackedWidget->setCurrentIndex(StartPage);

    ui->listWidget->installEventFilter(this);
    QListWidgetItem* header = ui->listWidget->item(HeaderRow);
    header->setFlags(header->flags() & ~Qt::ItemIsSelectable);
    // The header reads as a caption, not as one more source.
    QFont captionFont = header->font();
    captionFont.setBold(true);
    if (captionFont.pointSizeF() > 0)
        captionFont.setPointSizeF(captionFont.pointSizeF() * 0.85);
    header->setFont(captionFont);
    header->setForeground(QColor(0x9a, 0xa1, 0xab));
    // Long backup names are cut in the middle, where the time of day stands,
    // rather than pushing a scroll bar under the list.
    ui->listWidget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->listWidget->setTextElideMode(Qt::ElideMiddle);

    QDir().mkpath(backupFolder());

    ui->pushButtonBACKUP->setToolTip(tr("BackUp iPhone SMS to Computer"));
    ui->label->setText(tr("SMS:0\nContact:0\niPhone Serial:No device"));
    setStartPicture(QStringLiteral("startNoDevice"));

    m_backupRun = new BackupRun(this);
    connect(m_backupRun, &BackupRun::finished, this, &MainWindow::onPhoneBackupFinished);

    m_loader = new SourceLoader(this, ui->verticalStackedWidget);
}

MainWindow::~MainWindow()
{
    if (linkNotifier() == m_linkNotifier)
        setLinkNotifier(nullptr);
    m_linkNotifier->disconnect(this);
    retireDeviceObjects(deviceLink, m_linkNotifier);
    // A running tool is stopped; its ending is no longer anyone's business.
    m_backupRun->disconnect(this);
    delete m_backupRun;
    // The pages go first: they point into the stores, which go next.
    delete listPage;
    delete chatPage;
    // A read cancelled by the user may still run; it ends before the stores go.
    delete m_loader;
    messageStore.reset();
    contactStore.reset();
    setDeleteErrorHandler(nullptr);
}

QString MainWindow::backupFolder()
{
    return xpublicPath::documentPath() + QStringLiteral("/smsbackup");
}

void MainWindow::setStartPicture(const QString& name)
{
    ui->startPage->setObjectName(name);
    // The skin picks the picture by object name; a renamed widget keeps its
    // old rules until the style is applied to it again.
    ui->startPage->style()->unpolish(ui->startPage);
    ui->startPage->style()->polish(ui->startPage);
    ui->startPage->update();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        removeAction->setText(tr("Remove"));
        openAction->setText(tr("Open"));
        ui->pushButtonBACKUP->setToolTip(tr("BackUp iPhone SMS to Computer"));
    }
}

// ---------------------------------------------------------------- phone link

bool MainWindow::detectIphone(bool islink)
{
    // A report that comes while a source is read is answered once the read
    // is over, in its order: the stores belong to the read until then.
    if (m_loader->isLoading()) {
        m_pendingLinkReports.append(islink);
        return true;
    }
    if (!islink) {
        m_relinkAfterRun = false;
        if (m_backupRun->isRunning()) {
            m_backupAbandoned = true;
            m_backupRun->cancel();
        }
        if (m_backupProgress)
            m_backupProgress->hide();
        ui->verticalStackedWidget->setCurrentIndex(StartPage);
        setStartPicture(QStringLiteral("startNoDevice"));
        phoneLinked = false;
        ui->label->setText(tr("SMS:0\nContact:0\niPhone Serial:No device"));
        phoneLoadCount = 0;
        ui->listWidget->item(0)->setText(tr("Mobile Losted"));
        if (messageStore) {
            detachPages();
            listPage->removeAll();
            messageStore.reset();
            contactStore.reset();
        }
        m_phoneBackup.reset();
        m_shownBackup.reset();
        // Nothing is on display any more, so choosing the row that was on
        // display must load it again.
        leaveSourceUnloaded();
        return true;
    }

    // Link reports queue up behind a running backup; that backup answers
    // them. A run being stopped for a removal answers nothing, so a phone
    // attached again meanwhile is linked once it has stopped.
    if (m_backupRun->isRunning()) {
        if (m_backupAbandoned)
            m_relinkAfterRun = true;
        return true;
    }
    // A backup on display keeps its connection, so that deleting from it
    // still works; only the phone's own database is let go before its
    // backup is read or brought up to date.
    const bool backupOnDisplay = currentSourceRow >= FirstBackupRow && currentSourceRow < rowKinds.size();
    // The window's own store, not whichever opened last: a read the user
    // cancelled may still be working on a store of its own.
    if (!backupOnDisplay && messageStore)
        messageStore->close();
    phoneLinked = true;
    if (phoneLoadCount != 0) {
        // The phone's data is read again when its row is chosen.
        if (!backupOnDisplay)
            rereadPhone();
        return true;
    }
    ui->listWidget->item(0)->setText(tr("Mobile connected"));
    setStartPicture(QStringLiteral("LinkDevice"));
    if (currentSourceRow == 0) {
        // The phone row is chosen but has nothing to show until the backup
        // is done; what the pages showed before belongs to another source.
        detachPages();
        ui->verticalStackedWidget->setCurrentIndex(StartPage);
    }
    startPhoneBackup();
    return true;
}

bool MainWindow::unlockIfNeeded(phonebackup::PhoneBackup& backup)
{
    if (!backup.needsPassword())
        return true;
    // Without its key bag no password can open it: say why instead of asking.
    if (!backup.keyBag()) {
        infoDialogOK(nullptr, tr("Warning"), backup.errorString());
        return false;
    }
    return askBackupPassword(this, backup);
}

SourceRequest MainWindow::phoneRequest() const
{
    return phoneDatabasesRequest(messageDbPath, messageWalPath, addressBookPath, addressBookWalPath);
}

void MainWindow::rereadPhone()
{
    if (messageDbPath.isEmpty())
        return;
    if (readSource(phoneRequest()))
        showStores(false);
}

bool MainWindow::readSource(const SourceRequest& request)
{
    detachPages();
    const bool done = m_loader->load(request, messageStore, contactStore);
    if (!done)
        leaveSourceUnloaded();
    if (!m_pendingLinkReports.isEmpty())
        QTimer::singleShot(0, this, &MainWindow::replayLinkReports);
    return done;
}

void MainWindow::replayLinkReports()
{
    while (!m_pendingLinkReports.isEmpty() && !m_loader->isLoading())
        detectIphone(m_pendingLinkReports.takeFirst());
}

void MainWindow::showStores(bool deletesOffered)
{
    chatPage->setDeleteButtonShown(false);
    listPage->resetEditMode();
    listPage->showConversations(messageStore.get());
    if (!deletesOffered)
        listPage->setEditButtonVisible(false);
}

void MainWindow::leaveSourceUnloaded()
{
    detachPages();
    currentSourceRow = -1;
    ui->verticalStackedWidget->setCurrentIndex(StartPage);
    const QSignalBlocker blocker(ui->listWidget);
    ui->listWidget->setCurrentRow(-1);
    ui->listWidget->clearSelection();
}

void MainWindow::startPhoneBackup()
{
    m_backupAbandoned = false;
    m_backupRun->setToolsFolder(deviceToolsFolder());
    m_backupRun->setBackupRoot(defaultBackupRoot());
    if (!runDeviceBackup(deviceLink, m_backupRun)) {
        // The phone went away before its report was handled (its removal is
        // on the way), or it gave no usable identifier.
        if (linkUp.load())
            infoDialogOK(nullptr, tr("Warning"),
                         tr("The iPhone could not be backed up: it did not tell its identifier. "
                            "Unlock it, attach it again and confirm that this computer is trusted."));
        return;
    }
    if (!m_backupProgress) {
        m_backupProgress = new xdialogContainer<BackupProgress, xbackgroundFrame>(this);
        m_backupProgress->setWindowModality(Qt::ApplicationModal);
        connect(m_backupRun, &BackupRun::output, m_backupProgress, &BackupProgress::appendLine);
        connect(m_backupProgress, &BackupProgress::cancelRequested, m_backupRun, &BackupRun::cancel);
    }
    m_backupProgress->setWindowTitle(tr("BackUp iPhone"));
    m_backupProgress->startRun();
    // Shown, not run: the event loop goes on and the tool's ending closes it.
    m_backupProgress->show();
}

void MainWindow::onPhoneBackupFinished(bool ok, const QString& message)
{
    if (m_backupProgress)
        m_backupProgress->hide();
    if (m_backupAbandoned) {
        m_backupAbandoned = false;
        const bool relink = m_relinkAfterRun;
        m_relinkAfterRun = false;
        if (relink && linkUp.load())
            detectIphone(true);
        return;
    }
    if (!ok) {
        // The window stays linked without data; choosing the phone row or
        // the next link report tries again.
        infoDialogOK(nullptr, tr("Warning"), message);
        return;
    }
    // The phone may have been removed just as the tool ended.
    if (!phoneLinked || !isBackupDone())
        return;
    loadPhoneDatabases();
}

void MainWindow::loadPhoneDatabases()
{
    // The backup just made is that of the phone it was started for; a phone
    // attached meanwhile may answer for the link by now.
    const QByteArray identifier = m_backupRun->identifier();
    const QString root = defaultBackupRoot();
    const QString folder = phoneBackupFolder(root, identifier);
    auto backup = std::make_unique<phonebackup::PhoneBackup>(folder);
    if (folder.isEmpty() || !backup->isValid()) {
        // Opening an empty path would show an empty phone as if it had no
        // messages; the user is told instead and may try again.
        QString text = tr("The message database was not found in the iPhone's backup:\n%1")
                           .arg(root + QString::fromUtf8(identifier));
        if (!backup->errorString().isEmpty())
            text += QStringLiteral("\n\n") + backup->errorString();
        infoDialogOK(nullptr, tr("Warning"), text);
        return;
    }
    // A phone with backup encryption on makes encrypted backups: its
    // password opens them. Cancel leaves the phone without data, quietly.
    if (!unlockIfNeeded(*backup))
        return;
    const phonebackup::PhoneDatabases databases = backup->phoneDatabases();
    if (!databases.error.isEmpty()) {
        infoDialogOK(nullptr, tr("Warning"),
                     tr("The message database was not found in the iPhone's backup:\n%1").arg(folder) +
                         QStringLiteral("\n\n") + databases.error);
        return;
    }

    const int shownRow = currentSourceRow;
    detachPages();
    // Paths are kept whole: a cut path would name another file or none.
    messageDbPath = databases.messages.path.toUtf8();
    messageWalPath = databases.messages.walPath.toUtf8();
    addressBookPath = databases.addressBook.path.toUtf8();
    addressBookWalPath = databases.addressBook.walPath.toUtf8();
    databasePaths[0] = QString::fromUtf8(messageDbPath);
    // The connection goes before the decrypted copies it may read.
    if (messageStore)
        messageStore->close();
    m_phoneBackup = std::move(backup);
    if (!readSource(phoneRequest()))
        return;

    ui->label->setText(tr("SMS:") + QString::number(messageStore->messages.size()) + tr("\nContact:") +
                       QString::number(contactStore->contacts.size()) + QLatin1Char('\n') + tr("iPhone Serial:") +
                       QString::fromUtf8(identifier));
    ++phoneLoadCount;

    // The new stores replaced what the pages showed: show the chosen source
    // again, so the selected row and the pages agree.
    if (shownRow == 0) {
        ui->verticalStackedWidget->setCurrentIndex(ListPage);
        showStores(false);
        currentSourceRow = 0;
    } else if (shownRow >= FirstBackupRow) {
        currentSourceRow = -1;
        setIngWhichDB(shownRow);
    }
    // Told once per backup, after the messages are in place: without a book
    // they show with their numbers.
    QStringList warnings;
    for (const QString& warning : databases.warnings) {
        // The phone's own words for the book that is not there.
        if (databases.addressBook.isEmpty() && warning.endsWith(QStringLiteral("names cannot be shown.")) &&
            warning.startsWith(QStringLiteral("The backup holds no address book")))
            warnings.append(tr("The iPhone's backup holds no address book: names cannot be shown."));
        else
            warnings.append(warning);
    }
    if (!warnings.isEmpty())
        infoDialogOK(nullptr, tr("Information"), warnings.join(QStringLiteral("\n\n")));
}

void MainWindow::showPhoneConversations()
{
    ui->verticalStackedWidget->setCurrentIndex(ListPage);
    currentSourceRow = 0;
    rereadPhone();
}

void MainWindow::detachPages()
{
    listPage->showConversations(nullptr);
    chatPage->loadConversation(nullptr);
    if (ui->verticalStackedWidget->currentIndex() == ChatPage)
        ui->verticalStackedWidget->setCurrentIndex(ListPage);
}

// ---------------------------------------------------------------- navigation

void MainWindow::ChangePageToNext(QString sss)
{
    if (!messageStore)
        return;
    ui->verticalStackedWidget->setCurrentIndex(ChatPage);
    messageStore->selectConversation(sss.toUtf8());
    chatPage->loadConversation(messageStore.get());
    // The phone's own databases are never edited from here.
    if (isPhoneSourceRow(currentSourceRow))
        chatPage->setEditButtonVisible(false);
}

void MainWindow::reBackToPage1(QString sss)
{
    Q_UNUSED(sss)
    if (messageStore) {
        messageStore->buildConversationList();
        listPage->refreshRows();
    }
    ui->verticalStackedWidget->setCurrentIndex(ListPage);
}

void MainWindow::setIngWhichDB(int r)
{
    if (r < 0 || r >= databasePaths.size())
        return;
    if (r == HeaderRow) {
        // The header is no source: the selection goes back to the row on
        // display, and the loaded data stays as it is.
        if (currentSourceRow >= 0) {
            ui->listWidget->setCurrentRow(currentSourceRow);
        } else {
            ui->listWidget->setCurrentRow(-1);
            ui->listWidget->clearSelection();
        }
        return;
    }
    if (r == currentSourceRow)
        return;

    if (ui->verticalStackedWidget->currentIndex() == ChatPage) {
        chatPage->resetEditMode();
        ui->verticalStackedWidget->setCurrentIndex(ListPage);
    }
    if (r == 0) {
        currentSourceRow = 0;
        if (!phoneLinked) {
            ui->verticalStackedWidget->setCurrentIndex(StartPage);
            ui->listWidget->setCurrentRow(0);
            return;
        }
        ui->verticalStackedWidget->setCurrentIndex(ListPage);
        // Re-reads the located databases, or backs the phone up again when
        // the last backup failed.
        detectIphone(true);
        return;
    }
    if (rowKinds.at(r) == RowKind::PhoneBackupFolder)
        showPhoneBackup(r);
    else
        showBackup(r);
}

bool MainWindow::isPhoneSourceRow(int r) const
{
    return r == 0 || (r >= 0 && r < rowKinds.size() && rowKinds.at(r) == RowKind::PhoneBackupFolder);
}

void MainWindow::showBackup(int r)
{
    ui->verticalStackedWidget->setCurrentIndex(ListPage);
    const QString path = databasePaths.at(r);
    if (!QFileInfo(path).isFile()) {
        infoDialogOK(nullptr, tr("Warning"), tr("The backup file does not exist any more:\n%1").arg(path));
    }
    if (messageStore)
        messageStore->close();
    m_shownBackup.reset();
    SourceRequest request;
    // SQLite takes UTF-8 file names on every system.
    request.messagesPath = path.toUtf8();
    // Backups are the user's own files: deleting from them is allowed.
    request.access = StoreAccess::ReadWrite;
    request.names = SourceRequest::Names::FromBackupFile;
    if (!readSource(request))
        return;
    showStores(true);
    currentSourceRow = r;
}

void MainWindow::showPhoneBackup(int r)
{
    ui->verticalStackedWidget->setCurrentIndex(ListPage);
    const QString folder = databasePaths.at(r);
    // The folder on display is let go first: its decrypted copies go with it.
    detachPages();
    if (messageStore)
        messageStore->close();
    m_shownBackup.reset();
    auto backup = std::make_unique<phonebackup::PhoneBackup>(folder);
    if (!backup->isValid()) {
        leaveSourceUnloaded();
        infoDialogOK(nullptr, tr("Warning"),
                     tr("The phone backup cannot be read:\n%1\n\n%2").arg(folder, backup->errorString()));
        return;
    }
    if (!unlockIfNeeded(*backup)) {
        leaveSourceUnloaded();
        return;
    }
    const phonebackup::PhoneDatabases databases = backup->phoneDatabases();
    if (!databases.error.isEmpty()) {
        leaveSourceUnloaded();
        infoDialogOK(nullptr, tr("Warning"), tr("The phone backup cannot be read:\n%1\n\n%2").arg(folder, databases.error));
        return;
    }
    m_shownMessages = databases.messages.path.toUtf8();
    m_shownMessagesWal = databases.messages.walPath.toUtf8();
    m_shownBook = databases.addressBook.path.toUtf8();
    m_shownBookWal = databases.addressBook.walPath.toUtf8();
    m_shownBackup = std::move(backup);

    if (!readSource(phoneDatabasesRequest(m_shownMessages, m_shownMessagesWal, m_shownBook, m_shownBookWal))) {
        m_shownBackup.reset();
        return;
    }
    showStores(false);
    currentSourceRow = r;
    ui->listWidget->setCurrentRow(r);
    if (!databases.warnings.isEmpty() && !m_warnedBackups.contains(folder)) {
        m_warnedBackups.append(folder);
        infoDialogOK(nullptr, tr("Information"), databases.warnings.join(QStringLiteral("\n\n")));
    }
}

void MainWindow::removelistOne()
{
    Delete_A_BackUp();
}

void MainWindow::OpenOneData()
{
    Open_A_BackUp();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->listWidget && event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        if (ui->listWidget->rect().contains(menuEvent->pos())) {
            QMenu menu(this);
            menu.addAction(openAction);
            menu.addAction(removeAction);
            menu.exec(menuEvent->globalPos());
        }
    }
    // The event goes on as it came.
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- backups

void MainWindow::listBackups()
{
    const QDir folder(backupFolder());
    const QStringList names = folder.entryList({QStringLiteral("*.sms")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names)
        appendBackupRow(folder.filePath(name));
}

void MainWindow::appendBackupRow(const QString& path)
{
    // The entry first: the new row may become current at once, and its
    // source must then be known.
    databasePaths.append(path);
    rowKinds.append(RowKind::SmsFile);
    auto* item = new QListWidgetItem(backupIcon(), QFileInfo(path).fileName());
    item->setToolTip(QDir::toNativeSeparators(path));
    const QSignalBlocker blocker(ui->listWidget);
    ui->listWidget->addItem(item);
}

void MainWindow::appendPhoneBackupRow(const phonebackup::BackupInfo& info)
{
    databasePaths.append(info.folder);
    rowKinds.append(RowKind::PhoneBackupFolder);
    auto* item = new QListWidgetItem(phoneIcon(), phoneBackupRowText(info));
    QString tip = QDir::toNativeSeparators(info.folder);
    if (info.lastBackupDate.isValid())
        tip = backupDateText(info.lastBackupDate) + QLatin1Char('\n') + tip;
    if (!info.productVersion.isEmpty())
        tip = tr("iOS %1").arg(info.productVersion) + QLatin1Char('\n') + tip;
    item->setToolTip(tip);
    const QSignalBlocker blocker(ui->listWidget);
    ui->listWidget->addItem(item);
}

void MainWindow::openPhoneBackup()
{
    const QString folder = choosePhoneBackup(this, phonebackup::standardBackupRoots());
    if (folder.isEmpty())
        return;
    openPhoneBackupFolder(folder);
}

bool MainWindow::openPhoneBackupFolder(const QString& folder)
{
    const phonebackup::PhoneBackup probe(folder);
    if (!probe.isValid()) {
        infoDialogOK(nullptr, tr("Warning"),
                     tr("This folder is no phone backup that can be read:\n%1\n\n%2")
                         .arg(QDir::toNativeSeparators(folder), probe.errorString()));
        return false;
    }
    // A folder opened before keeps its one row.
    const QString key = fileKey(probe.info().folder);
    for (int r = FirstBackupRow; r < rowKinds.size(); ++r) {
        if (rowKinds.at(r) == RowKind::PhoneBackupFolder && fileKey(databasePaths.at(r)) == key) {
            ui->listWidget->setCurrentRow(r);
            return true;
        }
    }
    appendPhoneBackupRow(probe.info());
    ui->listWidget->setCurrentRow(ui->listWidget->count() - 1);
    return true;
}

bool MainWindow::openPath(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return openPhoneBackupFolder(info.absoluteFilePath());
    if (!info.isFile()) {
        infoDialogOK(nullptr, tr("Warning"),
                     tr("There is no .sms backup or phone backup folder at\n%1").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    // A backup listed already (one of the backup folder's) keeps its one row.
    const QString key = fileKey(info.absoluteFilePath());
    for (int r = FirstBackupRow; r < rowKinds.size(); ++r) {
        if (rowKinds.at(r) == RowKind::SmsFile && fileKey(databasePaths.at(r)) == key) {
            ui->listWidget->setCurrentRow(r);
            return true;
        }
    }
    appendBackupRow(info.absoluteFilePath());
    ui->listWidget->setCurrentRow(ui->listWidget->count() - 1);
    return true;
}

void MainWindow::on_pushButtonBACKUP_clicked()
{
    // A phone backup on display is backed up as the phone would be.
    if (currentSourceRow >= FirstBackupRow && currentSourceRow < rowKinds.size() &&
        rowKinds.at(currentSourceRow) == RowKind::PhoneBackupFolder && m_shownBackup) {
        if (!messageStore || messageStore->messages.isEmpty()) {
            infoDialogOK(nullptr, tr("Information"), tr("No message in your device!!!"));
            return;
        }
        writeSmsBackup(m_shownMessages, m_shownMessagesWal, m_shownBook, m_shownBookWal);
        return;
    }
    if (!phoneLinked) {
        infoDialogOK(nullptr, tr("Information"), tr("Please make sure that iPhone has been connected."));
        return;
    }
    if (!messageStore || messageStore->messages.isEmpty()) {
        infoDialogOK(nullptr, tr("Information"), tr("No message in your device!!!"));
        return;
    }
    writeSmsBackup(messageDbPath, messageWalPath, addressBookPath, addressBookWalPath);
}

void MainWindow::writeSmsBackup(const QByteArray& messages, const QByteArray& messagesWal, const QByteArray& book,
                                const QByteArray& bookWal)
{
    const QString folder = backupFolder();
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + backupwriter::backupFileName(QDateTime::currentDateTime());

    QVector<ContactRecord> contacts;
    if (contactStore) {
        contactStore->readPhoneAddressBook(book, bookWal);
        contacts = contactStore->contacts;
    }
    const auto result =
        backupwriter::writeBackup(QString::fromUtf8(messages), path, contacts, QString::fromUtf8(messagesWal));
    if (result != backupwriter::Result::Written) {
        infoDialogOK(nullptr, tr("Warning"), tr("Backup databace failed!!!"));
        return;
    }
    appendBackupRow(path);
    ui->listWidget->setCurrentRow(ui->listWidget->count() - 1);
}

void MainWindow::Open_A_BackUp()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Open a BackUp"), backupFolder(), tr("sms(*.sms)"),
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    appendBackupRow(path);
    ui->listWidget->setCurrentRow(ui->listWidget->count() - 1);
}

void MainWindow::dropSourceOnDisplay()
{
    listPage->showConversations(nullptr);
    chatPage->loadConversation(nullptr);
    // The stores stay, empty and closed, so that the phone's data can be read
    // into them again later.
    if (messageStore) {
        messageStore->close();
        messageStore->clear();
    }
    if (contactStore)
        contactStore->contacts.clear();
    currentSourceRow = -1;
    ui->verticalStackedWidget->setCurrentIndex(StartPage);
}

void MainWindow::Delete_A_BackUp()
{
    if (infoDialogOKCancel(nullptr, tr("Warning"), tr("Are you sure to do this?")) == 1)
        return;
    const int r = ui->listWidget->currentRow();
    if (r < 0)
        return;
    if (r == 0) {
        phoneLinked = false;
        ui->listWidget->item(0)->setText(tr("iPhone Lost"));
        return;
    }
    if (r < FirstBackupRow || r >= databasePaths.size())
        return;
    if (rowKinds.at(r) == RowKind::PhoneBackupFolder) {
        // Only the row goes: a phone's backup folder is never deleted here.
        if (currentSourceRow == r) {
            dropSourceOnDisplay();
            m_shownBackup.reset();
        }
        const QSignalBlocker blocker(ui->listWidget);
        delete ui->listWidget->takeItem(r);
        databasePaths.removeAt(r);
        rowKinds.removeAt(r);
        if (currentSourceRow > r)
            --currentSourceRow;
        ui->listWidget->setCurrentRow(currentSourceRow);
        if (currentSourceRow < 0)
            ui->listWidget->clearSelection();
        return;
    }

    const QString path = databasePaths.at(r);
    const QString key = fileKey(path);
    // Every row naming this file goes with it, so no row is left pointing
    // at a file that is gone.
    QVector<int> rows;
    for (int i = FirstBackupRow; i < databasePaths.size(); ++i) {
        if (rowKinds.at(i) == RowKind::SmsFile && fileKey(databasePaths.at(i)) == key)
            rows.append(i);
    }
    // The only connection that can hold the file open is the store's, when
    // the file is on display; a store showing another backup stays usable.
    if (currentSourceRow >= 0 && rows.contains(currentSourceRow))
        dropSourceOnDisplay();

    if (QFileInfo::exists(path) && !QFile::remove(path)) {
        infoDialogOK(nullptr, tr("Warning"), tr("The backup file could not be deleted:\n%1").arg(path));
        return;
    }

    {
        // Rows and entries leave together; the list must not switch sources
        // half way through.
        const QSignalBlocker blocker(ui->listWidget);
        for (int i = int(rows.size()) - 1; i >= 0; --i) {
            const int row = rows.at(i);
            delete ui->listWidget->takeItem(row);
            databasePaths.removeAt(row);
            rowKinds.removeAt(row);
            if (currentSourceRow > row)
                --currentSourceRow;
        }
        ui->listWidget->setCurrentRow(currentSourceRow);
        if (currentSourceRow < 0)
            ui->listWidget->clearSelection();
    }
}

// ---------------------------------------------------------------- text export

void MainWindow::runSaveDialog(void (MainWindow::*writer)(QString))
{
    xdialogContainer<FrameCopy, xbackgroundFrame> dialog;
    QString confirmed;
    m_exportWritten = false;
    connect(&dialog, &FrameCopy::sendSaveToText, this, [this, writer, &confirmed](const QString& path) {
        confirmed = path;
        (this->*writer)(path);
    });
    dialog.setPath(textexport::defaultExportPath(backupFolder(), QDateTime::currentDateTime()));
    dialog.exec();
    if (!dialog.accepted)
        return;
    if (!m_exportWritten) {
        infoDialogOK(nullptr, tr("Warning"), tr("The text file could not be written:\n%1").arg(confirmed));
        return;
    }
    if (dialog.openOutputFile)
        openInTextEditor(confirmed);
}

void MainWindow::on_Btn_Back_clicked()
{
    if (!messageStore || !(ui->listWidget->count() > FirstBackupRow || phoneLinked)) {
        infoDialogOK(nullptr, tr("Information"), tr("No data sorce!!!Please check one!!!"));
        return;
    }
    runSaveDialog(&MainWindow::saveToTxt);
}

void MainWindow::saveToTxt(QString path)
{
    QStringList lines;
    if (messageStore) {
        const int page = ui->verticalStackedWidget->currentIndex();
        if (page == ListPage) {
            // selectConversation refills conversation, never the heads.
            const QVector<MessageRecord> heads = messageStore->conversationHeads;
            for (const MessageRecord& head : heads) {
                messageStore->selectConversation(head.address);
                lines += textexport::conversationBlock(messageStore->conversation);
            }
        } else if (page == ChatPage) {
            lines = textexport::chatPageLines(messageStore->conversation);
        }
    }
    m_exportWritten = textexport::writeLines(path, lines);
}

void MainWindow::CopyOneMessage(QFrame* f, int t)
{
    Q_UNUSED(t)
    exportLines.clear();
    qint64 rowId = 0;
    bool known = false;
    if (auto* in = qobject_cast<Frame*>(f)) {
        rowId = in->rowId();
        known = true;
    } else if (auto* out = qobject_cast<Frame1*>(f)) {
        rowId = out->rowId();
        known = true;
    }
    if (known && messageStore)
        exportLines = textexport::singleMessageLines(messageStore->conversation, rowId);
    runSaveDialog(&MainWindow::saveToTxt1);
}

void MainWindow::saveToTxt1(QString path)
{
    m_exportWritten = textexport::writeLines(path, exportLines);
}
