#include "MainWindow.h"

#include "AboutBox.h"
#include "BackupChooser.h"
#include "ContactStore.h"
#include "DeviceLink.h"
#include "MessageStore.h"
#include "NavigationRows.h"
#include "PhoneSession.h"
#include "SearchController.h"
#include "SmsFileWriter.h"
#include "SourceDisplay.h"
#include "SourceOpener.h"
#include "TextExport.h"
#include "TextExporter.h"
#include "frame_page1.h"
#include "frame_page2.h"
#include "xdialogs.h"
#include "xpublicPath.h"

#include "ui_mainwindow.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QTimer>

int phoneLoadCount = 0;

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    m_phone = new PhoneSession(this);
    deviceLink = m_phone->link();
    ui = std::make_unique<Ui::MainWindow>();
    ui->setupUi(this);

    m_rows = std::make_unique<NavigationRows>(ui->listWidget, databasePaths);
    m_rows->appendSmsFolder(backupFolder());

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
    connect(ui->actionExport, &QAction::triggered, this,
            [this] { m_display->runExport(currentSourceRow == 0 ? m_phone->backup() : nullptr, backupFolder()); });
    addHelpMenu(this, ui->menuBar);
    connect(ui->listWidget, &QListWidget::currentRowChanged, this, &MainWindow::setIngWhichDB);

    listPage = new frame_page1(nullptr, ui->verticalStackedWidget);
    chatPage = new frame_page2(nullptr, ui->verticalStackedWidget);
    ui->verticalStackedWidget->insertWidget(SourceDisplay::ListPage, listPage);
    ui->verticalStackedWidget->insertWidget(SourceDisplay::ChatPage, chatPage);
    ui->verticalStackedWidget->setCurrentIndex(SourceDisplay::ListPage);
    connect(listPage, &frame_page1::sendMessageClick, this, &MainWindow::ChangePageToNext);
    connect(chatPage, &frame_page2::sendToPage1, this, &MainWindow::reBackToPage1);
    connect(chatPage, &frame_page2::sendOneMessage, this, &MainWindow::CopyOneMessage);
    ui->verticalStackedWidget->setCurrentIndex(SourceDisplay::StartPage);
    ui->listWidget->installEventFilter(this);

    m_display = std::make_unique<SourceDisplay>(
        SourceDisplay::Widgets{this, ui->listWidget, ui->verticalStackedWidget, listPage, chatPage, ui->startPage},
        messageStore, contactStore, currentSourceRow);
    connect(m_display.get(), &SourceDisplay::readEnded, this, [this] {
        if (m_phone->hasDeferredReports())
            QTimer::singleShot(0, this, &MainWindow::replayLinkReports);
    });

    QDir().mkpath(backupFolder());
    ui->pushButtonBACKUP->setToolTip(tr("BackUp iPhone SMS to Computer"));
    ui->label->setText(tr("SMS:0\nContact:0\niPhone Serial:No device"));
    m_display->setStartPicture(QStringLiteral("startNoDevice"));

    m_search = new SearchController(this, ui->verticalLayout, ui->verticalStackedWidget, chatPage);
    connect(m_search, &SearchController::openConversation, this, &MainWindow::ChangePageToNext);
    connect(m_display.get(), &SourceDisplay::storeShown, m_search, &SearchController::setStore);

    // Reports come last, once everything they touch is in place. Without the
    // device library msgdesk runs on its backup files alone.
    connect(m_phone, &PhoneSession::linkReported, this, &MainWindow::detectIphone);
    connect(m_phone, &PhoneSession::backupDone, this, &MainWindow::onPhoneBackupDone);
    m_phone->subscribe();
}

MainWindow::~MainWindow()
{
    // The chat page lets go of the attachments before the backups they lie in go.
    m_display->detachPages();
    // The device reports stop and a running backup tool is stopped first.
    delete m_phone;
    // The pages go first: they point into the stores, which go next.
    delete listPage;
    delete chatPage;
    // A read cancelled by the user may still run; it ends before the stores go.
    m_display.reset();
    messageStore.reset();
    contactStore.reset();
}

SourceLoader* MainWindow::sourceLoader() const
{
    return m_display->loader();
}

QString MainWindow::backupFolder()
{
    return xpublicPath::documentPath() + QStringLiteral("/smsbackup");
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
    if (m_display->isLoading())
        m_phone->deferReport(islink);
    else if (!islink)
        phoneRemoved();
    else if (!m_phone->holdLinkReport())
        phoneAttached();
    return true;
}

void MainWindow::phoneRemoved()
{
    m_phone->phoneRemoved();
    ui->verticalStackedWidget->setCurrentIndex(SourceDisplay::StartPage);
    m_display->setStartPicture(QStringLiteral("startNoDevice"));
    phoneLinked = false;
    ui->label->setText(tr("SMS:0\nContact:0\niPhone Serial:No device"));
    phoneLoadCount = 0;
    ui->listWidget->item(0)->setText(tr("Mobile Losted"));
    m_display->detachPages();
    if (messageStore) {
        listPage->removeAll();
        messageStore.reset();
        contactStore.reset();
    }
    m_phone->releaseBackup();
    m_display->forgetShown();
    // Nothing is on display any more, so choosing the row that was on
    // display must load it again.
    m_display->leaveUnloaded();
}

void MainWindow::phoneAttached()
{
    // A backup on display keeps its connection, so that deleting from it
    // still works; only the phone's own database is let go before its
    // backup is read or brought up to date.
    const bool backupOnDisplay = m_rows->isBackupRow(currentSourceRow);
    // The window's own store, not whichever opened last: a read the user
    // cancelled may still be working on a store of its own.
    if (!backupOnDisplay && messageStore)
        messageStore->close();
    phoneLinked = true;
    if (phoneLoadCount != 0) {
        // The phone's data is read again when its row is chosen.
        if (!backupOnDisplay)
            rereadPhone();
        return;
    }
    ui->listWidget->item(0)->setText(tr("Mobile connected"));
    m_display->setStartPicture(QStringLiteral("LinkDevice"));
    if (currentSourceRow == 0) {
        // The phone row is chosen but has nothing to show until the backup
        // is done; what the pages showed before belongs to another source.
        m_display->detachPages();
        ui->verticalStackedWidget->setCurrentIndex(SourceDisplay::StartPage);
    }
    m_phone->startBackup();
}

void MainWindow::rereadPhone()
{
    if (!messageDbPath.isEmpty() && m_display->read(m_phone->databases()))
        m_display->showStores(false);
}

void MainWindow::replayLinkReports()
{
    while (m_phone->hasDeferredReports() && !m_display->isLoading())
        detectIphone(m_phone->takeDeferredReport());
}

void MainWindow::onPhoneBackupDone()
{
    // The phone may have been removed just as the tool ended.
    if (phoneLinked && isBackupDone())
        loadPhoneDatabases();
}

void MainWindow::loadPhoneDatabases()
{
    // A phone with backup encryption on makes encrypted backups: its
    // password opens them. Cancel leaves the phone without data, quietly.
    OpenedSource source = m_phone->locateDatabases(SourceOpener(this));
    if (!source.isOpen())
        return;

    const int shownRow = currentSourceRow;
    m_display->detachPages();
    messageDbPath = source.request.messagesPath;
    addressBookPath = source.request.bookPath;
    m_rows->setPhonePath(QString::fromUtf8(messageDbPath));
    // The connection goes before the decrypted copies it may read.
    if (messageStore)
        messageStore->close();
    m_phone->setLocated(source.request, std::move(source.backup));
    if (!m_display->read(m_phone->databases()))
        return;

    ui->label->setText(tr("SMS:") + QString::number(messageStore->messages.size()) + tr("\nContact:") +
                       QString::number(contactStore->contacts.size()) + QLatin1Char('\n') + tr("iPhone Serial:") +
                       QString::fromUtf8(m_phone->identifier()));
    ++phoneLoadCount;

    // The new stores replaced what the pages showed: show the chosen source
    // again, so the selected row and the pages agree.
    if (shownRow == 0) {
        ui->verticalStackedWidget->setCurrentIndex(SourceDisplay::ListPage);
        m_display->showStores(false);
        currentSourceRow = 0;
    } else if (shownRow >= NavigationRows::kFirstSourceRow) {
        currentSourceRow = -1;
        setIngWhichDB(shownRow);
    }
    // Told once per backup, after the messages are in place: without a book
    // they show with their numbers.
    const QString warnings = PhoneSession::warningsText(source.databases);
    if (!warnings.isEmpty())
        infoDialogOK(nullptr, tr("Information"), warnings);
}

// ---------------------------------------------------------------- navigation

void MainWindow::ChangePageToNext(QString sss)
{
    if (!messageStore)
        return;
    ui->verticalStackedWidget->setCurrentIndex(SourceDisplay::ChatPage);
    messageStore->selectConversation(sss.toUtf8());
    m_display->showAttachments(currentSourceRow == 0 ? m_phone->backup() : nullptr);
    chatPage->loadConversation(messageStore.get());
    // The phone's own databases are never edited from here.
    if (m_rows->isPhoneSource(currentSourceRow))
        chatPage->setEditButtonVisible(false);
}

void MainWindow::reBackToPage1(QString sss)
{
    Q_UNUSED(sss)
    if (messageStore) {
        messageStore->buildConversationList();
        listPage->refreshRows();
    }
    ui->verticalStackedWidget->setCurrentIndex(SourceDisplay::ListPage);
}

void MainWindow::setIngWhichDB(int r)
{
    if (r < 0 || r >= m_rows->count())
        return;
    if (r == NavigationRows::kHeaderRow) {
        // The header is no source: the selection goes back to the row on
        // display, and the loaded data stays as it is.
        m_rows->select(currentSourceRow);
        return;
    }
    if (r == currentSourceRow)
        return;

    if (ui->verticalStackedWidget->currentIndex() == SourceDisplay::ChatPage) {
        chatPage->resetEditMode();
        ui->verticalStackedWidget->setCurrentIndex(SourceDisplay::ListPage);
    }
    if (r == NavigationRows::kPhoneRow) {
        currentSourceRow = 0;
        if (!phoneLinked) {
            ui->verticalStackedWidget->setCurrentIndex(SourceDisplay::StartPage);
            ui->listWidget->setCurrentRow(0);
            return;
        }
        ui->verticalStackedWidget->setCurrentIndex(SourceDisplay::ListPage);
        // Re-reads the located databases, or backs the phone up again when
        // the last backup failed.
        detectIphone(true);
        return;
    }
    m_display->showBackup(m_rows->path(r), m_rows->kind(r) == NavigationRows::Kind::PhoneBackupFolder, r);
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

void MainWindow::openPhoneBackup()
{
    const QString folder = choosePhoneBackup(this, phonebackup::standardBackupRoots());
    if (!folder.isEmpty())
        openPath(folder);
}

bool MainWindow::openPath(const QString& path)
{
    const int row = SourceOpener(this).listedRow(path, *m_rows);
    if (row >= 0)
        ui->listWidget->setCurrentRow(row);
    return row >= 0;
}

void MainWindow::on_pushButtonBACKUP_clicked()
{
    // A phone backup on display is backed up as the phone would be.
    const bool folderShown = m_rows->isBackupRow(currentSourceRow) &&
                             m_rows->kind(currentSourceRow) == NavigationRows::Kind::PhoneBackupFolder &&
                             m_display->shown().backup;
    if (!folderShown && !phoneLinked) {
        infoDialogOK(nullptr, tr("Information"), tr("Please make sure that iPhone has been connected."));
        return;
    }
    if (!messageStore || messageStore->messages.isEmpty()) {
        infoDialogOK(nullptr, tr("Information"), tr("No message in your device!!!"));
        return;
    }
    if (folderShown)
        writeSmsBackup(m_display->shown().request, m_display->shown().backup.get());
    else
        writeSmsBackup(m_phone->databases(), m_phone->backup());
}

void MainWindow::writeSmsBackup(const SourceRequest& source, phonebackup::PhoneBackup* backup)
{
    const SmsFileWriter::Written written =
        SmsFileWriter::write(this, backupFolder(), source, contactStore.get(), messageStore.get(), backup);
    if (written.cancelled)
        return;
    const QString& path = written.path;
    if (path.isEmpty()) {
        infoDialogOK(nullptr, tr("Warning"), tr("Backup databace failed!!!"));
        return;
    }
    ui->listWidget->setCurrentRow(m_rows->appendSmsFile(path));
}

void MainWindow::Open_A_BackUp()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Open a BackUp"), backupFolder(), tr("sms(*.sms)"),
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    ui->listWidget->setCurrentRow(m_rows->appendSmsFile(path));
}

void MainWindow::Delete_A_BackUp()
{
    if (infoDialogOKCancel(nullptr, tr("Warning"), tr("Are you sure to do this?")) == 1)
        return;
    const int r = ui->listWidget->currentRow();
    if (r < 0)
        return;
    if (r == NavigationRows::kPhoneRow) {
        phoneLinked = false;
        ui->listWidget->item(0)->setText(tr("iPhone Lost"));
        return;
    }
    if (!m_rows->isBackupRow(r))
        return;
    const QString undeletable = m_rows->removeSource(r, currentSourceRow, [this] { m_display->dropStores(); });
    if (!undeletable.isEmpty())
        infoDialogOK(nullptr, tr("Warning"), tr("The backup file could not be deleted:\n%1").arg(undeletable));
}

// ---------------------------------------------------------------- text export

void MainWindow::runSaveDialog(void (MainWindow::*writer)(QString))
{
    m_exportWritten = false;
    TextExporter::runSaveDialog(backupFolder(), [this, writer](const QString& path) {
        (this->*writer)(path);
        return m_exportWritten;
    });
}

void MainWindow::on_Btn_Back_clicked()
{
    if (!messageStore || !(ui->listWidget->count() > NavigationRows::kFirstSourceRow || phoneLinked)) {
        infoDialogOK(nullptr, tr("Information"), tr("No data sorce!!!Please check one!!!"));
        return;
    }
    runSaveDialog(&MainWindow::saveToTxt);
}

void MainWindow::saveToTxt(QString path)
{
    m_exportWritten = TextExporter::writeWholeExport(messageStore.get(), m_display->exportContent(), path);
}

void MainWindow::CopyOneMessage(QFrame* f, int t)
{
    Q_UNUSED(t)
    exportLines = TextExporter::bubbleLines(messageStore.get(), f);
    runSaveDialog(&MainWindow::saveToTxt1);
}

void MainWindow::saveToTxt1(QString path)
{
    m_exportWritten = textexport::writeLines(path, exportLines);
}
