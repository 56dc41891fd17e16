// The download engine against a loopback server: order, file contents,
// naming, failures, the console lines and the speed text.

#include "DownloadManager.h"
#include "DownloadNameChecks.h"
#include "TestHttpServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkProxy>
#include <QRegularExpression>
#include <QTcpServer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#include <sys/resource.h>
#endif

using Line = QPair<DownloadManager::Stream, QByteArray>;

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

Line out(const QByteArray& text)
{
    return {DownloadManager::Stream::Out, text};
}

Line err(const QByteArray& text)
{
    return {DownloadManager::Stream::Err, text};
}

} // namespace

class DownloadManagerTest : public QObject
{
    Q_OBJECT

private:
    // A manager writing into the test's folder, its console lines captured.
    std::unique_ptr<DownloadManager> makeManager()
    {
        auto manager = std::make_unique<DownloadManager>();
        manager->setDownloadFolder(m_dir->path());
        manager->setConsoleSink(
            [this](DownloadManager::Stream stream, const QByteArray& line) { m_lines << Line(stream, line); });
        return manager;
    }

    QString target(const QString& name) const { return m_dir->path() + QLatin1Char('/') + name; }

    QStringList partFiles() const
    {
        return QDir(m_dir->path()).entryList({QStringLiteral(".update-*.part")}, QDir::Files | QDir::Hidden);
    }

    QByteArray enc(const QString& path) const { return m_server->url(path).toEncoded(); }

    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    QList<Line> m_lines;
    QByteArray m_a = TestHttpServer::patternBody(70000, 1);
    QByteArray m_b = TestHttpServer::patternBody(1, 2);
    QByteArray m_c = TestHttpServer::patternBody(4096, 3);
    QByteArray m_slow = TestHttpServer::patternBody(40000, 4);

private slots:
    void initTestCase()
    {
        // Loopback only, whatever proxy the environment names.
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    }

    void init()
    {
        m_lines.clear();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_server = std::make_unique<TestHttpServer>();
        QVERIFY(m_server->listen());
        m_server->setFile("/a", m_a);
        m_server->setFile("/b", m_b);
        m_server->setFile("/c", m_c);
        TestHttpServer::Route slow;
        slow.body = m_slow;
        // Long enough for several reports: the network layer sends at most
        // one about every tenth of a second.
        slow.pieceSize = 4000;
        slow.pieceIntervalMs = 60;
        m_server->setRoute("/slow", slow);
        TestHttpServer::Route unsized;
        unsized.body = m_slow;
        unsized.sendLength = false;
        unsized.pieceSize = 5000;
        unsized.pieceIntervalMs = 60;
        m_server->setRoute("/unsized", unsized);
    }

    void speedText_data()
    {
        QTest::addColumn<double>("bytesPerSecond");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << 0.0 << "0.0 bytes/sec";
        QTest::newRow("half a byte") << 0.5 << "0.5 bytes/sec";
        QTest::newRow("bytes") << 512.0 << "512.0 bytes/sec";
        QTest::newRow("just below a kB") << 1023.9 << "1023.9 bytes/sec";
        QTest::newRow("one kB") << 1024.0 << "1.0 kB/s";
        QTest::newRow("kB") << 1536.0 << "1.5 kB/s";
        QTest::newRow("just below a MB") << 1048575.0 << "1024.0 kB/s";
        QTest::newRow("one MB") << 1048576.0 << "1.0 MB/s";
        QTest::newRow("MB") << 2.3 * 1048576.0 << "2.3 MB/s";
        QTest::newRow("huge") << 5000.0 * 1048576.0 << "5000.0 MB/s";
        QTest::newRow("negative") << -20.0 << "0.0 bytes/sec";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "0.0 bytes/sec";
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "0.0 bytes/sec";
    }

    void speedText()
    {
        QFETCH(double, bytesPerSecond);
        QFETCH(QString, text);
        QCOMPARE(DownloadManager::speedText(bytesPerSecond), text);
    }

    void speedBeforeTheFirstMillisecond()
    {
        // No time has passed yet: a finite figure, not a division by zero.
        QCOMPARE(DownloadManager::speedOf(1000, 0), 1000000.0);
        QCOMPARE(DownloadManager::speedOf(0, 0), 0.0);
        QCOMPARE(DownloadManager::speedOf(2048, 1000), 2048.0);
        QCOMPARE(DownloadManager::speedOf(3000, 1500), 2000.0);
        QCOMPARE(DownloadManager::speedOf(-1, 10), 0.0);
        QCOMPARE(DownloadManager::speedText(DownloadManager::speedOf(1500, 0)), QStringLiteral("1.4 MB/s"));
    }

    void fileNameForUrl_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "http://h/files/setup.exe"
                               << "setup.exe";
        QTest::newRow("query ignored") << "http://h/files/setup.exe?x=1#y"
                                       << "setup.exe";
        QTest::newRow("trailing slash") << "http://h/files/"
                                        << "download";
        QTest::newRow("no path") << "http://h"
                                 << "download";
        QTest::newRow("root") << "http://h/"
                              << "download";
        QTest::newRow("dot dot") << "http://h/a/%2E%2E"
                                 << "download";
        QTest::newRow("dot") << "http://h/a/%2E"
                             << "download";
        QTest::newRow("encoded slashes") << "http://h/..%2F..%2Fetc%2Fpasswd"
                                         << "passwd";
        QTest::newRow("backslashes") << "http://h/x%5C..%5C..%5Cevil.exe"
                                     << "evil.exe";
        QTest::newRow("trailing backslash") << "http://h/x%5C"
                                            << "download";
        QTest::newRow("nul byte") << "http://h/a%00b"
                                  << "a_b";
        QTest::newRow("drive letter") << "http://h/C:evil"
                                      << "C_evil";
        QTest::newRow("spaces") << "http://h/my%20file.zip"
                                << "my file.zip";
        QTest::newRow("unicode") << "http://h/%E6%9B%B4%E6%96%B0.exe" << QString::fromUtf8("更新.exe");
    }

    void fileNameForUrl()
    {
        QFETCH(QString, url);
        QFETCH(QString, name);
        const QUrl address = QUrl::fromEncoded(url.toLatin1());
        QCOMPARE(DownloadManager::fileNameForUrl(address), name);

        // Whatever the name, the target sits directly in the download folder.
        auto manager = makeManager();
        const QFileInfo saved(manager->saveFileName(address));
        QCOMPARE(saved.absolutePath(), QFileInfo(m_dir->path()).absoluteFilePath());
        QCOMPARE(saved.fileName(), name);
    }

    void overLongNames_data()
    {
        QTest::addColumn<QString>("segment");
        QTest::addColumn<QString>("name");
        const int room = DownloadManager::maxNameBytes - DownloadManager::suffixRoomBytes;
        QCOMPARE(room, 244);
        const QString x(300, QLatin1Char('x'));
        const QString han = QString::fromUtf8("更");   // three bytes
        const QString smile = QString::fromUtf8("😀");  // four bytes, two UTF-16 units
        const QString accent = QString::fromUtf8("é"); // two bytes

        QTest::newRow("fits") << QString(244, QLatin1Char('x')) << QString(244, QLatin1Char('x'));
        QTest::newRow("one byte over") << QString(245, QLatin1Char('x')) << QString(244, QLatin1Char('x'));
        QTest::newRow("ascii with extension") << x + QStringLiteral(".exe") << x.left(240) + QStringLiteral(".exe");
        QTest::newRow("no extension") << x << x.left(244);
        QTest::newRow("dot file") << QLatin1Char('.') + x << QLatin1Char('.') + x.left(243);
        // What follows the last dot is too long to be an extension.
        QTest::newRow("long extension") << QStringLiteral("a.") + x << QStringLiteral("a.") + x.left(242);
        QTest::newRow("two dots") << x + QStringLiteral(".tar.gz") << x.left(241) + QStringLiteral(".gz");
        // 1 + 79 * 3 = 238 bytes of stem; one more character would make 241.
        QTest::newRow("three-byte characters") << QLatin1Char('a') + han.repeated(100) + QStringLiteral(".zip")
                                               << QLatin1Char('a') + han.repeated(79) + QStringLiteral(".zip");
        // 2 + 59 * 4 = 238 bytes; a pair is never split.
        QTest::newRow("four-byte characters") << QStringLiteral("ab") + smile.repeated(70) + QStringLiteral(".png")
                                              << QStringLiteral("ab") + smile.repeated(59) + QStringLiteral(".png");
        QTest::newRow("two-byte characters")
            << QLatin1Char('a') + accent.repeated(150) << QLatin1Char('a') + accent.repeated(121);
        QTest::newRow("multi-byte extension")
            << x + QLatin1Char('.') + han.repeated(3) << x.left(234) + QLatin1Char('.') + han.repeated(3);
    }

    void overLongNames()
    {
        QFETCH(QString, segment);
        QFETCH(QString, name);
        QUrl url(QStringLiteral("http://h/files/"));
        url.setPath(url.path() + segment);
        const QString shortened = DownloadManager::fileNameForUrl(url);
        QCOMPARE(shortened, name);
        QVERIFY(shortened.toUtf8().size() <= DownloadManager::maxNameBytes - DownloadManager::suffixRoomBytes);

        // The file system takes it, and the numbered names after it too.
        auto manager = makeManager();
        QCOMPARE(downloadNameProblem(*manager, url), QString());
    }

    void overLongNameIsDownloaded()
    {
        const QString segment = QString::fromUtf8("更新").repeated(60) + QStringLiteral(".exe");
        QUrl url = m_server->url(QStringLiteral("/"));
        url.setPath(QLatin1Char('/') + segment);
        m_server->setFile(url.path(QUrl::FullyEncoded).toLatin1(), m_c);

        auto manager = makeManager();
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(url);
        manager->append(url);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
        QCOMPARE(done.at(0).at(0).toInt(), 2);

        const QString name = QString::fromUtf8("更新").repeated(40) + QStringLiteral(".exe");
        QCOMPARE(readFile(target(name)), m_c);
        QCOMPARE(readFile(target(name + QStringLiteral(".0"))), m_c);
        QCOMPARE(manager->currentFileName(), target(name + QStringLiteral(".0")));
    }

    void namingHoldsForRandomAndTruncatedAddresses()
    {
        // Pieces that have broken file naming somewhere: separators in all
        // spellings, dots, control and half characters, long runs.
        // clang-format off
        const QList<QByteArray> pieces = {
            "/", "%2F", "%2f", "\\", "%5C", ".", "..", "%2E", "%00", "%0A", "%1F", ":", "?", "#", "%", "%E6%9B%B4",
            "%F0%9F%98%80", "%ED%A0%80", "%C3", "\xe6\x9b", "\xff", "a", "setup.exe", QByteArray(120, 'x'),
            QByteArray(40, '.'), "%E6%9B%B4%E6%96%B0%E6%9B%B4%E6%96%B0%E6%9B%B4%E6%96%B0%E6%9B%B4%E6%96%B0", " ", "@",
            "http://", "file:", "//h", "[::1]", ";", "+"};
        const QList<QByteArray> seeds = {
            "http://h/files/setup.exe", "http://h/..%2F..%2Fetc%2Fpasswd", "http://h/x%5C..%5C..%5Cevil.exe",
            "http://h/" + QByteArray(300, 'y') + ".msi", "http://h/" + QByteArray("%E6%9B%B4").repeated(100) + ".zip",
            "http://h/a/%2E%2E", "file:///tmp/../x", "http://h/%F0%9F%98%80%F0%9F%98%80.png"};
        // clang-format on

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        auto manager = makeManager();
        manager->setDownloadFolder(folder.path());
        auto check = [&](const QByteArray& bytes) {
            const QString problem = downloadNameProblem(*manager, QUrl::fromEncoded(bytes));
            if (!problem.isEmpty())
                qWarning() << "address" << bytes.toPercentEncoding();
            return problem;
        };

        for (const QByteArray& seed : seeds) {
            for (qsizetype length = 0; length <= seed.size(); ++length)
                QCOMPARE(check(seed.left(length)), QString());
        }

        QRandomGenerator random(20240601);
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes = round % 2 ? QByteArray("http://h/") : QByteArray();
            const int count = int(random.bounded(1, 40));
            for (int i = 0; i < count; ++i) {
                if (random.bounded(4) == 0)
                    bytes += char(random.bounded(256));
                else
                    bytes += pieces.at(int(random.bounded(qsizetype(pieces.size()))));
            }
            QCOMPARE(check(bytes), QString());
        }
    }

    void existingTargetsGetNumbers()
    {
        auto manager = makeManager();
        const QUrl url(QStringLiteral("http://h/setup.exe"));
        QCOMPARE(manager->saveFileName(url), target(QStringLiteral("setup.exe")));

        QFile(target(QStringLiteral("setup.exe"))).open(QIODevice::WriteOnly);
        QCOMPARE(manager->saveFileName(url), target(QStringLiteral("setup.exe.0")));

        QFile(target(QStringLiteral("setup.exe.0"))).open(QIODevice::WriteOnly);
        QCOMPARE(manager->saveFileName(url), target(QStringLiteral("setup.exe.1")));

        // A gap is filled before higher numbers.
        QFile(target(QStringLiteral("setup.exe.2"))).open(QIODevice::WriteOnly);
        QCOMPARE(manager->saveFileName(url), target(QStringLiteral("setup.exe.1")));

#ifdef Q_OS_UNIX
        // A dangling link is taken too: writing through it would leave the folder.
        const QString outside = m_dir->path() + QStringLiteral("/elsewhere-not-created");
        QVERIFY(QFile::link(outside, target(QStringLiteral("tool.bin"))));
        QCOMPARE(manager->saveFileName(QUrl(QStringLiteral("http://h/tool.bin"))),
                 target(QStringLiteral("tool.bin.0")));
#endif

        QDir().mkdir(target(QStringLiteral("download")));
        QCOMPARE(manager->saveFileName(QUrl(QStringLiteral("http://h/"))), target(QStringLiteral("download.0")));
    }

    void downloadsOneAfterAnotherInOrder()
    {
        auto manager = makeManager();
        QSignalSpy tasks(manager.get(), &DownloadManager::startNextTask);
        QSignalSpy done(manager.get(), &DownloadManager::finished);

        manager->append(m_server->url(QStringLiteral("/slow")));
        manager->append(m_server->url(QStringLiteral("/b")));
        manager->append(m_server->url(QStringLiteral("/c")));
        // Nothing starts before the event loop runs.
        QCOMPARE(tasks.count(), 0);
        QCOMPARE(manager->total(), 3);

        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
        QCOMPARE(done.at(0).at(0).toInt(), 3);
        QCOMPARE(done.at(0).at(1).toInt(), 3);

        QCOMPARE(tasks.count(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(tasks.at(i).at(0).toInt(), i + 1);
            QCOMPARE(tasks.at(i).at(1).toInt(), 3);
        }

        // Each request only after the previous answer was complete.
        QCOMPARE(m_server->log(), QStringList({"GET /slow", "done /slow", "GET /b", "done /b", "GET /c", "done /c"}));

        QCOMPARE(m_lines, QList<Line>({out("Downloading " + enc("/slow") + "...\n"), out("Succeeded.\n"),
                                       out("Downloading " + enc("/b") + "...\n"), out("Succeeded.\n"),
                                       out("Downloading " + enc("/c") + "...\n"), out("Succeeded.\n"),
                                       out("3/3 files downloaded successfully\n")}));

        QCOMPARE(readFile(target(QStringLiteral("slow"))), m_slow);
        QCOMPARE(readFile(target(QStringLiteral("b"))), m_b);
        QCOMPARE(readFile(target(QStringLiteral("c"))), m_c);
        QCOMPARE(manager->currentFileName(), target(QStringLiteral("c")));
        QCOMPARE(manager->downloaded(), 3);
    }

    void progressOfASlowBody()
    {
        auto manager = makeManager();
        QSignalSpy progress(manager.get(), &DownloadManager::progress);
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/slow")));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);

        QVERIFY2(progress.count() >= 3, "a body in ten pieces over 0.6 s reports progress several times");
        const QRegularExpression speed(QStringLiteral("^ ?\\d+\\.\\d (bytes/sec|kB/s|MB/s)$"));
        qint64 previous = -1;
        for (const QList<QVariant>& report : std::as_const(progress)) {
            const qint64 received = report.at(0).toLongLong();
            QVERIFY(received >= previous);
            previous = received;
            QCOMPARE(report.at(1).toLongLong(), qint64(m_slow.size()));
            QVERIFY2(speed.match(report.at(2).toString()).hasMatch(), qPrintable(report.at(2).toString()));
        }
        QCOMPARE(previous, qint64(m_slow.size()));
    }

    void unannouncedSize()
    {
        auto manager = makeManager();
        QSignalSpy progress(manager.get(), &DownloadManager::progress);
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/unsized")));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);

        QCOMPARE(done.at(0).at(0).toInt(), 1);
        QCOMPARE(readFile(target(QStringLiteral("unsized"))), m_slow);

        bool sawUnknownTotal = false;
        for (const QList<QVariant>& report : std::as_const(progress)) {
            if (report.at(1).toLongLong() == -1)
                sawUnknownTotal = true;
            QVERIFY(!report.at(2).toString().contains(QLatin1String("inf")));
            QVERIFY(!report.at(2).toString().contains(QLatin1String("nan")));
        }
        QVERIFY(sawUnknownTotal);
    }

    void unsuccessfulAnswers_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("reason");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("cutAfter");
        // Network errors keep the network layer's text; "@" stands for the address.
        QTest::addColumn<QByteArray>("failure");

        const QByteArray page = "<html>moved to /a</html>\n";
        QTest::newRow("301") << 301 << QByteArray("Moved Permanently") << page << -1
                             << QByteArray("HTTP 301 Moved Permanently");
        QTest::newRow("302") << 302 << QByteArray("Found") << page << -1 << QByteArray("HTTP 302 Found");
        QTest::newRow("303") << 303 << QByteArray("See Other") << page << -1 << QByteArray("HTTP 303 See Other");
        QTest::newRow("307") << 307 << QByteArray("Temporary Redirect") << page << -1
                             << QByteArray("HTTP 307 Temporary Redirect");
        QTest::newRow("308") << 308 << QByteArray("Permanent Redirect") << page << -1
                             << QByteArray("HTTP 308 Permanent Redirect");
        QTest::newRow("redirect without body")
            << 302 << QByteArray("Found") << QByteArray() << -1 << QByteArray("HTTP 302 Found");
        QTest::newRow("no reason phrase") << 302 << QByteArray() << page << -1 << QByteArray("HTTP 302");
        QTest::newRow("escape codes in the reason")
            << 302 << QByteArray("Fo\x1b[2Jund\x9b") << page << -1 << QByteArray("HTTP 302 Fo?[2Jund?");
        QTest::newRow("204") << 204 << QByteArray("No Content") << QByteArray() << -1
                             << QByteArray("HTTP 204 No Content without data");
        QTest::newRow("200 empty") << 200 << QByteArray("OK") << QByteArray() << -1
                                   << QByteArray("HTTP 200 OK without data");
        QTest::newRow("404") << 404 << QByteArray("Not Found") << QByteArray("no such file\n") << -1
                             << QByteArray("Error transferring @ - server replied: Not Found");
        QTest::newRow("500") << 500 << QByteArray("Internal Server Error") << QByteArray("oops\n") << -1
                             << QByteArray("Error transferring @ - server replied: Internal Server Error");
        QTest::newRow("cut off") << 200 << QByteArray("OK") << TestHttpServer::patternBody(50000, 6) << 20000
                                 << QByteArray("Connection closed");
    }

    void unsuccessfulAnswers()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, reason);
        QFETCH(QByteArray, body);
        QFETCH(int, cutAfter);
        QFETCH(QByteArray, failure);

        TestHttpServer::Route route;
        route.status = status;
        route.reason = reason;
        route.body = body;
        route.cutAfter = cutAfter;
        route.headers << qMakePair(QByteArray("Location"), QByteArray("/a"));
        m_server->setRoute("/setup.exe", route);

        auto manager = makeManager();
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/setup.exe")));
        manager->append(m_server->url(QStringLiteral("/c")));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);

        // Not counted, so the window offers nothing to install.
        QCOMPARE(done.at(0).at(0).toInt(), 1);
        QCOMPARE(done.at(0).at(1).toInt(), 2);
        QCOMPARE(manager->downloaded(), 1);
        // A redirect is not followed.
        QCOMPARE(m_server->requestedPaths(), QStringList({"/setup.exe", "/c"}));

        QCOMPARE(m_lines.size(), 5);
        QCOMPARE(m_lines.at(0), out("Downloading " + enc("/setup.exe") + "...\n"));
        QCOMPARE(m_lines.at(1), err("Failed: " + failure.replace('@', enc("/setup.exe")) + '\n'));
        QCOMPARE(m_lines.at(2), out("Downloading " + enc("/c") + "...\n"));
        QCOMPARE(m_lines.at(3), out("Succeeded.\n"));
        QCOMPARE(m_lines.at(4), out("1/2 files downloaded successfully\n"));

        // Nothing is left under the name, nor anywhere else in the folder.
        QCOMPARE(manager->currentFileName(), target(QStringLiteral("c")));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"c"}));
        QCOMPARE(readFile(target(QStringLiteral("c"))), m_c);
    }

    void failedNameIsFreeAgain()
    {
        // The name of a failed download is not used up: the next try of the
        // same address gets it, not a ".0".
        m_server->setFile("/later", QByteArray());
        auto manager = makeManager();
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/later")));
        QTRY_COMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).toInt(), 0);

        m_server->setFile("/later", m_c);
        manager->append(m_server->url(QStringLiteral("/later")));
        QTRY_COMPARE(done.count(), 2);
        QCOMPARE(done.at(1).at(0).toInt(), 1);
        QCOMPARE(manager->currentFileName(), target(QStringLiteral("later")));
        QCOMPARE(readFile(target(QStringLiteral("later"))), m_c);
    }

    void namePlantedBeforeTheOpen_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file") << "file";
#ifdef Q_OS_UNIX
        QTest::newRow("link to a file") << "link";
        QTest::newRow("dangling link") << "dangling";
#endif
    }

    void namePlantedBeforeTheOpen()
    {
        QFETCH(QString, kind);
        const QString outside = m_dir->path() + QStringLiteral("/outside/victim");
        QVERIFY(QDir().mkpath(QFileInfo(outside).path()));
        if (kind != QLatin1String("dangling")) {
            QFile victim(outside);
            QVERIFY(victim.open(QIODevice::WriteOnly));
            victim.write("precious");
        }

        auto manager = makeManager();
        QStringList seen;
        manager->setBeforeOpenForTests([&](const QString& path) {
            seen << path;
            if (seen.size() > 1)
                return;
            // Another program takes the name after it was found free.
            if (kind == QLatin1String("file")) {
                QFile planted(path);
                QVERIFY(planted.open(QIODevice::WriteOnly));
                planted.write("planted");
            } else {
                QVERIFY(QFile::link(outside, path));
            }
        });
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/a")));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);

        QCOMPARE(seen, QStringList({target(QStringLiteral("a")), target(QStringLiteral("a.0"))}));
        QCOMPARE(done.at(0).at(0).toInt(), 1);
        QCOMPARE(manager->currentFileName(), target(QStringLiteral("a.0")));
        QCOMPARE(readFile(target(QStringLiteral("a.0"))), m_a);
        // What was planted is as it was, and nothing went through the link.
        if (kind == QLatin1String("file")) {
            QCOMPARE(readFile(target(QStringLiteral("a"))), QByteArray("planted"));
        } else {
            QVERIFY(QFileInfo(target(QStringLiteral("a"))).isSymLink());
            QCOMPARE(QFileInfo(target(QStringLiteral("a"))).symLinkTarget(), outside);
        }
        if (kind == QLatin1String("dangling"))
            QVERIFY(!QFileInfo::exists(outside));
        else
            QCOMPARE(readFile(outside), QByteArray("precious"));
    }

    void namesTakenForEverAreGivenUp()
    {
        // A name is taken before every open: the address is skipped as an
        // unopenable one instead of trying for ever.
        auto manager = makeManager();
        int opens = 0;
        manager->setBeforeOpenForTests([&](const QString& path) {
            ++opens;
            if (path.startsWith(target(QStringLiteral("b"))))
                QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        });
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/b")));
        manager->append(m_server->url(QStringLiteral("/c")));
        QTRY_COMPARE(done.count(), 1);

        QVERIFY2(opens > 2 && opens < 100, QByteArray::number(opens).constData());
        QCOMPARE(done.at(0).at(0).toInt(), 1);
        QCOMPARE(m_server->requestedPaths(), QStringList({"/c"}));
        QCOMPARE(m_lines.size(), 4);
        QCOMPARE(m_lines.at(0).first, DownloadManager::Stream::Err);
        QVERIFY2(
            m_lines.at(0).second.startsWith("Problem opening save file '" + target(QStringLiteral("b.")).toLocal8Bit()),
            m_lines.at(0).second.constData());
        QVERIFY(m_lines.at(0).second.endsWith("' for download '" + enc("/b") + "': File exists\n"));
        QCOMPARE(readFile(target(QStringLiteral("c"))), m_c);
    }

    void cancelledTransferLeavesNoFile()
    {
        auto manager = makeManager();
        QSignalSpy progress(manager.get(), &DownloadManager::progress);
        manager->append(m_server->url(QStringLiteral("/slow")));
        QTRY_VERIFY_WITH_TIMEOUT(progress.count() > 0, 20000);
        // Half a file never has the real name.
        QVERIFY(!QFileInfo::exists(target(QStringLiteral("slow"))));
        QCOMPARE(partFiles().size(), 1);
        // The updater ends with a transfer still running.
        manager.reset();
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    void existingFilesAreNotOverwritten()
    {
        QFile old(target(QStringLiteral("a")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("keep me");
        old.close();

        auto manager = makeManager();
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/a")));
        manager->append(m_server->url(QStringLiteral("/a")));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);

        QCOMPARE(readFile(target(QStringLiteral("a"))), QByteArray("keep me"));
        QCOMPARE(readFile(target(QStringLiteral("a.0"))), m_a);
        QCOMPARE(readFile(target(QStringLiteral("a.1"))), m_a);
        QCOMPARE(manager->currentFileName(), target(QStringLiteral("a.1")));
    }

    void failedTransferIsNotCounted()
    {
        auto manager = makeManager();
        QSignalSpy tasks(manager.get(), &DownloadManager::startNextTask);
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/a")));
        manager->append(m_server->url(QStringLiteral("/missing")));
        manager->append(m_server->url(QStringLiteral("/c")));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);

        QCOMPARE(done.at(0).at(0).toInt(), 2);
        QCOMPARE(done.at(0).at(1).toInt(), 3);
        QCOMPARE(tasks.count(), 3);
        QCOMPARE(m_lines,
                 QList<Line>({out("Downloading " + enc("/a") + "...\n"), out("Succeeded.\n"),
                              out("Downloading " + enc("/missing") + "...\n"),
                              err("Failed: Error transferring " + enc("/missing") + " - server replied: Not Found\n"),
                              out("Downloading " + enc("/c") + "...\n"), out("Succeeded.\n"),
                              out("2/3 files downloaded successfully\n")}));
        // The error page is not left behind as the file.
        QVERIFY(!QFileInfo::exists(target(QStringLiteral("missing"))));
        QCOMPARE(readFile(target(QStringLiteral("c"))), m_c);
    }

    void lastFileNameEvenWhenItFailed()
    {
        auto manager = makeManager();
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/b")));
        manager->append(m_server->url(QStringLiteral("/missing")));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
        QCOMPARE(done.at(0).at(0).toInt(), 1);
        QCOMPARE(manager->currentFileName(), target(QStringLiteral("missing")));
    }

    void unopenableTargetSkipsAtOnce()
    {
        // A folder so deep that a long name no longer fits in a path, while
        // a short one still does: the open fails, even for root.
        QString folder = m_dir->path();
        while (folder.size() < 3900)
            folder += QLatin1Char('/') + QString(200, QLatin1Char('d'));
        QVERIFY(QDir().mkpath(folder));
        const QString longName(200, QLatin1Char('x'));
        auto manager = makeManager();
        manager->setDownloadFolder(folder);
        QSignalSpy tasks(manager.get(), &DownloadManager::startNextTask);
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QLatin1Char('/') + longName));
        manager->append(m_server->url(QStringLiteral("/b")));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);

        QCOMPARE(done.at(0).at(0).toInt(), 1);
        QCOMPARE(done.at(0).at(1).toInt(), 2);
        // The skipped address got no task of its own; the next one is number 2.
        QCOMPARE(tasks.count(), 1);
        QCOMPARE(tasks.at(0).at(0).toInt(), 2);
        QCOMPARE(m_server->requestedPaths(), QStringList({"/b"}));
        const QString longTarget = folder + QLatin1Char('/') + longName;
        QCOMPARE(m_lines,
                 QList<Line>({err("Problem opening save file '" + longTarget.toLocal8Bit() + "' for download '" +
                                  enc(QLatin1Char('/') + longName) + "': File name too long\n"),
                              out("Downloading " + enc("/b") + "...\n"), out("Succeeded.\n"),
                              out("1/2 files downloaded successfully\n")}));
        QCOMPARE(readFile(folder + QStringLiteral("/b")), m_b);
    }

    void onlyUnopenableTargets()
    {
        // The download folder is taken by a plain file.
        QFile blocker(target(QStringLiteral("blocked")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto manager = makeManager();
        manager->setDownloadFolder(blocker.fileName());
        QSignalSpy tasks(manager.get(), &DownloadManager::startNextTask);
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/a")));
        manager->append(m_server->url(QStringLiteral("/b")));
        QTRY_COMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).toInt(), 0);
        QCOMPARE(done.at(0).at(1).toInt(), 2);
        QCOMPARE(tasks.count(), 0);
        QVERIFY(m_server->log().isEmpty());
        QCOMPARE(m_lines.size(), 3);
        QCOMPARE(m_lines.at(0).first, DownloadManager::Stream::Err);
        QVERIFY(m_lines.at(0).second.endsWith("': Not a directory\n"));
        QCOMPARE(m_lines.at(2), out("0/2 files downloaded successfully\n"));
    }

    void longListOfUnopenableTargets()
    {
        QFile blocker(target(QStringLiteral("blocked")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto manager = makeManager();
        manager->setDownloadFolder(blocker.fileName());
        int failures = 0;
        manager->setConsoleSink([&failures](DownloadManager::Stream stream, const QByteArray&) {
            failures += stream == DownloadManager::Stream::Err;
        });
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        const int count = 100000;
        for (int i = 0; i < count; ++i)
            manager->append(QUrl(QStringLiteral("http://127.0.0.1:1/f%1").arg(i)));
        // All skipped one after another within one start, stack or no stack.
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 60000);
        QCOMPARE(done.at(0).at(0).toInt(), 0);
        QCOMPARE(done.at(0).at(1).toInt(), count);
        QCOMPARE(failures, count);
    }

    void missingDownloadFolderIsCreated()
    {
        auto manager = makeManager();
        const QString folder = m_dir->path() + QStringLiteral("/new/Downloads");
        manager->setDownloadFolder(folder);
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/c")));
        QTRY_COMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).toInt(), 1);
        QCOMPARE(readFile(folder + QStringLiteral("/c")), m_c);
    }

    void listAppendDecodesEachText()
    {
        TestHttpServer::Route spaced;
        spaced.body = "spaced";
        m_server->setRoute("/my%20file.txt", spaced);

        auto manager = makeManager();
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(QStringList({m_server->url(QStringLiteral("/b")).toString(),
                                     QStringLiteral("http://127.0.0.1:%1/my%20file.txt").arg(m_server->port()),
                                     QStringLiteral("not a web address")}));
        QCOMPARE(manager->total(), 3);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);

        QCOMPARE(m_server->requestedPaths(), QStringList({"/b", "/my%20file.txt"}));
        QCOMPARE(readFile(target(QStringLiteral("my file.txt"))), QByteArray("spaced"));
        // The third text is no web address at all: reported, not counted, no crash.
        QCOMPARE(done.at(0).at(0).toInt(), 2);
        QCOMPARE(done.at(0).at(1).toInt(), 3);
        QVERIFY(m_lines.contains(err("Failed: not%20a%20web%20address is not an http or https address\n")));
    }

    void finishedEachTimeTheQueueRunsEmpty()
    {
        auto manager = makeManager();
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/b")));
        QTRY_COMPARE(done.count(), 1);
        manager->append(m_server->url(QStringLiteral("/missing")));
        QTRY_COMPARE(done.count(), 2);
        // Counters carry on over both rounds.
        QCOMPARE(done.at(1).at(0).toInt(), 1);
        QCOMPARE(done.at(1).at(1).toInt(), 2);
        QCOMPARE(m_lines.last(), out("1/2 files downloaded successfully\n"));
    }

    void fullDiskIsAFailure()
    {
#ifdef Q_OS_UNIX
        // A file size limit stands in for a full disk.
        struct rlimit saved
        {
        };
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 16 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);

        auto manager = makeManager();
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/a")));
        manager->append(m_server->url(QStringLiteral("/c")));
        const bool ended = QTest::qWaitFor([&] { return done.count() == 1; }, 20000);
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(ended);

        QCOMPARE(done.at(0).at(0).toInt(), 1);
        QCOMPARE(done.at(0).at(1).toInt(), 2);
        QCOMPARE(m_lines.value(1), err("Failed: File too large\n"));
        QVERIFY(!QFileInfo::exists(target(QStringLiteral("a"))));
        QCOMPARE(readFile(target(QStringLiteral("c"))), m_c);
#else
        QSKIP("needs a file size limit");
#endif
    }

    void partialFileTakesItsNameWhenComplete()
    {
        auto manager = makeManager();
        QSignalSpy progress(manager.get(), &DownloadManager::progress);
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/slow")));
        QTRY_VERIFY_WITH_TIMEOUT(progress.count() > 0, 20000);
        const QStringList parts = partFiles();
        QCOMPARE(parts.size(), 1);
        QVERIFY2(
            QRegularExpression(QStringLiteral("^\\.update-%1-\\d+\\.part$").arg(QCoreApplication::applicationPid()))
                .match(parts.first())
                .hasMatch(),
            qPrintable(parts.first()));
        QVERIFY(!QFileInfo::exists(target(QStringLiteral("slow"))));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
        QCOMPARE(readFile(target(QStringLiteral("slow"))), m_slow);
        QCOMPARE(partFiles(), QStringList());
    }

    void stalledTransfersFail()
    {
        // Headers, then nothing; and a server that takes the request and
        // never answers at all.
        TestHttpServer::Route stall;
        stall.body = m_slow;
        stall.pieceSize = 100;
        stall.pieceIntervalMs = 24 * 3600 * 1000;
        m_server->setRoute("/stall", stall);
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const QUrl silentUrl(QStringLiteral("http://127.0.0.1:%1/setup.exe").arg(silent.serverPort()));

        auto manager = makeManager();
        manager->setStallTimeout(300);
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/stall")));
        manager->append(silentUrl);
        manager->append(m_server->url(QStringLiteral("/b")));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 30000);
        QCOMPARE(done.at(0).at(0).toInt(), 1);
        QCOMPARE(m_lines,
                 QList<Line>({out("Downloading " + enc("/stall") + "...\n"), err("Failed: no data for 0.3 seconds\n"),
                              out("Downloading " + silentUrl.toEncoded() + "...\n"),
                              err("Failed: no data for 0.3 seconds\n"), out("Downloading " + enc("/b") + "...\n"),
                              out("Succeeded.\n"), out("1/3 files downloaded successfully\n")}));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"b"});
    }

    void onlyWebAddressesAreTaken()
    {
        auto manager = makeManager();
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(QUrl(QStringLiteral("file:///etc/hostname")));
        manager->append(QUrl(QStringLiteral("ftp://127.0.0.1/setup.exe")));
        manager->append(QUrl(QStringLiteral("setup.exe")));
        manager->append(m_server->url(QStringLiteral("/b")));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
        QCOMPARE(m_lines, QList<Line>({err("Failed: file:///etc/hostname is not an http or https address\n"),
                                       err("Failed: ftp://127.0.0.1/setup.exe is not an http or https address\n"),
                                       err("Failed: setup.exe is not an http or https address\n"),
                                       out("Downloading " + enc("/b") + "...\n"), out("Succeeded.\n"),
                                       out("1/4 files downloaded successfully\n")}));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"b"});
    }

    void leftoversOfKilledRunsGoAtTheNextStart()
    {
#ifndef Q_OS_UNIX
        QSKIP("process ids are checked on Unix only");
#else
        auto plant = [this](const QString& name) {
            QFile file(target(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("half an installer");
        };
        // Process ids past any the system gives out; the test's own parent
        // still runs.
        plant(QStringLiteral(".update-4294967295-1.part"));
        plant(QStringLiteral(".update-99999999-7.part"));
        const QString alive = QStringLiteral(".update-%1-1.part").arg(qint64(::getppid()));
        plant(alive);
        plant(QStringLiteral("notes.part"));
        plant(QStringLiteral(".update-x-1.part"));

        auto manager = makeManager();
        QSignalSpy done(manager.get(), &DownloadManager::finished);
        manager->append(m_server->url(QStringLiteral("/b")));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
        QStringList left = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
        left.sort();
        QStringList expected{alive, QStringLiteral(".update-x-1.part"), QStringLiteral("b"),
                             QStringLiteral("notes.part")};
        expected.sort();
        QCOMPARE(left, expected);
#endif
    }
};

QTEST_GUILESS_MAIN(DownloadManagerTest)
#include "tst_downloadmanager.moc"
