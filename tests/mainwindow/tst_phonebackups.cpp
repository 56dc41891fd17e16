// The window on phone backup folders opened without the phone: the chooser,
// every layout, encrypted backups and their password dialog, folders that
// are no backups, reads that keep the window responsive, and the faults of
// deleting (a copy after a delete, the error box of a failed delete).

#include "BackupBuilder.h"
#include "BackupChooser.h"
#include "DialogDriver.h"
#include "MainWindowHarness.h"
#include "ModernFixtures.h"
#include "PhoneBackup.h"
#include "SourceLoader.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSemaphore>
#include <QToolButton>
#include <QTreeWidget>

using harness::Window;

namespace {

QString usualRoot()
{
    return QDir::homePath() + QStringLiteral("/.local/share/Apple Computer/MobileSync/Backup");
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isChooser(QWidget* modal)
{
    return modal->findChild<QTreeWidget*>(QStringLiteral("backupList")) != nullptr;
}

// Picks the backup whose row names the device in the next chooser, or, with
// a folder, hands that folder to the chooser as its folder dialog would.
void answerChooser(const QString& device, const QString& folder = QString())
{
    driver::whenModal(isChooser, [=](QWidget* modal) {
        if (!folder.isEmpty()) {
            QMetaObject::invokeMethod(modal, [modal, folder] {
                auto* chooser = qobject_cast<BackupChooser*>(modal);
                if (chooser)
                    chooser->addFolder(folder);
            });
        }
        QMetaObject::invokeMethod(
            modal,
            [modal, device] {
                if (!modal->isVisible())
                    return; // the folder was chosen as it is
                auto* list = modal->findChild<QTreeWidget*>(QStringLiteral("backupList"));
                const auto items = list->findItems(device, Qt::MatchContains, BackupChooser::DeviceColumn);
                if (items.isEmpty()) {
                    driver::click(modal, QStringLiteral("cancelButton"));
                    return;
                }
                list->setCurrentItem(items.first());
                driver::click(modal, QStringLiteral("openButton"));
            },
            Qt::QueuedConnection);
    });
}

} // namespace

class PhoneBackupsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void backupFolderOfEveryLayoutIsASource_data();
    void backupFolderOfEveryLayoutIsASource();
    void encryptedBackupAsksUntilThePasswordIsRight();
    void cancelledPasswordLeavesNothingLoaded();
    void foldersThatAreNoBackupsGiveAMessage();
    void incompleteBackupIsReadAndSaysSo();
    void longReadShowsProgressAndHoldsInput();
    void cancelledReadLeavesNothingLoaded();
    void closingDuringAReadClosesAfterIt();
    void copyAfterDeleteLeavesTheDeletedOut();
    void deleteErrorBoxLetsReportsThrough();

private:
    QString writeBackup(const QString& name, backupbuilder::Options options,
                        const QList<backupbuilder::PhoneFile>& extra = {});
    QStringList expectedNames() const;

    QTemporaryDir m_dir;
    QString m_messages;
    QString m_book;
    int m_conversations = 0;
};

void PhoneBackupsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_messages = modernfixtures::makeModernDb(m_dir.filePath(QStringLiteral("sms.db")),
                                              modernfixtures::sample(modernfixtures::Schema::Ios17),
                                              modernfixtures::Schema::Ios17);
    m_book = fixtures::makeAddressBook(
        m_dir.filePath(QStringLiteral("book.sqlitedb")),
        {{QStringLiteral("Amélie"),
          QStringLiteral("Dupont"),
          {{4, QStringLiteral("anna@example.org")}, {3, QStringLiteral("(209)\u00a0598-1933")}}}},
        fixtures::BookSchema::Ios15);
    MessageStore store(m_messages.toUtf8(), StoreAccess::ReadOnly);
    store.buildConversationList();
    m_conversations = int(store.conversationHeads.size());
    QVERIFY(m_conversations > 3);
}

void PhoneBackupsTest::init()
{
    harness::resetSeams();
    harness::seedBackupFolder();
    QDir(usualRoot()).removeRecursively();
    phonebackup::PhoneBackup::forgetKeys();
}

void PhoneBackupsTest::cleanup()
{
    SourceLoader::setReadHook({});
    QCOMPARE(shellkit::DialogSeam::pendingAnswers(), 0);
    QCOMPARE(shellkit::DialogSeam::unanswered(), 0);
}

QString PhoneBackupsTest::writeBackup(const QString& name, backupbuilder::Options options,
                                      const QList<backupbuilder::PhoneFile>& extra)
{
    const QString folder = usualRoot() + QLatin1Char('/') + name;
    QList<backupbuilder::PhoneFile> files{
        {phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kMessagesPath, fileBytes(m_messages)},
        {phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kAddressBookPath, fileBytes(m_book)},
    };
    files += extra;
    QString error;
    if (!backupbuilder::writeBackup(folder, files, options, &error))
        qWarning("%s", qPrintable(error));
    return folder;
}

void PhoneBackupsTest::backupFolderOfEveryLayoutIsASource_data()
{
    QTest::addColumn<int>("layout");
    QTest::newRow("description files") << int(backupbuilder::Layout::DescriptionFiles);
    QTest::newRow("Manifest.mbdb") << int(backupbuilder::Layout::ManifestMbdb);
    QTest::newRow("Manifest.db") << int(backupbuilder::Layout::ManifestDb);
}

void PhoneBackupsTest::backupFolderOfEveryLayoutIsASource()
{
    QFETCH(int, layout);
    backupbuilder::Options options;
    options.layout = backupbuilder::Layout(layout);
    options.device.deviceName = QStringLiteral("Kim's iPhone");
    const QString folder = writeBackup(QStringLiteral("00008110-000A1B2C3D4E5F60"), options);
    const QByteArray digest = fixtures::folderDigest(folder);

    Window win;
    const int rowsBefore = win.list()->count();
    answerChooser(QStringLiteral("Kim's iPhone"));
    win.w->openPhoneBackup();

    QCOMPARE(win.list()->count(), rowsBefore + 1);
    QCOMPARE(win.list()->currentRow(), rowsBefore);
    QVERIFY(win.list()->item(rowsBefore)->text().startsWith(QStringLiteral("Kim's iPhone")));
    QCOMPARE(win.page(), 1);
    QTRY_COMPARE(win.conversationRows().size(), m_conversations);
    QVERIFY2(win.conversationNames().contains(QStringLiteral("Dupont Amélie")),
             qPrintable(win.conversationNames().join(QLatin1Char('|'))));
    // A phone's backup offers no deletes.
    QVERIFY(!win.listPage()->findChild<QWidget*>(QStringLiteral("pushButton_Edit"))->isVisible());
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());

    // BackUp makes a ".sms" file of it, which shows the same conversations
    // (a backup file keeps a name as "first last").
    const QStringList names = win.conversationNames();
    QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("pushButtonBACKUP")), Qt::LeftButton);
    QCOMPARE(win.list()->count(), rowsBefore + 2);
    QCOMPARE(win.list()->currentRow(), rowsBefore + 1);
    QVERIFY(win.list()->item(rowsBefore + 1)->text().endsWith(QStringLiteral(".sms")));
    QStringList inFile = names;
    inFile.replaceInStrings(QStringLiteral("Dupont Amélie"), QStringLiteral("Amélie Dupont"));
    QTRY_COMPARE(win.conversationNames(), inFile);
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());

    // Remove takes the row only; the folder stays as it was throughout.
    win.list()->setCurrentRow(rowsBefore);
    QTRY_COMPARE(win.conversationNames(), names);
    shellkit::DialogSeam::pushAnswer(0);
    win.w->Delete_A_BackUp();
    QCOMPARE(win.list()->count(), rowsBefore + 1);
    QCOMPARE(win.page(), 0);
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(fixtures::folderDigest(folder), digest);
}

void PhoneBackupsTest::encryptedBackupAsksUntilThePasswordIsRight()
{
    backupbuilder::Options options;
    options.encrypted = true;
    options.password = "correct horse";
    options.device.deviceName = QStringLiteral("Locked iPhone");
    const QString folder = writeBackup(QStringLiteral("encrypted"), options);
    const QByteArray digest = fixtures::folderDigest(folder);

    Window win;
    const int row = win.list()->count();
    QStringList messages;
    answerChooser(QStringLiteral("Locked iPhone"));
    driver::answerPasswords({QStringLiteral("wrong"), QStringLiteral("correct horse")}, &messages);
    win.w->openPhoneBackup();

    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QStringLiteral("wrong"), Qt::CaseInsensitive), qPrintable(messages.first()));
    QCOMPARE(win.list()->currentRow(), row);
    QTRY_COMPARE(win.conversationRows().size(), m_conversations);
    QVERIFY(win.conversationNames().contains(QStringLiteral("Dupont Amélie")));
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());

    // Unlocked once per run: coming back to it asks no more.
    bool askedAgain = false;
    QTimer* guard = driver::whenModal(driver::isPasswordDialog, [&askedAgain](QWidget* modal) {
        askedAgain = true;
        driver::click(modal, QStringLiteral("cancelButton"));
    });
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    win.list()->setCurrentRow(row);
    QTRY_COMPARE(win.conversationRows().size(), m_conversations);
    delete guard;
    QVERIFY(!askedAgain);

    // Its decrypted copies go with the row; the backup itself stays as it was.
    shellkit::DialogSeam::pushAnswer(0);
    win.w->Delete_A_BackUp();
    QCOMPARE(fixtures::folderDigest(folder), digest);
}

void PhoneBackupsTest::cancelledPasswordLeavesNothingLoaded()
{
    backupbuilder::Options options;
    options.encrypted = true;
    options.password = "secret";
    options.device.deviceName = QStringLiteral("Other iPhone");
    writeBackup(QStringLiteral("other"), options);

    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    answerChooser(QStringLiteral("Other iPhone"));
    driver::answerPasswords({QString()}, nullptr);
    win.w->openPhoneBackup();

    QCOMPARE(win.page(), 0);
    QCOMPARE(win.list()->currentRow(), -1);
    QCOMPARE(win.conversationRows().size(), 0);
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());
}

void PhoneBackupsTest::foldersThatAreNoBackupsGiveAMessage()
{
    Window win;
    const int rows = win.list()->count();

    // A folder of other things.
    const QString plain = m_dir.filePath(QStringLiteral("holiday pictures"));
    QVERIFY(QDir().mkpath(plain));
    QFile picture(plain + QStringLiteral("/beach.jpg"));
    QVERIFY(picture.open(QIODevice::WriteOnly));
    picture.close();
    shellkit::DialogSeam::pushAnswer(0);
    answerChooser(QString(), plain);
    win.w->openPhoneBackup();
    QCOMPARE(harness::shownTexts().size(), 1);
    QVERIFY2(harness::shownTexts().first().startsWith(QStringLiteral("Warning: ")),
             qPrintable(harness::shownTexts().first()));
    QVERIFY(harness::shownTexts().first().contains(QStringLiteral("holiday pictures")));
    QCOMPARE(win.list()->count(), rows);

    // A backup whose catalogue is no database.
    backupbuilder::Options options;
    options.device.deviceName = QStringLiteral("Broken iPhone");
    const QString broken = writeBackup(QStringLiteral("broken"), options);
    QFile manifest(broken + QStringLiteral("/Manifest.db"));
    QVERIFY(manifest.open(QIODevice::WriteOnly | QIODevice::Truncate));
    manifest.write(QByteArray(4096, 'x'));
    manifest.close();
    const QByteArray digest = fixtures::folderDigest(broken);
    shellkit::DialogSeam::reset();
    shellkit::DialogSeam::pushAnswer(0);
    answerChooser(QString(), broken);
    win.w->openPhoneBackup();
    QCOMPARE(harness::shownTexts().size(), 1);
    QVERIFY(harness::shownTexts().first().startsWith(QStringLiteral("Warning: ")));
    QCOMPARE(win.list()->count(), rows);
    QCOMPARE(fixtures::folderDigest(broken), digest);
}

void PhoneBackupsTest::incompleteBackupIsReadAndSaysSo()
{
    backupbuilder::Options options;
    options.snapshotState = QStringLiteral("uploading");
    options.device.deviceName = QStringLiteral("Busy iPhone");
    writeBackup(QStringLiteral("busy"), options);

    Window win;
    const int row = win.list()->count();
    shellkit::DialogSeam::pushAnswer(0);
    answerChooser(QStringLiteral("Busy iPhone"));
    win.w->openPhoneBackup();
    QCOMPARE(win.list()->currentRow(), row);
    QTRY_COMPARE(win.conversationRows().size(), m_conversations);
    QCOMPARE(harness::shownTexts().size(), 1);
    QVERIFY2(harness::shownTexts().first().startsWith(QStringLiteral("Information: This backup is incomplete: ")),
             qPrintable(harness::shownTexts().first()));

    // Said once: choosing it again shows it without a word.
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    win.list()->setCurrentRow(row);
    QTRY_COMPARE(win.conversationRows().size(), m_conversations);
    QCOMPARE(harness::shownTexts().size(), 1);
}

void PhoneBackupsTest::longReadShowsProgressAndHoldsInput()
{
    // A backup file of 200,000 messages in 2,000 conversations.
    QList<fixtures::Msg> many;
    many.reserve(200000);
    for (int i = 1; i <= 200000; ++i)
        many.append({i, QStringLiteral("1380000%1").arg(i % 2000, 4, 10, QLatin1Char('0')), 1000000 + i,
                     QStringLiteral("message %1").arg(i), 2 + i % 2});
    const QString big = harness::backupFolder() + QStringLiteral("/zz-large.sms");
    fixtures::makeBackupFile(big, many, {});

    // The read waits on the worker until the window has shown its progress,
    // so the test does not depend on how fast this machine reads.
    QSemaphore go;
    SourceLoader::setReadHook([&go] { go.acquire(); });
    Window win;
    const int bigRow = win.list()->count() - 1;
    QCOMPARE(win.list()->item(bigRow)->text(), QStringLiteral("zz-large.sms"));

    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, &ticker, [&ticks] { ++ticks; });
    ticker.start(1);
    bool clickedDuringRead = false;
    connect(win.w->sourceLoader(), &SourceLoader::progressShown, &ticker, [&] {
        // The user clicks another source meanwhile: it waits for the read.
        QListWidget* list = win.list();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
        clickedDuringRead = true;
        QVERIFY(win.w->findChild<QWidget*>(QStringLiteral("LoadingLine"))->isVisible());
        go.release();
    });
    win.list()->setCurrentRow(bigRow);

    QVERIFY(clickedDuringRead);
    QVERIFY(ticks > 0);
    QCOMPARE(win.list()->currentRow(), bigRow);
    QCOMPARE(win.page(), 1);
    QTRY_VERIFY(!win.conversationRows().isEmpty());
    QVERIFY(!win.w->findChild<QWidget*>(QStringLiteral("LoadingLine"))->isVisible());
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());
}

void PhoneBackupsTest::cancelledReadLeavesNothingLoaded()
{
    QSemaphore go;
    SourceLoader::setReadHook([&go] { go.acquire(); });
    Window win;
    connect(win.w->sourceLoader(), &SourceLoader::progressShown, win.w.get(), [&] {
        QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("pushButtonCancelLoading")), Qt::LeftButton);
        go.release();
    });
    QSignalSpy ended(win.w->sourceLoader(), &SourceLoader::loadEnded);
    win.list()->setCurrentRow(2);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.first().first().toBool(), false);
    QCOMPARE(win.page(), 0);
    QCOMPARE(win.list()->currentRow(), -1);
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());

    // The next choice reads again, from the start.
    SourceLoader::setReadHook({});
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
}

void PhoneBackupsTest::closingDuringAReadClosesAfterIt()
{
    QSemaphore go;
    SourceLoader::setReadHook([&go] { go.acquire(); });
    Window win;
    bool stillOpen = false;
    connect(win.w->sourceLoader(), &SourceLoader::progressShown, win.w.get(), [&] {
        win.w->close();
        // The read has the stores: the window waits for it to let go.
        stillOpen = win.w->isVisible();
        go.release();
    });
    QSignalSpy ended(win.w->sourceLoader(), &SourceLoader::loadEnded);
    win.list()->setCurrentRow(2);
    QVERIFY(stillOpen);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.first().first().toBool(), false);
    QTRY_VERIFY(!win.w->isVisible());
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());
}

void PhoneBackupsTest::copyAfterDeleteLeavesTheDeletedOut()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationNames(), QStringList({QStringLiteral("Anna Lee"), QStringLiteral("Pat O'Neil")}));
    win.openConversation(0);
    QWidget* chat = win.chatPage();
    QTRY_COMPARE(win.bubbleTexts(), QStringList({QStringLiteral("are you there?"), QStringLiteral("你好 😀")}));
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    QToolButton* select = nullptr;
    const auto frames = chat->findChildren<QFrame*>();
    for (QFrame* f : frames) {
        auto* text = f->findChild<QLabel*>(QStringLiteral("specialButton"));
        if (f->inherits("Frame") && text && text->text() == QStringLiteral("are you there?"))
            select = f->findChild<QToolButton*>(QStringLiteral("itemFrame2222"));
    }
    QVERIFY(select);
    QTRY_VERIFY(select->isVisible());
    QTest::mouseClick(select, Qt::LeftButton);
    auto* deleteButton = chat->findChild<QPushButton*>(QStringLiteral("pushButton_3"));
    QTRY_VERIFY(deleteButton->isEnabled());
    QTest::mouseClick(deleteButton, Qt::LeftButton);

    // Copy on the chat page, then on the list page: the deleted text is gone from both.
    const QString chatFile = m_dir.filePath(QStringLiteral("chat.txt"));
    const QString listFile = m_dir.filePath(QStringLiteral("list.txt"));
    for (const QString& target : {chatFile, listFile}) {
        if (target == listFile) {
            QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
            QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("toolButtonMessageAndClear")), Qt::LeftButton);
            QTRY_COMPARE(win.page(), 1);
        }
        driver::pressInNextModal(QStringLiteral("pushButton_2"), [target](QWidget* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("lineEdit"))->setText(target);
            QTest::mouseClick(dialog->findChild<QCheckBox*>(QStringLiteral("checkBox")), Qt::LeftButton);
        });
        QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("Btn_Back")), Qt::LeftButton);
        const QString written = QString::fromUtf8(fileBytes(target));
        QVERIFY2(written.contains(QStringLiteral("你好 😀")), qPrintable(target));
        QVERIFY2(!written.contains(QStringLiteral("are you there?")), qPrintable(written));
    }
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());
}

void PhoneBackupsTest::deleteErrorBoxLetsReportsThrough()
{
    // A backup whose message table refuses deletes; real boxes this time.
    QCOMPARE(fixtures::exec(harness::backupPath(2), QStringLiteral("create trigger keep before delete on message "
                                                                   "begin select raise(abort, 'kept'); end")),
             0);
    Window win;
    win.list()->setCurrentRow(4);
    QTRY_COMPARE(win.conversationRows().size(), 1);
    win.openConversation(0);
    QWidget* chat = win.chatPage();
    QTRY_COMPARE(win.bubbleTexts(), QStringList{QStringLiteral("Welcome")});
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);

    shellkit::DialogSeam::deactivate();
    auto isBox = [](const QString& text) {
        return [text](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            return box && box->text().contains(text);
        };
    };
    QString errorText;
    bool errorBoxDone = false;
    // Yes, clear all.
    driver::whenModal(isBox(QStringLiteral("Are you sure")), [&](QWidget* modal) {
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click();
        // While the error box is up, the phone goes away and another source
        // is chosen: both are handled, and the box closes afterwards.
        driver::whenModal(isBox(QStringLiteral("Delete Error")), [&](QWidget* box) {
            errorText = qobject_cast<QMessageBox*>(box)->text();
            win.w->detectIphone(false);
            win.list()->setCurrentRow(2);
            qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
            errorBoxDone = true;
        });
    });
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("toolButtonMessageAndClear")), Qt::LeftButton);
    QTRY_VERIFY(errorBoxDone);
    shellkit::DialogSeam::activate();

    QCOMPARE(errorText, QStringLiteral("Delete Error"));
    QCOMPARE(win.list()->currentRow(), 2);
    QTRY_COMPARE(win.conversationNames(), QStringList({QStringLiteral("Anna Lee"), QStringLiteral("Pat O'Neil")}));
    QCOMPARE(win.w->findChild<QLabel*>(QStringLiteral("label"))->text(),
             QStringLiteral("SMS:0\nContact:0\niPhone Serial:No device"));
    QCOMPARE(fixtures::column(harness::backupPath(2), QStringLiteral("select text from message")),
             QStringList{QStringLiteral("Welcome")});
}

int main(int argc, char** argv)
{
    const auto home = harness::useTemporaryHome();
    QApplication app(argc, argv);
    PhoneBackupsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_phonebackups.moc"
