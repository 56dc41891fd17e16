// The road of a linked phone below the window, against the simulated phone:
// attach, backup, both databases located and read by the stores with their
// contacts, the current phone's backup as current tools write it, backups
// stopped at several points that stay readable, removal, a second link that
// brings the backup up to date, and a phone without an address book. The
// backup in each of its layouts, encrypted or not, read back through the
// backup reader.

#include "BackupBuilder.h"
#include "BackupRun.h"
#include "ContactStore.h"
#include "DemoData.h"
#include "DetectIphoneAction.h"
#include "DeviceBinding.h"
#include "DeviceFetch.h"
#include "DeviceLink.h"
#include "MessageStore.h"
#include "PhoneBackup.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLibrary>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

namespace {

using SimPhoneControlFn = void (*)(int);

const QByteArray kUdid = "5a1d0e5c7f3b2a9d8e6f4c1b0a9d8e7f6c5b4a39";

// The first cell of a query, as text; "<error>" when the file or query fails.
QString cell(const QByteArray& path, const char* query)
{
    sqlite3* db = nullptr;
    QString out = QStringLiteral("<error>");
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, query, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

// Which phone wrote a database: "legacy", "current", or what is wrong with it.
QString messageDbKind(const QByteArray& path)
{
    if (cell(path, "PRAGMA integrity_check") != QLatin1String("ok"))
        return QStringLiteral("damaged");
    if (cell(path, "SELECT count(*) FROM sqlite_master WHERE name = 'msg_group'") == QLatin1String("1"))
        return QStringLiteral("legacy");
    if (cell(path, "SELECT count(*) FROM sqlite_master WHERE name = 'chat'") == QLatin1String("1"))
        return QStringLiteral("current");
    return QStringLiteral("unknown");
}

QString addressBookKind(const QByteArray& path)
{
    if (cell(path, "PRAGMA integrity_check") != QLatin1String("ok"))
        return QStringLiteral("damaged");
    // The address books of iOS 9 and later give every row a guid.
    return cell(path, "SELECT count(*) FROM pragma_table_info('ABPerson') WHERE name = 'guid'") == QLatin1String("1")
               ? QStringLiteral("current")
               : QStringLiteral("legacy");
}

QString sha1(const QString& text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex());
}

QByteArray locate(const QByteArray& id, const char* name, const QString& root)
{
    if (!locateBackupDatabase(id.constData(), name, root))
        return "<refused>";
    return locatedDatabasePath();
}

} // namespace

class SimPhoneTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void attachBackupAndRead();
    void currentPhoneIsBackedUpAsCurrentToolsDo();
    void stoppedUpdateLeavesAReadableBackup_data();
    void stoppedUpdateLeavesAReadableBackup();
    void removalReturnsToNoPhone();
    void secondLinkUpdatesTheBackup();
    void phoneWithoutAddressBook();
    void everyLayoutReadsBack_data();
    void everyLayoutReadsBack();
    void encryptedBackupUpdatesInPlace();
    void refusedSettings_data();
    void refusedSettings();

private:
    // Runs the backup for the linked phone and waits for its end.
    bool backUp(QString* message);
    // Runs the tool for `id` directly, whatever phone is linked.
    bool backUpFolder(const QByteArray& id, QString* message);
    QString root() const { return m_dir.filePath(QStringLiteral("Backup")); }
    QString folder(const QByteArray& id) const { return root() + QLatin1Char('/') + QString::fromLatin1(id); }

    QTemporaryDir m_dir;
    DeviceLink m_link;
    DetectIphoneAction m_notifier;
    SimPhoneControlFn m_control = nullptr;
    QList<bool> m_reports;
};

void SimPhoneTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    qputenv("MSGDESK_DEVICE_TOOLS", MSGDESK_SIMPHONE_DIR);
    // The phone comes by itself, as in the demo; the tests wait for its report.
    qputenv("MSGDESK_SIM_ATTACH_MS", "0");
    qputenv("MSGDESK_SIM_BACKUP_MS", "0");
    qputenv("MSGDESK_SIM_UDID", kUdid);
    connect(&m_notifier, &DetectIphoneAction::validlink, this, [this](bool up) { m_reports.append(up); });
    setLinkNotifier(&m_notifier);
    QVERIFY(subscribeDeviceNotifications(&m_link));
    QLibrary library(loadedDeviceLibraryPath());
    m_control = reinterpret_cast<SimPhoneControlFn>(library.resolve("SimPhoneControl"));
    QVERIFY(m_control);
}

void SimPhoneTest::init()
{
    qputenv("MSGDESK_SIM_PHONE", "legacy");
}

void SimPhoneTest::cleanup()
{
    for (const char* name : {"MSGDESK_SIM_PHONE", "MSGDESK_SIM_BACKUP_LAYOUT", "MSGDESK_SIM_BACKUP_GATE",
                             "MSGDESK_SIM_NO_ADDRESS_BOOK", "MSGDESK_SIM_BACKUP_PASSWORD", "MSGDESK_SIM_BACKUP_ROUNDS"})
        qunsetenv(name);
    phonebackup::PhoneBackup::forgetKeys();
}

bool SimPhoneTest::backUp(QString* message)
{
    BackupRun run;
    run.setToolsFolder(QStringLiteral(MSGDESK_SIMPHONE_DIR));
    run.setBackupRoot(root());
    QSignalSpy done(&run, &BackupRun::finished);
    if (!runDeviceBackup(&m_link, &run) || !done.wait(60000))
        return false;
    *message = done.at(0).at(1).toString();
    return done.at(0).at(0).toBool();
}

bool SimPhoneTest::backUpFolder(const QByteArray& id, QString* message)
{
    BackupRun run;
    run.setToolsFolder(QStringLiteral(MSGDESK_SIMPHONE_DIR));
    run.setBackupRoot(root());
    QSignalSpy done(&run, &BackupRun::finished);
    if (!run.start(id) || !done.wait(60000))
        return false;
    *message = done.at(0).at(1).toString();
    return done.at(0).at(0).toBool();
}

void SimPhoneTest::attachBackupAndRead()
{
    // The phone attaches by itself shortly after the subscription.
    QTRY_COMPARE_WITH_TIMEOUT(m_reports, QList<bool>{true}, 20000);
    QVERIFY(QFile::exists(QStringLiteral("MobileInfo")));
    QCOMPARE(deviceIdentifier(&m_link), kUdid);
    QVERIFY(!isBackupDone());

    QString message;
    QVERIFY2(backUp(&message), qPrintable(message));
    QVERIFY(isBackupDone());

    const QByteArray smsPath = locate(kUdid, "sms.db", root());
    const QByteArray bookPath = locate(kUdid, "AddressBook.sqlitedb", root());
    QVERIFY(smsPath.startsWith(QFile::encodeName(root()) + '/' + kUdid + '/'));
    // The first phones' backups: description and data file pairs.
    QVERIFY(smsPath.endsWith(".mddata"));
    QVERIFY(smsPath != bookPath);

    MessageStore messages(smsPath);
    ContactStore contacts(bookPath);
    QCOMPARE(messages.messages.size(), demodata::messages().size());
    QCOMPARE(contacts.contacts.size(), demodata::people().size());
    fillContactNames(messages, contacts);
    messages.buildConversationList();
    // Dashed spellings of a number join its conversation.
    QCOMPARE(messages.conversationHeads.size(), demodata::conversations().size());

    QHash<QByteArray, QByteArray> names;
    for (const MessageRecord& m : std::as_const(messages.messages))
        names.insert(m.address, m.contactName);
    // Prefixed message numbers find their dashed book entries.
    QCOMPARE(names.value("+8613812345678"), QByteArray("王 伟"));
    QCOMPARE(names.value("+4915123456789"), QByteArray("Müller Jürgen"));
    QCOMPARE(names.value("13600008888"), QByteArray(" Mom"));
    QCOMPARE(names.value("+16505550123"), QByteArray("NULL"));
    QCOMPARE(names.value("10086"), QByteArray("NULL"));
}

void SimPhoneTest::currentPhoneIsBackedUpAsCurrentToolsDo()
{
    qunsetenv("MSGDESK_SIM_PHONE");
    const QByteArray id = "c0ffee00c0ffee00c0ffee00c0ffee00c0ffee00";
    QString message;
    QVERIFY2(backUpFolder(id, &message), qPrintable(message));

    // A catalogue and data files named by the SHA-1 of domain and path.
    const QString dir = folder(id);
    QVERIFY(QFileInfo(dir + QStringLiteral("/Manifest.db")).isFile());
    const QString smsId = sha1(QStringLiteral("HomeDomain-Library/SMS/sms.db"));
    const QString bookId = sha1(QStringLiteral("HomeDomain-Library/AddressBook/AddressBook.sqlitedb"));
    QCOMPARE(smsId, QStringLiteral("3d0d7e5fb2ce288813306e4d4636395e047a3d28"));
    const QByteArray sms = locate(id, "sms.db", root());
    const QByteArray book = locate(id, "AddressBook.sqlitedb", root());
    QCOMPARE(QString::fromUtf8(sms), dir + QLatin1Char('/') + smsId.left(2) + QLatin1Char('/') + smsId);
    QCOMPARE(QString::fromUtf8(book), dir + QLatin1Char('/') + bookId.left(2) + QLatin1Char('/') + bookId);
    QCOMPARE(messageDbKind(sms), QStringLiteral("current"));
    QCOMPARE(addressBookKind(book), QStringLiteral("current"));
    QCOMPARE(cell(sms, "SELECT count(*) FROM message"), cell(sms, "SELECT max(ROWID) FROM message"));

    // Every attachment of the messages is in the backup, where its file name says.
    const QByteArray manifest = QFile::encodeName(dir + QStringLiteral("/Manifest.db"));
    QCOMPARE(cell(manifest, "SELECT count(*) FROM Files WHERE domain = 'MediaDomain'"),
             cell(sms, "SELECT count(*) FROM attachment"));
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open_v2(sms.constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, "SELECT filename, total_bytes FROM attachment", -1, &st, nullptr), SQLITE_OK);
    int attachments = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        QVERIFY2(name.startsWith(QLatin1String("~/Library/SMS/Attachments/")), qPrintable(name));
        const QString fid = sha1(QStringLiteral("MediaDomain-") + name.mid(2));
        const QFileInfo file(dir + QLatin1Char('/') + fid.left(2) + QLatin1Char('/') + fid);
        QVERIFY2(file.isFile(), qPrintable(name));
        QCOMPARE(file.size(), sqlite3_column_int64(st, 1));
        ++attachments;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    QVERIFY(attachments > 20);

    // The property lists beside it tell a finished, unencrypted backup of iOS 17.
    QFile info(dir + QStringLiteral("/Info.plist"));
    QVERIFY(info.open(QIODevice::ReadOnly));
    const QByteArray infoText = info.readAll();
    QVERIFY(infoText.contains("<key>Product Version</key>\n\t<string>17."));
    QVERIFY(infoText.contains("<string>" + id + "</string>"));
    QFile status(dir + QStringLiteral("/Status.plist"));
    QVERIFY(status.open(QIODevice::ReadOnly));
    QVERIFY(status.readAll().contains("<key>SnapshotState</key>\n\t<string>finished</string>"));
    QFile plist(dir + QStringLiteral("/Manifest.plist"));
    QVERIFY(plist.open(QIODevice::ReadOnly));
    QVERIFY(plist.readAll().contains("<key>IsEncrypted</key>\n\t<false/>"));
}

void SimPhoneTest::stoppedUpdateLeavesAReadableBackup_data()
{
    QTest::addColumn<QByteArray>("layout");
    // The step the tool is stopped before: 1 is before the first file, 3
    // after the message database and before the address book, 0 the last
    // step, before the catalogue.
    QTest::addColumn<int>("stopBefore");
    for (const char* layout : {"manifest", "mbdb", "mdinfo"}) {
        QTest::addRow("%s, before the first file", layout) << QByteArray(layout) << 1;
        QTest::addRow("%s, between files", layout) << QByteArray(layout) << 3;
        QTest::addRow("%s, before the catalogue", layout) << QByteArray(layout) << 0;
    }
}

void SimPhoneTest::stoppedUpdateLeavesAReadableBackup()
{
    QFETCH(QByteArray, layout);
    QFETCH(int, stopBefore);
    const QByteArray id = QCryptographicHash::hash(QTest::currentDataTag(), QCryptographicHash::Sha1).toHex();
    qputenv("MSGDESK_SIM_BACKUP_LAYOUT", layout);

    // An earlier backup of the legacy phone, and a file of the user's in it.
    QString message;
    QVERIFY2(backUpFolder(id, &message), qPrintable(message));
    const QString marker = folder(id) + QStringLiteral("/kept-by-the-user");
    QFile markerFile(marker);
    QVERIFY(markerFile.open(QIODevice::WriteOnly));
    markerFile.close();
    QCOMPARE(messageDbKind(locate(id, "sms.db", root())), QStringLiteral("legacy"));

    // The update comes from the current phone, paced by a gate.
    qunsetenv("MSGDESK_SIM_PHONE");
    const QString gate = m_dir.filePath(QStringLiteral("gate"));
    QFile gateFile(gate);
    QVERIFY(gateFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    gateFile.close();
    qputenv("MSGDESK_SIM_BACKUP_GATE", QFile::encodeName(gate));

    BackupRun run;
    run.setToolsFolder(QStringLiteral(MSGDESK_SIMPHONE_DIR));
    run.setBackupRoot(root());
    QStringList lines;
    connect(&run, &BackupRun::output, this, [&lines](const QString& line) { lines.append(line); });
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(id));
    const QRegularExpression paused(QStringLiteral("^Paused before step (\\d+) of (\\d+)$"));
    QTRY_VERIFY_WITH_TIMEOUT(!lines.isEmpty() && paused.match(lines.constLast()).hasMatch(), 60000);
    const int steps = paused.match(lines.constLast()).captured(2).toInt();
    QVERIFY(steps > 6);
    const int stop = stopBefore == 0 ? steps : stopBefore;
    if (stop > 1) {
        QVERIFY(gateFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
        gateFile.write(QByteArray::number(stop - 1));
        gateFile.close();
        const QString expected = QStringLiteral("Paused before step %1 of %2").arg(stop).arg(steps);
        QTRY_VERIFY_WITH_TIMEOUT(lines.constLast() == expected, 60000);
    }
    run.cancel();
    QVERIFY(done.wait(60000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QVERIFY(lines.contains(QStringLiteral("Backup cancelled")));

    // Nothing of the earlier backup is lost, every file is whole, old or new.
    QVERIFY(QFile::exists(marker));
    const QByteArray sms = locate(id, "sms.db", root());
    const QByteArray book = locate(id, "AddressBook.sqlitedb", root());
    QCOMPARE(messageDbKind(sms), QLatin1String(stop <= 2 ? "legacy" : "current"));
    QCOMPARE(addressBookKind(book), QLatin1String(stop <= 4 ? "legacy" : "current"));
    // No half-written file is left beside them.
    const QRegularExpression backupFile(QStringLiteral(
        "^([0-9a-f]{40}(\\.mddata|\\.mdinfo)?|Manifest\\.(db|mbdb)|(Info|Manifest|Status)\\.plist|kept-by-the-user)$"));
    QDirIterator it(folder(id), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString name = QFileInfo(it.next()).fileName();
        QVERIFY2(backupFile.match(name).hasMatch(), qPrintable(name));
    }

    // Let through, the same tool finishes the update.
    qunsetenv("MSGDESK_SIM_BACKUP_GATE");
    QVERIFY2(backUpFolder(id, &message), qPrintable(message));
    QCOMPARE(messageDbKind(locate(id, "sms.db", root())), QStringLiteral("current"));
    QCOMPARE(addressBookKind(locate(id, "AddressBook.sqlitedb", root())), QStringLiteral("current"));
    QVERIFY(QFile::exists(marker));
}

void SimPhoneTest::removalReturnsToNoPhone()
{
    QVERIFY(isBackupDone());
    m_reports.clear();
    m_control(kDeviceRemoved);
    QTRY_COMPARE(m_reports, QList<bool>{false});
    QVERIFY(!linkUp);
    QVERIFY(!isBackupDone());
    // Without a phone there is nothing to back up.
    BackupRun run;
    QVERIFY(!runDeviceBackup(&m_link, &run));
}

void SimPhoneTest::secondLinkUpdatesTheBackup()
{
    // A file in the first backup that the tool does not know: an update
    // never starts from an empty folder.
    const QString marker = folder(kUdid) + QStringLiteral("/marker");
    QFile file(marker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QByteArray before = locate(kUdid, "sms.db", root());

    m_reports.clear();
    m_control(kDeviceAttached);
    QTRY_COMPARE(m_reports, QList<bool>{true});
    QString message;
    QVERIFY2(backUp(&message), qPrintable(message));
    QVERIFY(isBackupDone());
    QVERIFY(QFile::exists(marker));
    QCOMPARE(locate(kUdid, "sms.db", root()), before);
    QCOMPARE(messageDbKind(before), QStringLiteral("legacy"));
}

void SimPhoneTest::phoneWithoutAddressBook()
{
    QVERIFY(!locate(kUdid, "AddressBook.sqlitedb", root()).isEmpty());
    qputenv("MSGDESK_SIM_NO_ADDRESS_BOOK", "1");
    QString message;
    QVERIFY2(backUp(&message), qPrintable(message));
    // The book the phone no longer has leaves its backup; the messages stay.
    QCOMPARE(locate(kUdid, "AddressBook.sqlitedb", root()), QByteArray());
    QCOMPARE(messageDbKind(locate(kUdid, "sms.db", root())), QStringLiteral("legacy"));
}

void SimPhoneTest::everyLayoutReadsBack_data()
{
    QTest::addColumn<QByteArray>("phone");
    QTest::addColumn<QByteArray>("layout");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("expectedLayout");
    QTest::addColumn<bool>("doubleProtection");
    const int mdinfo = int(phonebackup::BackupLayout::DescriptionFiles);
    const int mbdb = int(phonebackup::BackupLayout::ManifestMbdb);
    const int manifest = int(phonebackup::BackupLayout::ManifestDb);
    QTest::newRow("legacy, default") << QByteArray("legacy") << QByteArray() << QByteArray() << mdinfo << false;
    QTest::newRow("current, default") << QByteArray() << QByteArray() << QByteArray() << manifest << false;
    QTest::newRow("legacy, mbdb") << QByteArray("legacy") << QByteArray("mbdb") << QByteArray() << mbdb << false;
    QTest::newRow("current, mdinfo") << QByteArray() << QByteArray("mdinfo") << QByteArray() << mdinfo << false;
    QTest::newRow("current, encrypted") << QByteArray() << QByteArray() << QByteArray("pa55 wörd") << manifest << true;
    QTest::newRow("legacy, encrypted manifest")
        << QByteArray("legacy") << QByteArray("manifest") << QByteArray("1234") << manifest << true;
    // Phones of that age had no second derivation step.
    QTest::newRow("legacy, encrypted, default")
        << QByteArray("legacy") << QByteArray() << QByteArray("1234") << mbdb << false;
    QTest::newRow("current, encrypted mbdb")
        << QByteArray() << QByteArray("mbdb") << QByteArray("secret") << mbdb << false;
}

void SimPhoneTest::everyLayoutReadsBack()
{
    QFETCH(QByteArray, phone);
    QFETCH(QByteArray, layout);
    QFETCH(QByteArray, password);
    QFETCH(int, expectedLayout);
    QFETCH(bool, doubleProtection);
    const QByteArray id = QCryptographicHash::hash(QTest::currentDataTag(), QCryptographicHash::Sha1).toHex();
    if (phone.isEmpty())
        qunsetenv("MSGDESK_SIM_PHONE");
    else
        qputenv("MSGDESK_SIM_PHONE", phone);
    if (!layout.isEmpty())
        qputenv("MSGDESK_SIM_BACKUP_LAYOUT", layout);
    if (!password.isEmpty())
        qputenv("MSGDESK_SIM_BACKUP_PASSWORD", password);
    const bool legacy = phone == "legacy";

    // What the simulated phone holds.
    QTemporaryDir made;
    QVERIFY(made.isValid());
    QVERIFY(demodata::writePhone(made.path(), legacy ? demodata::Layout::Legacy : demodata::Layout::Modern));
    const QByteArray madeSms = QFile::encodeName(made.filePath(QStringLiteral("sms.db")));
    const QByteArray madeBook = QFile::encodeName(made.filePath(QStringLiteral("AddressBook.sqlitedb")));

    QString message;
    QVERIFY2(backUpFolder(id, &message), qPrintable(message));

    phonebackup::PhoneBackup backup(folder(id), m_dir.path());
    QVERIFY2(backup.isValid(), qPrintable(backup.errorString()));
    QCOMPARE(int(backup.info().layout), expectedLayout);
    QCOMPARE(backup.info().deviceName, QStringLiteral("Zoë's iPhone 张"));
    QCOMPARE(backup.info().productVersion, QLatin1String(legacy ? "5.1.1" : "17.4.1"));
    QVERIFY(backup.info().finished);
    QCOMPARE(backup.isEncrypted(), !password.isEmpty());
    if (!password.isEmpty()) {
        QVERIFY(backup.needsPassword());
        const std::optional<phonebackup::KeyBag> bag = backup.keyBag();
        QVERIFY(bag);
        QCOMPARE(bag->iterations, 16u);
        QCOMPARE(bag->hasDoubleProtection(), doubleProtection);
        // The data files themselves are no databases any more.
        const backupbuilder::Layout written = expectedLayout == int(phonebackup::BackupLayout::ManifestDb)
                                                  ? backupbuilder::Layout::ManifestDb
                                                  : backupbuilder::Layout::ManifestMbdb;
        const QString stored = backupbuilder::dataPath(written, folder(id), phonebackup::PhoneBackup::kHomeDomain,
                                                       phonebackup::PhoneBackup::kMessagesPath);
        QFile storedFile(stored);
        QVERIFY(storedFile.open(QIODevice::ReadOnly));
        QVERIFY(!storedFile.read(16).startsWith("SQLite format 3"));
        QCOMPARE(backup.unlock(password + "x"), phonebackup::UnlockResult::WrongPassword);
        QVERIFY(backup.needsPassword());
        QCOMPARE(backup.unlock(password), phonebackup::UnlockResult::Unlocked);
    }
    QVERIFY(backup.isUnlocked());

    const phonebackup::PhoneDatabases dbs = backup.phoneDatabases();
    QVERIFY2(dbs.error.isEmpty(), qPrintable(dbs.error));
    QVERIFY2(dbs.warnings.isEmpty(), qPrintable(dbs.warnings.join(QLatin1Char('\n'))));
    const QByteArray sms = QFile::encodeName(dbs.messages.path);
    const QByteArray book = QFile::encodeName(dbs.addressBook.path);
    QCOMPARE(messageDbKind(sms), QLatin1String(legacy ? "legacy" : "current"));
    QCOMPARE(addressBookKind(book), QLatin1String(legacy ? "legacy" : "current"));
    const auto sameAnswers = [](const QByteArray& read, const QByteArray& original, const QList<const char*>& queries) {
        for (const char* query : queries) {
            const QString answer = cell(read, query);
            QVERIFY2(answer != QLatin1String("<error>"), query);
            QCOMPARE(answer, cell(original, query));
        }
    };
    sameAnswers(
        sms, madeSms,
        {"SELECT count(*) FROM message", "SELECT sum(length(text)) FROM message", "SELECT max(date) FROM message"});
    if (QTest::currentTestFailed())
        return;
    sameAnswers(book, madeBook, {"SELECT count(*) FROM ABPerson", "SELECT count(*) FROM ABMultiValue"});
    if (QTest::currentTestFailed())
        return;
    QVERIFY(cell(sms, "SELECT count(*) FROM message").toInt() > 1000);
}

void SimPhoneTest::encryptedBackupUpdatesInPlace()
{
    // The phone says that it encrypts, as soon as it does.
    QTRY_VERIFY_WITH_TIMEOUT(linkUp && m_link.device.load(), 20000);
    QVERIFY(!deviceEncryptsBackups(&m_link));
    qputenv("MSGDESK_SIM_BACKUP_PASSWORD", "secret");
    QVERIFY(deviceEncryptsBackups(&m_link));
    QVERIFY(!deviceEncryptsBackups(nullptr));

    const QByteArray id = "e0c0ded0e0c0ded0e0c0ded0e0c0ded0e0c0ded0";
    qputenv("MSGDESK_SIM_BACKUP_LAYOUT", "manifest");
    QString message;
    QVERIFY2(backUpFolder(id, &message), qPrintable(message));
    const QString marker = folder(id) + QStringLiteral("/kept-by-the-user");
    QFile markerFile(marker);
    QVERIFY(markerFile.open(QIODevice::WriteOnly));
    markerFile.close();

    // The same folder again, now from the current phone: replaced, not started afresh.
    qunsetenv("MSGDESK_SIM_PHONE");
    QVERIFY2(backUpFolder(id, &message), qPrintable(message));
    QVERIFY(QFile::exists(marker));
    phonebackup::PhoneBackup::forgetKeys();
    phonebackup::PhoneBackup backup(folder(id), m_dir.path());
    QVERIFY2(backup.isValid(), qPrintable(backup.errorString()));
    QVERIFY(backup.needsPassword());
    QCOMPARE(backup.unlock("secret"), phonebackup::UnlockResult::Unlocked);
    const phonebackup::PhoneDatabases dbs = backup.phoneDatabases();
    QVERIFY2(dbs.error.isEmpty(), qPrintable(dbs.error));
    QCOMPARE(messageDbKind(QFile::encodeName(dbs.messages.path)), QStringLiteral("current"));
    QCOMPARE(addressBookKind(QFile::encodeName(dbs.addressBook.path)), QStringLiteral("current"));

    // The phone keeps its keys: a run of the same phone stopped between
    // files leaves a backup that the earlier catalogue still opens whole.
    const QByteArray bagUuid = backup.keyBag()->uuid;
    const QString gate = m_dir.filePath(QStringLiteral("encrypted-gate"));
    QFile gateFile(gate);
    QVERIFY(gateFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    gateFile.write("3");
    gateFile.close();
    qputenv("MSGDESK_SIM_BACKUP_GATE", QFile::encodeName(gate));
    BackupRun run;
    run.setToolsFolder(QStringLiteral(MSGDESK_SIMPHONE_DIR));
    run.setBackupRoot(root());
    QStringList lines;
    connect(&run, &BackupRun::output, this, [&lines](const QString& line) { lines.append(line); });
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(id));
    QTRY_VERIFY_WITH_TIMEOUT(
        !lines.isEmpty() && lines.constLast().startsWith(QLatin1String("Paused before step 4 of ")), 60000);
    QVERIFY(lines.contains(QStringLiteral("Receiving file 2 of %1: Library/SMS/sms.db")
                               .arg(lines.constLast().section(QLatin1Char(' '), -1).toInt() - 1)));
    run.cancel();
    QVERIFY(done.wait(60000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    qunsetenv("MSGDESK_SIM_BACKUP_GATE");
    phonebackup::PhoneBackup::forgetKeys();
    {
        phonebackup::PhoneBackup stopped(folder(id), m_dir.path());
        QCOMPARE(stopped.keyBag()->uuid, bagUuid);
        QCOMPARE(stopped.unlock("secret"), phonebackup::UnlockResult::Unlocked);
        const phonebackup::PhoneDatabases read = stopped.phoneDatabases();
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(messageDbKind(QFile::encodeName(read.messages.path)), QStringLiteral("current"));
        QCOMPARE(addressBookKind(QFile::encodeName(read.addressBook.path)), QStringLiteral("current"));
    }

    // A new password cannot open the old keys: the phone makes new ones.
    qputenv("MSGDESK_SIM_BACKUP_PASSWORD", "changed");
    QVERIFY2(backUpFolder(id, &message), qPrintable(message));
    phonebackup::PhoneBackup::forgetKeys();
    phonebackup::PhoneBackup renewed(folder(id), m_dir.path());
    QVERIFY(renewed.keyBag()->uuid != bagUuid);
    QCOMPARE(renewed.unlock("secret"), phonebackup::UnlockResult::WrongPassword);
    QCOMPARE(renewed.unlock("changed"), phonebackup::UnlockResult::Unlocked);
    QVERIFY2(renewed.phoneDatabases().error.isEmpty(), qPrintable(renewed.phoneDatabases().error));
    QCOMPARE(messageDbKind(QFile::encodeName(renewed.phoneDatabases().messages.path)), QStringLiteral("current"));
}

void SimPhoneTest::refusedSettings_data()
{
    QTest::addColumn<QByteArray>("layout");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("rounds");
    QTest::addColumn<QString>("said");
    QTest::newRow("unknown layout") << QByteArray("itunes") << QByteArray() << QByteArray()
                                    << QStringLiteral("Unknown backup layout \"itunes\"");
    QTest::newRow("encrypted description files")
        << QByteArray("mdinfo") << QByteArray("secret") << QByteArray()
        << QStringLiteral("Backups of description and data files cannot be encrypted");
    QTest::newRow("no rounds") << QByteArray("manifest") << QByteArray("secret") << QByteArray("0")
                               << QStringLiteral("Not a number of rounds: \"0\"");
    QTest::newRow("rounds not a number") << QByteArray("manifest") << QByteArray("secret") << QByteArray("many")
                                         << QStringLiteral("Not a number of rounds: \"many\"");
}

void SimPhoneTest::refusedSettings()
{
    QFETCH(QByteArray, layout);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, rounds);
    QFETCH(QString, said);
    qputenv("MSGDESK_SIM_BACKUP_LAYOUT", layout);
    if (!password.isEmpty())
        qputenv("MSGDESK_SIM_BACKUP_PASSWORD", password);
    if (!rounds.isEmpty())
        qputenv("MSGDESK_SIM_BACKUP_ROUNDS", rounds);
    const QByteArray id = QCryptographicHash::hash(QTest::currentDataTag(), QCryptographicHash::Sha1).toHex();

    BackupRun run;
    run.setToolsFolder(QStringLiteral(MSGDESK_SIMPHONE_DIR));
    run.setBackupRoot(root());
    QStringList lines;
    connect(&run, &BackupRun::output, this, [&lines](const QString& line) { lines.append(line); });
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(id));
    QVERIFY(done.wait(60000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QVERIFY2(lines.contains(QStringLiteral("ERROR: ") + said), qPrintable(lines.join(QLatin1Char('\n'))));
    // Nothing was written for a run that never began.
    QVERIFY(!QFileInfo::exists(folder(id)));
}

QTEST_GUILESS_MAIN(SimPhoneTest)
#include "tst_simphone.moc"
