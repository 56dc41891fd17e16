// Encrypted backups, built by the forward algorithm: locked until the right
// password, a wrong one said so, keys kept for the run, the files read
// decrypted into a private folder that goes with the object (and at program
// end, and after a crash at the next start), no key or password in that
// folder or in the output, each bad input with its message, and a backup
// written again over itself with the keys it had.

#include "BackupBuilder.h"
#include "BackupCrypto.h"
#include "BackupTestSupport.h"
#include "ManifestDbCatalogue.h"
#include "PhoneBackup.h"
#include "PlistValue.h"
#include "PrivateFolder.h"

#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTest>

#include <plist/plist.h>

#include <cstdio>
#include <ctime>

#include <sys/time.h>
#include <cstdlib>

using namespace phonebackup;
using namespace testsupport;
using backupbuilder::Layout;

namespace {

const char* const kId = "00008030001e2d3c4b5a6978";
const QByteArray kPassword = "l0ng enough pass";

// Changes one value of a property list file in place.
void setPlistData(const QString& path, const char* key, const QByteArray& value)
{
    plistvalue::Tree tree = plistvalue::parse(readFile(path));
    QVERIFY(plistvalue::isDict(tree.get()));
    plist_dict_set_item(tree.get(), key, plist_new_data(value.constData(), uint64_t(value.size())));
    QVERIFY(writeFile(path, plistvalue::toXml(tree.get())));
}

QByteArray plistData(const QString& path, const char* key)
{
    plistvalue::Tree tree = plistvalue::parse(readFile(path));
    return plistvalue::data(plistvalue::item(tree.get(), key)).value_or(QByteArray());
}

} // namespace

class EncryptedTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void lockedUntilTheRightPassword();
    void keysAreKeptForTheRun();
    void keysDerivedElsewhere();
    void olderEncryptedBackups_data();
    void olderEncryptedBackups();
    void nothingSecretIsWritten();
    void fileWithWrongPadding();
    void fileRecordsWithBadKeys_data();
    void fileRecordsWithBadKeys();
    void damagedKeyBagOrCatalogueKey_data();
    void damagedKeyBagOrCatalogueKey();
    void privateFolderGoesAtProgramEnd();
    void staleFoldersAreSwept();
    void earlierKeysAreKept_data();
    void earlierKeysAreKept();

private:
    QString folder() const { return m_dir.filePath(QStringLiteral("Backup/") + QLatin1String(kId)); }
    QString base() const { return m_dir.filePath(QStringLiteral("private")); }
    void build(Layout layout = Layout::ManifestDb, bool doubleProtection = true, bool encryptManifest = true);
    // Rewrites the Files.file record of sms.db in the encrypted catalogue.
    void rewriteSmsRecord(const QByteArray& record);

    QTemporaryDir m_dir;
    QByteArray m_smsMain;
    QByteArray m_smsWal;
};

void EncryptedTest::init()
{
    QVERIFY(m_dir.isValid());
    QDir(m_dir.path()).removeRecursively();
    QVERIFY(QDir().mkpath(base()));
    PhoneBackup::forgetKeys();
}

void EncryptedTest::cleanup()
{
    PhoneBackup::forgetKeys();
}

void EncryptedTest::build(Layout layout, bool doubleProtection, bool encryptManifest)
{
    backupbuilder::Options options;
    options.layout = layout;
    options.encrypted = true;
    options.password = kPassword;
    options.iterations = 50;
    options.doubleProtectionIterations = doubleProtection ? 100 : 0;
    options.encryptManifestDb = encryptManifest;
    QString error;
    QVERIFY2(backupbuilder::writeBackup(folder(), samplePhone(&m_smsMain, &m_smsWal), options, &error),
             qPrintable(error));
}

void EncryptedTest::rewriteSmsRecord(const QByteArray& record)
{
    PhoneBackup backup(folder(), base());
    QCOMPARE(backup.unlock(kPassword), UnlockResult::Unlocked);
    const QByteArray manifestKey = *backup.unlockedKeys().unwrapStoredKey(backup.info().manifestKey);
    QTemporaryDir work;
    const QString plain = work.filePath(QStringLiteral("m.db"));
    QString error;
    QVERIFY2(crypto::decryptFile(folder() + QStringLiteral("/Manifest.db"), plain, manifestKey, -1, "m", &error),
             qPrintable(error));
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(plain).constData(), &db), SQLITE_OK);
    sqlite3_stmt* update = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, "UPDATE Files SET file = ? WHERE relativePath = 'Library/SMS/sms.db'", -1, &update,
                                nullptr),
             SQLITE_OK);
    sqlite3_bind_blob(update, 1, record.constData(), int(record.size()), SQLITE_TRANSIENT);
    QCOMPARE(sqlite3_step(update), SQLITE_DONE);
    sqlite3_finalize(update);
    sqlite3_close(db);
    QFile::remove(folder() + QStringLiteral("/Manifest.db"));
    QVERIFY(crypto::encryptFile(plain, folder() + QStringLiteral("/Manifest.db"), manifestKey, &error));
    PhoneBackup::forgetKeys();
}

void EncryptedTest::lockedUntilTheRightPassword()
{
    build();
    const QByteArray before = folderDigest(folder());
    QString privatePath;
    {
        PhoneBackup backup(folder(), base());
        QVERIFY2(backup.isValid(), qPrintable(backup.errorString()));
        QVERIFY(backup.isEncrypted());
        QVERIFY(backup.needsPassword());
        QCOMPARE(backup.info().layout, BackupLayout::ManifestDb);
        QCOMPARE(backup.info().deviceName, QStringLiteral("Test iPhone"));
        QVERIFY(backup.locateFile(kHome, kSms).isEmpty());
        QCOMPARE(backup.lastError(), QStringLiteral("This backup is encrypted: its password is needed."));
        QCOMPARE(backup.phoneDatabases().error, QStringLiteral("This backup is encrypted: its password is needed."));

        QCOMPARE(backup.unlock("not the password"), UnlockResult::WrongPassword);
        QVERIFY(backup.needsPassword());
        QCOMPARE(backup.unlock(kPassword.left(kPassword.size() - 1)), UnlockResult::WrongPassword);

        quint64 lastDone = 0;
        quint64 total = 0;
        QCOMPARE(backup.unlock(kPassword,
                               [&](quint64 done, quint64 all) {
                                   lastDone = done;
                                   total = all;
                                   return true;
                               }),
                 UnlockResult::Unlocked);
        // 100 SHA-256 rounds, then two blocks of 50 SHA-1 rounds.
        QCOMPARE(total, quint64(200));
        QCOMPARE(lastDone, total);
        QVERIFY(backup.isUnlocked());

        const PhoneDatabases dbs = backup.phoneDatabases();
        QVERIFY2(dbs.error.isEmpty(), qPrintable(dbs.error));
        QVERIFY2(dbs.warnings.isEmpty(), qPrintable(dbs.warnings.join(QLatin1Char('\n'))));
        privatePath = backup.privateFolderPath();
        QVERIFY(!privatePath.isEmpty());
        QVERIFY(privatePath.startsWith(base() + QLatin1Char('/')));
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFileInfo(privatePath).permissions() & others, QFile::Permissions());
        QVERIFY(QFileInfo(privatePath).permissions().testFlags(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(dbs.messages.path, privatePath + QStringLiteral("/sms.db"));
        QCOMPARE(dbs.messages.walPath, privatePath + QStringLiteral("/sms.db-wal"));
        QCOMPARE(readFile(dbs.messages.path), m_smsMain);
        QCOMPARE(readFile(dbs.messages.walPath), m_smsWal);
        QCOMPARE(readFile(dbs.addressBook.path), QByteArray("SQLite format 3"));
        // Only what was asked for is decrypted: the catalogue and the three files.
        QStringList inPrivate = QDir(privatePath).entryList(QDir::Files);
        inPrivate.sort();
        QCOMPARE(inPrivate, (QStringList{QStringLiteral("AddressBook.sqlitedb"), QStringLiteral("Manifest.db"),
                                         QStringLiteral("sms.db"), QStringLiteral("sms.db-wal")}));
        // The decrypted database and its log hold every row.
        QTemporaryDir copy;
        QVERIFY(QFile::copy(dbs.messages.path, copy.filePath(QStringLiteral("x.db"))));
        QVERIFY(QFile::copy(dbs.messages.walPath, copy.filePath(QStringLiteral("x.db-wal"))));
        QCOMPARE(messageRows(copy.filePath(QStringLiteral("x.db"))), 4);
        // A second lookup reuses the copy.
        QCOMPARE(backup.locateFile(kHome, kSms), dbs.messages.path);
    }
    QVERIFY(!QFileInfo::exists(privatePath));
    QCOMPARE(folderDigest(folder()), before);
}

void EncryptedTest::keysAreKeptForTheRun()
{
    build();
    {
        PhoneBackup first(folder(), base());
        QCOMPARE(first.unlock(kPassword), UnlockResult::Unlocked);
    }
    PhoneBackup again(folder(), base());
    QVERIFY(again.isUnlocked());
    QCOMPARE(readFile(again.locateFile(kHome, kSms)), m_smsMain);
    PhoneBackup::forgetKeys();
    PhoneBackup forgotten(folder(), base());
    QVERIFY(forgotten.needsPassword());

    // A new backup with a new bag in the same folder is not opened by old keys.
    {
        PhoneBackup unlocked(folder(), base());
        QCOMPARE(unlocked.unlock(kPassword), UnlockResult::Unlocked);
    }
    build();
    PhoneBackup rebuilt(folder(), base());
    QVERIFY(rebuilt.needsPassword());
}

void EncryptedTest::keysDerivedElsewhere()
{
    build();
    PhoneBackup backup(folder(), base());
    const std::optional<KeyBag> bag = backup.keyBag();
    QVERIFY(bag);
    UnlockedKeys keys;
    QCOMPARE(unlockKeyBag(*bag, kPassword, &keys), UnlockResult::Unlocked);
    QVERIFY(backup.unlock(keys));
    QCOMPARE(readFile(backup.locateFile(kHome, kSms)), m_smsMain);

    // Keys of another backup do not fit.
    const QString other = m_dir.filePath(QStringLiteral("Backup/other"));
    backupbuilder::Options options;
    options.encrypted = true;
    options.password = kPassword;
    QVERIFY(backupbuilder::writeBackup(other, samplePhone(), options));
    PhoneBackup otherBackup(other, base());
    QVERIFY(!otherBackup.unlock(keys));
    QCOMPARE(otherBackup.lastError(), QStringLiteral("The keys do not belong to this backup."));
    QVERIFY(otherBackup.needsPassword());
}

void EncryptedTest::olderEncryptedBackups_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<bool>("doubleProtection");
    QTest::addColumn<bool>("encryptManifest");
    QTest::newRow("Manifest.mbdb, iOS 5 to 9") << Layout::ManifestMbdb << false << false;
    QTest::newRow("plain Manifest.db, iOS 10.0") << Layout::ManifestDb << false << false;
    QTest::newRow("Manifest.db, one derivation step") << Layout::ManifestDb << false << true;
}

void EncryptedTest::olderEncryptedBackups()
{
    QFETCH(Layout, layout);
    QFETCH(bool, doubleProtection);
    QFETCH(bool, encryptManifest);
    build(layout, doubleProtection, encryptManifest);
    QCOMPARE(plistData(folder() + QStringLiteral("/Manifest.plist"), "ManifestKey").isEmpty(), !encryptManifest);
    PhoneBackup backup(folder(), base());
    QVERIFY2(backup.isValid(), qPrintable(backup.errorString()));
    QVERIFY(backup.needsPassword());
    QCOMPARE(backup.unlock("wrong"), UnlockResult::WrongPassword);
    QCOMPARE(backup.unlock(kPassword), UnlockResult::Unlocked);
    const PhoneDatabases dbs = backup.phoneDatabases();
    QVERIFY2(dbs.error.isEmpty(), qPrintable(dbs.error));
    QCOMPARE(readFile(dbs.messages.path), m_smsMain);
    QCOMPARE(readFile(dbs.messages.walPath), m_smsWal);
}

void EncryptedTest::nothingSecretIsWritten()
{
    build();
    QStringList privateFiles;
    QList<QByteArray> secrets{kPassword};
    QByteArray privateBytes;
    OutputCapture capture;
    {
        PhoneBackup backup(folder(), base());
        QCOMPARE(backup.unlock("a wrong one"), UnlockResult::WrongPassword);
        QCOMPARE(backup.unlock(kPassword), UnlockResult::Unlocked);
        const PhoneDatabases dbs = backup.phoneDatabases();
        QVERIFY(dbs.error.isEmpty());
        std::printf("located %s\n", qPrintable(dbs.messages.path));
        qDebug() << "located" << dbs.messages.path;

        // Every key there is: the class keys, the password key, the
        // catalogue's key and the files' keys.
        const UnlockedKeys keys = backup.unlockedKeys();
        const KeyBag bag = *backup.keyBag();
        for (const ClassKey& key : bag.classKeys)
            secrets.append(keys.classKey(key.protectionClass));
        const QByteArray first = *crypto::pbkdf2(crypto::Digest::Sha256, kPassword, bag.doubleProtectionSalt,
                                                 bag.doubleProtectionIterations, 32);
        secrets.append(first);
        secrets.append(*crypto::pbkdf2(crypto::Digest::Sha1, first, bag.salt, bag.iterations, 32));
        secrets.append(*keys.unwrapStoredKey(backup.info().manifestKey));
        sqlite3* db = nullptr;
        QCOMPARE(
            sqlite3_open_v2(QFile::encodeName(backup.privateFolderPath() + QStringLiteral("/Manifest.db")).constData(),
                            &db, SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
        sqlite3_stmt* stmt = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, "SELECT file FROM Files WHERE flags = 1", -1, &stmt, nullptr), SQLITE_OK);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const QByteArray blob(static_cast<const char*>(sqlite3_column_blob(stmt, 0)),
                                  sqlite3_column_bytes(stmt, 0));
            const std::optional<FileRecord> record = parseFileRecord(blob);
            QVERIFY(record && !record->encryptionKey.isEmpty());
            secrets.append(*keys.unwrapStoredKey(record->encryptionKey));
        }
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        QCOMPARE(secrets.size(), 1 + 11 + 2 + 1 + 9);

        for (const QString& name : QDir(backup.privateFolderPath()).entryList(QDir::Files | QDir::Hidden))
            privateBytes += readFile(backup.privateFolderPath() + QLatin1Char('/') + name);
        QVERIFY(privateBytes.size() > m_smsMain.size());
    }
    const QByteArray output = capture.text();
    QVERIFY(output.contains("located"));
    for (const QByteArray& secret : std::as_const(secrets)) {
        QCOMPARE(secret.isEmpty(), false);
        for (const QByteArray& form : {secret, secret.toHex(), secret.toHex().toUpper(), secret.toBase64()}) {
            QVERIFY2(!privateBytes.contains(form), form.toHex().constData());
            QVERIFY2(!output.contains(form), form.toHex().constData());
        }
    }
}

void EncryptedTest::fileWithWrongPadding()
{
    build();
    const QString sms = backupbuilder::dataPath(Layout::ManifestDb, folder(), kHome, kSms);
    QByteArray bytes = readFile(sms);
    // The last block decides the padding; changing the one before it
    // changes the padding bytes that come out.
    bytes[bytes.size() - 17] = char(bytes[bytes.size() - 17] ^ 0x5A);
    QVERIFY(writeFile(sms, bytes));
    PhoneBackup backup(folder(), base());
    QCOMPARE(backup.unlock(kPassword), UnlockResult::Unlocked);
    const PhoneDatabases dbs = backup.phoneDatabases();
    QVERIFY(dbs.messages.isEmpty());
    QCOMPARE(dbs.error, QStringLiteral("Library/SMS/sms.db cannot be decrypted: its padding is wrong (a wrong key or a "
                                       "damaged file)."));
    QVERIFY(!QFile::exists(backup.privateFolderPath() + QStringLiteral("/sms.db")));
}

void EncryptedTest::fileRecordsWithBadKeys_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("expected");
    QByteArray shortKey(4, '\0');
    shortKey[0] = 3;
    shortKey += QByteArray(39, 'k');
    QTest::newRow("wrapped key of 39 bytes")
        << backupbuilder::fileRecord(100, 3, shortKey)
        << QStringLiteral("Library/SMS/sms.db cannot be decrypted: its wrapped key has 43 bytes instead of 44.");
    QByteArray wrongKey(4, '\0');
    wrongKey[0] = 3;
    wrongKey += QByteArray(40, 'k');
    QTest::newRow("key that does not unwrap")
        << backupbuilder::fileRecord(100, 3, wrongKey)
        << QStringLiteral("Library/SMS/sms.db cannot be decrypted: its key does not unwrap with the key of protection "
                          "class 3.");
    QByteArray unknownClass = wrongKey;
    unknownClass[0] = 42;
    QTest::newRow("class the bag lacks")
        << backupbuilder::fileRecord(100, 42, unknownClass)
        << QStringLiteral("Library/SMS/sms.db cannot be decrypted: the key bag has no key of protection class 42.");
    QTest::newRow("no key") << backupbuilder::fileRecord(100, 3)
                            << QStringLiteral("The backup's record of Library/SMS/sms.db holds no key, so the file "
                                              "cannot be decrypted.");
    QTest::newRow("not a record") << QByteArray("bplist00 damaged")
                                  << QStringLiteral("The backup's record of Library/SMS/sms.db is damaged.");
}

void EncryptedTest::fileRecordsWithBadKeys()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, expected);
    build();
    rewriteSmsRecord(record);
    PhoneBackup backup(folder(), base());
    QCOMPARE(backup.unlock(kPassword), UnlockResult::Unlocked);
    const PhoneDatabases dbs = backup.phoneDatabases();
    QVERIFY(dbs.messages.isEmpty());
    QCOMPARE(dbs.error, expected);
    // The address book is unharmed.
    QCOMPARE(readFile(backup.locateFile(kHome, kBook)), QByteArray("SQLite format 3"));
}

void EncryptedTest::damagedKeyBagOrCatalogueKey_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bag without SALT") << "bag-salt"
                                      << "The backup's key bag is damaged: its header has no SALT.";
    QTest::newRow("bag cut") << "bag-cut"
                             << "The backup's key bag is damaged:";
    QTest::newRow("catalogue key short")
        << "manifest-key"
        << "The backup's catalogue key cannot be unlocked: its wrapped key has 20 bytes instead of 44.";
    QTest::newRow("catalogue cut") << "manifest-cut"
                                   << "Manifest.db cannot be decrypted: its size is not a whole number of blocks.";
    // Garbage almost always decrypts to wrong padding; when not, to no database.
    QTest::newRow("catalogue garbage") << "manifest-garbage"
                                       << "Manifest.db";
}

void EncryptedTest::damagedKeyBagOrCatalogueKey()
{
    QFETCH(QString, damage);
    QFETCH(QString, expected);
    build();
    const QString list = folder() + QStringLiteral("/Manifest.plist");
    const QByteArray bag = plistData(list, "BackupKeyBag");
    if (damage == QLatin1String("bag-salt")) {
        const int at = int(bag.indexOf("SALT"));
        setPlistData(list, "BackupKeyBag", bag.left(at) + bag.mid(at + 28));
    } else if (damage == QLatin1String("bag-cut")) {
        setPlistData(list, "BackupKeyBag", bag.left(bag.size() - 7));
    } else if (damage == QLatin1String("manifest-key")) {
        setPlistData(list, "ManifestKey", QByteArray(20, 'k'));
    } else if (damage == QLatin1String("manifest-cut")) {
        const QByteArray db = readFile(folder() + QStringLiteral("/Manifest.db"));
        QVERIFY(writeFile(folder() + QStringLiteral("/Manifest.db"), db.left(db.size() - 9)));
    } else {
        QVERIFY(writeFile(folder() + QStringLiteral("/Manifest.db"), QByteArray(8192, '\x33')));
    }
    PhoneBackup backup(folder(), base());
    QString error = backup.errorString();
    if (backup.isValid()) {
        QCOMPARE(backup.unlock(kPassword), UnlockResult::Failed);
        error = backup.lastError();
        QVERIFY(backup.needsPassword());
    }
    QVERIFY2(error.contains(expected), qPrintable(error));
    // Nothing decrypted is left behind.
    if (!backup.privateFolderPath().isEmpty())
        QVERIFY(!QFile::exists(backup.privateFolderPath() + QStringLiteral("/Manifest.db")));
}

void EncryptedTest::privateFolderGoesAtProgramEnd()
{
    build();
    for (const char* how : {"exit", "crash"}) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PHONEBACKUP_CHILD"), QString::fromLatin1(how));
        env.insert(QStringLiteral("PHONEBACKUP_FOLDER"), folder());
        env.insert(QStringLiteral("PHONEBACKUP_BASE"), base());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(120000));
        const QString privatePath = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
        QVERIFY2(privatePath.startsWith(base()), qPrintable(privatePath));
        if (QByteArray(how) == "exit") {
            QCOMPARE(child.exitCode(), 0);
            QVERIFY(!QFileInfo::exists(privatePath));
        } else {
            // A crash leaves it; the next run's first private folder sweeps it.
            QVERIFY(QFileInfo::exists(privatePath + QStringLiteral("/sms.db")));
            QCOMPARE(PrivateFolder::sweepStale(base()), 1);
            QVERIFY(!QFileInfo::exists(privatePath));
        }
    }
}

void EncryptedTest::staleFoldersAreSwept()
{
    const QString where = m_dir.filePath(QStringLiteral("sweep"));
    QVERIFY(QDir().mkpath(where));
    PrivateFolder live(where);
    QVERIFY(live.isValid());
    QVERIFY(writeFile(live.filePath(QStringLiteral("sms.db")), "in use"));

    // The lock of a run that has ended.
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    QVERIFY(ended.waitForStarted(30000));
    const qint64 endedPid = ended.processId();
    QVERIFY(ended.waitForFinished(30000));
    const QString dead = where + QLatin1Char('/') + QLatin1String(PrivateFolder::kPrefix) + QStringLiteral("dead01");
    QVERIFY(writeFile(dead + QStringLiteral("/.in-use"),
                      QByteArray::number(endedPid) + "\nmsgdesk\n" + QSysInfo::machineHostName().toUtf8() + '\n'));
    QVERIFY(writeFile(dead + QStringLiteral("/sms.db"), "left by a crash"));
    // An old folder that never got its lock, and a fresh one being made.
    const QString old = where + QLatin1Char('/') + QLatin1String(PrivateFolder::kPrefix) + QStringLiteral("old002");
    QVERIFY(writeFile(old + QStringLiteral("/sms.db"), "old"));
    const struct timeval twoDaysAgo[2] = {{time(nullptr) - 2 * 86400, 0}, {time(nullptr) - 2 * 86400, 0}};
    QCOMPARE(::utimes(QFile::encodeName(old).constData(), twoDaysAgo), 0);
    const QString fresh = where + QLatin1Char('/') + QLatin1String(PrivateFolder::kPrefix) + QStringLiteral("new003");
    QVERIFY(QDir().mkpath(fresh));
    // Not ours at all.
    QVERIFY(QDir().mkpath(where + QStringLiteral("/someone-else")));

    QCOMPARE(PrivateFolder::sweepStale(where), 2);
    QVERIFY(!QFileInfo::exists(dead));
    QVERIFY(!QFileInfo::exists(old));
    QVERIFY(QFileInfo::exists(fresh));
    QVERIFY(QFileInfo::exists(where + QStringLiteral("/someone-else")));
    QCOMPARE(readFile(live.filePath(QStringLiteral("sms.db"))), QByteArray("in use"));
    live.remove();
    QVERIFY(!QFileInfo::exists(live.path()));
}

void EncryptedTest::earlierKeysAreKept_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<bool>("doubleProtection");
    QTest::newRow("Manifest.db") << Layout::ManifestDb << true;
    QTest::newRow("Manifest.mbdb") << Layout::ManifestMbdb << false;
}

void EncryptedTest::earlierKeysAreKept()
{
    QFETCH(Layout, layout);
    QFETCH(bool, doubleProtection);
    const QString manifestPlist = folder() + QStringLiteral("/Manifest.plist");
    const QString smsFile =
        backupbuilder::dataPath(layout, folder(), PhoneBackup::kHomeDomain, PhoneBackup::kMessagesPath);
    const auto write = [&](const QByteArray& password, bool keepKeys) {
        backupbuilder::Options options;
        options.layout = layout;
        options.encrypted = true;
        options.password = password;
        options.doubleProtectionIterations = doubleProtection ? 16 : 0;
        options.keepKeys = keepKeys;
        QString error;
        QVERIFY2(backupbuilder::writeBackup(folder(), samplePhone(&m_smsMain, &m_smsWal), options, &error),
                 qPrintable(error));
    };

    // Fresh keys at every run unless they are kept.
    write(kPassword, false);
    const QByteArray firstBag = plistData(manifestPlist, "BackupKeyBag");
    write(kPassword, false);
    const QByteArray bag = plistData(manifestPlist, "BackupKeyBag");
    QVERIFY(!firstBag.isEmpty());
    QVERIFY(bag != firstBag);

    // Kept, an unchanged file keeps its stored bytes: the earlier catalogue
    // opens it at every moment of the run.
    write(kPassword, true);
    QCOMPARE(plistData(manifestPlist, "BackupKeyBag"), bag);
    const QByteArray keptSms = readFile(smsFile);
    QVERIFY(!keptSms.startsWith("SQLite format 3"));
    write(kPassword, true);
    QCOMPARE(plistData(manifestPlist, "BackupKeyBag"), bag);
    QCOMPARE(readFile(smsFile), keptSms);
    {
        PhoneBackup backup(folder(), base());
        QCOMPARE(backup.unlock(kPassword), UnlockResult::Unlocked);
        const QString sms = backup.locateFile(PhoneBackup::kHomeDomain, PhoneBackup::kMessagesPath);
        QVERIFY2(!sms.isEmpty(), qPrintable(backup.lastError()));
        QCOMPARE(readFile(sms), m_smsMain);
    }

    // A password that does not open the earlier bag makes new keys.
    PhoneBackup::forgetKeys();
    write("another password", true);
    QVERIFY(plistData(manifestPlist, "BackupKeyBag") != bag);
    PhoneBackup backup(folder(), base());
    QCOMPARE(backup.unlock(kPassword), UnlockResult::WrongPassword);
    QCOMPARE(backup.unlock("another password"), UnlockResult::Unlocked);
    QCOMPARE(readFile(backup.locateFile(PhoneBackup::kHomeDomain, PhoneBackup::kMessagesPath)), m_smsMain);
}

// The child of privateFolderGoesAtProgramEnd: unlocks, decrypts, prints the
// private folder, then ends without destroying anything, or crashes.
static int childMain()
{
    const QByteArray how = qgetenv("PHONEBACKUP_CHILD");
    auto* backup =
        new PhoneBackup(qEnvironmentVariable("PHONEBACKUP_FOLDER"), qEnvironmentVariable("PHONEBACKUP_BASE"));
    if (backup->unlock(kPassword) != UnlockResult::Unlocked || backup->phoneDatabases().messages.isEmpty())
        return 3;
    std::printf("%s\n", qPrintable(backup->privateFolderPath()));
    std::fflush(stdout);
    if (how == "crash")
        std::abort();
    std::exit(0);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("PHONEBACKUP_CHILD"))
        return childMain();
    EncryptedTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_encrypted.moc"
