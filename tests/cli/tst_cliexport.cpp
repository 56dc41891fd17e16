// msgdesk-cli export in every format: the options that choose the format
// and the days, the exit statuses, a target that is never overwritten and
// is refused before the source is read, txt as it always was, json as
// `show --json` prints, and the pdf export's program start without a
// display.

#include "CliCommands.h"
#include "CliRun.h"
#include "Export.h"
#include "Fixtures.h"
#include "FormatWriter.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

using clirun::fileBytes;
using clirun::Result;

namespace {

Result runCli(const QStringList& args)
{
    return clirun::run(args);
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// The rowid column of a csv export, in file order.
QList<QByteArray> csvRowIds(const QByteArray& csv)
{
    QList<QByteArray> ids;
    const QList<QByteArray> lines = csv.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).split(',');
        if (fields.size() >= 3)
            ids.append(fields.at(2));
    }
    return ids;
}

// Whether process pid holds a file in folder open.
bool writesInto(qint64 pid, const QString& folder)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFile::symLinkTarget(fds.filePath(fd)).startsWith(folder + QLatin1Char('/')))
            return true;
    }
    return false;
}

} // namespace

class CliExportTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void usageErrors_data();
    void usageErrors();
    void targetsAreRefusedUntouched_data();
    void targetsAreRefusedUntouched();
    void everyFormat_data();
    void everyFormat();
    void txtWithAndWithoutFormatAlike();
    void daysInLocalTime();
    void jsonIsWhatShowPrints();
    void guiOnlyForPdf();
    void pdfProgramWithoutDisplay();
    void stoppedExportLeavesNothing();

private:
    QString out(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QString m_source;
};

void CliExportTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Ann: 2010-01-01 08:00 and 08:01 local (Asia/Shanghai), the second sent;
    // 10086: 2010-01-02 07:59 local, which is still 2010-01-01 in UTC.
    m_source = fixtures::makeBackupFile(
        m_dir.filePath(QStringLiteral("source.sms")),
        {
            {1, QStringLiteral("13800138000"), 1262304000, QStringLiteral("hello"), 2},
            {2, QStringLiteral("13800138000"), 1262304060, QStringLiteral("=1+1, \"quoted\"\nnext"), 3},
            {3, QStringLiteral("10086"), 1262390340, QStringLiteral("your bill"), 2},
        },
        {{QStringLiteral("Ann Lee"), QStringLiteral("13800138000")}});
    QVERIFY(!m_source.isEmpty());
}

void CliExportTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("says");
    QTest::newRow("unknown format") << QStringList{QStringLiteral("--format"), QStringLiteral("docx")}
                                    << QByteArray("unknown format docx");
    QTest::newRow("format without value") << QStringList{QStringLiteral("--format")} << QByteArray("needs a value");
    QTest::newRow("empty format") << QStringList{QStringLiteral("--format"), QString()} << QByteArray("needs a value");
    QTest::newRow("attachments without format")
        << QStringList{QStringLiteral("--attachments")} << QByteArray("--attachments is for");
    QTest::newRow("attachments with csv")
        << QStringList{QStringLiteral("--attachments"), QStringLiteral("--format"), QStringLiteral("csv")}
        << QByteArray("--attachments is for");
    QTest::newRow("attachments with json")
        << QStringList{QStringLiteral("--format"), QStringLiteral("json"), QStringLiteral("--attachments")}
        << QByteArray("--attachments is for");
    QTest::newRow("month 13") << QStringList{QStringLiteral("--from"), QStringLiteral("2010-13-01")}
                              << QByteArray("--from 2010-13-01");
    QTest::newRow("no 30 February") << QStringList{QStringLiteral("--to"), QStringLiteral("2010-02-30")}
                                    << QByteArray("--to 2010-02-30");
    QTest::newRow("short form") << QStringList{QStringLiteral("--from"), QStringLiteral("2010-1-5")}
                                << QByteArray("YYYY-MM-DD");
    QTest::newRow("with a time") << QStringList{QStringLiteral("--from"), QStringLiteral("2010-01-05T10:00")}
                                 << QByteArray("YYYY-MM-DD");
    QTest::newRow("words") << QStringList{QStringLiteral("--to"), QStringLiteral("yesterday")}
                           << QByteArray("YYYY-MM-DD");
    QTest::newRow("from after to") << QStringList{QStringLiteral("--from"), QStringLiteral("2010-01-02"),
                                                  QStringLiteral("--to"), QStringLiteral("2010-01-01")}
                                   << QByteArray("after");
    QTest::newRow("three positionals") << QStringList{QStringLiteral("extra")} << QByteArray("SOURCE OUT");
}

void CliExportTest::usageErrors()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, says);
    const QString target = out(QStringLiteral("usage.csv"));
    const Result r = runCli(QStringList{QStringLiteral("export"), m_source, target} + options);
    QCOMPARE(r.status, cli::kUsage);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.startsWith("msgdesk-cli: ") && r.err.contains(says), r.err.constData());
    QVERIFY(r.err.contains("usage: msgdesk-cli list"));
    QVERIFY(!QFileInfo::exists(target));

    // The export's options belong to export alone.
    const Result onList = runCli(QStringList{QStringLiteral("list"), m_source} + QStringList{
                                                                                     QStringLiteral("--format"),
                                                                                     QStringLiteral("csv"),
                                                                                 });
    QCOMPARE(onList.status, cli::kUsage);
    QCOMPARE(runCli({QStringLiteral("show"), QStringLiteral("--from"), QStringLiteral("2010-01-01"), m_source,
                     QStringLiteral("10086")})
                 .status,
             cli::kUsage);
}

void CliExportTest::targetsAreRefusedUntouched_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("says");
    const QString file = out(QStringLiteral("taken.txt"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("keep me");
    f.close();
    const QString full = out(QStringLiteral("full"));
    QVERIFY(QDir().mkpath(full));
    QFile inside(full + QStringLiteral("/mine.txt"));
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.close();
    const QString empty = out(QStringLiteral("empty"));
    QVERIFY(QDir().mkpath(empty));
    const QString gone = out(QStringLiteral("gone.sms"));

    QTest::newRow("txt over a file") << QString() << file << m_source << QByteArray("already there");
    QTest::newRow("csv over a file") << QStringLiteral("csv") << file << m_source << QByteArray("already there");
    QTest::newRow("json over a folder") << QStringLiteral("json") << empty << m_source << QByteArray("already there");
    QTest::newRow("html into a full folder") << QStringLiteral("html") << full << m_source << QByteArray("not empty");
    QTest::newRow("pdf over a file") << QStringLiteral("pdf") << file << m_source << QByteArray("already there");
    QTest::newRow("missing folder") << QStringLiteral("csv") << out(QStringLiteral("no/such/x.csv")) << m_source
                                    << QByteArray("does not exist");
    // Refused before the source is read: the complaint is the target's.
    QTest::newRow("before reading") << QStringLiteral("csv") << file << gone << QByteArray("already there");
}

void CliExportTest::targetsAreRefusedUntouched()
{
    QFETCH(QString, format);
    QFETCH(QString, target);
    QFETCH(QString, source);
    QFETCH(QByteArray, says);
    const QStringList before = entries(m_dir.path());
    const QByteArray bytes = fileBytes(target);
    QStringList args{QStringLiteral("export"), source, target};
    if (!format.isEmpty())
        args += {QStringLiteral("--format"), format};
    const Result r = runCli(args);
    QCOMPARE(r.status, cli::kFailed);
    QVERIFY(r.out.isEmpty());
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY2(r.err.startsWith("msgdesk-cli: ") && r.err.contains(says), r.err.constData());
    QCOMPARE(entries(m_dir.path()), before);
    QCOMPARE(fileBytes(target), bytes);
    QCOMPARE(entries(out(QStringLiteral("full"))), QStringList{QStringLiteral("mine.txt")});
}

void CliExportTest::everyFormat_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("attachments");
    for (const QString& name : exporting::formatNames()) {
        QTest::newRow(qPrintable(name)) << name << false;
        if (exporting::carriesAttachments(*exporting::formatFromName(name)))
            QTest::newRow(qPrintable(name + QStringLiteral(" with attachments"))) << name << true;
    }
}

void CliExportTest::everyFormat()
{
    QFETCH(QString, format);
    QFETCH(bool, attachments);
    const exporting::Format f = *exporting::formatFromName(format);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("export") + exporting::extension(f));
    QStringList args{QStringLiteral("export"), QStringLiteral("--format"), format, m_source, target};
    if (attachments)
        args.append(QStringLiteral("--attachments"));
    const Result r = runCli(args);
    QVERIFY(r.out.isEmpty());
    if (!exporting::writerFor(f)) {
        // A format this build leaves out says so, and leaves nothing.
        QCOMPARE(r.status, cli::kFailed);
        QVERIFY2(r.err.contains("cannot be written by this build"), r.err.constData());
        QCOMPARE(entries(dir.path()), QStringList());
        return;
    }
    QCOMPARE(r.status, cli::kOk);
    QVERIFY2(r.err.isEmpty(), r.err.constData());
    QCOMPARE(entries(dir.path()), QStringList{QFileInfo(target).fileName()});
    const QString written = exporting::writesFolder(f) ? target + QStringLiteral("/index.html") : target;
    QVERIFY(QFileInfo(written).size() > 0);
    // Written once: the same command again is refused and changes nothing.
    const QByteArray bytes = fileBytes(written);
    QCOMPARE(runCli(args).status, cli::kFailed);
    QCOMPARE(fileBytes(written), bytes);
}

void CliExportTest::txtWithAndWithoutFormatAlike()
{
    for (const QStringList& scope :
         {QStringList(), QStringList{QStringLiteral("--conversation"), QStringLiteral("13800138000")}}) {
        QTemporaryDir dir;
        const QString plain = dir.filePath(QStringLiteral("plain.txt"));
        const QString named = dir.filePath(QStringLiteral("named.txt"));
        QCOMPARE(runCli(QStringList{QStringLiteral("export"), m_source, plain} + scope).status, cli::kOk);
        QCOMPARE(runCli(QStringList{QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("TXT"),
                                    m_source, named} +
                        scope)
                     .status,
                 cli::kOk);
        QVERIFY(!fileBytes(plain).isEmpty());
        QCOMPARE(fileBytes(named), fileBytes(plain));
    }
}

void CliExportTest::daysInLocalTime()
{
    const auto ids = [this](const QStringList& options) {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("days.csv"));
        const Result r = runCli(
            QStringList{QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("csv"), m_source, target} +
            options);
        return r.status == cli::kOk ? csvRowIds(fileBytes(target)) : QList<QByteArray>{"failed"};
    };
    // 10086's message lies on 2010-01-02 in local time.
    QCOMPARE(ids({}), (QList<QByteArray>{"3", "1", "2"}));
    QCOMPARE(ids({QStringLiteral("--to"), QStringLiteral("2010-01-01")}), (QList<QByteArray>{"1", "2"}));
    QCOMPARE(ids({QStringLiteral("--from"), QStringLiteral("2010-01-02")}), (QList<QByteArray>{"3"}));
    QCOMPARE(ids({QStringLiteral("--from"), QStringLiteral("2010-01-01"), QStringLiteral("--to"),
                  QStringLiteral("2010-01-01"), QStringLiteral("--conversation"), QStringLiteral("10086")}),
             QList<QByteArray>());
    // Nothing on those days: the header alone, and still a success.
    QCOMPARE(ids({QStringLiteral("--from"), QStringLiteral("2011-01-01")}), QList<QByteArray>());

    // The txt export takes the days too.
    QTemporaryDir dir;
    const QString txt = dir.filePath(QStringLiteral("days.txt"));
    QCOMPARE(runCli({QStringLiteral("export"), QStringLiteral("--from"), QStringLiteral("2010-01-02"), m_source, txt})
                 .status,
             cli::kOk);
    const QByteArray bytes = fileBytes(txt);
    QVERIFY2(bytes.contains("your bill") && !bytes.contains("hello"), bytes.constData());
}

void CliExportTest::jsonIsWhatShowPrints()
{
    const QString key = QStringLiteral("13800138000");
    const QString target = out(QStringLiteral("ann.jsonl"));
    QCOMPARE(runCli({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("json"),
                     QStringLiteral("--conversation"), key, m_source, target})
                 .status,
             cli::kOk);
    const QList<QByteArray> exported = fileBytes(target).trimmed().split('\n');
    const Result show = runCli({QStringLiteral("show"), QStringLiteral("--json"), m_source, key});
    const QList<QByteArray> shown = show.out.trimmed().split('\n');
    QCOMPARE(exported.size(), 2);
    QCOMPARE(shown.size(), exported.size());
    for (qsizetype i = 0; i < shown.size(); ++i) {
        QJsonObject object = QJsonDocument::fromJson(exported.at(i)).object();
        QCOMPARE(object.take(QStringLiteral("name")).toString(), QStringLiteral("Ann Lee"));
        QCOMPARE(object, QJsonDocument::fromJson(shown.at(i)).object());
    }
}

void CliExportTest::guiOnlyForPdf()
{
    const QString s = QStringLiteral("x.sms");
    const QString o = QStringLiteral("out");
    const QString format = QStringLiteral("--format");
    QVERIFY(cli::needsGuiApplication({QStringLiteral("export"), format, QStringLiteral("pdf"), s, o}));
    QVERIFY(!cli::needsGuiApplication({s, format, QStringLiteral("PDF"), QStringLiteral("export"), o}));
    QVERIFY(cli::needsGuiApplication({QStringLiteral("export"), s, o, format, QStringLiteral("PDF")}));
    QVERIFY(!cli::needsGuiApplication({QStringLiteral("export"), s, o}));
    QVERIFY(!cli::needsGuiApplication({QStringLiteral("export"), format, QStringLiteral("html"), s, o}));
    // "pdf" as the value of another option, or as a file name, is no format.
    QVERIFY(!cli::needsGuiApplication(
        {QStringLiteral("export"), QStringLiteral("--conversation"), QStringLiteral("pdf"), s, o}));
    QVERIFY(!cli::needsGuiApplication({QStringLiteral("search"), s, QStringLiteral("pdf")}));
}

void CliExportTest::pdfProgramWithoutDisplay()
{
    // No display and no platform chosen: the program picks one that needs
    // none, instead of stopping for want of a display.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("out.pdf"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MSGDESK_CLI_PROGRAM),
            {QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("pdf"), m_source, target});
    QVERIFY(p.waitForFinished(120000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    const QByteArray err = p.readAllStandardError();
    if (exporting::writerFor(exporting::Format::Pdf)) {
        QCOMPARE(p.exitCode(), cli::kOk);
        QVERIFY(fileBytes(target).startsWith("%PDF"));
    } else {
        QCOMPARE(p.exitCode(), cli::kFailed);
        QVERIFY2(err.contains("cannot be written by this build"), err.constData());
        QCOMPARE(entries(dir.path()), QStringList());
    }

    // The other formats stay on Qt Core, with or without a platform.
    const QString csv = dir.filePath(QStringLiteral("out.csv"));
    p.start(QStringLiteral(MSGDESK_CLI_PROGRAM),
            {QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("csv"), m_source, csv});
    QVERIFY(p.waitForFinished(120000));
    QCOMPARE(p.exitCode(), cli::kOk);
    QVERIFY(fileBytes(csv).startsWith("\xef\xbb\xbfkey,name,"));
}

void CliExportTest::stoppedExportLeavesNothing()
{
    // Large enough that the export is under way when the signal comes.
    QList<fixtures::Msg> many;
    for (int i = 0; i < 200000; ++i)
        many.append({i + 1, QStringLiteral("1380013%1").arg(i % 500), 1262304000 + i,
                     QStringLiteral("message number %1, \"quoted\"").arg(i), 2 + i % 2});
    const QString source = fixtures::makeMessageDb(m_dir.filePath(QStringLiteral("many.db")), many);
    QTemporaryDir dir;
    QProcess p;
    p.start(QStringLiteral(MSGDESK_CLI_PROGRAM),
            {QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("json"), source,
             dir.filePath(QStringLiteral("out.jsonl"))});
    QVERIFY(p.waitForStarted());
    // The export has begun once the program holds its part file open (which
    // may have no name in the folder yet). Watched without pause, so that
    // the signal comes while it writes.
    QDeadlineTimer deadline(60000);
    while (!writesInto(p.processId(), dir.path()) && !deadline.hasExpired() && p.state() == QProcess::Running) {
    }
    QCOMPARE(::kill(pid_t(p.processId()), SIGINT), 0);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    // Stopped as Ctrl+C stops the program, with nothing left; or, on a fast
    // machine, done before the signal came, with the whole file.
    if (p.exitCode() == 128 + SIGINT) {
        QCOMPARE(entries(dir.path()), QStringList());
    } else {
        QCOMPARE(p.exitCode(), cli::kOk);
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("out.jsonl")});
        QCOMPARE(fileBytes(dir.filePath(QStringLiteral("out.jsonl"))).count('\n'), 200000);
    }
}

QTEST_MAIN(CliExportTest)
#include "tst_cliexport.moc"
