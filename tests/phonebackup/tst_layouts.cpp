// Unencrypted phone backups in the three layouts, built by the fixture
// builder: what a folder says about itself, where its databases and their
// logs lie, and the rules of the lookup (by domain and path only; a regular
// file inside the folder only; never blocking; the folder left byte for
// byte as it was). Damaged catalogues and lists, incomplete backups, the
// finder of backups, and random folders through the fuzz entry.

#include "BackupBuilder.h"
#include "BackupTestSupport.h"
#include "FuzzEntries.h"
#include "MbdbCatalogue.h"
#include "PhoneBackup.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace phonebackup;
using namespace testsupport;
using backupbuilder::Layout;

Q_DECLARE_METATYPE(backupbuilder::Layout)

namespace {

const char* const kId = "00008110000a1b2c3d4e5f60";

QString layoutText(Layout layout)
{
    switch (layout) {
    case Layout::DescriptionFiles:
        return QStringLiteral("description files");
    case Layout::ManifestMbdb:
        return QStringLiteral("Manifest.mbdb");
    case Layout::ManifestDb:
        break;
    }
    return QStringLiteral("Manifest.db");
}

BackupLayout expectedLayout(Layout layout)
{
    switch (layout) {
    case Layout::DescriptionFiles:
        return BackupLayout::DescriptionFiles;
    case Layout::ManifestMbdb:
        return BackupLayout::ManifestMbdb;
    case Layout::ManifestDb:
        break;
    }
    return BackupLayout::ManifestDb;
}

void addLayouts()
{
    QTest::addColumn<Layout>("layout");
    for (Layout layout : {Layout::DescriptionFiles, Layout::ManifestMbdb, Layout::ManifestDb})
        QTest::newRow(qPrintable(layoutText(layout))) << layout;
}

// Runs a lookup on another thread; a lookup that blocks fails the test
// instead of hanging it, and is released by opening the FIFOs for writing.
struct LookupThread
{
    PhoneDatabases result;
    QString error;
    bool valid = false;
};

} // namespace

class LayoutsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void threeLayouts_data() { addLayouts(); }
    void threeLayouts();
    void binaryListsReadAlike();
    void journalAndWalAreNeverTheDatabase_data() { addLayouts(); }
    void journalAndWalAreNeverTheDatabase();
    void emptyWalIsLeftOut();
    void notABackup();
    void damagedManifestDb_data();
    void damagedManifestDb();
    void manifestDbWithContentInItsLog();
    void damagedMbdb();
    void mbdbCutsAndRandomBytes();
    void listedButMissing_data() { addLayouts(); }
    void listedButMissing();
    void unfinishedBackupIsReadAndSaidSo();
    void withoutManifestAndStatusLists();
    void lockdownNamesTheDeviceWhenInfoDoesNot();
    void damagedLists_data();
    void damagedLists();
    void fileIdsAreFortyHexDigits_data();
    void fileIdsAreFortyHexDigits();
    void linksAreNotFollowedOutOfTheFolder();
    void specialFilesNeverBlock();
    void findsBackupsInTheUsualPlaces();
    void randomFoldersKeepTheRules();

private:
    QString folder() const { return m_dir.filePath(QStringLiteral("Backup/") + QLatin1String(kId)); }
    void build(Layout layout, const backupbuilder::Options& extra = {}, QList<backupbuilder::PhoneFile> files = {});
    void checkNoBlock(const QString& name, const QStringList& fifos);

    QTemporaryDir m_dir;
    QByteArray m_smsMain;
    QByteArray m_smsWal;
};

void LayoutsTest::init()
{
    QVERIFY(m_dir.isValid());
    QDir(m_dir.path()).removeRecursively();
    QVERIFY(QDir().mkpath(m_dir.path()));
}

void LayoutsTest::build(Layout layout, const backupbuilder::Options& extra, QList<backupbuilder::PhoneFile> files)
{
    backupbuilder::Options options = extra;
    options.layout = layout;
    options.device.lastBackupDate = QDateTime(QDate(2024, 3, 9), QTime(8, 30, 15), Qt::UTC);
    if (files.isEmpty())
        files = samplePhone(&m_smsMain, &m_smsWal);
    QString error;
    QVERIFY2(backupbuilder::writeBackup(folder(), files, options, &error), qPrintable(error));
}

void LayoutsTest::threeLayouts()
{
    QFETCH(Layout, layout);
    build(layout);
    const QByteArray before = folderDigest(folder());

    {
        PhoneBackup backup(folder());
        QVERIFY2(backup.isValid(), qPrintable(backup.errorString()));
        const BackupInfo& info = backup.info();
        QCOMPARE(info.layout, expectedLayout(layout));
        QCOMPARE(layoutName(info.layout), layoutText(layout));
        QCOMPARE(info.deviceName, QStringLiteral("Test iPhone"));
        QCOMPARE(info.productVersion, QStringLiteral("17.2"));
        QCOMPARE(info.serialNumber, QStringLiteral("F2LXK0T3PQ7M"));
        QCOMPARE(info.identifier, QLatin1String(kId));
        QCOMPARE(info.lastBackupDate, QDateTime(QDate(2024, 3, 9), QTime(8, 30, 15), Qt::UTC));
        QVERIFY(!info.encrypted);
        QVERIFY(info.finished);
        QVERIFY(backup.isUnlocked());
        QVERIFY(!backup.needsPassword());

        const PhoneDatabases dbs = backup.phoneDatabases();
        QVERIFY2(dbs.error.isEmpty(), qPrintable(dbs.error));
        QVERIFY2(dbs.warnings.isEmpty(), qPrintable(dbs.warnings.join(QLatin1Char('\n'))));
        const QString canonical = QFileInfo(folder()).canonicalFilePath();
        QCOMPARE(dbs.messages.path, backupbuilder::dataPath(layout, canonical, kHome, kSms));
        QCOMPARE(dbs.messages.walPath,
                 backupbuilder::dataPath(layout, canonical, kHome, kSms + QStringLiteral("-wal")));
        QCOMPARE(dbs.addressBook.path, backupbuilder::dataPath(layout, canonical, kHome, kBook));
        QVERIFY(dbs.addressBook.walPath.isEmpty());
        QCOMPARE(readFile(dbs.messages.path), m_smsMain);

        // The database and its log together hold every row.
        QTemporaryDir copy;
        QVERIFY(QFile::copy(dbs.messages.path, copy.filePath(QStringLiteral("sms.db"))));
        QVERIFY(QFile::copy(dbs.messages.walPath, copy.filePath(QStringLiteral("sms.db-wal"))));
        QCOMPARE(messageRows(copy.filePath(QStringLiteral("sms.db"))), 4);

        // A file that the backup does not hold: nothing, and no error.
        QVERIFY(backup.locateFile(kHome, QStringLiteral("Library/Notes/notes.sqlite")).isEmpty());
        QCOMPARE(backup.lastError(), QString());
        // Another domain's file of the same path is its own.
        QCOMPARE(readFile(backup.locateFile(QStringLiteral("AppDomain-com.example"), kSms)),
                 QByteArray("another app's file of the same path"));
        // A folder or a link entry is never a file to read.
        QVERIFY(backup.locateFile(kHome, QStringLiteral("Library/SMS")).isEmpty());
        QVERIFY(backup.locateFile(kHome, QStringLiteral("Library/Preferences/link.plist")).isEmpty());
        QVERIFY(backup.privateFolderPath().isEmpty());
    }
    QCOMPARE(folderDigest(folder()), before);
}

void LayoutsTest::binaryListsReadAlike()
{
    backupbuilder::Options options;
    options.binaryPlists = true;
    options.snapshotState = QStringLiteral("finished");
    build(Layout::ManifestDb, options);
    QVERIFY(readFile(folder() + QStringLiteral("/Info.plist")).startsWith("bplist00"));
    PhoneBackup backup(folder());
    QVERIFY2(backup.isValid(), qPrintable(backup.errorString()));
    QCOMPARE(backup.info().deviceName, QStringLiteral("Test iPhone"));
    QCOMPARE(backup.info().lastBackupDate, QDateTime(QDate(2024, 3, 9), QTime(8, 30, 15), Qt::UTC));
    QVERIFY(backup.info().finished);
    QVERIFY(!backup.phoneDatabases().messages.isEmpty());
}

void LayoutsTest::journalAndWalAreNeverTheDatabase()
{
    QFETCH(Layout, layout);
    build(layout, {},
          {{kHome, QStringLiteral("Library/SMS/sms.db-journal"), "journal"},
           {kHome, QStringLiteral("Library/SMS/sms.db-wal"), "log"},
           {kHome, QStringLiteral("Library/SMS/sms.dbx"), "near"},
           {kHome, QStringLiteral("Library/SMS/sms_db"), "any character for the dot"},
           {kHome, QStringLiteral("Library/SMS/Xsms.db"), "longer name"},
           {kHome, kBook, "book"}});
    PhoneBackup backup(folder());
    QVERIFY2(backup.isValid(), qPrintable(backup.errorString()));
    const PhoneDatabases dbs = backup.phoneDatabases();
    QVERIFY(dbs.messages.isEmpty());
    QCOMPARE(dbs.error, QStringLiteral("This backup holds no message database (Library/SMS/sms.db)."));
    QVERIFY(backup.locateDatabase(kHome, kSms).isEmpty());
}

void LayoutsTest::emptyWalIsLeftOut()
{
    build(Layout::ManifestDb, {},
          {{kHome, kSms, "SQLite format 3"}, {kHome, kSms + QStringLiteral("-wal"), QByteArray()}});
    PhoneBackup backup(folder());
    const LocatedDatabase db = backup.locateDatabase(kHome, kSms);
    QVERIFY(!db.isEmpty());
    QVERIFY(db.walPath.isEmpty());
}

void LayoutsTest::notABackup()
{
    QVERIFY(writeFile(folder() + QStringLiteral("/notes.txt"), "hello"));
    PhoneBackup plain(folder());
    QVERIFY(!plain.isValid());
    QVERIFY2(plain.errorString().contains(QStringLiteral("is not a phone backup")), qPrintable(plain.errorString()));
    QVERIFY(plain.phoneDatabases().error.contains(QStringLiteral("is not a phone backup")));
    QVERIFY(plain.locateFile(kHome, kSms).isEmpty());
    QCOMPARE(plain.lastError(), plain.errorString());

    PhoneBackup missing(m_dir.filePath(QStringLiteral("nowhere")));
    QVERIFY(!missing.isValid());
    QVERIFY(missing.errorString().contains(QStringLiteral("does not exist")));

    // Lists but no catalogue yet: a backup cut off at its start.
    QVERIFY(writeFile(folder() + QStringLiteral("/Info.plist"),
                      backupbuilder::plistOfStrings({{QStringLiteral("Device Name"), QStringLiteral("P")}})));
    PhoneBackup started(folder());
    QVERIFY(!started.isValid());
    QCOMPARE(started.errorString(), QStringLiteral("This backup is incomplete: it has no catalogue of its files "
                                                   "(Manifest.db or Manifest.mbdb)."));
}

void LayoutsTest::damagedManifestDb_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("truncated") << QStringLiteral("truncated");
    QTest::newRow("not a database") << QStringLiteral("random");
    QTest::newRow("empty file") << QStringLiteral("empty");
    QTest::newRow("no Files table") << QStringLiteral("other table");
    QTest::newRow("no relativePath column") << QStringLiteral("short table");
    QTest::newRow("a folder") << QStringLiteral("folder");
}

void LayoutsTest::damagedManifestDb()
{
    QFETCH(QString, kind);
    build(Layout::ManifestDb);
    const QString manifest = folder() + QStringLiteral("/Manifest.db");
    const QByteArray good = readFile(manifest);
    QFile::remove(manifest);
    if (kind == QLatin1String("truncated")) {
        QVERIFY(writeFile(manifest, good.left(good.size() / 2)));
    } else if (kind == QLatin1String("random")) {
        QByteArray noise(8192, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char(i * 131 + 7);
        QVERIFY(writeFile(manifest, noise));
    } else if (kind == QLatin1String("empty")) {
        QVERIFY(writeFile(manifest, QByteArray()));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(manifest));
    } else {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(manifest).constData(), &db), SQLITE_OK);
        const char* sql =
            kind == QLatin1String("other table") ? "CREATE TABLE Other (x)" : "CREATE TABLE Files (fileID, domain)";
        QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    const QByteArray before = folderDigest(folder());
    {
        PhoneBackup backup(folder());
        const PhoneDatabases dbs = backup.phoneDatabases();
        QVERIFY(dbs.messages.isEmpty());
        QVERIFY2(dbs.error.contains(QStringLiteral("Manifest.db")), qPrintable(dbs.error));
    }
    QCOMPARE(folderDigest(folder()), before);
}

void LayoutsTest::manifestDbWithContentInItsLog()
{
    build(Layout::ManifestDb, {}, {{kHome, QStringLiteral("Library/Notes/notes.sqlite"), "notes"}});
    // The phone's catalogue in WAL form: the row of sms.db is only in its log.
    const QString manifest = folder() + QStringLiteral("/Manifest.db");
    QTemporaryDir work;
    const QString copy = work.filePath(QStringLiteral("Manifest.db"));
    QVERIFY(QFile::copy(manifest, copy));
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(copy).constData(), &db), SQLITE_OK);
    const QString id = backupbuilder::fileId(kHome, kSms);
    const QByteArray insert = "PRAGMA journal_mode=WAL; INSERT INTO Files VALUES ('" + id.toLatin1() +
                              "', 'HomeDomain', 'Library/SMS/sms.db', 1, NULL);";
    QCOMPARE(sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA wal_checkpoint(TRUNCATE);", nullptr, nullptr, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, insert.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    QFile::remove(manifest);
    QVERIFY(QFile::copy(copy, manifest));
    QVERIFY(QFile::copy(copy + QStringLiteral("-wal"), manifest + QStringLiteral("-wal")));
    sqlite3_close(db);
    QVERIFY(writeFile(backupbuilder::dataPath(Layout::ManifestDb, folder(), kHome, kSms), "SQLite format 3"));

    const QByteArray before = folderDigest(folder());
    {
        PhoneBackup backup(folder());
        QVERIFY2(backup.isValid(), qPrintable(backup.errorString()));
        QVERIFY(!backup.locateFile(kHome, kSms).isEmpty());
        QVERIFY(!backup.privateFolderPath().isEmpty());
    }
    QCOMPARE(folderDigest(folder()), before);
    QVERIFY(!QFile::exists(manifest + QStringLiteral("-shm")));
}

void LayoutsTest::damagedMbdb()
{
    build(Layout::ManifestMbdb);
    const QString mbdb = folder() + QStringLiteral("/Manifest.mbdb");
    const QByteArray good = readFile(mbdb);
    QVERIFY(good.startsWith(QByteArray("mbdb\x05\x00", 6)));
    QVERIFY(writeFile(mbdb, good.left(good.size() - 3)));
    PhoneBackup cut(folder());
    QVERIFY(!cut.isValid());
    QVERIFY2(cut.errorString().startsWith(QStringLiteral("Manifest.mbdb is damaged: record ")),
             qPrintable(cut.errorString()));
    QVERIFY(cut.errorString().contains(QStringLiteral("is cut off")));

    QVERIFY(writeFile(mbdb, "mbdx" + good.mid(4)));
    PhoneBackup header(folder());
    QVERIFY(!header.isValid());
    QVERIFY(header.errorString().contains(QStringLiteral("header")));
}

void LayoutsTest::mbdbCutsAndRandomBytes()
{
    build(Layout::ManifestMbdb);
    const QByteArray good = readFile(folder() + QStringLiteral("/Manifest.mbdb"));
    const std::optional<QVector<MbdbRecord>> all = parseMbdb(good);
    QVERIFY(all);
    QCOMPARE(all->size(), samplePhone().size());
    // Record boundaries, where a cut leaves a shorter but whole catalogue.
    QVector<int> boundaries{6};
    for (int i = 1; i <= all->size(); ++i)
        boundaries.append(int(serializeMbdb(all->mid(0, i)).size()));
    for (int length = 0; length < good.size(); ++length) {
        QString error;
        const std::optional<QVector<MbdbRecord>> records = parseMbdb(good.left(length), &error);
        const int whole = int(boundaries.indexOf(length));
        if (whole >= 0) {
            QVERIFY(records);
            QCOMPARE(records->size(), whole);
        } else {
            QVERIFY2(!records, qPrintable(QString::number(length)));
            QVERIFY(error.startsWith(QStringLiteral("Manifest.mbdb is damaged")));
        }
        QCOMPARE(fuzzentries::mbdb(reinterpret_cast<const uint8_t*>(good.constData()), size_t(length)), 0);
    }
    QRandomGenerator random(7);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = good;
        if (round % 2) {
            for (int i = 0; i < 1 + round % 5; ++i)
                bytes[6 + int(random.bounded(bytes.size() - 6))] = char(random.bounded(256));
        } else {
            bytes = QByteArray("mbdb\x05\x00", 6);
            for (int i = 0, n = int(random.bounded(400)); i < n; ++i)
                bytes.append(char(random.bounded(256)));
        }
        QCOMPARE(fuzzentries::mbdb(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())), 0);
    }
}

void LayoutsTest::listedButMissing()
{
    QFETCH(Layout, layout);
    build(layout);
    QVERIFY(QFile::remove(backupbuilder::dataPath(layout, folder(), kHome, kBook)));
    {
        PhoneBackup backup(folder());
        const PhoneDatabases dbs = backup.phoneDatabases();
        // The address book alone missing: the messages still show.
        QVERIFY2(dbs.error.isEmpty(), qPrintable(dbs.error));
        QVERIFY(!dbs.messages.isEmpty());
        QVERIFY(dbs.addressBook.isEmpty());
        QCOMPARE(dbs.warnings.size(), 1);
        QVERIFY2(dbs.warnings.first().endsWith(QStringLiteral("Names cannot be shown.")) ||
                     dbs.warnings.first().endsWith(QStringLiteral("names cannot be shown.")),
                 qPrintable(dbs.warnings.first()));
        // Listed but gone is told apart from not listed at all.
        QCOMPARE(dbs.warningCodes, QVector<DatabaseWarning>{DatabaseWarning::UnreadableAddressBook});
    }
    QVERIFY(QFile::remove(backupbuilder::dataPath(layout, folder(), kHome, kSms)));
    PhoneBackup backup(folder());
    const PhoneDatabases dbs = backup.phoneDatabases();
    QVERIFY(dbs.messages.isEmpty());
    if (layout == Layout::DescriptionFiles) {
        // A description whose data file is gone is passed over, as when it
        // is missing too.
        QVERIFY(dbs.error.contains(QStringLiteral("Library/SMS/sms.db")));
    } else {
        QCOMPARE(dbs.error, QStringLiteral("This backup is incomplete: it lists Library/SMS/sms.db, but the file is "
                                           "missing."));
    }
}

void LayoutsTest::unfinishedBackupIsReadAndSaidSo()
{
    backupbuilder::Options options;
    options.snapshotState = QStringLiteral("uploading");
    build(Layout::ManifestDb, options);
    PhoneBackup backup(folder());
    QVERIFY(backup.isValid());
    QVERIFY(!backup.info().finished);
    QCOMPARE(backup.info().snapshotState, QStringLiteral("uploading"));
    const QString reason =
        QStringLiteral("This backup is incomplete: it was not finished (its state is \"uploading\").");
    QCOMPARE(backup.incompleteReason(), reason);
    const PhoneDatabases dbs = backup.phoneDatabases();
    QVERIFY(!dbs.messages.isEmpty());
    QVERIFY(dbs.warnings.contains(reason));
    QCOMPARE(dbs.warningCodes.size(), dbs.warnings.size());
    QCOMPARE(dbs.warningCodes.value(dbs.warnings.indexOf(reason)), DatabaseWarning::Incomplete);

    // Cut off before the message database came: the new catalogue does not list it yet.
    build(Layout::ManifestDb, options, {{kHome, QStringLiteral("Library/Notes/notes.sqlite"), "n"}});
    PhoneBackup early(folder());
    QCOMPARE(early.phoneDatabases().error,
             QStringLiteral("This backup is incomplete: it was not finished and holds no message database yet."));
}

void LayoutsTest::withoutManifestAndStatusLists()
{
    backupbuilder::Options options;
    options.writeManifestPlist = false;
    options.writeStatusPlist = false;
    build(Layout::ManifestDb, options);
    QVERIFY(!QFile::exists(folder() + QStringLiteral("/Manifest.plist")));
    PhoneBackup backup(folder());
    QVERIFY2(backup.isValid(), qPrintable(backup.errorString()));
    QVERIFY(!backup.isEncrypted());
    QVERIFY(backup.info().finished);
    QVERIFY(!backup.info().hasManifestPlist);
    QVERIFY(!backup.info().hasStatusPlist);
    QCOMPARE(backup.info().productVersion, QStringLiteral("17.2"));
    QVERIFY(backup.phoneDatabases().warnings.isEmpty());
}

void LayoutsTest::lockdownNamesTheDeviceWhenInfoDoesNot()
{
    build(Layout::ManifestDb);
    QVERIFY(writeFile(folder() + QStringLiteral("/Info.plist"),
                      backupbuilder::plistOfStrings({{QStringLiteral("Target Identifier"), QLatin1String(kId)}})));
    PhoneBackup backup(folder());
    QVERIFY(backup.isValid());
    QCOMPARE(backup.info().deviceName, QStringLiteral("Test iPhone"));
    QCOMPARE(backup.info().productVersion, QStringLiteral("17.2"));
    QCOMPARE(backup.info().uniqueIdentifier, QLatin1String(kId));
    // The date then comes from Manifest.plist.
    QCOMPARE(backup.info().lastBackupDate, QDateTime(QDate(2024, 3, 9), QTime(8, 30, 15), Qt::UTC));
}

void LayoutsTest::damagedLists_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">";
    QTest::newRow("Info.plist garbage") << "Info.plist" << QByteArray("\x01\x02not a list", 12)
                                        << "The backup's Info.plist is damaged: it is not a property list.";
    QTest::newRow("Info.plist cut binary") << "Info.plist" << QByteArray("bplist00\xd1\x01\x02", 11)
                                           << "The backup's Info.plist is damaged: it is not a property list.";
    QTest::newRow("Info.plist an array") << "Info.plist" << head + "<array><string>x</string></array></plist>"
                                         << "The backup's Info.plist is damaged: it is not a dictionary.";
    QTest::newRow("IsEncrypted a text") << "Manifest.plist"
                                        << head + "<dict><key>IsEncrypted</key><string>yes</string></dict></plist>"
                                        << "The backup's Manifest.plist is damaged: IsEncrypted is not true or false.";
    QTest::newRow("encrypted without key bag")
        << "Manifest.plist" << head + "<dict><key>IsEncrypted</key><true/></dict></plist>"
        << "The backup's Manifest.plist is damaged: the encrypted backup has no BackupKeyBag.";
    QTest::newRow("key bag a text")
        << "Manifest.plist"
        << head + "<dict><key>IsEncrypted</key><true/><key>BackupKeyBag</key>"
                  "<string>AAAA</string></dict></plist>"
        << "The backup's Manifest.plist is damaged: the encrypted backup has no BackupKeyBag.";
    QTest::newRow("SnapshotState a number")
        << "Status.plist" << head + "<dict><key>SnapshotState</key><integer>3</integer></dict></plist>"
        << "The backup's Status.plist is damaged: SnapshotState is not a text.";
    QTest::newRow("Status.plist empty") << "Status.plist" << QByteArray()
                                        << "The backup's Status.plist is damaged: it is not a property list.";
}

void LayoutsTest::damagedLists()
{
    QFETCH(QString, list);
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    build(Layout::ManifestDb);
    QVERIFY(writeFile(folder() + QLatin1Char('/') + list, content));
    PhoneBackup backup(folder());
    QVERIFY(!backup.isValid());
    QCOMPARE(backup.errorString(), expected);
    QCOMPARE(backup.phoneDatabases().error, expected);
}

void LayoutsTest::fileIdsAreFortyHexDigits_data()
{
    QTest::addColumn<QString>("fileId");
    QTest::newRow("parent") << QStringLiteral("../outside");
    QTest::newRow("ellipsis") << QStringLiteral("...");
    QTest::newRow("empty") << QString();
    QTest::newRow("short") << QStringLiteral("3d0d7e5fb2");
    QTest::newRow("39 digits") << QStringLiteral("3d0d7e5fb2ce288813306e4d4636395e047a3d2");
    QTest::newRow("41 digits") << QStringLiteral("3d0d7e5fb2ce288813306e4d4636395e047a3d288");
    QTest::newRow("not hex") << QStringLiteral("3d0d7e5fb2ce288813306e4d4636395e047a3d2g");
    QTest::newRow("with a slash") << QStringLiteral("3d/0d7e5fb2ce288813306e4d4636395e047a3d2");
}

void LayoutsTest::fileIdsAreFortyHexDigits()
{
    QFETCH(QString, fileId);
    build(Layout::ManifestDb, {}, {{kHome, QStringLiteral("Library/Notes/notes.sqlite"), "n"}});
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(folder() + QStringLiteral("/Manifest.db")).constData(), &db), SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, "INSERT INTO Files VALUES (?, 'HomeDomain', 'Library/SMS/sms.db', 1, NULL)", -1,
                                &insert, nullptr),
             SQLITE_OK);
    const QByteArray id = fileId.toUtf8();
    sqlite3_bind_text(insert, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT);
    QCOMPARE(sqlite3_step(insert), SQLITE_DONE);
    sqlite3_finalize(insert);
    sqlite3_close(db);
    // Whatever the id might name, a file waits there.
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("Backup/outside")), "SQLite format 3"));
    if (!fileId.isEmpty() && !fileId.startsWith(QLatin1Char('.'))) {
        QVERIFY(writeFile(folder() + QLatin1Char('/') + fileId, "SQLite format 3"));
        QVERIFY(writeFile(folder() + QLatin1Char('/') + fileId.left(2) + QLatin1Char('/') + fileId, "SQLite format 3"));
    }
    PhoneBackup backup(folder());
    QVERIFY(backup.isValid());
    QVERIFY(backup.locateFile(kHome, kSms).isEmpty());
    QCOMPARE(backup.lastError(),
             QStringLiteral("The backup's catalogue gives Library/SMS/sms.db an invalid file name."));
}

void LayoutsTest::linksAreNotFollowedOutOfTheFolder()
{
    build(Layout::ManifestDb);
    const QString outside = m_dir.filePath(QStringLiteral("elsewhere/private.db"));
    QVERIFY(writeFile(outside, "SQLite format 3 of someone else"));
    const QString sms = backupbuilder::dataPath(Layout::ManifestDb, folder(), kHome, kSms);
    QVERIFY(QFile::remove(sms));
    QVERIFY(QFile::link(outside, sms));
    {
        PhoneBackup backup(folder());
        const PhoneDatabases dbs = backup.phoneDatabases();
        QVERIFY(dbs.messages.isEmpty());
        QCOMPARE(
            dbs.error,
            QStringLiteral("The backup's file for Library/SMS/sms.db leads out of the backup folder; it is not read."));
    }
    // A link to another file of the same folder stays inside it.
    QVERIFY(QFile::remove(sms));
    const QString book = backupbuilder::dataPath(Layout::ManifestDb, folder(), kHome, kBook);
    QVERIFY(QFile::link(QStringLiteral("../31/") + QFileInfo(book).fileName(), sms));
    {
        PhoneBackup backup(folder());
        QCOMPARE(backup.locateFile(kHome, kSms), QFileInfo(book).canonicalFilePath());
    }
    // A dangling link is no file.
    QVERIFY(QFile::remove(sms));
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("gone")), sms));
    {
        PhoneBackup backup(folder());
        QVERIFY(backup.locateFile(kHome, kSms).isEmpty());
    }
    // The folder of the file's first two digits leading elsewhere.
    QVERIFY(QFile::remove(sms));
    const QString sub = QFileInfo(sms).absolutePath();
    QVERIFY(QDir(sub).removeRecursively());
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("elsewhere/3d/") + QFileInfo(sms).fileName()), "SQLite format 3"));
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("elsewhere/3d")), sub));
    {
        PhoneBackup backup(folder());
        QVERIFY(backup.locateFile(kHome, kSms).isEmpty());
        QVERIFY(backup.lastError().contains(QStringLiteral("leads out of the backup folder")));
    }
    // The backup folder itself reached through a link is read as usual.
    QVERIFY(QFile::link(folder(), m_dir.filePath(QStringLiteral("linked"))));
    PhoneBackup linked(m_dir.filePath(QStringLiteral("linked")));
    QVERIFY(linked.isValid());
    QCOMPARE(readFile(linked.locateFile(kHome, kBook)), QByteArray("SQLite format 3"));
}

void LayoutsTest::checkNoBlock(const QString& name, const QStringList& fifos)
{
    for (const QString& fifo : fifos) {
        QFile::remove(fifo);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    }
    const QByteArray before = folderDigest(folder());
    auto* result = new LookupThread;
    QThread* thread = QThread::create([this, result] {
        PhoneBackup backup(folder());
        result->valid = backup.isValid();
        result->error = backup.errorString();
        result->result = backup.phoneDatabases();
    });
    thread->start();
    const bool ended = thread->wait(QDeadlineTimer(50000));
    if (!ended) {
        // Release a reader stuck in open() so the test can end.
        for (const QString& fifo : fifos) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
        thread->wait();
    }
    delete thread;
    QVERIFY2(ended, qPrintable(name + QStringLiteral(": the lookup blocked on a FIFO")));
    QVERIFY2(result->result.messages.isEmpty(), qPrintable(name));
    QVERIFY2(!result->result.error.isEmpty(), qPrintable(name));
    delete result;
    QCOMPARE(folderDigest(folder()), before);
}

void LayoutsTest::specialFilesNeverBlock()
{
    build(Layout::ManifestDb);
    checkNoBlock(QStringLiteral("data file"), {backupbuilder::dataPath(Layout::ManifestDb, folder(), kHome, kSms)});
    build(Layout::ManifestDb);
    checkNoBlock(QStringLiteral("Manifest.db"), {folder() + QStringLiteral("/Manifest.db")});
    build(Layout::ManifestDb);
    checkNoBlock(QStringLiteral("Info.plist"), {folder() + QStringLiteral("/Info.plist")});
    QDir(folder()).removeRecursively();
    build(Layout::ManifestMbdb);
    checkNoBlock(QStringLiteral("Manifest.mbdb"), {folder() + QStringLiteral("/Manifest.mbdb")});
    QDir(folder()).removeRecursively();
    build(Layout::DescriptionFiles);
    const QString id = backupbuilder::fileId(kHome, kSms);
    checkNoBlock(QStringLiteral("description and data"),
                 {folder() + QLatin1Char('/') + id + QStringLiteral(".mdinfo"),
                  folder() + QLatin1Char('/') + id + QStringLiteral(".mddata")});
}

void LayoutsTest::findsBackupsInTheUsualPlaces()
{
    // A copied MobileSync folder with two backups, a folder that is none and
    // a damaged one.
    const QString copied = m_dir.filePath(QStringLiteral("Windows copy/MobileSync"));
    backupbuilder::Options options;
    options.device.deviceName = QStringLiteral("Older phone");
    options.device.productVersion = QStringLiteral("9.3.5");
    options.layout = Layout::ManifestMbdb;
    QVERIFY(backupbuilder::writeBackup(copied + QStringLiteral("/Backup/aaaa"), samplePhone(), options));
    options.device.deviceName = QStringLiteral("Newer phone");
    options.device.productVersion = QStringLiteral("16.4");
    options.layout = Layout::ManifestDb;
    QVERIFY(backupbuilder::writeBackup(copied + QStringLiteral("/Backup/bbbb"), samplePhone(), options));
    QVERIFY(QDir().mkpath(copied + QStringLiteral("/Backup/cccc-just-a-folder")));
    QVERIFY(backupbuilder::writeBackup(copied + QStringLiteral("/Backup/dddd"), samplePhone(), options));
    QVERIFY(writeFile(copied + QStringLiteral("/Backup/dddd/Status.plist"), "damaged"));
    // A single backup folder chosen by itself, and the usual root under HOME.
    const QString single = m_dir.filePath(QStringLiteral("chosen"));
    options.device.deviceName = QStringLiteral("Chosen phone");
    QVERIFY(backupbuilder::writeBackup(single, samplePhone(), options));
    const QString usual = QDir::homePath() + QStringLiteral("/.local/share/Apple Computer/MobileSync/Backup");
    options.device.deviceName = QStringLiteral("Usual phone");
    QVERIFY(backupbuilder::writeBackup(usual + QStringLiteral("/eeee"), samplePhone(), options));

    QVERIFY(standardBackupRoots().contains(usual));
    QStringList errors;
    QStringList roots = standardBackupRoots();
    roots << copied << single << single << m_dir.filePath(QStringLiteral("missing root"));
    const QVector<BackupInfo> found = findPhoneBackups(roots, &errors);
    QStringList names;
    for (const BackupInfo& info : found)
        names.append(info.deviceName + QLatin1Char(' ') + info.productVersion + QLatin1Char(' ') +
                     layoutName(info.layout));
    QCOMPARE(
        names,
        (QStringList{QStringLiteral("Usual phone 16.4 Manifest.db"), QStringLiteral("Older phone 9.3.5 Manifest.mbdb"),
                     QStringLiteral("Newer phone 16.4 Manifest.db"), QStringLiteral("Chosen phone 16.4 Manifest.db")}));
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(QStringLiteral("Status.plist is damaged")), qPrintable(errors.first()));
    QCOMPARE(found.at(1).identifier, QStringLiteral("aaaa"));
    QDir(usual).removeRecursively();
}

void LayoutsTest::randomFoldersKeepTheRules()
{
    auto rec = [](int op, const QByteArray& arg) { return QByteArray(1, char(op)) + char(arg.size()) + arg; };
    const QString id = backupbuilder::fileId(kHome, kSms);
    const QByteArray idBytes = id.toLatin1();
    const QByteArray nested = idBytes.left(2) + '/' + idBytes;
    // Hand-made folders for the faults to look for, then random ones.
    const QList<QByteArray> seeds = {
        rec(4, idBytes + '\0' +
                   "HomeDomain\0Library/SMS/sms.db\0"
                   "1") +
            rec(2, nested + '\0'),
        rec(4, "../outside/secret\0HomeDomain\0Library/SMS/sms.db\0"
               "1"),
        rec(4, idBytes + '\0' +
                   "HomeDomain\0Library/SMS/sms.db\0"
                   "1") +
            rec(3, nested),
        rec(4, idBytes + '\0' +
                   "HomeDomain\0Library/SMS/sms.db\0"
                   "1") +
            rec(0, nested),
        rec(4, idBytes + '\0' +
                   "HomeDomain\0Library/SMS/sms.db\0"
                   "1") +
            rec(2, idBytes.left(2) + '\0' + "/tmp"),
        rec(7, QByteArray("aa\0") + "Library/SMS/sms.db") + rec(3, "bb.mdinfo"),
        rec(5, QByteArray("\x00\x0aHomeDomain\x00\x12Library/SMS/sms.db", 32)),
        rec(6, QByteArray("\x00") + "<plist><array/></plist>") + rec(4, idBytes + '\0' +
                                                                            "HomeDomain\0Library/SMS/sms.db\0"
                                                                            "1"),
    };
    for (const QByteArray& seed : seeds)
        QCOMPARE(fuzzentries::backupLookup(reinterpret_cast<const uint8_t*>(seed.constData()), size_t(seed.size())), 0);
    QRandomGenerator random(99);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = seeds.at(int(random.bounded(seeds.size())));
        for (int i = 0, n = int(random.bounded(6)); i < n; ++i)
            bytes[int(random.bounded(bytes.size()))] = char(random.bounded(256));
        for (int i = 0, n = int(random.bounded(40)); i < n; ++i)
            bytes.append(char(random.bounded(256)));
        QCOMPARE(fuzzentries::backupLookup(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())),
                 0);
    }
}

QTEST_GUILESS_MAIN(LayoutsTest)
#include "tst_layouts.moc"
