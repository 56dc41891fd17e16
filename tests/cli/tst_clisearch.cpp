// msgdesk-cli search: the plain and JSON lines, newest first, one
// conversation only, no hit, texts only in attributedBody, attachment
// names, the exit statuses, and an unchanged source.

#include "CliCommands.h"
#include "CliRun.h"
#include "Fixtures.h"
#include "ModernFixtures.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using clirun::Result;

namespace {

Result runCli(const QStringList& args)
{
    return clirun::run(args);
}

QByteArray digest(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class CliSearchTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void plainLinesNewestFirst();
    void jsonFields();
    void oneConversationOnly();
    void noHitPrintsNothing();
    void textOnlyInAttributedBody();
    void attachmentNames();
    void wrongUsageAndUnreadableSources_data();
    void wrongUsageAndUnreadableSources();

private:
    QTemporaryDir m_dir;
    QString m_backup;
    QString m_modern;
};

void CliSearchTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Ann (two messages) and an unknown number, in the legacy layout of a backup.
    m_backup = fixtures::makeBackupFile(
        m_dir.filePath(QStringLiteral("legacy.sms")),
        {
            {1, QStringLiteral("13800138000"), 1262304000, QStringLiteral("Le Café est fermé"), 2},
            {2, QStringLiteral("138-0013-8000"), 1262304060, QStringLiteral("café\nau lait?"), 3},
            {3, QStringLiteral("10086"), 1262304120, QStringLiteral("CAFE bill"), 2},
            {4, QStringLiteral("10086"), 1262304180, QStringLiteral("tea"), 2},
        },
        {{QStringLiteral("Ann Lee"), QStringLiteral("13800138000")}});

    using namespace modernfixtures;
    Database db;
    db.handles = {{1, QStringLiteral("+12095981933"), QStringLiteral("iMessage"), QStringLiteral("us")}};
    db.chats = {{1, QStringLiteral("+12095981933"), 45, QVariant(), {1}}};
    const qint64 ns = 1000000000LL;
    Attachment invoice;
    invoice.rowId = 1;
    invoice.transferName = QStringLiteral("invoice.pdf");
    invoice.filename = QStringLiteral("~/Library/SMS/Attachments/ab/01/G/invoice.pdf");
    db.attachments = {invoice};
    // The bill's text has no placeholder: its file's name is in no text.
    db.messages = {Message{10, QVariant(), body("see you at the station"), 1, 0, 700000000 * ns, {1}, {}, {}, {}},
                   Message{11, QStringLiteral("the bill"), QVariant(), 1, 1, 700000060 * ns, {1}, {1}, {}, {}}};
    m_modern = makeModernDb(m_dir.filePath(QStringLiteral("sms.db")), db, Schema::Ios17);
}

void CliSearchTest::plainLinesNewestFirst()
{
    const QByteArray before = digest(m_backup);
    const Result r = runCli({QStringLiteral("search"), m_backup, QStringLiteral("cafe")});
    QCOMPARE(r.status, cli::kOk);
    QVERIFY(r.err.isEmpty());
    // Name (or number), key, time, text on one line.
    QCOMPARE(r.lines(), (QList<QByteArray>{
                            "10086\t10086\tFri Jan 01 08:02:00 2010\tCAFE bill",
                            "Ann Lee\t13800138000\tFri Jan 01 08:01:00 2010\tcafé au lait?",
                            "Ann Lee\t13800138000\tFri Jan 01 08:00:00 2010\tLe Café est fermé",
                        }));
    QCOMPARE(digest(m_backup), before);
}

void CliSearchTest::jsonFields()
{
    const Result r =
        runCli({QStringLiteral("search"), QStringLiteral("--json"), m_backup, QStringLiteral("\"cafe au\"")});
    QCOMPARE(r.status, cli::kOk);
    QCOMPARE(r.lines().size(), 1);
    const QJsonObject o = QJsonDocument::fromJson(r.lines().at(0)).object();
    QCOMPARE(o.keys(), (QStringList{QStringLiteral("incoming"), QStringLiteral("key"), QStringLiteral("name"),
                                    QStringLiteral("rowid"), QStringLiteral("sender"), QStringLiteral("text"),
                                    QStringLiteral("time"), QStringLiteral("utc")}));
    QCOMPARE(o.value(QStringLiteral("key")).toString(), QStringLiteral("13800138000"));
    QCOMPARE(o.value(QStringLiteral("name")).toString(), QStringLiteral("Ann Lee"));
    QCOMPARE(o.value(QStringLiteral("rowid")).toInt(), 2);
    QCOMPARE(o.value(QStringLiteral("incoming")).toBool(), false);
    QVERIFY(o.value(QStringLiteral("sender")).isNull());
    QCOMPARE(o.value(QStringLiteral("time")).toString(), QStringLiteral("Fri Jan 01 08:01:00 2010"));
    QCOMPARE(o.value(QStringLiteral("utc")).toString(), QStringLiteral("2010-01-01T00:01:00Z"));
    QCOMPARE(o.value(QStringLiteral("text")).toString(), QStringLiteral("café\nau lait?"));
}

void CliSearchTest::oneConversationOnly()
{
    const Result r = runCli({QStringLiteral("search"), QStringLiteral("--conversation"), QStringLiteral("10086"),
                             m_backup, QStringLiteral("CAFÉ")});
    QCOMPARE(r.status, cli::kOk);
    QCOMPARE(r.lines(), QList<QByteArray>{"10086\t10086\tFri Jan 01 08:02:00 2010\tCAFE bill"});
}

void CliSearchTest::noHitPrintsNothing()
{
    for (const QString& q : {QStringLiteral("coffee"), QString(), QStringLiteral("   ")}) {
        const Result r = runCli({QStringLiteral("search"), m_backup, q});
        QCOMPARE(r.status, cli::kOk);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.isEmpty());
    }
}

void CliSearchTest::textOnlyInAttributedBody()
{
    const Result r = runCli({QStringLiteral("search"), m_modern, QStringLiteral("station")});
    QCOMPARE(r.status, cli::kOk);
    QCOMPARE(r.lines().size(), 1);
    QVERIFY2(r.lines().at(0).endsWith("\tsee you at the station"), r.out.constData());
}

void CliSearchTest::attachmentNames()
{
    const Result r = runCli({QStringLiteral("search"), m_modern, QStringLiteral("invoice.pdf")});
    QCOMPARE(r.status, cli::kOk);
    QCOMPARE(r.lines().size(), 1);
    // The text holds no reason for the hit: the name that matched follows it.
    QVERIFY2(r.lines().at(0).endsWith("\tthe bill [invoice.pdf]"), r.out.constData());
    // A word of the text and one of the name: the name still tells why.
    QVERIFY(runCli({QStringLiteral("search"), m_modern, QStringLiteral("bill PDF")})
                .lines()
                .value(0)
                .endsWith("\tthe bill [invoice.pdf]"));
    // The text alone is reason enough: it shows as stored.
    QVERIFY(
        runCli({QStringLiteral("search"), m_modern, QStringLiteral("bill")}).lines().value(0).endsWith("\tthe bill"));
    // JSON keeps the text as stored.
    const Result json =
        runCli({QStringLiteral("search"), QStringLiteral("--json"), m_modern, QStringLiteral("invoice")});
    QCOMPARE(QJsonDocument::fromJson(json.lines().value(0)).object().value(QStringLiteral("text")).toString(),
             QStringLiteral("the bill"));
    QVERIFY(runCli({QStringLiteral("search"), m_modern, QStringLiteral("invoice station")}).lines().isEmpty());
}

void CliSearchTest::wrongUsageAndUnreadableSources_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("says");
    const QString s = QStringLiteral("search");
    QTest::newRow("no query") << QStringList{s, m_backup} << cli::kUsage << QByteArray("SOURCE QUERY");
    QTest::newRow("two queries") << QStringList{s, m_backup, QStringLiteral("a"), QStringLiteral("b")} << cli::kUsage
                                 << QByteArray("SOURCE QUERY");
    QTest::newRow("conversation without key")
        << QStringList{s, m_backup, QStringLiteral("a"), QStringLiteral("--conversation")} << cli::kUsage
        << QByteArray("needs a value");
    QTest::newRow("missing source") << QStringList{s, m_dir.filePath(QStringLiteral("gone.sms")), QStringLiteral("a")}
                                    << cli::kFailed << QByteArray("no such file");
    QTest::newRow("unknown conversation")
        << QStringList{s, QStringLiteral("--conversation"), QStringLiteral("999"), m_backup, QStringLiteral("a")}
        << cli::kFailed << QByteArray("no conversation 999");
}

void CliSearchTest::wrongUsageAndUnreadableSources()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QByteArray, says);
    const Result r = runCli(args);
    QCOMPARE(r.status, status);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.contains(says), r.err.constData());
}

QTEST_GUILESS_MAIN(CliSearchTest)
#include "tst_clisearch.moc"
