// msgdesk-cli on sources as real phones leave them: databases and address
// books whose content is only in their write-ahead log, a backup whose
// catalogue lists a file that is not there (info and list must tell the
// same), and show reading its one conversation.

#include "BackupBuilder.h"
#include "CliCommands.h"
#include "CliRun.h"
#include "Fixtures.h"
#include "ModernFixtures.h"
#include "PhoneBackup.h"

#include <QBuffer>
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
    void showOfOneConversationMatchesTheWholeRead();

private:
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
