// msgdesk-cli from the outside: its commands on legacy and modern files and
// on phone backup folders of every layout (encrypted too), the plain and the
// JSON forms, the export bytes, the exit statuses, and that no source ever
// changes. Most cases call the commands as the program does; a few run the
// program itself.

#include "BackupBuilder.h"
#include "CliCommands.h"
#include "CliRun.h"
#include "Fixtures.h"
#include "ModernFixtures.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using clirun::fileBytes;
using clirun::Result;

namespace {

// A password source that counts how often it was asked.
struct Password
{
    QByteArray value;
    bool available = true;
    int asked = 0;
    PasswordSource source()
    {
        return [this](const phonebackup::BackupInfo&, QByteArray* out) {
            ++asked;
            *out = value;
            return available;
        };
    }
};

Result runCli(const QStringList& args, const PasswordSource& password = {})
{
    return clirun::run(args, password);
}

QByteArray stars(int n)
{
    return QByteArray(n, '*');
}

// Two people: Ann (two messages, the later one sent) and an unknown number,
// whose message is the latest of all; in the legacy layout of a backup file.
QString makeLegacyBackup(const QString& path)
{
    return fixtures::makeBackupFile(
        path,
        {
            {1, QStringLiteral("13800138000"), 1262304000, QStringLiteral("hello"), 2},
            {2, QStringLiteral("138-0013-8000"), 1262304060, QStringLiteral("two\nlines"), 3},
            {3, QStringLiteral("10086"), 1262304120, QStringLiteral("your bill"), 2},
        },
        {{QStringLiteral("Ann Lee"), QStringLiteral("13800138000")}});
}

// A current phone's database: a one-to-one chat whose incoming text is only
// in attributedBody, and a named group with two members.
modernfixtures::Database modernPhone()
{
    using namespace modernfixtures;
    Database db;
    db.handles = {{1, QStringLiteral("+12095981933"), QStringLiteral("iMessage"), QStringLiteral("us")},
                  {2, QStringLiteral("ben@example.org"), QStringLiteral("iMessage"), QStringLiteral("us")}};
    db.chats = {{1, QStringLiteral("+12095981933"), 45, QVariant(), {1}},
                {2, QStringLiteral("chat123456789"), 43, QStringLiteral("Trip"), {1, 2}}};
    const qint64 ns = 1000000000LL;
    Message one{10, QVariant(), body("only in the body"), 1, 0, 700000000 * ns, {1}, {}, {}, {}};
    Message two{11, QStringLiteral("sent back"), QVariant(), 0, 1, 700000060 * ns, {1}, {}, {}, {}};
    Message group1{12, QStringLiteral("who brings the tent?"), QVariant(), 2, 0, 700000120 * ns, {2}, {}, {}, {}};
    Message group2{13, QStringLiteral("me"), QVariant(), 1, 0, 700000180 * ns, {2}, {}, {}, {}};
    db.messages = {one, two, group1, group2};
    return db;
}

QString makeModernBook(const QString& path)
{
    return fixtures::makeAddressBook(
        path,
        {{QStringLiteral("Amélie"),
          QStringLiteral("Dupont"),
          {{4, QStringLiteral("amelie@example.org")}, {3, QStringLiteral("(209)\u00a0598-1933")}}}},
        fixtures::BookSchema::Ios15);
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void usageErrorsExitWithTwo_data();
    void usageErrorsExitWithTwo();
    void unreadableSourcesExitWithOne_data();
    void unreadableSourcesExitWithOne();
    void listsLegacyBackupLatestFirst();
    void showsOneConversationOldestFirst();
    void exportsTheBytesOfCopy();
    void modernDatabaseWithAddressBook();
    void backupFoldersOfEveryLayoutReadAlike();
    void encryptedBackupNeedsItsPassword();
    void infoOnFoldersAndFiles();
    void sourcesStayUnchanged();
    void theProgramItself();

private:
    QTemporaryDir m_dir;
    QString m_legacy;
    QString m_modern;
    QString m_book;
};

void CliTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_legacy = makeLegacyBackup(m_dir.filePath(QStringLiteral("legacy.sms")));
    m_modern = modernfixtures::makeModernDb(m_dir.filePath(QStringLiteral("sms.db")), modernPhone(),
                                            modernfixtures::Schema::Ios17);
    m_book = makeModernBook(m_dir.filePath(QStringLiteral("AddressBook.sqlitedb")));
}

void CliTest::usageErrorsExitWithTwo_data()
{
    QTest::addColumn<QStringList>("args");
    const QString s = QStringLiteral("x.sms");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown command") << QStringList{QStringLiteral("delete"), s};
    QTest::newRow("unknown option") << QStringList{QStringLiteral("list"), QStringLiteral("--yaml"), s};
    QTest::newRow("missing source") << QStringList{QStringLiteral("list")};
    QTest::newRow("list with two") << QStringList{QStringLiteral("list"), s, s};
    QTest::newRow("show without key") << QStringList{QStringLiteral("show"), s};
    QTest::newRow("export without file") << QStringList{QStringLiteral("export"), s};
    QTest::newRow("contacts without value") << QStringList{QStringLiteral("list"), s, QStringLiteral("--contacts")};
    QTest::newRow("json on export") << QStringList{QStringLiteral("export"), QStringLiteral("--json"), s, s};
    QTest::newRow("conversation on show")
        << QStringList{QStringLiteral("show"), QStringLiteral("--conversation"), QStringLiteral("k"), s, s};
}

void CliTest::usageErrorsExitWithTwo()
{
    QFETCH(QStringList, args);
    const Result r = runCli(args);
    QCOMPARE(r.status, cli::kUsage);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.startsWith("msgdesk-cli: "), r.err.constData());
    QVERIFY(r.err.contains("usage: msgdesk-cli list"));
}

void CliTest::unreadableSourcesExitWithOne_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("says");
    const QString notDb = m_dir.filePath(QStringLiteral("notes.txt"));
    QFile f(notDb);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("this is no database, just some text that is long enough to look like a header");
    f.close();
    const QString noTable = m_dir.filePath(QStringLiteral("other.db"));
    QCOMPARE(fixtures::exec(noTable, QStringLiteral("create table t(x)")), 0);
    const QString notBackup = m_dir.filePath(QStringLiteral("empty-folder"));
    QVERIFY(QDir().mkpath(notBackup));

    QTest::newRow("missing file") << QStringList{QStringLiteral("list"), m_dir.filePath(QStringLiteral("gone.sms"))}
                                  << QByteArray("no such file");
    QTest::newRow("not a database") << QStringList{QStringLiteral("list"), notDb}
                                    << QByteArray("not a message database");
    QTest::newRow("no message table") << QStringList{QStringLiteral("show"), noTable, QStringLiteral("1")}
                                      << QByteArray("no message table");
    QTest::newRow("not a backup folder") << QStringList{QStringLiteral("list"), notBackup}
                                         << QByteArray(notBackup.toUtf8());
    QTest::newRow("unknown conversation")
        << QStringList{QStringLiteral("show"), m_legacy, QStringLiteral("999")} << QByteArray("no conversation 999");
    QTest::newRow("contacts not a book") << QStringList{QStringLiteral("list"), QStringLiteral("--contacts"), m_legacy,
                                                        m_modern}
                                         << QByteArray("not an address book");
    QTest::newRow("export to a missing folder")
        << QStringList{QStringLiteral("export"), m_legacy, m_dir.filePath(QStringLiteral("no/such/dir/out.txt"))}
        << QByteArray("does not exist");
}

void CliTest::unreadableSourcesExitWithOne()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, says);
    const Result r = runCli(args);
    QCOMPARE(r.status, cli::kFailed);
    QVERIFY(r.out.isEmpty());
    // One clear line, not a usage text.
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY2(r.err.contains(says), r.err.constData());
}

void CliTest::listsLegacyBackupLatestFirst()
{
    const Result plain = runCli({QStringLiteral("list"), m_legacy});
    QCOMPARE(plain.status, cli::kOk);
    QVERIFY(plain.err.isEmpty());
    // Dashes removed, so rows 1 and 2 are one conversation; the backup's
    // contact name starts with the blank the Part's name form gives it.
    QCOMPARE(plain.lines(), (QList<QByteArray>{
                                "10086\t10086\t1\tFri Jan 01 08:02:00 2010\tyour bill",
                                "Ann Lee\t13800138000\t2\tFri Jan 01 08:01:00 2010\ttwo lines",
                            }));

    const Result json = runCli({QStringLiteral("list"), QStringLiteral("--json"), m_legacy});
    QCOMPARE(json.status, cli::kOk);
    const QList<QJsonObject> rows = json.objects();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(1).value(QStringLiteral("key")).toString(), QStringLiteral("13800138000"));
    QCOMPARE(rows.at(1).value(QStringLiteral("name")).toString(), QStringLiteral("Ann Lee"));
    QCOMPARE(rows.at(1).value(QStringLiteral("count")).toInt(), 2);
    QCOMPARE(rows.at(1).value(QStringLiteral("time")).toString(), QStringLiteral("Fri Jan 01 08:01:00 2010"));
    // JSON keeps the text as it is, line break and all.
    QCOMPARE(rows.at(1).value(QStringLiteral("text")).toString(), QStringLiteral("two\nlines"));
    QCOMPARE(rows.at(0).keys(), (QStringList{QStringLiteral("count"), QStringLiteral("key"), QStringLiteral("name"),
                                             QStringLiteral("text"), QStringLiteral("time")}));
}

void CliTest::showsOneConversationOldestFirst()
{
    const Result plain = runCli({QStringLiteral("show"), m_legacy, QStringLiteral("13800138000")});
    QCOMPARE(plain.status, cli::kOk);
    QCOMPARE(plain.lines(), (QList<QByteArray>{"Fri Jan 01 08:00:00 2010\tAnn Lee\thello",
                                               "Fri Jan 01 08:01:00 2010\tme\ttwo lines"}));

    const Result json =
        runCli({QStringLiteral("show"), QStringLiteral("--json"), m_legacy, QStringLiteral("13800138000")});
    const QList<QJsonObject> rows = json.objects();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).value(QStringLiteral("rowid")).toInteger(), 1);
    QCOMPARE(rows.at(0).value(QStringLiteral("incoming")).toBool(), true);
    QCOMPARE(rows.at(0).value(QStringLiteral("sender")).toString(), QStringLiteral("13800138000"));
    QCOMPARE(rows.at(0).value(QStringLiteral("utc")).toString(), QStringLiteral("2010-01-01T00:00:00Z"));
    QCOMPARE(rows.at(1).value(QStringLiteral("incoming")).toBool(), false);
    QVERIFY(rows.at(1).value(QStringLiteral("sender")).isNull());
    QCOMPARE(rows.at(1).value(QStringLiteral("text")).toString(), QStringLiteral("two\nlines"));
    QCOMPARE(rows.at(1).keys(), (QStringList{QStringLiteral("attachments"), QStringLiteral("incoming"),
                                             QStringLiteral("key"), QStringLiteral("rowid"), QStringLiteral("sender"),
                                             QStringLiteral("text"), QStringLiteral("time"), QStringLiteral("utc")}));
    QVERIFY(rows.at(1).value(QStringLiteral("attachments")).isArray());
    QVERIFY(rows.at(1).value(QStringLiteral("attachments")).toArray().isEmpty());
}

void CliTest::exportsTheBytesOfCopy()
{
    // The list page's form: conversations latest first, each message newest
    // first and followed by the rule; the time text keeps its line feed.
    const QString all = m_dir.filePath(QStringLiteral("all.txt"));
    QCOMPARE(runCli({QStringLiteral("export"), m_legacy, all}).status, cli::kOk);
    QCOMPARE(fileBytes(all), stars(45) + "\r\nFrom  10086 at:time:Fri Jan 01 08:02:00 2010\n :\r\nyour bill\r\n" +
                                 stars(45) + "\r\n" + stars(45) +
                                 "\r\nFrom  13800138000 at:time:Fri Jan 01 08:01:00 2010\n :\r\ntwo\nlines\r\n" +
                                 stars(45) + "\r\nFrom  13800138000 at:time:Fri Jan 01 08:00:00 2010\n :\r\nhello\r\n" +
                                 stars(45) + "\r\n");

    // The chat page's form, with the option after the positional arguments.
    const QString one = m_dir.filePath(QStringLiteral("one.txt"));
    QCOMPARE(runCli({QStringLiteral("export"), m_legacy, one, QStringLiteral("--conversation"),
                     QStringLiteral("13800138000")})
                 .status,
             cli::kOk);
    QCOMPARE(fileBytes(one), stars(45) + "\r\n*13800138000\r\n" + stars(43) +
                                 "\r\nFrom  13800138000 at:time:Fri Jan 01 08:00:00 2010\n :\r\nhello\r\n"
                                 "From  13800138000 at:time:Fri Jan 01 08:01:00 2010\n :\r\ntwo\nlines\r\n");
}

void CliTest::modernDatabaseWithAddressBook()
{
    const Result list = runCli({QStringLiteral("list"), QStringLiteral("--contacts"), m_book, m_modern});
    QCOMPARE(list.status, cli::kOk);
    // The group by its name, the person by the book's formatted number.
    QCOMPARE(list.lines(), (QList<QByteArray>{
                               "Trip\tchat123456789\t2\tThu Mar 09 04:29:40 2023\tme",
                               "Dupont Amélie\t+12095981933\t2\tThu Mar 09 04:27:40 2023\tsent back",
                           }));
    const Result show = runCli({QStringLiteral("show"), QStringLiteral("--json"), QStringLiteral("--contacts"), m_book,
                                m_modern, QStringLiteral("+12095981933")});
    const QList<QJsonObject> rows = show.objects();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).value(QStringLiteral("text")).toString(), QStringLiteral("only in the body"));
    QCOMPARE(rows.at(0).value(QStringLiteral("utc")).toString(), QStringLiteral("2023-03-08T20:26:40Z"));
    // In the group, each message names who sent it.
    const Result group = runCli(
        {QStringLiteral("show"), QStringLiteral("--contacts"), m_book, m_modern, QStringLiteral("chat123456789")});
    QCOMPARE(group.lines(), (QList<QByteArray>{"Thu Mar 09 04:28:40 2023\tben@example.org\twho brings the tent?",
                                               "Thu Mar 09 04:29:40 2023\tDupont Amélie\tme"}));
    const Result groupJson =
        runCli({QStringLiteral("show"), QStringLiteral("--json"), m_modern, QStringLiteral("chat123456789")});
    QCOMPARE(groupJson.objects().at(0).value(QStringLiteral("sender")).toString(), QStringLiteral("ben@example.org"));
}

void CliTest::backupFoldersOfEveryLayoutReadAlike()
{
    const QList<backupbuilder::PhoneFile> files{
        {phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kMessagesPath, fileBytes(m_modern)},
        {phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kAddressBookPath, fileBytes(m_book)},
        {phonebackup::PhoneBackup::kHomeDomain, QStringLiteral("Library/SMS/sms.db-wal"), QByteArray()},
    };
    const QByteArray expected = runCli({QStringLiteral("list"), QStringLiteral("--contacts"), m_book, m_modern}).out;
    QVERIFY(!expected.isEmpty());
    for (auto layout : {backupbuilder::Layout::DescriptionFiles, backupbuilder::Layout::ManifestMbdb,
                        backupbuilder::Layout::ManifestDb}) {
        const QString folder = m_dir.filePath(QStringLiteral("layout%1").arg(int(layout)));
        backupbuilder::Options options;
        options.layout = layout;
        QString error;
        QVERIFY2(backupbuilder::writeBackup(folder, files, options, &error), qPrintable(error));
        const Result r = runCli({QStringLiteral("list"), folder});
        QCOMPARE(r.status, cli::kOk);
        QCOMPARE(r.out, expected);
    }
}

void CliTest::encryptedBackupNeedsItsPassword()
{
    const QString folder = m_dir.filePath(QStringLiteral("encrypted"));
    backupbuilder::Options options;
    options.encrypted = true;
    options.password = "correct horse";
    QString error;
    QVERIFY2(
        backupbuilder::writeBackup(
            folder,
            {{phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kMessagesPath, fileBytes(m_modern)},
             {phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kAddressBookPath, fileBytes(m_book)}},
            options, &error),
        qPrintable(error));
    const QStringList args{QStringLiteral("list"), folder};

    Password none;
    none.available = false;
    Result r = runCli(args, none.source());
    QCOMPARE(r.status, cli::kFailed);
    QVERIFY2(r.err.contains("MSGDESK_BACKUP_PASSWORD"), r.err.constData());

    Password wrong{"battery staple"};
    r = runCli(args, wrong.source());
    QCOMPARE(r.status, cli::kFailed);
    QVERIFY2(r.err.contains("wrong password"), r.err.constData());
    QVERIFY(!r.err.contains("battery"));

    Password right{"correct horse"};
    r = runCli(args, right.source());
    QCOMPARE(r.status, cli::kOk);
    QCOMPARE(right.asked, 1);
    QCOMPARE(r.out, runCli({QStringLiteral("list"), QStringLiteral("--contacts"), m_book, m_modern}).out);
    // Unlocked once, the backup is not asked for again in the same run.
    Password later{"anything"};
    QCOMPARE(runCli(args, later.source()).status, cli::kOk);
    QCOMPARE(later.asked, 0);
    phonebackup::PhoneBackup::forgetKeys();
}

void CliTest::infoOnFoldersAndFiles()
{
    const QString folder = m_dir.filePath(QStringLiteral("info-backup"));
    backupbuilder::Options options;
    options.layout = backupbuilder::Layout::ManifestMbdb;
    options.encrypted = true;
    options.password = "pw";
    options.device.deviceName = QStringLiteral("Zoë's iPhone");
    options.device.productVersion = QStringLiteral("9.3.5");
    options.device.lastBackupDate = QDateTime(QDate(2016, 8, 25), QTime(12, 0), Qt::UTC);
    QString error;
    QVERIFY2(backupbuilder::writeBackup(folder, {}, options, &error), qPrintable(error));

    Password never;
    const Result r = runCli({QStringLiteral("info"), folder}, never.source());
    QCOMPARE(r.status, cli::kOk);
    QCOMPARE(never.asked, 0);
    const QList<QByteArray> lines = r.lines();
    QCOMPARE(lines.value(0), QByteArray("Device name: Zoë's iPhone"));
    QCOMPARE(lines.value(1), QByteArray("iOS version: 9.3.5"));
    // Local time (the tests run in Asia/Shanghai).
    QCOMPARE(lines.value(2), QByteArray("Backup date: 2016-08-25 20:00:00"));
    QVERIFY2(lines.value(3).startsWith("Layout: ") && lines.value(3).contains("mbdb"), lines.value(3).constData());
    QCOMPARE(lines.value(4), QByteArray("Encrypted: yes"));

    const QJsonObject json = runCli({QStringLiteral("info"), QStringLiteral("--json"), folder}).objects().value(0);
    QCOMPARE(json.value(QStringLiteral("device")).toString(), QStringLiteral("Zoë's iPhone"));
    QCOMPARE(json.value(QStringLiteral("date")).toString(), QStringLiteral("2016-08-25T12:00:00Z"));
    QCOMPARE(json.value(QStringLiteral("encrypted")).toBool(), true);

    const Result file = runCli({QStringLiteral("info"), m_modern});
    QCOMPARE(file.status, cli::kOk);
    QVERIFY(file.out.contains("Layout: modern"));
    QVERIFY(file.out.contains("Messages: 4"));
    QVERIFY(file.out.contains("Conversations: 2"));
    QVERIFY(runCli({QStringLiteral("info"), m_legacy}).out.contains("Layout: legacy"));
}

void CliTest::sourcesStayUnchanged()
{
    // A database in WAL form whose log holds a message the main file lacks.
    QTemporaryDir phone;
    const QString db = modernfixtures::makeModernDb(phone.filePath(QStringLiteral("sms.db")), modernPhone(),
                                                    modernfixtures::Schema::Ios13);
    QCOMPARE(fixtures::exec(db, QStringLiteral("pragma journal_mode=wal")), 0);
    fixtures::writeIntoLog(db, QStringLiteral("insert into message (ROWID, guid, text, handle_id, is_from_me, date) "
                                              "values (20, 'late', 'from the log', 1, 0, 700000300000000000); "
                                              "insert into chat_message_join (chat_id, message_id) values (1, 20);"));
    QVERIFY(QFileInfo(db + QStringLiteral("-wal")).size() > 0);
    const QByteArray before = fixtures::folderDigest(phone.path());
    const QByteArray legacyBefore = fixtures::folderDigest(m_dir.path());

    const Result r = runCli({QStringLiteral("show"), db, QStringLiteral("+12095981933")});
    QCOMPARE(r.status, cli::kOk);
    QVERIFY2(r.out.contains("from the log"), r.out.constData());
    QCOMPARE(runCli({QStringLiteral("list"), m_legacy}).status, cli::kOk);
    QCOMPARE(runCli({QStringLiteral("info"), m_legacy}).status, cli::kOk);

    QCOMPARE(fixtures::folderDigest(phone.path()), before);
    QCOMPARE(fixtures::folderDigest(m_dir.path()), legacyBefore);
}

void CliTest::theProgramItself()
{
    const QString program = QStringLiteral(MSGDESK_CLI_PROGRAM);
    QProcess p;
    p.start(program, {QStringLiteral("list"), m_legacy});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(p.readAllStandardOutput(), runCli({QStringLiteral("list"), m_legacy}).out);

    p.start(program, {QStringLiteral("frobnicate")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardOutput().isEmpty());

    p.start(program, {QStringLiteral("list"), m_dir.filePath(QStringLiteral("gone.sms"))});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
    QCOMPARE(p.readAllStandardError().count('\n'), 1);

    // The password from the environment; standard input is no terminal here.
    const QString folder = m_dir.filePath(QStringLiteral("env-encrypted"));
    backupbuilder::Options options;
    options.encrypted = true;
    options.password = "from env";
    QString error;
    QVERIFY2(backupbuilder::writeBackup(folder,
                                        {{phonebackup::PhoneBackup::kHomeDomain,
                                          phonebackup::PhoneBackup::kMessagesPath, fileBytes(m_modern)}},
                                        options, &error),
             qPrintable(error));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("MSGDESK_BACKUP_PASSWORD"));
    p.setProcessEnvironment(env);
    p.start(program, {QStringLiteral("list"), folder});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
    env.insert(QStringLiteral("MSGDESK_BACKUP_PASSWORD"), QStringLiteral("from env"));
    p.setProcessEnvironment(env);
    p.start(program, {QStringLiteral("list"), folder});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(p.readAllStandardOutput().contains("chat123456789"));
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
