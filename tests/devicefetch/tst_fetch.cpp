// Locating the phone's databases in both backup layouts, removing folders,
// and running the backup tool without blocking: success, failure, a missing
// tool, cancellation, and the rule that an existing backup is never removed.

#include "BackupBuilder.h"
#include "BackupRun.h"
#include "DeviceFetch.h"
#include "DeviceLink.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <sys/stat.h>

namespace {

const char* const kId = "0f3c2a9b8d7e6f5a4b3c2d1e0f9a8b7c6d5e4f3a";

bool writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray description(const char* path)
{
    return QByteArray("<plist><dict><key>Domain</key><string>HomeDomain</string><key>Path</key><string>") + path +
           "</string></dict></plist>";
}

// One description/data pair named `name` in `folder`.
void addPair(const QString& folder, const QString& name, const char* phonePath, bool withData = true)
{
    QVERIFY(writeFile(folder + QLatin1Char('/') + name + QStringLiteral(".mdinfo"), description(phonePath)));
    if (withData)
        QVERIFY(writeFile(folder + QLatin1Char('/') + name + QStringLiteral(".mddata"), "SQLite format 3"));
}

int sql(const QString& path, const char* statement)
{
    sqlite3* db = nullptr;
    int rc = sqlite3_open(QFile::encodeName(path).constData(), &db);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, statement, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

QString located()
{
    return QString::fromUtf8(locatedDatabasePath());
}

// A tools folder whose backup tool is the given shell script.
QString fakeTools(const QTemporaryDir& dir, const QByteArray& script)
{
    const QString tool = dir.filePath(QStringLiteral("tools/bin/AppleMobileBackup"));
    writeFile(tool, "#!/bin/sh\n" + script);
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return dir.filePath(QStringLiteral("tools"));
}

} // namespace

class FetchTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void descriptionFilesGiveTheirDataFiles();
    void severalMatchesTakeTheFirstInNameOrder();
    void noMatchLeavesThePathEmpty();
    void descriptionWithoutDataFileIsPassedOver();
    void longPathsAreKeptWhole();
    void manifestLayout();
    void manifestWithFlatDataFiles();
    void brokenManifestFallsBackToDescriptions();
    void unusableIdentifiersAreRefused_data();
    void unusableIdentifiersAreRefused();
    void backupRootIsUnderTheDataFolder();
    void everyLayoutByDomainAndPath_data();
    void everyLayoutByDomainAndPath();
    void refusedLookupClearsTheEarlierResult();
    void fileIdsOutsideTheFolderAreRefused();
    void linksAndSpecialFilesAreNotLocated();
    void readingLeavesTheFolderAsItWas();
    void listedButMissingIsSaid();
    void encryptedBackupOnceUnlocked();

    void removeFolderTree();

    void runNeedsALinkedPhone();
    void missingToolNamesThePackages();
    void simulatedPhoneBackupSucceeds();
    void simulatedPhoneManifestBackup();
    void failedBackupIsReportedWithItsReason();
    void cancelledBackupKeepsThePreviousOne();
    void existingBackupIsNeverRemoved();
    void progressLinesAreSplit();

private:
    QString folder() const { return m_dir.filePath(QStringLiteral("Backup/") + QLatin1String(kId)); }
    QString root() const { return m_dir.filePath(QStringLiteral("Backup")); }

    QTemporaryDir m_dir;
};

void FetchTest::init()
{
    QVERIFY(m_dir.isValid());
    QDir(root()).removeRecursively();
    QVERIFY(QDir().mkpath(folder()));
    linkUp = true;
    backupDone = false;
}

void FetchTest::cleanup()
{
    for (const char* name : {"MSGDESK_SIM_BACKUP_FAIL", "MSGDESK_SIM_BACKUP_MS", "MSGDESK_SIM_BACKUP_LAYOUT"})
        qunsetenv(name);
}

void FetchTest::descriptionFilesGiveTheirDataFiles()
{
    addPair(folder(), QStringLiteral("1a2b"), "Library/Notes/notes.sqlite");
    addPair(folder(), QStringLiteral("3c4d"), "Library/SMS/sms.db");
    addPair(folder(), QStringLiteral("5e6f"), "Library/AddressBook/AddressBookImages.sqlitedb");
    addPair(folder(), QStringLiteral("7a8b"), "Library/AddressBook/AddressBook.sqlitedb");

    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(located(), folder() + QStringLiteral("/3c4d.mddata"));
    QVERIFY(locateBackupDatabase(kId, "AddressBook.sqlitedb", root()));
    QCOMPARE(located(), folder() + QStringLiteral("/7a8b.mddata"));
    // A root given with its trailing separator gives the same path.
    QVERIFY(locateBackupDatabase(kId, "sms.db", root() + QLatin1Char('/')));
    QCOMPARE(located(), folder() + QStringLiteral("/3c4d.mddata"));
}

void FetchTest::severalMatchesTakeTheFirstInNameOrder()
{
    addPair(folder(), QStringLiteral("f0"), "Library/SMS/sms.db");
    addPair(folder(), QStringLiteral("b0"), "Library/SMS/sms.db");
    addPair(folder(), QStringLiteral("d0"), "Library/SMS/sms.db");
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    // One whole path that can be opened, never several names run together.
    QCOMPARE(located(), folder() + QStringLiteral("/b0.mddata"));
    QVERIFY(QFileInfo(located()).isFile());
}

void FetchTest::noMatchLeavesThePathEmpty()
{
    addPair(folder(), QStringLiteral("aa"), "Library/SMS/sms.db");
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QVERIFY(!located().isEmpty());
    // A later lookup that finds nothing does not leave the earlier path behind.
    QVERIFY(locateBackupDatabase(kId, "AddressBook.sqlitedb", root()));
    QCOMPARE(located(), QString());
    // No backup folder at all.
    QVERIFY(locateBackupDatabase("ffffffffffffffffffffffffffffffffffffffff", "sms.db", root()));
    QCOMPARE(located(), QString());
}

void FetchTest::descriptionWithoutDataFileIsPassedOver()
{
    addPair(folder(), QStringLiteral("a1"), "Library/SMS/sms.db", false);
    addPair(folder(), QStringLiteral("c1"), "Library/SMS/sms.db");
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(located(), folder() + QStringLiteral("/c1.mddata"));
    QVERIFY(!QFile::exists(folder() + QStringLiteral("/a1.mddata")));
}

void FetchTest::longPathsAreKeptWhole()
{
    QString deep = m_dir.path();
    for (int i = 0; i < 8; ++i)
        deep += QLatin1Char('/') + QString(60, QLatin1Char('a' + i));
    deep += QStringLiteral("/数据 Backup");
    const QString phone = deep + QLatin1Char('/') + QLatin1String(kId);
    addPair(phone, QString(40, QLatin1Char('e')), "Library/SMS/sms.db");
    QVERIFY(locateBackupDatabase(kId, "sms.db", deep));
    QVERIFY(locatedDatabasePath().size() > 499);
    QCOMPARE(located(), phone + QLatin1Char('/') + QString(40, QLatin1Char('e')) + QStringLiteral(".mddata"));
    QVERIFY(QFileInfo(located()).isFile());
}

void FetchTest::manifestLayout()
{
    const QString manifest = folder() + QStringLiteral("/Manifest.db");
    QCOMPARE(sql(manifest, "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, "
                           "flags INTEGER, file BLOB);"
                           "INSERT INTO Files VALUES ('3d0d7e5fb2ce288813306e4d4636395e047a3d28', 'HomeDomain', "
                           "'Library/SMS/sms.db', 1, NULL);"
                           "INSERT INTO Files VALUES ('aaaa0000', 'HomeDomain', 'Library/SMS/sms.db-wal', 1, NULL);"
                           "INSERT INTO Files VALUES ('bbbb0000', 'AppDomain-x', "
                           "'Library/AddressBook/AddressBook.sqlitedb', 1, NULL);"
                           "INSERT INTO Files VALUES ('31bb7ba8914766d4ba40d6dfb6113c8b614be442', 'HomeDomain', "
                           "'Library/AddressBook/AddressBook.sqlitedb', 1, NULL);"),
             SQLITE_OK);
    const QString sms = folder() + QStringLiteral("/3d/3d0d7e5fb2ce288813306e4d4636395e047a3d28");
    const QString book = folder() + QStringLiteral("/31/31bb7ba8914766d4ba40d6dfb6113c8b614be442");
    QVERIFY(writeFile(sms, "SQLite format 3"));
    QVERIFY(writeFile(book, "SQLite format 3"));
    QVERIFY(writeFile(folder() + QStringLiteral("/aa/aaaa0000"), "wal"));
    QVERIFY(writeFile(folder() + QStringLiteral("/bb/bbbb0000"), "other domain"));

    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(located(), sms);
    QVERIFY(locateBackupDatabase(kId, "AddressBook.sqlitedb", root()));
    QCOMPARE(located(), book);
}

void FetchTest::manifestWithFlatDataFiles()
{
    QCOMPARE(sql(folder() + QStringLiteral("/Manifest.db"),
                 "CREATE TABLE Files (fileID TEXT, domain TEXT, relativePath TEXT);"
                 "INSERT INTO Files VALUES ('3d0d7e5fb2ce288813306e4d4636395e047a3d28', 'HomeDomain', "
                 "'Library/SMS/sms.db');"),
             SQLITE_OK);
    QVERIFY(writeFile(folder() + QStringLiteral("/3d0d7e5fb2ce288813306e4d4636395e047a3d28"), "SQLite format 3"));
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(located(), folder() + QStringLiteral("/3d0d7e5fb2ce288813306e4d4636395e047a3d28"));
    // Listed but not present: nothing is made up.
    QVERIFY(locateBackupDatabase(kId, "AddressBook.sqlitedb", root()));
    QCOMPARE(located(), QString());
}

void FetchTest::brokenManifestFallsBackToDescriptions()
{
    QVERIFY(writeFile(folder() + QStringLiteral("/Manifest.db"), QByteArray(4096, '\x5A')));
    addPair(folder(), QStringLiteral("99"), "Library/SMS/sms.db");
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(located(), folder() + QStringLiteral("/99.mddata"));

    // A real database without the file table is no better.
    QFile::remove(folder() + QStringLiteral("/Manifest.db"));
    QCOMPARE(sql(folder() + QStringLiteral("/Manifest.db"), "CREATE TABLE Other (x);"), SQLITE_OK);
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(located(), folder() + QStringLiteral("/99.mddata"));
}

void FetchTest::unusableIdentifiersAreRefused_data()
{
    QTest::addColumn<QByteArray>("identifier");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("dot") << QByteArray(".");
    QTest::newRow("parent") << QByteArray("..");
    QTest::newRow("path") << QByteArray("../Backup");
    QTest::newRow("slash") << QByteArray("a/b");
    QTest::newRow("backslash") << QByteArray("..\\Backup");
}

void FetchTest::unusableIdentifiersAreRefused()
{
    QFETCH(QByteArray, identifier);
    addPair(folder(), QStringLiteral("aa"), "Library/SMS/sms.db");
    // Backups beside the phone's folder that a bad identifier could reach.
    addPair(root(), QStringLiteral("bb"), "Library/SMS/sms.db");
    addPair(m_dir.path(), QStringLiteral("cc"), "Library/SMS/sms.db");
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QVERIFY(!located().isEmpty());
    QVERIFY(!locateBackupDatabase(identifier.constData(), "sms.db", root()));
    QCOMPARE(located(), QString());
    QVERIFY(!locateBackupDatabase(nullptr, "sms.db", root()));
    QVERIFY(!locateBackupDatabase(kId, nullptr, root()));
}

void FetchTest::backupRootIsUnderTheDataFolder()
{
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_DATA_HOME");
    QCOMPARE(defaultBackupRoot(), home.path() + QStringLiteral("/.local/share/Apple Computer/MobileSync/Backup/"));
    qputenv("HOME", oldHome);
    if (!oldData.isNull())
        qputenv("XDG_DATA_HOME", oldData);
}

namespace {

const QString kHome = QStringLiteral("HomeDomain");
const QString kSms = QStringLiteral("Library/SMS/sms.db");
const QString kBook = QStringLiteral("Library/AddressBook/AddressBook.sqlitedb");

QList<backupbuilder::PhoneFile> phoneFiles()
{
    return {{kHome, QStringLiteral("Library/SMS/sms.db-journal"), "journal"},
            {kHome, kSms, "SQLite format 3 messages"},
            {kHome, kSms + QStringLiteral("-wal"), "log with content"},
            {kHome, kBook, "SQLite format 3 book"}};
}

QByteArray digestOf(const QString& folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(it.next());
    names.sort();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString& name : names) {
        hash.addData(name.toUtf8());
        QFile file(name);
        if (QFileInfo(name).isFile() && file.open(QIODevice::ReadOnly))
            hash.addData(file.readAll());
    }
    return hash.result().toHex();
}

} // namespace

void FetchTest::everyLayoutByDomainAndPath_data()
{
    QTest::addColumn<int>("layout");
    QTest::newRow("description files") << int(backupbuilder::Layout::DescriptionFiles);
    QTest::newRow("Manifest.mbdb") << int(backupbuilder::Layout::ManifestMbdb);
    QTest::newRow("Manifest.db") << int(backupbuilder::Layout::ManifestDb);
}

void FetchTest::everyLayoutByDomainAndPath()
{
    QFETCH(int, layout);
    backupbuilder::Options options;
    options.layout = backupbuilder::Layout(layout);
    QString error;
    QVERIFY2(backupbuilder::writeBackup(folder(), phoneFiles(), options, &error), qPrintable(error));
    const QString canonical = QFileInfo(folder()).canonicalFilePath();
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(located(), backupbuilder::dataPath(options.layout, canonical, kHome, kSms));
    QCOMPARE(locatedDatabase().walPath,
             backupbuilder::dataPath(options.layout, canonical, kHome, kSms + QStringLiteral("-wal")));
    QVERIFY(locateBackupDatabase(kId, "AddressBook.sqlitedb", root()));
    QCOMPARE(located(), backupbuilder::dataPath(options.layout, canonical, kHome, kBook));
    QVERIFY(locatedDatabase().walPath.isEmpty());
    // Names other than the phone's two databases are not looked for.
    QVERIFY(locateBackupDatabase(kId, "notes.sqlite", root()));
    QCOMPARE(located(), QString());
}

void FetchTest::refusedLookupClearsTheEarlierResult()
{
    QVERIFY(backupbuilder::writeBackup(folder(), phoneFiles(), {}));
    for (const char* bad : {"..", ".", "", "a/b"}) {
        QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
        QVERIFY(!located().isEmpty());
        QVERIFY(!locatedDatabase().walPath.isEmpty());
        QVERIFY(!locateBackupDatabase(bad, "sms.db", root()));
        QCOMPARE(located(), QString());
        QVERIFY(locatedDatabase().isEmpty());
        QVERIFY(locatedDatabase().walPath.isEmpty());
    }
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QVERIFY(!locateBackupDatabase(kId, nullptr, root()));
    QCOMPARE(located(), QString());
}

void FetchTest::fileIdsOutsideTheFolderAreRefused()
{
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("x")), "SQLite format 3 of another folder"));
    QVERIFY(writeFile(root() + QStringLiteral("/x"), "SQLite format 3 of another phone"));
    QCOMPARE(sql(folder() + QStringLiteral("/Manifest.db"),
                 "CREATE TABLE Files (fileID TEXT, domain TEXT, relativePath TEXT, flags INTEGER, file BLOB);"
                 "INSERT INTO Files VALUES ('../x', 'HomeDomain', 'Library/SMS/sms.db', 1, NULL);"
                 "INSERT INTO Files VALUES ('..', 'HomeDomain', 'Library/SMS/sms.db', 1, NULL);"
                 "INSERT INTO Files VALUES ('...', 'HomeDomain', 'Library/AddressBook/AddressBook.sqlitedb', 1, "
                 "NULL);"),
             SQLITE_OK);
    QVERIFY(writeFile(folder() + QStringLiteral("/../x"), "SQLite format 3"));
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(located(), QString());
    QVERIFY(locateError().contains(QStringLiteral("invalid file name")));
    QVERIFY(locateBackupDatabase(kId, "AddressBook.sqlitedb", root()));
    QCOMPARE(located(), QString());
}

void FetchTest::linksAndSpecialFilesAreNotLocated()
{
    QVERIFY(backupbuilder::writeBackup(folder(), phoneFiles(), {}));
    const QString sms = backupbuilder::dataPath(backupbuilder::Layout::ManifestDb, folder(), kHome, kSms);
    const QString elsewhere = m_dir.filePath(QStringLiteral("elsewhere.db"));
    QVERIFY(writeFile(elsewhere, "SQLite format 3 of someone else"));
    QVERIFY(QFile::remove(sms));
    QVERIFY(QFile::link(elsewhere, sms));
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(located(), QString());
    QVERIFY(locateError().contains(QStringLiteral("leads out of the backup folder")));

    // A FIFO in place of the database: the lookup neither blocks nor takes it.
    QVERIFY(QFile::remove(sms));
    QCOMPARE(::mkfifo(QFile::encodeName(sms).constData(), 0600), 0);
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(located(), QString());
    QVERIFY(locateError().contains(QStringLiteral("not a regular file")));

    // Description files that are FIFOs are passed over.
    QDir(folder()).removeRecursively();
    addPair(folder(), QStringLiteral("b1"), "Library/SMS/sms.db");
    QCOMPARE(::mkfifo(QFile::encodeName(folder() + QStringLiteral("/a1.mdinfo")).constData(), 0600), 0);
    QCOMPARE(::mkfifo(QFile::encodeName(folder() + QStringLiteral("/a1.mddata")).constData(), 0600), 0);
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(located(), folder() + QStringLiteral("/b1.mddata"));
}

void FetchTest::readingLeavesTheFolderAsItWas()
{
    QVERIFY(backupbuilder::writeBackup(folder(), phoneFiles(), {}));
    const QByteArray before = digestOf(folder());
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QVERIFY(locateBackupDatabase(kId, "AddressBook.sqlitedb", root()));
    QVERIFY(!located().isEmpty());
    QCOMPARE(digestOf(folder()), before);
    QVERIFY(!QFile::exists(folder() + QStringLiteral("/Manifest.db-shm")));
    QVERIFY(!QFile::exists(folder() + QStringLiteral("/Manifest.db-wal")));
}

void FetchTest::listedButMissingIsSaid()
{
    QVERIFY(backupbuilder::writeBackup(folder(), phoneFiles(), {}));
    QVERIFY(QFile::remove(backupbuilder::dataPath(backupbuilder::Layout::ManifestDb, folder(), kHome, kSms)));
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(located(), QString());
    QCOMPARE(locateError(),
             QStringLiteral("This backup is incomplete: it lists Library/SMS/sms.db, but the file is missing."));
    QVERIFY(locateBackupDatabase(kId, "AddressBook.sqlitedb", root()));
    QVERIFY(!located().isEmpty());
    QCOMPARE(locateError(), QString());
}

void FetchTest::encryptedBackupOnceUnlocked()
{
    backupbuilder::Options options;
    options.encrypted = true;
    options.password = "pass";
    QVERIFY(backupbuilder::writeBackup(folder(), phoneFiles(), options));
    phonebackup::PhoneBackup::forgetKeys();
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(located(), QString());
    QCOMPARE(locateError(), QStringLiteral("This backup is encrypted: its password is needed."));

    {
        phonebackup::PhoneBackup backup(folder());
        QCOMPARE(backup.unlock("pass"), phonebackup::UnlockResult::Unlocked);
    }
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    const QString first = located();
    QVERIFY(!first.isEmpty());
    QVERIFY(!first.startsWith(folder()));
    QCOMPARE(QFile(first).size(), qint64(strlen("SQLite format 3 messages")));
    QVERIFY(QFile::exists(locatedDatabase().walPath));
    QVERIFY(locateBackupDatabase(kId, "AddressBook.sqlitedb", root()));
    // The message database's copy lasts until it is looked up again.
    QVERIFY(QFile::exists(first));
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QVERIFY(!QFile::exists(first));
    QVERIFY(QFile::exists(located()));
    phonebackup::PhoneBackup::forgetKeys();
}

void FetchTest::removeFolderTree()
{
    const QString top = m_dir.filePath(QStringLiteral("tree"));
    QVERIFY(writeFile(top + QStringLiteral("/a/b/c/file.txt"), "x"));
    QVERIFY(writeFile(top + QStringLiteral("/a/.hidden"), "x"));
    QVERIFY(writeFile(top + QStringLiteral("/top.txt"), "x"));
    QVERIFY(QDir().mkpath(top + QStringLiteral("/empty")));
    // A link to a folder outside: the link goes, the folder it names stays.
    const QString outside = m_dir.filePath(QStringLiteral("outside"));
    QVERIFY(writeFile(outside + QStringLiteral("/keep.txt"), "keep"));
    QVERIFY(QFile::link(outside, top + QStringLiteral("/link")));

    QVERIFY(::removeFolderTree(top));
    QVERIFY(!QFileInfo::exists(top));
    QVERIFY(QFile::exists(outside + QStringLiteral("/keep.txt")));
    QVERIFY(!::removeFolderTree(top));
}

void FetchTest::runNeedsALinkedPhone()
{
    BackupRun run;
    DeviceLink link;
    linkUp = false;
    QVERIFY(!runDeviceBackup(&link, &run));
    QVERIFY(!run.isRunning());
    QVERIFY(!runDeviceBackup(&link, nullptr));
    // Unusable identifiers never reach the tool.
    QVERIFY(!run.start(QByteArray()));
    QVERIFY(!run.start("../x"));
}

void FetchTest::missingToolNamesThePackages()
{
    BackupRun run;
    run.setToolsFolder(m_dir.filePath(QStringLiteral("nothing-here")));
    run.setBackupRoot(root());
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(kId));
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    const QString message = done.at(0).at(1).toString();
    QVERIFY2(message.contains(QStringLiteral("libimobiledevice-utils")), qPrintable(message));
    QVERIFY(message.contains(QStringLiteral("usbmuxd")));
    QVERIFY(!isBackupDone());
    QVERIFY(!run.isRunning());
}

void FetchTest::simulatedPhoneBackupSucceeds()
{
    qputenv("MSGDESK_SIM_BACKUP_MS", "0");
    qputenv("MSGDESK_SIM_BACKUP_LAYOUT", "mdinfo");
    BackupRun run;
    run.setToolsFolder(QStringLiteral(MSGDESK_SIMPHONE_DIR));
    run.setBackupRoot(root());
    QCOMPARE(run.toolPath(), QStringLiteral(MSGDESK_SIMPHONE_DIR "/bin/AppleMobileBackup"));
    QSignalSpy lines(&run, &BackupRun::output);
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(kId));
    QVERIFY(run.isRunning());
    QVERIFY(!run.start(kId));
    QVERIFY(done.wait(30000));
    QCOMPARE(done.at(0).at(0).toBool(), true);
    QCOMPARE(done.at(0).at(1).toString(), QString());
    QVERIFY(isBackupDone());
    QVERIFY(lines.count() >= 3);
    QVERIFY(lines.constLast().at(0).toString().startsWith(QStringLiteral("Backup finished")));

    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QVERIFY(located().endsWith(QStringLiteral(".mddata")));
    QVERIFY(QFileInfo(located()).size() > 100000);
    QVERIFY(locateBackupDatabase(kId, "AddressBook.sqlitedb", root()));
    QVERIFY(located().endsWith(QStringLiteral(".mddata")));
    QVERIFY(QFileInfo(located()).size() > 10000);
}

void FetchTest::simulatedPhoneManifestBackup()
{
    qputenv("MSGDESK_SIM_BACKUP_MS", "0");
    qputenv("MSGDESK_SIM_BACKUP_LAYOUT", "manifest");
    BackupRun run;
    run.setToolsFolder(QStringLiteral(MSGDESK_SIMPHONE_DIR));
    run.setBackupRoot(root());
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(kId));
    QVERIFY(done.wait(30000));
    QCOMPARE(done.at(0).at(0).toBool(), true);
    QVERIFY(QFile::exists(folder() + QStringLiteral("/Manifest.db")));
    QVERIFY(locateBackupDatabase(kId, "sms.db", root()));
    QCOMPARE(QFileInfo(located()).fileName().size(), 40);
    QVERIFY(QFileInfo(located()).size() > 100000);
    QVERIFY(locateBackupDatabase(kId, "AddressBook.sqlitedb", root()));
    QVERIFY(QFileInfo(located()).size() > 10000);
}

void FetchTest::failedBackupIsReportedWithItsReason()
{
    qputenv("MSGDESK_SIM_BACKUP_FAIL", "1");
    BackupRun run;
    run.setToolsFolder(QStringLiteral(MSGDESK_SIMPHONE_DIR));
    run.setBackupRoot(root());
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(kId));
    QVERIFY(done.wait(30000));
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.at(0).at(0).toBool(), false);
    const QString message = done.at(0).at(1).toString();
    QVERIFY2(message.contains(QStringLiteral("status 1")), qPrintable(message));
    QVERIFY(message.contains(QStringLiteral("Could not start the backup service")));
    QVERIFY(!isBackupDone());
    // The run can be tried again.
    QVERIFY(!run.isRunning());
}

void FetchTest::cancelledBackupKeepsThePreviousOne()
{
    const QString earlier = folder() + QStringLiteral("/earlier.mddata");
    QVERIFY(writeFile(earlier, "previous backup"));
    QTemporaryDir tools;
    // A long backup that reports progress, like the real tool.
    const QString toolsFolder = fakeTools(tools, "echo started\nwhile true; do echo working; sleep 0.2; done\n");
    BackupRun run;
    run.setToolsFolder(toolsFolder);
    run.setBackupRoot(root());
    QSignalSpy lines(&run, &BackupRun::output);
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(kId));
    QVERIFY(lines.wait(10000));
    run.cancel();
    QVERIFY(done.wait(10000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QVERIFY(done.at(0).at(1).toString().contains(QStringLiteral("cancelled")));
    QVERIFY(!isBackupDone());
    QVERIFY(QFile::exists(earlier));
}

void FetchTest::existingBackupIsNeverRemoved()
{
    const QString earlier = folder() + QStringLiteral("/earlier.mddata");
    QVERIFY(writeFile(earlier, "previous backup"));
    QTemporaryDir tools;
    // The tool sees the backup root and the identifier it was given, and the
    // earlier backup still in place.
    const QString toolsFolder = fakeTools(tools, "test \"$1 $2\" = \"--backup --target\" || exit 9\n"
                                                 "test -f \"$MSGDESK_BACKUP_ROOT/$3/earlier.mddata\" || exit 8\n"
                                                 "echo updated > \"$MSGDESK_BACKUP_ROOT/$3/new.mddata\"\n");
    BackupRun run;
    run.setToolsFolder(toolsFolder + QLatin1Char('/'));
    run.setBackupRoot(root());
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(kId));
    QVERIFY(done.wait(10000));
    QVERIFY2(done.at(0).at(0).toBool(), qPrintable(done.at(0).at(1).toString()));
    QVERIFY(isBackupDone());
    QVERIFY(QFile::exists(earlier));
    QVERIFY(QFile::exists(folder() + QStringLiteral("/new.mddata")));

    // A failing tool leaves it in place too, and is not taken as done.
    backupDone = false;
    QTemporaryDir failing;
    run.setToolsFolder(fakeTools(failing, "echo 'ERROR: device locked'\nexit 4\n"));
    QVERIFY(run.start(kId));
    QVERIFY(done.wait(10000));
    QCOMPARE(done.at(1).at(0).toBool(), false);
    QVERIFY(done.at(1).at(1).toString().contains(QStringLiteral("ERROR: device locked")));
    QVERIFY(!isBackupDone());
    QVERIFY(QFile::exists(earlier));
}

void FetchTest::progressLinesAreSplit()
{
    QTemporaryDir tools;
    const QString toolsFolder = fakeTools(tools, "printf '[==  ] 10%%\\r[=== ] 50%%\\r[====] 100%%\\n'\n"
                                                 "printf 'no line end'\n");
    BackupRun run;
    run.setToolsFolder(toolsFolder);
    run.setBackupRoot(root());
    QSignalSpy lines(&run, &BackupRun::output);
    QSignalSpy done(&run, &BackupRun::finished);
    linkUp = false; // a phone removed meanwhile: success is not a done backup
    QVERIFY(run.start(kId));
    QVERIFY(done.wait(10000));
    QCOMPARE(done.at(0).at(0).toBool(), true);
    QVERIFY(!isBackupDone());
    QStringList got;
    for (const QList<QVariant>& line : std::as_const(lines))
        got.append(line.at(0).toString());
    QCOMPARE(got, (QStringList{QStringLiteral("[==  ] 10%"), QStringLiteral("[=== ] 50%"),
                               QStringLiteral("[====] 100%"), QStringLiteral("no line end")}));
}

QTEST_GUILESS_MAIN(FetchTest)
#include "tst_fetch.moc"
