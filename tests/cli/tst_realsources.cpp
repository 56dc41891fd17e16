// msgdesk-cli on sources as real phones leave them: databases and address
// books whose content is only in their write-ahead log, a backup whose
// catalogue lists a file that is not there (info and list must tell the
// same, encrypted or not), and show reading its one conversation.

#include "BackupBuilder.h"
#include "CliCommands.h"
#include "CliRun.h"
#include "Fixtures.h"
#include "ModernFixtures.h"
#include "PhoneBackup.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using clirun::fileBytes;
using clirun::Result;

namespace {

Result runCli(const QStringList& args)
{
    return clirun::run(args);
}

} // namespace

class RealSourcesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void contentOnlyInTheLogIsRead_data();
    void contentOnlyInTheLogIsRead();
    void infoAndListTellAMissingFileAlike();
    void encryptedBackupTellsAMissingFileOnlyOnceUnlocked();
    void oldEncryptedBackupTellsAMissingFileWithoutPassword();
    void showOfOneConversationMatchesTheWholeRead();

private:
    QString encryptedWithoutBook(const QString& name, backupbuilder::Layout layout) const;

    QTemporaryDir m_dir;
    QString m_legacy;
    QString m_modern;
    QString m_book;
};

void RealSourcesTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_legacy = fixtures::makeMessageDb(m_dir.filePath(QStringLiteral("legacy.db")), fixtures::sampleMessages());
    m_modern = modernfixtures::makeModernDb(m_dir.filePath(QStringLiteral("modern.db")),
                                            modernfixtures::sample(modernfixtures::Schema::Ios13),
                                            modernfixtures::Schema::Ios13);
    m_book = fixtures::makeAddressBook(m_dir.filePath(QStringLiteral("book.sqlitedb")), fixtures::samplePeople(),
                                       fixtures::BookSchema::Ios15);
}

void RealSourcesTest::contentOnlyInTheLogIsRead_data()
{
    QTest::addColumn<QString>("messages");
    QTest::newRow("legacy (iOS 5)") << m_legacy;
    QTest::newRow("modern (iOS 13)") << m_modern;
}

void RealSourcesTest::contentOnlyInTheLogIsRead()
{
    QFETCH(QString, messages);
    // A phone's folder: a main file of one page each, all else in the log.
    QTemporaryDir phone;
    const QString sms = phone.filePath(QStringLiteral("sms.db"));
    const QString book = phone.filePath(QStringLiteral("AddressBook.sqlitedb"));
    QVERIFY(fixtures::walFormCopy(messages, sms));
    QVERIFY(fixtures::walFormCopy(m_book, book));
    QVERIFY(QFileInfo(sms).size() <= 4096);
    QVERIFY(QFileInfo(book).size() <= 4096);
    const QByteArray before = fixtures::folderDigest(phone.path());

    const Result expected = runCli({QStringLiteral("list"), QStringLiteral("--contacts"), m_book, messages});
    QCOMPARE(expected.status, cli::kOk);
    QVERIFY(expected.out.count('\n') > 2);

    const Result bare = runCli({QStringLiteral("list"), sms});
    QVERIFY2(bare.status == cli::kOk, bare.err.constData());
    QCOMPARE(bare.out.count('\n'), expected.out.count('\n'));
    const Result named = runCli({QStringLiteral("list"), QStringLiteral("--contacts"), book, sms});
    QVERIFY2(named.status == cli::kOk, named.err.constData());
    QCOMPARE(named.out, expected.out);
    const Result info = runCli({QStringLiteral("info"), sms});
    QCOMPARE(info.status, cli::kOk);
    QCOMPARE(info.out, runCli({QStringLiteral("info"), messages}).out);

    QCOMPARE(fixtures::folderDigest(phone.path()), before);
}

void RealSourcesTest::infoAndListTellAMissingFileAlike()
{
    // The catalogue lists the address book; its file is gone.
    const QString folder = m_dir.filePath(QStringLiteral("missing-book"));
    QString error;
    QVERIFY2(
        backupbuilder::writeBackup(
            folder,
            {{phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kMessagesPath, fileBytes(m_modern)},
             {phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kAddressBookPath, fileBytes(m_book)}},
            backupbuilder::Options(), &error),
        qPrintable(error));
    const QString complete = runCli({QStringLiteral("info"), folder}).out;
    QVERIFY2(complete.contains(QStringLiteral("Complete: yes\n")), qPrintable(complete));
    QVERIFY(QFile::remove(backupbuilder::dataPath(backupbuilder::Layout::ManifestDb, folder,
                                                  phonebackup::PhoneBackup::kHomeDomain,
                                                  phonebackup::PhoneBackup::kAddressBookPath)));
    const QByteArray digest = fixtures::folderDigest(folder);

    const QString reason = QStringLiteral("This backup is incomplete: it lists "
                                          "Library/AddressBook/AddressBook.sqlitedb, but the file is missing.");
    const Result list = runCli({QStringLiteral("list"), folder});
    QCOMPARE(list.status, cli::kOk);
    QVERIFY2(QString::fromUtf8(list.err).contains(reason), list.err.constData());

    const Result info = runCli({QStringLiteral("info"), folder});
    QCOMPARE(info.status, cli::kOk);
    QVERIFY2(QString::fromUtf8(info.out).contains(QStringLiteral("Complete: ") + reason), info.out.constData());

    const Result json = runCli({QStringLiteral("info"), QStringLiteral("--json"), folder});
    const QJsonObject object = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(object.value(QStringLiteral("complete")).toBool(true), false);
    QCOMPARE(object.value(QStringLiteral("missing")).toArray(),
             QJsonArray{QStringLiteral("Library/AddressBook/AddressBook.sqlitedb")});
    // Status.plist says finished: that much is still as before.
    QCOMPARE(object.value(QStringLiteral("finished")).toBool(false), true);

    QCOMPARE(fixtures::folderDigest(folder), digest);
}

// An encrypted backup of the given layout whose catalogue lists the address
// book, with that file removed.
QString RealSourcesTest::encryptedWithoutBook(const QString& name, backupbuilder::Layout layout) const
{
    const QString folder = m_dir.filePath(name);
    backupbuilder::Options options;
    options.layout = layout;
    options.encrypted = true;
    options.password = "secret";
    QString error;
    const bool written = backupbuilder::writeBackup(
        folder,
        {{phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kMessagesPath, fileBytes(m_modern)},
         {phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kAddressBookPath, fileBytes(m_book)}},
        options, &error);
    if (!written || !QFile::remove(backupbuilder::dataPath(layout, folder, phonebackup::PhoneBackup::kHomeDomain,
                                                           phonebackup::PhoneBackup::kAddressBookPath)))
        return QString();
    return folder;
}

void RealSourcesTest::encryptedBackupTellsAMissingFileOnlyOnceUnlocked()
{
    const QString folder =
        encryptedWithoutBook(QStringLiteral("encrypted-missing-book"), backupbuilder::Layout::ManifestDb);
    QVERIFY(!folder.isEmpty());
    const QByteArray digest = fixtures::folderDigest(folder);
    const QString reason = QStringLiteral("This backup is incomplete: it lists "
                                          "Library/AddressBook/AddressBook.sqlitedb, but the file is missing.");
    const QJsonArray missing{QStringLiteral("Library/AddressBook/AddressBook.sqlitedb")};
    const auto infoJson = [&](const PasswordSource& password) {
        phonebackup::PhoneBackup::forgetKeys();
        const Result json = clirun::run({QStringLiteral("info"), QStringLiteral("--json"), folder}, password);
        return QJsonDocument::fromJson(json.out).object();
    };

    // No password: not "yes", in either form.
    phonebackup::PhoneBackup::forgetKeys();
    const Result locked = runCli({QStringLiteral("info"), folder});
    QCOMPARE(locked.status, cli::kOk);
    QVERIFY2(locked.out.contains("Encrypted: yes\n"), locked.out.constData());
    QVERIFY2(locked.out.contains("Complete: cannot be told while the backup is locked\n"), locked.out.constData());
    const QJsonObject lockedJson = infoJson({});
    QVERIFY(lockedJson.contains(QStringLiteral("complete")));
    QVERIFY(lockedJson.value(QStringLiteral("complete")).isNull());
    QVERIFY(lockedJson.value(QStringLiteral("missing")).isNull());
    QCOMPARE(lockedJson.value(QStringLiteral("finished")).toBool(false), true);
    // Nor does the window's chooser call it complete without the keys.
    phonebackup::PhoneBackup::forgetKeys();
    const phonebackup::BackupInfo backupInfo = phonebackup::PhoneBackup(folder).info();
    QVERIFY(!phonebackup::listsMissingFiles(backupInfo));

    // With the password list uses, info tells what list tells.
    phonebackup::PhoneBackup::forgetKeys();
    const Result list = clirun::run({QStringLiteral("list"), folder}, clirun::fixedPassword("secret"));
    QCOMPARE(list.status, cli::kOk);
    QVERIFY2(QString::fromUtf8(list.err).contains(reason), list.err.constData());
    // Keys given earlier in the run: the chooser tells too.
    QVERIFY(phonebackup::listsMissingFiles(backupInfo));
    phonebackup::PhoneBackup::forgetKeys();
    const Result info = clirun::run({QStringLiteral("info"), folder}, clirun::fixedPassword("secret"));
    QCOMPARE(info.status, cli::kOk);
    QVERIFY2(QString::fromUtf8(info.out).contains(QStringLiteral("Complete: ") + reason), info.out.constData());
    const QJsonObject unlocked = infoJson(clirun::fixedPassword("secret"));
    QCOMPARE(unlocked.value(QStringLiteral("complete")).toBool(true), false);
    QCOMPARE(unlocked.value(QStringLiteral("missing")).toArray(), missing);

    // A wrong password is said, and the rest is told as without one.
    phonebackup::PhoneBackup::forgetKeys();
    const Result wrong = clirun::run({QStringLiteral("info"), folder}, clirun::fixedPassword("not it"));
    QCOMPARE(wrong.status, cli::kOk);
    QVERIFY2(wrong.err.contains("wrong password for this backup"), wrong.err.constData());
    QVERIFY2(wrong.out.contains("Complete: cannot be told while the backup is locked\n"), wrong.out.constData());

    phonebackup::PhoneBackup::forgetKeys();
    QCOMPARE(fixtures::folderDigest(folder), digest);
}

void RealSourcesTest::oldEncryptedBackupTellsAMissingFileWithoutPassword()
{
    // Manifest.mbdb is never encrypted: no password is needed to tell.
    const QString folder =
        encryptedWithoutBook(QStringLiteral("encrypted-mbdb-missing-book"), backupbuilder::Layout::ManifestMbdb);
    QVERIFY(!folder.isEmpty());
    const QByteArray digest = fixtures::folderDigest(folder);
    phonebackup::PhoneBackup::forgetKeys();
    const Result info = runCli({QStringLiteral("info"), QStringLiteral("--json"), folder});
    QCOMPARE(info.status, cli::kOk);
    const QJsonObject object = QJsonDocument::fromJson(info.out).object();
    QCOMPARE(object.value(QStringLiteral("encrypted")).toBool(false), true);
    QCOMPARE(object.value(QStringLiteral("complete")).toBool(true), false);
    QCOMPARE(object.value(QStringLiteral("missing")).toArray(),
             QJsonArray{QStringLiteral("Library/AddressBook/AddressBook.sqlitedb")});
    QVERIFY(phonebackup::listsMissingFiles(phonebackup::PhoneBackup(folder).info()));
    QCOMPARE(fixtures::folderDigest(folder), digest);

    // A catalogue that cannot be read tells nothing either way.
    QFile catalogue(QDir(folder).filePath(QStringLiteral("Manifest.mbdb")));
    QVERIFY(catalogue.open(QIODevice::WriteOnly | QIODevice::Truncate));
    catalogue.write(QByteArray("mbdb\x05\x00", 6) + QByteArray(7, '\xff'));
    catalogue.close();
    const Result damaged = runCli({QStringLiteral("info"), folder});
    QCOMPARE(damaged.status, cli::kOk);
    QVERIFY2(damaged.out.contains("Complete: cannot be told while the backup is locked\n"), damaged.out.constData());
}

void RealSourcesTest::showOfOneConversationMatchesTheWholeRead()
{
    // export of the whole file holds every conversation's block; show of
    // each key must give that conversation's messages, named alike.
    for (const QString& source : {m_legacy, m_modern}) {
        const Result list =
            runCli({QStringLiteral("list"), QStringLiteral("--json"), QStringLiteral("--contacts"), m_book, source});
        QCOMPARE(list.status, cli::kOk);
        const QList<QByteArray> heads = list.out.trimmed().split('\n');
        QVERIFY(heads.size() > 2);
        for (const QByteArray& line : heads) {
            const QJsonObject head = QJsonDocument::fromJson(line).object();
            const QString key = head.value(QStringLiteral("key")).toString();
            if (key.isEmpty())
                continue;
            const Result show = runCli(
                {QStringLiteral("show"), QStringLiteral("--json"), QStringLiteral("--contacts"), m_book, source, key});
            QCOMPARE(show.status, cli::kOk);
            const QList<QByteArray> rows = show.out.trimmed().split('\n');
            QCOMPARE(rows.size(), head.value(QStringLiteral("count")).toInt());
            // The latest message is the one the list shows.
            const QJsonObject last = QJsonDocument::fromJson(rows.last()).object();
            QCOMPARE(last.value(QStringLiteral("text")).toString(), head.value(QStringLiteral("text")).toString());
        }
    }
}

QTEST_GUILESS_MAIN(RealSourcesTest)
#include "tst_realsources.moc"
