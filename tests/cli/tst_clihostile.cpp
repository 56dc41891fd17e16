// msgdesk-cli on hostile sources: backup folders whose lists or file
// records nest far deeper than any real one (run as the program itself, so
// that a stack overflow would show as a signal), key bags that ask for
// absurd work, damaged message tables (a row id given twice, a page
// overwritten) and conversation keys that are not valid UTF-8.

#include "BackupBuilder.h"
#include "CliCommands.h"
#include "CliRun.h"
#include "Fixtures.h"
#include "ModernFixtures.h"
#include "PhoneBackup.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

using clirun::fileBytes;
using clirun::Result;

namespace {

Result runCli(const QStringList& args)
{
    return clirun::run(args, clirun::fixedPassword("pw"));
}

Result runProgram(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MSGDESK_BACKUP_PASSWORD"), QStringLiteral("pw"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MSGDESK_CLI_PROGRAM), args);
    Result r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray deepXml(int depth)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
    for (int i = 0; i < depth; ++i)
        out += "<array>";
    for (int i = 0; i < depth; ++i)
        out += "</array>";
    return out + "</plist>\n";
}

// Binary arrays nested `depth` deep, each holding the next.
QByteArray deepBinary(int depth)
{
    auto be = [](quint64 v, int n) {
        QByteArray b(n, '\0');
        for (int i = n - 1; i >= 0; --i, v >>= 8)
            b[i] = char(v & 0xFF);
        return b;
    };
    QByteArray out("bplist00");
    QVector<quint32> offsets;
    for (int i = 0; i < depth; ++i) {
        offsets << quint32(out.size());
        if (i + 1 < depth)
            out += char(0xA1) + be(quint64(i + 1), 4);
        else
            out += char(0xA0);
    }
    const quint64 table = quint64(out.size());
    for (quint32 o : std::as_const(offsets))
        out += be(o, 4);
    return out + QByteArray(6, '\0') + char(4) + char(4) + be(quint64(depth), 8) + be(0, 8) + be(table, 8);
}

// `info` and `list` both refuse the folder: status 1, nothing on standard
// output, and one line on standard error that holds `line`.
void refusedWithOneLine(const QString& folder, const QByteArray& line)
{
    for (const char* command : {"info", "list"}) {
        const Result r = runProgram({QLatin1String(command), folder});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY2(r.err.contains(line), r.err.constData());
    }
}

// The number in "reading stopped after N messages", -1 without one.
int messagesBeforeStop(const QByteArray& err)
{
    const QByteArray mark = "reading stopped after ";
    const qsizetype at = err.indexOf(mark);
    if (at < 0)
        return -1;
    const qsizetype end = err.indexOf(' ', at + mark.size());
    bool ok = false;
    const int n = err.mid(at + mark.size(), end - at - mark.size()).toInt(&ok);
    return ok ? n : -1;
}

} // namespace

class CliHostileTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_messages = modernfixtures::makeModernDb(m_dir.filePath(QStringLiteral("sms.db")),
                                                  modernfixtures::sample(modernfixtures::Schema::Ios17),
                                                  modernfixtures::Schema::Ios17);
    }

    void deepListsGiveOneLine_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Info.plist of 200,000 arrays") << "Info.plist" << deepXml(200000);
        QTest::newRow("binary Manifest.plist 100,000 deep") << "Manifest.plist" << deepBinary(100000);
    }

    void deepListsGiveOneLine()
    {
        QFETCH(QString, list);
        QFETCH(QByteArray, bytes);
        const QString folder = backup(QStringLiteral("deep-") + list, false);
        QVERIFY(writeFile(folder + QLatin1Char('/') + list, bytes));
        const QByteArray digest = fixtures::folderDigest(folder);
        refusedWithOneLine(
            folder,
            QStringLiteral("The backup's %1 is damaged: it nests more than 256 levels deep.").arg(list).toUtf8());
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(fixtures::folderDigest(folder), digest);
    }

    void deepFileRecordGivesOneLine()
    {
        // An encrypted backup needs the record of each file it decrypts.
        const QString folder = backup(QStringLiteral("deep-record"), true);
        const QByteArray record = deepBinary(120000);
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open((folder + QStringLiteral("/Manifest.db")).toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_stmt* stmt = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, "update Files set file = ?1 where relativePath = ?2", -1, &stmt, nullptr),
                 SQLITE_OK);
        sqlite3_bind_blob(stmt, 1, record.constData(), int(record.size()), SQLITE_STATIC);
        sqlite3_bind_text(stmt, 2, "Library/SMS/sms.db", -1, SQLITE_STATIC);
        QCOMPARE(sqlite3_step(stmt), SQLITE_DONE);
        QCOMPARE(sqlite3_changes(db), 1);
        sqlite3_finalize(stmt);
        sqlite3_close(db);

        const Result r = runProgram({QStringLiteral("list"), folder});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY2(r.err.contains("The backup's record of Library/SMS/sms.db is damaged."), r.err.constData());
    }

    void absurdKeyBagGivesOneLine_data()
    {
        QTest::addColumn<QByteArray>("tag");
        QTest::newRow("ITER") << QByteArray("ITER");
        QTest::newRow("DPIC") << QByteArray("DPIC");
    }

    void absurdKeyBagGivesOneLine()
    {
        // No deadline here: a password check that ran its billions of
        // rounds would run into the test's own time limit.
        QFETCH(QByteArray, tag);
        const QString folder = backup(QStringLiteral("bag-") + QString::fromLatin1(tag), true, true);
        QVERIFY(fixtures::patchBagValue(folder, tag.constData(), 0xFFFFFFFFu));
        const QByteArray digest = fixtures::folderDigest(folder);
        refusedWithOneLine(folder, "The backup's key bag is damaged: its " + tag +
                                       " asks for 4294967295 rounds, more than 100000000.");
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(fixtures::folderDigest(folder), digest);
    }

    void smashedPageIsToldByEveryCommand()
    {
        QList<fixtures::Msg> messages;
        for (int i = 1; i <= 3000; ++i)
            messages.append({i, i % 2 ? QStringLiteral("10010") : QStringLiteral("10086"), 1000 + i,
                             QStringLiteral("message %1 ").arg(i) + QString(80, QLatin1Char('x')), 2});
        // A phone's message database, as a bad sector leaves it.
        const QString path = fixtures::makeMessageDb(m_dir.filePath(QStringLiteral("smashed.db")), messages);
        QVERIFY(fixtures::smashLeafPage(path, QStringLiteral("message")) > 0);
        const QByteArray before = fileBytes(path);
        const QByteArray word = ": the file is damaged: reading stopped after ";
        const QByteArray tail = " messages: database disk image is malformed; what could be read is shown\n";

        const Result listed = runCli({QStringLiteral("list"), path});
        QCOMPARE(listed.status, cli::kOk);
        QCOMPARE(listed.out.count('\n'), 2);
        QVERIFY2(listed.err.startsWith("msgdesk-cli: " + path.toUtf8() + word) && listed.err.endsWith(tail),
                 listed.err.constData());
        QCOMPARE(listed.err.count('\n'), 1);
        const int read = messagesBeforeStop(listed.err);
        QVERIFY2(read > 0 && read < 3000, listed.err.constData());

        // The summary tells the same damage and the same count.
        const Result info = runCli({QStringLiteral("info"), path});
        QCOMPARE(info.status, cli::kOk);
        QCOMPARE(info.err, listed.err);
        QVERIFY2(info.out.contains("Messages: " + QByteArray::number(read) + '\n'), info.out.constData());

        // A backup copies the file as it is, damage included, and does not
        // pass for a whole one: the word comes with it, and with the copy.
        const QString copy = m_dir.filePath(QStringLiteral("smashed-copy.sms"));
        const Result saved = runCli({QStringLiteral("backup"), path, copy});
        QVERIFY2(saved.status == cli::kOk, saved.err.constData());
        QCOMPARE(saved.err, listed.err);
        const Result again = runCli({QStringLiteral("info"), copy});
        QCOMPARE(again.status, cli::kOk);
        QVERIFY2(again.err.contains(word + QByteArray::number(read) + tail), again.err.constData());
        QVERIFY2(again.out.contains("Messages: " + QByteArray::number(read) + '\n'), again.out.constData());

        // One conversation, shown alone, with the same word.
        const Result shown = runCli({QStringLiteral("show"), path, QStringLiteral("10010")});
        QCOMPARE(shown.status, cli::kOk);
        QCOMPARE(shown.err, listed.err);
        QVERIFY(shown.out.contains("message 1 "));
        QCOMPARE(fileBytes(path), before);

        // A file of which nothing can be read is a failure, told the same way.
        const QString tiny = fixtures::makeMessageDb(m_dir.filePath(QStringLiteral("smashed-root.db")),
                                                     {{1, QStringLiteral("10086"), 1000, QStringLiteral("one"), 2}});
        const QStringList root = fixtures::column(
            tiny, QStringLiteral("select rootpage from sqlite_master where type = 'table' and name = 'message'"));
        const QStringList pageSize = fixtures::column(tiny, QStringLiteral("PRAGMA page_size"));
        QCOMPARE(root.size(), 1);
        QCOMPARE(pageSize.size(), 1);
        {
            QFile file(tiny);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek((root.first().toLongLong() - 1) * pageSize.first().toLongLong()));
            QVERIFY(file.write(QByteArray(pageSize.first().toInt(), '\xFF')) == pageSize.first().toInt());
        }
        for (const char* command : {"list", "info"}) {
            const Result r = runCli({QLatin1String(command), tiny});
            QCOMPARE(r.status, cli::kFailed);
            QCOMPARE(r.out, QByteArray());
            QCOMPARE(r.err, "msgdesk-cli: " + tiny.toUtf8() +
                                ": the file is damaged: reading stopped after 0 messages: database disk image is "
                                "malformed; nothing could be read\n");
        }
    }

    void damagedTableIsShownWithAWord()
    {
        const QString path = fixtures::makeBackupFile(m_dir.filePath(QStringLiteral("damaged.sms")),
                                                      {{1, QStringLiteral("10086"), 1000, QStringLiteral("one"), 2},
                                                       {2, QStringLiteral("10010"), 2000, QStringLiteral("two"), 2},
                                                       {3, QStringLiteral("95555"), 3000, QStringLiteral("three"), 3}},
                                                      {});
        QVERIFY(fixtures::giveRowIdTwice(path, QStringLiteral("message"), 3, 2));
        const QByteArray before = fileBytes(path);
        const Result r = runCli({QStringLiteral("list"), path});
        QCOMPARE(r.status, cli::kOk);
        QCOMPARE(r.out.count('\n'), 2);
        QVERIFY(r.out.contains("10086") && r.out.contains("10010") && !r.out.contains("95555"));
        QCOMPARE(r.err, "msgdesk-cli: " + path.toUtf8() +
                            ": the file is damaged: its message table gives row 2 twice; what could be read is "
                            "shown\n");

        // One conversation alone, and the summary, tell it as well.
        const Result shown = runCli({QStringLiteral("show"), path, QStringLiteral("10010")});
        QCOMPARE(shown.status, cli::kOk);
        QVERIFY2(shown.out.contains("two"), shown.out.constData());
        QCOMPARE(shown.err, r.err);
        const QString out = m_dir.filePath(QStringLiteral("damaged.txt"));
        const Result exported =
            runCli({QStringLiteral("export"), QStringLiteral("--conversation"), QStringLiteral("10010"), path, out});
        QCOMPARE(exported.status, cli::kOk);
        QCOMPARE(exported.err, r.err);
        QVERIFY(fileBytes(out).contains("two"));
        QVERIFY(!fileBytes(out).contains("three"));
        const Result info = runCli({QStringLiteral("info"), path});
        QCOMPARE(info.status, cli::kOk);
        QCOMPARE(info.err, r.err);
        QVERIFY2(info.out.contains("Messages: 2\nConversations: 2\n"), info.out.constData());
        QCOMPARE(fileBytes(path), before);
    }

    void keysThatAreNotUtf8AreTakenBack()
    {
        // A Latin-1 "Zoë" and a newline, as a damaged or foreign file may hold.
        const QString path = fixtures::makeBackupFile(m_dir.filePath(QStringLiteral("latin1.sms")),
                                                      {{1, QByteArray("Zo\xEB\n"), 1000, QStringLiteral("hej"), 2},
                                                       {2, QStringLiteral("10010"), 2000, QStringLiteral("two"), 2}},
                                                      {});
        const Result listed = runCli({QStringLiteral("list"), path});
        QCOMPARE(listed.status, cli::kOk);
        QVERIFY2(listed.out.contains("\tZo\\xEB\\x0A\t"), listed.out.constData());
        QVERIFY(!listed.out.contains("\xEF\xBF\xBD"));
        const Result json = runCli({QStringLiteral("list"), QStringLiteral("--json"), path});
        QVERIFY2(json.out.contains("\"key\":\"Zo\\\\xEB\\\\x0A\""), json.out.constData());

        const QString key = QStringLiteral("Zo\\xEB\\x0A");
        const Result shown = runCli({QStringLiteral("show"), path, key});
        QCOMPARE(shown.status, cli::kOk);
        QVERIFY2(shown.out.contains("hej"), shown.out.constData());
        const QString out = m_dir.filePath(QStringLiteral("latin1.txt"));
        const Result exported = runCli({QStringLiteral("export"), QStringLiteral("--conversation"), key, path, out});
        QCOMPARE(exported.status, cli::kOk);
        QVERIFY(fileBytes(out).contains("hej"));
        QVERIFY(!fileBytes(out).contains("two"));

        // A key given as its plain bytes still works; an unknown one does not.
        QCOMPARE(runCli({QStringLiteral("show"), path, QStringLiteral("10010")}).status, cli::kOk);
        const Result unknown = runCli({QStringLiteral("show"), path, QStringLiteral("Zo\\xEB")});
        QCOMPARE(unknown.status, cli::kFailed);
        QVERIFY(unknown.err.contains("no conversation Zo\\xEB"));
    }

private:
    QString backup(const QString& name, bool encrypted, bool binaryLists = false)
    {
        const QString folder = m_dir.filePath(name);
        backupbuilder::Options options;
        options.encrypted = encrypted;
        options.binaryPlists = binaryLists;
        options.encryptManifestDb = false;
        options.password = "pw";
        QString error;
        if (!backupbuilder::writeBackup(folder,
                                        {{phonebackup::PhoneBackup::kHomeDomain,
                                          phonebackup::PhoneBackup::kMessagesPath, fileBytes(m_messages)}},
                                        options, &error))
            qWarning("%s", qPrintable(error));
        return folder;
    }

    QTemporaryDir m_dir;
    QString m_messages;
};

QTEST_GUILESS_MAIN(CliHostileTest)
#include "tst_clihostile.moc"
