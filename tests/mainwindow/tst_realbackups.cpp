// The window on phone backups as real phones leave them: message database
// and address book with all their content in the write-ahead log, a backup
// whose catalogue lists an address book that is missing (the chooser says
// "incomplete", as the command line does), and reads of backups that print
// nothing on standard output when nothing failed.

#include "BackupBuilder.h"
#include "BackupChooser.h"
#include "DialogDriver.h"
#include "MainWindowHarness.h"
#include "MessageStore.h"
#include "ModernFixtures.h"
#include "PhoneBackup.h"
#include "../smsdata/StdoutCapture.h"

#include <QPushButton>
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

// Picks the backup whose row names the device in the next chooser.
void answerChooser(const QString& device)
{
    driver::whenModal(isChooser, [=](QWidget* modal) {
        QMetaObject::invokeMethod(
            modal,
            [modal, device] {
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

class RealBackupsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void contentOnlyInTheLogIsShown();
    void chooserTellsAMissingAddressBook();
    void readingBackupsPrintsNothing();

private:
    QString writeBackup(const QString& name, const QString& device, const QByteArray& sms, const QByteArray& smsWal,
                        const QByteArray& book, const QByteArray& bookWal);

    QTemporaryDir m_dir;
    QString m_messages;
    QString m_book;
    int m_conversations = 0;
};

void RealBackupsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_messages = modernfixtures::makeModernDb(m_dir.filePath(QStringLiteral("sms.db")),
                                              modernfixtures::sample(modernfixtures::Schema::Ios13),
                                              modernfixtures::Schema::Ios13);
    m_book = fixtures::makeAddressBook(
        m_dir.filePath(QStringLiteral("book.sqlitedb")),
        {{QStringLiteral("Amélie"), QStringLiteral("Dupont"), {{3, QStringLiteral("(209) 598-1933")}}}},
        fixtures::BookSchema::Ios15);
    MessageStore store(m_messages.toUtf8(), StoreAccess::ReadOnly);
    store.buildConversationList();
    m_conversations = int(store.conversationHeads.size());
    QVERIFY(m_conversations > 3);
}

void RealBackupsTest::init()
{
    harness::resetSeams();
    harness::seedBackupFolder();
    QDir(usualRoot()).removeRecursively();
}

void RealBackupsTest::cleanup()
{
    QCOMPARE(shellkit::DialogSeam::pendingAnswers(), 0);
    QCOMPARE(shellkit::DialogSeam::unanswered(), 0);
}

QString RealBackupsTest::writeBackup(const QString& name, const QString& device, const QByteArray& sms,
                                     const QByteArray& smsWal, const QByteArray& book, const QByteArray& bookWal)
{
    using phonebackup::PhoneBackup;
    const QString folder = usualRoot() + QLatin1Char('/') + name;
    QList<backupbuilder::PhoneFile> files{{PhoneBackup::kHomeDomain, PhoneBackup::kMessagesPath, sms},
                                          {PhoneBackup::kHomeDomain, PhoneBackup::kAddressBookPath, book}};
    if (!smsWal.isEmpty())
        files.append({PhoneBackup::kHomeDomain, PhoneBackup::kMessagesPath + QStringLiteral("-wal"), smsWal});
    if (!bookWal.isEmpty())
        files.append({PhoneBackup::kHomeDomain, PhoneBackup::kAddressBookPath + QStringLiteral("-wal"), bookWal});
    backupbuilder::Options options;
    options.device.deviceName = device;
    QString error;
    if (!backupbuilder::writeBackup(folder, files, options, &error))
        qWarning("%s", qPrintable(error));
    return folder;
}

void RealBackupsTest::contentOnlyInTheLogIsShown()
{
    const QString sms = m_dir.filePath(QStringLiteral("wal-sms.db"));
    const QString book = m_dir.filePath(QStringLiteral("wal-book.sqlitedb"));
    QVERIFY(fixtures::walFormCopy(m_messages, sms));
    QVERIFY(fixtures::walFormCopy(m_book, book));
    QVERIFY(fileBytes(sms).size() <= 4096);
    const QString folder =
        writeBackup(QStringLiteral("wal-phone"), QStringLiteral("Log iPhone"), fileBytes(sms),
                    fileBytes(sms + QStringLiteral("-wal")), fileBytes(book), fileBytes(book + QStringLiteral("-wal")));
    const QByteArray digest = fixtures::folderDigest(folder);

    Window win;
    const int row = win.list()->count();
    answerChooser(QStringLiteral("Log iPhone"));
    win.w->openPhoneBackup();
    QCOMPARE(win.list()->currentRow(), row);
    QTRY_COMPARE(win.conversationRows().size(), m_conversations);
    QVERIFY2(win.conversationNames().contains(QStringLiteral("Dupont Amélie")),
             qPrintable(win.conversationNames().join(QLatin1Char('|'))));
    QVERIFY2(shellkit::DialogSeam::shown().isEmpty(), qPrintable(harness::shownTexts().join(QLatin1Char('|'))));

    // Its ".sms" backup holds the same, names included.
    QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("pushButtonBACKUP")), Qt::LeftButton);
    QCOMPARE(win.list()->count(), row + 2);
    QTRY_COMPARE(win.conversationRows().size(), m_conversations);
    QVERIFY(win.conversationNames().contains(QStringLiteral("Amélie Dupont")));

    QCOMPARE(fixtures::folderDigest(folder), digest);
}

void RealBackupsTest::chooserTellsAMissingAddressBook()
{
    const QString whole = writeBackup(QStringLiteral("a-whole"), QStringLiteral("Whole iPhone"), fileBytes(m_messages),
                                      {}, fileBytes(m_book), {});
    const QString lacking = writeBackup(QStringLiteral("b-lacking"), QStringLiteral("Lacking iPhone"),
                                        fileBytes(m_messages), {}, fileBytes(m_book), {});
    QVERIFY(QFile::remove(backupbuilder::dataPath(backupbuilder::Layout::ManifestDb, lacking,
                                                  phonebackup::PhoneBackup::kHomeDomain,
                                                  phonebackup::PhoneBackup::kAddressBookPath)));
    const QByteArray digest = fixtures::folderDigest(lacking);

    BackupChooser chooser;
    chooser.setRoots({usualRoot()});
    auto* list = chooser.findChild<QTreeWidget*>(QStringLiteral("backupList"));
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(0)->text(BackupChooser::DeviceColumn), QStringLiteral("Whole iPhone"));
    QCOMPARE(list->topLevelItem(0)->text(BackupChooser::StateColumn), QString());
    QCOMPARE(list->topLevelItem(1)->text(BackupChooser::DeviceColumn), QStringLiteral("Lacking iPhone"));
    QCOMPARE(list->topLevelItem(1)->text(BackupChooser::StateColumn), QStringLiteral("incomplete"));

    // Opened, it shows its messages by number and says why.
    Window win;
    shellkit::DialogSeam::pushAnswer(0);
    answerChooser(QStringLiteral("Lacking iPhone"));
    win.w->openPhoneBackup();
    QTRY_COMPARE(win.conversationRows().size(), m_conversations);
    QCOMPARE(harness::shownTexts().size(), 1);
    QVERIFY2(harness::shownTexts().first().contains(
                 QStringLiteral("This backup is incomplete: it lists Library/AddressBook/AddressBook.sqlitedb, but "
                                "the file is missing.")),
             qPrintable(harness::shownTexts().first()));
    QCOMPARE(fixtures::folderDigest(lacking), digest);
    QVERIFY(QFileInfo(whole).isDir());
}

void RealBackupsTest::readingBackupsPrintsNothing()
{
    writeBackup(QStringLiteral("quiet"), QStringLiteral("Quiet iPhone"), fileBytes(m_messages), {}, fileBytes(m_book),
                {});
    StdoutCapture out;
    {
        Window win;
        // A ".sms" backup file.
        win.list()->setCurrentRow(2);
        QTRY_VERIFY(!win.conversationRows().isEmpty());
        // A phone backup.
        answerChooser(QStringLiteral("Quiet iPhone"));
        win.w->openPhoneBackup();
        QTRY_COMPARE(win.conversationRows().size(), m_conversations);
        win.list()->setCurrentRow(3);
        QTRY_COMPARE(win.conversationRows().size(), 1);
    }
    const QByteArray printed = out.text();
    QVERIFY2(!printed.contains("数据库打开失败"), printed.constData());
}

int main(int argc, char** argv)
{
    const auto home = harness::useTemporaryHome();
    QApplication app(argc, argv);
    RealBackupsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_realbackups.moc"
