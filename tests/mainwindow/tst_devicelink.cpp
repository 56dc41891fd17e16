// The main window against the simulated phone, end to end: attach, backup,
// lookup, summary, the phone's conversations, BackUp, removal, link again,
// failed (a locked phone's failure explained) and cancelled backups, a
// second phone during a backup, a backup without an address book, and the
// connect failures. One window lives
// through the whole program, because the device library keeps one
// subscription per process; the cases run in order and each one leaves the
// phone removed or linked as the next one expects. The phone is attached and
// removed by the tests, and its backup tool is held at a gate where a case
// must act while it runs, so nothing depends on how fast the machine is.
// The phone is the legacy one: these cases are about the link, not the layout.

#include "BackupProgress.h"
#include "BackupRun.h"
#include "ContactStore.h"
#include "DetectIphoneAction.h"
#include "DeviceBinding.h"
#include "DeviceFetch.h"
#include "DeviceLink.h"
#include "DialogDriver.h"
#include "MainWindowHarness.h"
#include "MessageStore.h"
#include "PhoneBackup.h"

#include <QApplication>
#include <QLibrary>
#include <QRegularExpression>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include <sqlite3.h>

using harness::Window;

namespace {

const QByteArray kUdid = "0f3c2a9b8d7e6f5a4b3c2d1e0f9a8b7c6d5e4f3a";
// Another phone, attached while the first one's backup runs.
const QByteArray kOtherUdid = "9e8d7c6b5a4f3e2d1c0b9a8f7e6d5c4b3a2f1e0d";
// The simulated phone's demo data: fixed seed, fixed counts.
const int kDemoContacts = 24;
// A backup keeps one row per phone or e-mail value: one demo person has both.
const int kDemoBackupRows = kDemoContacts + 1;
const int kDemoConversations = 32;

QString summaryOf(int messages, int contacts)
{
    return QStringLiteral("SMS:%1\nContact:%2\niPhone Serial:%3")
        .arg(messages)
        .arg(contacts)
        .arg(QString::fromLatin1(kUdid));
}

const QString kNoDevice = QStringLiteral("SMS:0\nContact:0\niPhone Serial:No device");

// Rows of the message table, read past the program's own code; -1 when the
// file cannot be read.
int messageRows(const QByteArray& path)
{
    sqlite3* db = nullptr;
    int count = -1;
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM message", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            count = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return count;
}

// The words of the names, sorted: the same people whatever the name order.
QStringList nameWords(const QStringList& names)
{
    QStringList words;
    for (const QString& name : names)
        words += name.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    words.sort();
    return words;
}

QByteArray phoneDatabase(const char* name)
{
    locateBackupDatabase(kUdid.constData(), name);
    return locatedDatabasePath();
}

} // namespace

class DeviceLinkTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void attachBacksUpAndLocatesBothDatabases();
    void phoneRowShowsConversationsWithoutEditing();
    void backUpWritesFileWithContacts();
    void secondLinkOnlyRereads();
    void removalReturnsToStart();
    void linkAgainBacksUpAndKeepsBackupOnDisplay();
    void secondLinkLeavesBackupOnDisplayEditable();
    void failedBackupShowsOneMessageAndPhoneRowRetries();
    void lockedPhoneFailureSaysWhatToDo();
    void missingBackupToolNamesPackages();
    void cancelledBackupKeepsPreviousBackup_data();
    void cancelledBackupKeepsPreviousBackup();
    void removalDuringBackupStopsItQuietly();
    void backupIsReadForThePhoneItWasMadeFor();
    void missingAddressBookIsToldOnce();
    void unpairedPhoneGivesNoReportAndNoInfoFile();
    void notificationServiceFailingOnceStillLinks();
    void attachedAgainWhileBackupStopsLinksAgain();
    // Last: the phone's backup stays encrypted afterwards.
    void encryptedPhoneIsUnlockedThroughThePasswordDialog();

private:
    void attach() { m_control(1); }
    void remove() { m_control(2); }
    // Waits until the window has handled `count` more reports.
    void waitForReports(int count, int timeoutMs = 10000);
    void removeAndWait();
    QLabel* startPicture() const;
    QString summary() const;
    QWidget* progressWindow() const;
    // Backups started from now on wait before step `steps` + 1 until the
    // gate lets them on (holdBackups), or run freely (runBackupsFreely).
    // A tool already running keeps the gate it was started with.
    void holdBackups(int steps);
    void openGate(int steps);
    void runBackupsFreely();
    // Waits until the running tool waits before `step` (0: any step);
    // returns the number of steps of the whole backup.
    int waitForPause(int step = 0);

    QTemporaryDir m_work;
    std::unique_ptr<Window> m_win;
    void (*m_control)(int) = nullptr;
    QList<bool> m_reports;
    int m_runsFinished = 0;
    QList<bool> m_runResults;
    QStringList m_lines;
    QString m_gate;
};

void DeviceLinkTest::initTestCase()
{
    QVERIFY(m_work.isValid());
    // "MobileInfo" lands in the working directory.
    QVERIFY(QDir::setCurrent(m_work.path()));
    qputenv("MSGDESK_DEVICE_TOOLS", MSGDESK_SIMPHONE_DIR);
    qputenv("MSGDESK_SIM_ATTACH_MS", "-1");
    qputenv("MSGDESK_SIM_BACKUP_MS", "0");
    qputenv("MSGDESK_SIM_PHONE", "legacy");
    m_gate = m_work.filePath(QStringLiteral("gate"));
    harness::resetSeams();
    QVERIFY(QDir().mkpath(harness::backupFolder()));

    m_win = std::make_unique<Window>();
    QVERIFY(loadedDeviceLibraryPath().startsWith(QStringLiteral(MSGDESK_SIMPHONE_DIR)));
    QLibrary library(loadedDeviceLibraryPath());
    m_control = reinterpret_cast<void (*)(int)>(library.resolve("SimPhoneControl"));
    QVERIFY(m_control);

    // Queued after the window's own connection, so a counted report has
    // already been handled by the window.
    auto* notifier = linkNotifier();
    QVERIFY(notifier);
    connect(
        notifier, &DetectIphoneAction::validlink, this, [this](bool up) { m_reports.append(up); },
        Qt::QueuedConnection);
    auto* run = m_win->w->findChild<BackupRun*>();
    QVERIFY(run);
    connect(run, &BackupRun::finished, this, [this](bool ok) {
        ++m_runsFinished;
        m_runResults.append(ok);
    });
    connect(run, &BackupRun::output, this, [this](const QString& line) { m_lines.append(line); });
}

void DeviceLinkTest::init()
{
    harness::resetSeams();
}

void DeviceLinkTest::cleanup()
{
    QCOMPARE(harness::shownTexts(), QStringList());
    QCOMPARE(shellkit::DialogSeam::pendingAnswers(), 0);
    QCOMPARE(shellkit::DialogSeam::unanswered(), 0);
}

void DeviceLinkTest::cleanupTestCase()
{
    m_win.reset();
    QDir::setCurrent(QDir::tempPath());
}

void DeviceLinkTest::waitForReports(int count, int timeoutMs)
{
    const int target = m_reports.size() + count;
    QTRY_VERIFY_WITH_TIMEOUT(m_reports.size() >= target, timeoutMs);
}

void DeviceLinkTest::removeAndWait()
{
    remove();
    waitForReports(1);
    QCOMPARE(m_reports.last(), false);
}

QLabel* DeviceLinkTest::startPicture() const
{
    auto* page = m_win->stack()->widget(0);
    auto* label = page->findChild<QLabel*>(QStringLiteral("startNoDevice"));
    return label ? label : page->findChild<QLabel*>(QStringLiteral("LinkDevice"));
}

QString DeviceLinkTest::summary() const
{
    return m_win->w->findChild<QLabel*>(QStringLiteral("label"))->text();
}

QWidget* DeviceLinkTest::progressWindow() const
{
    QWidget* modal = QApplication::activeModalWidget();
    return qobject_cast<BackupProgress*>(modal) ? modal : nullptr;
}

void DeviceLinkTest::openGate(int steps)
{
    QFile gate(m_gate);
    QVERIFY(gate.open(QIODevice::WriteOnly | QIODevice::Truncate));
    gate.write(QByteArray::number(steps));
}

void DeviceLinkTest::holdBackups(int steps)
{
    openGate(steps);
    qputenv("MSGDESK_SIM_BACKUP_GATE", QFile::encodeName(m_gate));
    m_lines.clear();
}

void DeviceLinkTest::runBackupsFreely()
{
    qunsetenv("MSGDESK_SIM_BACKUP_GATE");
}

int DeviceLinkTest::waitForPause(int step)
{
    const QRegularExpression paused(QStringLiteral("^Paused before step (\\d+) of (\\d+)$"));
    auto pausedAt = [&] {
        const QRegularExpressionMatch m = paused.match(m_lines.isEmpty() ? QString() : m_lines.constLast());
        return m.hasMatch() && (step == 0 || m.captured(1).toInt() == step);
    };
    [&] { QTRY_VERIFY_WITH_TIMEOUT(pausedAt(), 60000); }();
    return pausedAt() ? paused.match(m_lines.constLast()).captured(2).toInt() : -1;
}

void DeviceLinkTest::attachBacksUpAndLocatesBothDatabases()
{
    // Start state: no phone yet.
    QCOMPARE(m_win->rowTexts().first(), QStringLiteral("iPhone Lost"));
    QCOMPARE(startPicture()->objectName(), QStringLiteral("startNoDevice"));

    attach();
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, 1, 60000);
    QCOMPARE(m_reports, QList<bool>{true});
    QCOMPARE(m_runResults, QList<bool>{true});

    const QByteArray sms = phoneDatabase("sms.db");
    const QByteArray book = phoneDatabase("AddressBook.sqlitedb");
    QVERIFY2(sms.contains(kUdid), sms.constData());
    QVERIFY(QFileInfo::exists(QString::fromUtf8(book)));
    const int messages = messageRows(sms);
    QVERIFY(messages > 1000);

    QCOMPARE(summary(), summaryOf(messages, kDemoContacts));
    QCOMPARE(phoneLoadCount, 1);
    QCOMPARE(m_win->rowTexts().first(), QStringLiteral("Mobile connected"));
    QCOMPARE(startPicture()->objectName(), QStringLiteral("LinkDevice"));
    // With the phone row chosen (the list takes it with the focus) the phone
    // shows at once; with nothing chosen the linked picture stays.
    QCOMPARE(m_win->page(), m_win->list()->currentRow() == 0 ? 1 : 0);
    QVERIFY(!progressWindow());

    QFile info(QStringLiteral("MobileInfo"));
    QVERIFY(info.open(QIODevice::ReadOnly));
    const QString infoText = QString::fromUtf8(info.readAll());
    QVERIFY(infoText.contains(QStringLiteral("DeviceName:Zoë's iPhone 张")));
    QVERIFY(infoText.contains(QStringLiteral("DeviceIdentifier:") + QString::fromLatin1(kUdid)));
}

void DeviceLinkTest::phoneRowShowsConversationsWithoutEditing()
{
    const QByteArray sms = phoneDatabase("sms.db");
    const int before = messageRows(sms);

    m_win->list()->setCurrentRow(0);
    QCOMPARE(m_win->page(), 1);
    QTRY_VERIFY(!m_win->conversationRows().isEmpty());
    const QStringList names = m_win->conversationNames();
    QVERIFY(names.size() <= kDemoConversations);
    // Contact names joined from the phone's address book, not bare numbers.
    QVERIFY2(
        std::any_of(names.begin(), names.end(),
                    [](const QString& n) { return n.contains(QLatin1Char(' ')) && !n.startsWith(QLatin1Char('+')); }),
        qPrintable(names.join(QLatin1Char('|'))));

    auto* listEdit = m_win->listPage()->findChild<QPushButton*>(QStringLiteral("pushButton_Edit"));
    QVERIFY(listEdit);
    QVERIFY(!listEdit->isVisible());

    m_win->openConversation(0);
    QVERIFY(!m_win->bubbleTexts().isEmpty());
    auto* chatEdit = m_win->chatPage()->findChild<QWidget*>(QStringLiteral("pushButton_Edit"));
    auto* chatDelete = m_win->chatPage()->findChild<QWidget*>(QStringLiteral("pushButton_3"));
    QVERIFY(chatEdit && chatDelete);
    QVERIFY(!chatEdit->isVisible());
    QVERIFY(!chatDelete->isVisible());

    // Back to the list: the phone's database inside its backup is untouched.
    QTest::mouseClick(m_win->chatPage()->findChild<QToolButton*>(QStringLiteral("toolButtonMessageAndClear")),
                      Qt::LeftButton);
    QTRY_COMPARE(m_win->page(), 1);
    QCOMPARE(messageRows(sms), before);
}

void DeviceLinkTest::backUpWritesFileWithContacts()
{
    const int rowsBefore = m_win->list()->count();
    QTest::mouseClick(m_win->w->findChild<QPushButton*>(QStringLiteral("pushButtonBACKUP")), Qt::LeftButton);
    QCOMPARE(m_win->list()->count(), rowsBefore + 1);
    QCOMPARE(m_win->list()->currentRow(), rowsBefore);

    const QString file = harness::backupFolder() + QLatin1Char('/') + m_win->rowTexts().last();
    QVERIFY2(QFileInfo(file).isFile(), qPrintable(file));
    QCOMPARE(messageRows(file.toUtf8()), messageRows(phoneDatabase("sms.db")));
    ContactStore contacts(QByteArray{});
    QCOMPARE(contacts.readBackupAddressBook(file.toUtf8()), SQLITE_OK);
    QCOMPARE(contacts.contacts.size(), kDemoBackupRows);

    // The new backup is on display with the phone's contact names (the
    // backup may order first and last name differently).
    QTRY_VERIFY(!m_win->conversationRows().isEmpty());
    const QStringList backupNames = m_win->conversationNames();
    m_win->list()->setCurrentRow(0);
    QTRY_COMPARE(m_win->conversationNames().size(), backupNames.size());
    QCOMPARE(nameWords(m_win->conversationNames()), nameWords(backupNames));
}

void DeviceLinkTest::secondLinkOnlyRereads()
{
    QFile::remove(QStringLiteral("MobileInfo"));
    const QString before = summary();
    const int runs = m_runsFinished;
    attach();
    waitForReports(1);
    QCOMPARE(m_reports.last(), true);
    QVERIFY(QFileInfo::exists(QStringLiteral("MobileInfo")));
    QCOMPARE(m_runsFinished, runs);
    QVERIFY(!progressWindow());
    QCOMPARE(phoneLoadCount, 1);
    QCOMPARE(summary(), before);
    // The phone row is on display and was read again.
    QCOMPARE(m_win->page(), 1);
    QVERIFY(!m_win->conversationRows().isEmpty());
}

void DeviceLinkTest::removalReturnsToStart()
{
    // A backup is on display when the phone goes.
    m_win->list()->setCurrentRow(2);
    QTRY_VERIFY(!m_win->conversationRows().isEmpty());
    const QStringList backupNames = m_win->conversationNames();

    removeAndWait();
    QCOMPARE(m_win->rowTexts().first(), QStringLiteral("Mobile Losted"));
    QCOMPARE(startPicture()->objectName(), QStringLiteral("startNoDevice"));
    QCOMPARE(summary(), kNoDevice);
    QCOMPARE(m_win->page(), 0);
    QCOMPARE(m_win->list()->currentRow(), -1);
    QCOMPARE(phoneLoadCount, 0);
    QVERIFY(m_win->conversationRows().isEmpty());

    // The backup that was on display can be chosen again right away.
    m_win->list()->setCurrentRow(2);
    QCOMPARE(m_win->page(), 1);
    QTRY_COMPARE(m_win->conversationNames(), backupNames);

    // BackUp needs a phone now.
    shellkit::DialogSeam::pushAnswer(0);
    QTest::mouseClick(m_win->w->findChild<QPushButton*>(QStringLiteral("pushButtonBACKUP")), Qt::LeftButton);
    QCOMPARE(harness::shownTexts(),
             QStringList{QStringLiteral("Information: Please make sure that iPhone has been connected.")});
    shellkit::DialogSeam::reset();
}

void DeviceLinkTest::linkAgainBacksUpAndKeepsBackupOnDisplay()
{
    const QStringList backupNames = m_win->conversationNames();
    QVERIFY(!backupNames.isEmpty());
    const int runs = m_runsFinished;
    attach();
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 1, 60000);
    QCOMPARE(m_runResults.last(), true);
    QCOMPARE(phoneLoadCount, 1);
    QCOMPARE(summary(), summaryOf(messageRows(phoneDatabase("sms.db")), kDemoContacts));
    // The backup row stays chosen and shows its own conversations.
    QCOMPARE(m_win->list()->currentRow(), 2);
    QCOMPARE(m_win->page(), 1);
    QTRY_COMPARE(m_win->conversationNames(), backupNames);
}

void DeviceLinkTest::secondLinkLeavesBackupOnDisplayEditable()
{
    QCOMPARE(m_win->list()->currentRow(), 2);
    const QStringList backupNames = m_win->conversationNames();
    const int runs = m_runsFinished;
    attach();
    waitForReports(1);
    QCOMPARE(m_reports.last(), true);
    QCOMPARE(m_runsFinished, runs);
    // The backup stays on display, and its file can still be edited.
    QCOMPARE(m_win->list()->currentRow(), 2);
    QCOMPARE(m_win->conversationNames(), backupNames);

    const QByteArray file = (harness::backupFolder() + QLatin1Char('/') + m_win->rowTexts().at(2)).toUtf8();
    const int before = messageRows(file);
    m_win->openConversation(0);
    QWidget* chat = m_win->chatPage();
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    QToolButton* select = nullptr;
    const auto buttons = chat->findChildren<QToolButton*>();
    for (QToolButton* b : buttons) {
        if (b->objectName().startsWith(QLatin1String("itemFrame")) && b->isVisible()) {
            select = b;
            break;
        }
    }
    QVERIFY(select);
    QTest::mouseClick(select, Qt::LeftButton);
    auto* deleteButton = chat->findChild<QPushButton*>(QStringLiteral("pushButton_3"));
    QTRY_VERIFY(deleteButton->isEnabled());
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    QCOMPARE(messageRows(file), before - 1);
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("toolButtonMessageAndClear")), Qt::LeftButton);
    QTRY_COMPARE(m_win->page(), 1);
}

void DeviceLinkTest::failedBackupShowsOneMessageAndPhoneRowRetries()
{
    removeAndWait();
    qputenv("MSGDESK_SIM_BACKUP_FAIL", "1");
    shellkit::DialogSeam::pushAnswer(0);
    int runs = m_runsFinished;
    attach();
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 1, 60000);
    qunsetenv("MSGDESK_SIM_BACKUP_FAIL");
    QCOMPARE(m_runResults.last(), false);
    const auto shown = shellkit::DialogSeam::shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, QStringLiteral("Warning"));
    QVERIFY2(shown.first().text.contains(QStringLiteral("failed")), qPrintable(shown.first().text));

    // Linked, backup failed.
    QCOMPARE(m_win->rowTexts().first(), QStringLiteral("Mobile connected"));
    QCOMPARE(startPicture()->objectName(), QStringLiteral("LinkDevice"));
    QCOMPARE(summary(), kNoDevice);
    QCOMPARE(phoneLoadCount, 0);
    QVERIFY(!progressWindow());
    shellkit::DialogSeam::reset();

    // Choosing the phone row tries again and shows the phone once done.
    runs = m_runsFinished;
    m_win->list()->setCurrentRow(0);
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 1, 60000);
    QCOMPARE(m_runResults.last(), true);
    QCOMPARE(phoneLoadCount, 1);
    QCOMPARE(m_win->page(), 1);
    QTRY_VERIFY(!m_win->conversationRows().isEmpty());
    QCOMPARE(summary(), summaryOf(messageRows(phoneDatabase("sms.db")), kDemoContacts));
}

void DeviceLinkTest::lockedPhoneFailureSaysWhatToDo()
{
    removeAndWait();
    // The tool prints what a locked phone makes it print, then fails.
    qputenv("MSGDESK_SIM_BACKUP_ERROR", "locked");
    shellkit::DialogSeam::pushAnswer(0);
    m_lines.clear();
    const int runs = m_runsFinished;
    attach();
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 1, 60000);
    qunsetenv("MSGDESK_SIM_BACKUP_ERROR");
    QCOMPARE(m_runResults.last(), false);

    const QString advice = QStringLiteral(
        "The iPhone is locked. Unlock it and keep it unlocked while the backup starts; on iOS 16.1 and later, "
        "enter the passcode on the iPhone when it asks for it. Then choose the phone again.");
    // One message: the status, the tool's last words, what to do.
    const auto shown = shellkit::DialogSeam::shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, QStringLiteral("Warning"));
    QCOMPARE(shown.first().text,
             QStringLiteral("The backup of the phone failed (status 1).\nBackup Failed (Error Code 208)\n") + advice);

    // The progress window's output ends with the same advice, after the
    // tool's own lines.
    BackupProgress* progress = nullptr;
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* candidate = qobject_cast<BackupProgress*>(widget))
            progress = candidate;
    }
    QVERIFY(progress);
    const QStringList output = progress->outputText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(output.size() > 2);
    QCOMPARE(output.constLast(), advice);
    QCOMPARE(output.at(output.size() - 2), QStringLiteral("Backup Failed (Error Code 208)"));
    QVERIFY(output.contains(QStringLiteral("ErrorCode 208: Device locked (MBErrorDomain/208)")));
    QCOMPARE(m_lines.constLast(), advice);

    // Linked, without data; the window closed once the message was.
    QVERIFY(!progressWindow());
    QCOMPARE(m_win->rowTexts().first(), QStringLiteral("Mobile connected"));
    QCOMPARE(phoneLoadCount, 0);
    shellkit::DialogSeam::reset();
}

void DeviceLinkTest::missingBackupToolNamesPackages()
{
    removeAndWait();
    QTemporaryDir empty;
    qputenv("MSGDESK_DEVICE_TOOLS", empty.path().toUtf8());
    shellkit::DialogSeam::pushAnswer(0);
    const int runs = m_runsFinished;
    attach();
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 1, 60000);
    qputenv("MSGDESK_DEVICE_TOOLS", MSGDESK_SIMPHONE_DIR);
    QCOMPARE(m_runResults.last(), false);
    const auto shown = shellkit::DialogSeam::shown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().text.contains(QStringLiteral("libimobiledevice-utils")), qPrintable(shown.first().text));
    QCOMPARE(m_win->rowTexts().first(), QStringLiteral("Mobile connected"));
    QCOMPARE(summary(), kNoDevice);
    shellkit::DialogSeam::reset();
}

void DeviceLinkTest::cancelledBackupKeepsPreviousBackup_data()
{
    // The step before which Cancel is pressed: 1 is before the first file,
    // 3 after the message database, 0 the last step, when every file is
    // written and only the backup's own lists are left.
    QTest::addColumn<int>("stopBefore");
    QTest::newRow("before the first file") << 1;
    QTest::newRow("between files") << 3;
    QTest::newRow("before the last step") << 0;
}

void DeviceLinkTest::cancelledBackupKeepsPreviousBackup()
{
    QFETCH(int, stopBefore);
    removeAndWait();
    const QByteArray sms = phoneDatabase("sms.db");
    const QByteArray book = phoneDatabase("AddressBook.sqlitedb");
    const int before = messageRows(sms);
    QVERIFY(before > 0);

    holdBackups(0);
    shellkit::DialogSeam::pushAnswer(0);
    const int runs = m_runsFinished;
    attach();
    QTRY_VERIFY_WITH_TIMEOUT(progressWindow(), 60000);
    const int steps = waitForPause(1);
    runBackupsFreely();
    const int stop = stopBefore == 0 ? steps : stopBefore;
    if (stop > 1) {
        openGate(stop - 1);
        waitForPause(stop);
    }
    QWidget* progress = progressWindow();
    QVERIFY(progress);
    auto* output = progress->findChild<QPlainTextEdit*>(QStringLiteral("plainTextEditBackupOutput"));
    QVERIFY(output);
    QTRY_VERIFY(output->toPlainText().contains(QString::fromLatin1(kUdid)));
    // The window stays responsive while the tool runs.
    QCOMPARE(m_runsFinished, runs);

    QTest::mouseClick(progress->findChild<QPushButton*>(QStringLiteral("pushButtonCancelBackup")), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 1, 60000);
    QCOMPARE(m_runResults.last(), false);
    QVERIFY(!progress->isVisible());
    const auto shown = shellkit::DialogSeam::shown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().text.contains(QStringLiteral("cancelled")), qPrintable(shown.first().text));
    QCOMPARE(m_win->rowTexts().first(), QStringLiteral("Mobile connected"));
    QCOMPARE(phoneLoadCount, 0);
    // The earlier backup of the phone is still whole.
    QCOMPARE(phoneDatabase("sms.db"), sms);
    QCOMPARE(messageRows(sms), before);
    QCOMPARE(phoneDatabase("AddressBook.sqlitedb"), book);
    ContactStore contacts(book);
    QCOMPARE(contacts.contacts.size(), kDemoContacts);
    shellkit::DialogSeam::reset();
}

void DeviceLinkTest::removalDuringBackupStopsItQuietly()
{
    removeAndWait();
    holdBackups(0);
    const int runs = m_runsFinished;
    attach();
    QTRY_VERIFY_WITH_TIMEOUT(progressWindow(), 60000);
    waitForPause(1);
    runBackupsFreely();
    removeAndWait();
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 1, 60000);
    QCOMPARE(m_runResults.last(), false);
    QVERIFY(!progressWindow());
    QCOMPARE(m_win->rowTexts().first(), QStringLiteral("Mobile Losted"));
    QCOMPARE(startPicture()->objectName(), QStringLiteral("startNoDevice"));
    QCOMPARE(summary(), kNoDevice);
    // No message: the user removed the phone and sees the start picture.
}

void DeviceLinkTest::backupIsReadForThePhoneItWasMadeFor()
{
    // Linked again: the first phone's backup runs and waits at its first step.
    holdBackups(0);
    const int runs = m_runsFinished;
    attach();
    waitForReports(1);
    QCOMPARE(m_reports.last(), true);
    waitForPause(1);
    runBackupsFreely();

    // Meanwhile another phone answers for the link.
    qputenv("MSGDESK_SIM_UDID", kOtherUdid);
    attach();
    waitForReports(1);
    QFile info(QStringLiteral("MobileInfo"));
    QVERIFY(info.open(QIODevice::ReadOnly));
    QVERIFY(info.readAll().contains("DeviceIdentifier:" + kOtherUdid));
    openGate(1000);
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 1, 60000);
    qputenv("MSGDESK_SIM_UDID", kUdid);
    QCOMPARE(m_runResults.last(), true);
    // The backup made is the first phone's, and that is what is shown.
    QCOMPARE(summary(), summaryOf(messageRows(phoneDatabase("sms.db")), kDemoContacts));
    QCOMPARE(phoneLoadCount, 1);
    QVERIFY(!QFileInfo::exists(defaultBackupRoot() + QString::fromLatin1(kOtherUdid)));
}

void DeviceLinkTest::missingAddressBookIsToldOnce()
{
    removeAndWait();
    qputenv("MSGDESK_SIM_NO_ADDRESS_BOOK", "1");
    shellkit::DialogSeam::pushAnswer(0);
    int runs = m_runsFinished;
    attach();
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 1, 60000);
    qunsetenv("MSGDESK_SIM_NO_ADDRESS_BOOK");
    QCOMPARE(m_runResults.last(), true);
    QCOMPARE(
        harness::shownTexts(),
        QStringList{QStringLiteral("Information: The iPhone's backup holds no address book: names cannot be shown.")});
    shellkit::DialogSeam::reset();
    QCOMPARE(phoneDatabase("AddressBook.sqlitedb"), QByteArray());

    // The messages show, under their numbers.
    const int messages = messageRows(phoneDatabase("sms.db"));
    QVERIFY(messages > 1000);
    QCOMPARE(summary(), summaryOf(messages, 0));
    m_win->list()->setCurrentRow(0);
    QCOMPARE(m_win->page(), 1);
    QTRY_VERIFY(!m_win->conversationRows().isEmpty());
    // Only the rows in view are counted.
    const QStringList names = m_win->conversationNames();
    QVERIFY(names.size() >= 3 && names.size() <= kDemoConversations);
    const QRegularExpression number(QStringLiteral("^\\+?[0-9-]+$"));
    for (const QString& name : names)
        QVERIFY2(number.match(name).hasMatch(), qPrintable(names.join(QLatin1Char('|'))));

    // Said once: a second link only reads the phone again, quietly.
    attach();
    waitForReports(1);
    QCOMPARE(m_reports.last(), true);
    QCOMPARE(harness::shownTexts(), QStringList());

    // With the book back on the phone, its names come back.
    removeAndWait();
    runs = m_runsFinished;
    attach();
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 1, 60000);
    QCOMPARE(summary(), summaryOf(messages, kDemoContacts));
}

void DeviceLinkTest::unpairedPhoneGivesNoReportAndNoInfoFile()
{
    removeAndWait();
    QFile::remove(QStringLiteral("MobileInfo"));
    const int runs = m_runsFinished;
    qputenv("MSGDESK_SIM_UNPAIRED", "1");
    attach();
    // The removal is handled after the attach on the library's thread, so
    // its report marks the point where the attach gave none.
    remove();
    waitForReports(1);
    qunsetenv("MSGDESK_SIM_UNPAIRED");
    QCOMPARE(m_reports.last(), false);
    QCOMPARE(m_reports.mid(m_reports.size() - 2), (QList<bool>{false, false}));
    QVERIFY(!QFileInfo::exists(QStringLiteral("MobileInfo")));
    QCOMPARE(m_runsFinished, runs);
    QCOMPARE(m_win->rowTexts().first(), QStringLiteral("Mobile Losted"));
}

void DeviceLinkTest::notificationServiceFailingOnceStillLinks()
{
    qputenv("MSGDESK_SIM_NOTIFY_FAIL_ONCE", "1");
    const int runs = m_runsFinished;
    attach();
    waitForReports(1, 60000);
    qunsetenv("MSGDESK_SIM_NOTIFY_FAIL_ONCE");
    QCOMPARE(m_reports.last(), true);
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 1, 60000);
    QCOMPARE(m_runResults.last(), true);
    QCOMPARE(summary(), summaryOf(messageRows(phoneDatabase("sms.db")), kDemoContacts));
    QVERIFY(QFileInfo::exists(QStringLiteral("MobileInfo")));
}

void DeviceLinkTest::attachedAgainWhileBackupStopsLinksAgain()
{
    removeAndWait();
    holdBackups(0);
    const int runs = m_runsFinished;
    attach();
    QTRY_VERIFY_WITH_TIMEOUT(progressWindow(), 60000);
    waitForPause(1);
    runBackupsFreely();
    // Out and in again before the stopped tool has ended.
    remove();
    attach();
    waitForReports(2);
    QCOMPARE(m_reports.mid(m_reports.size() - 2), (QList<bool>{false, true}));
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 2, 60000);
    QCOMPARE(m_runResults.mid(runs), (QList<bool>{false, true}));
    QCOMPARE(phoneLoadCount, 1);
    QCOMPARE(m_win->rowTexts().first(), QStringLiteral("Mobile connected"));
    QCOMPARE(summary(), summaryOf(messageRows(phoneDatabase("sms.db")), kDemoContacts));
}

void DeviceLinkTest::encryptedPhoneIsUnlockedThroughThePasswordDialog()
{
    const int messages = messageRows(phoneDatabase("sms.db"));
    removeAndWait();
    qputenv("MSGDESK_SIM_BACKUP_PASSWORD", "1234");
    phonebackup::PhoneBackup::forgetKeys();

    // Cancel: the phone stays linked without data, and nothing is said.
    driver::answerPasswords({QString()}, nullptr);
    int runs = m_runsFinished;
    attach();
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 1, 60000);
    QCOMPARE(m_runResults.last(), true);
    QCOMPARE(phoneLoadCount, 0);
    QCOMPARE(m_win->rowTexts().first(), QStringLiteral("Mobile connected"));
    QCOMPARE(summary(), QStringLiteral("SMS:0\nContact:0\niPhone Serial:No device"));
    QCOMPARE(harness::shownTexts(), QStringList());

    // A wrong password, then the right one.
    removeAndWait();
    QStringList said;
    driver::answerPasswords({QStringLiteral("0000"), QStringLiteral("1234")}, &said);
    runs = m_runsFinished;
    attach();
    QTRY_COMPARE_WITH_TIMEOUT(m_runsFinished, runs + 1, 60000);
    qunsetenv("MSGDESK_SIM_BACKUP_PASSWORD");
    QCOMPARE(said.size(), 1);
    QCOMPARE(phoneLoadCount, 1);
    QCOMPARE(summary().section(QLatin1Char('\n'), 0, 1),
             summaryOf(messages, kDemoContacts).section(QLatin1Char('\n'), 0, 1));
    m_win->list()->setCurrentRow(0);
    QTRY_VERIFY(!m_win->conversationRows().isEmpty());
    const QRegularExpression number(QStringLiteral("^\\+?[0-9-]+$"));
    bool named = false;
    for (const QString& name : m_win->conversationNames())
        named = named || !number.match(name).hasMatch();
    QVERIFY2(named, qPrintable(m_win->conversationNames().join(QLatin1Char('|'))));

    // The next link reads the phone again without asking.
    bool askedAgain = false;
    QTimer* guard = driver::whenModal(driver::isPasswordDialog, [&askedAgain](QWidget* modal) {
        askedAgain = true;
        driver::click(modal, QStringLiteral("cancelButton"));
    });
    attach();
    waitForReports(1);
    QTRY_VERIFY(!m_win->conversationRows().isEmpty());
    delete guard;
    QVERIFY(!askedAgain);
}

int main(int argc, char** argv)
{
    const auto home = harness::useTemporaryHome();
    qunsetenv("XDG_DATA_HOME");
    QApplication app(argc, argv);
    DeviceLinkTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_devicelink.moc"
