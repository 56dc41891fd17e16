// The `update` program as a user starts it: the usage text without
// addresses, and a real download into the download folder of a fresh home.

#include "TestHttpServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class UpdaterProgramTest : public QObject
{
    Q_OBJECT

private:
    QProcessEnvironment environment(const QString& home) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // Qt complains on stderr without a private runtime folder.
        const QString runtime = home + QStringLiteral("/runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        for (const char* proxy : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            env.remove(QString::fromLatin1(proxy));
        return env;
    }

private slots:
    void usageWithoutAddresses()
    {
        QTemporaryDir home;
        QProcess update;
        update.setProcessEnvironment(environment(home.path()));
        update.start(QStringLiteral(UPDATE_PROGRAM), QStringList());
        QVERIFY(update.waitForFinished(30000));

        QCOMPARE(update.exitStatus(), QProcess::NormalExit);
        QCOMPARE(update.exitCode(), 0);
        QCOMPARE(update.readAllStandardOutput(),
                 QByteArray("Usage: downloadmanager url1 [url2... urlN]\n"
                            "\n"
                            "Downloads the URLs passed in the command-line to the local directory\n"
                            "If the target file already exists, a .0, .1, .2, etc. is appended to\n"
                            "differentiate.\n"));
        QCOMPARE(update.readAllStandardError(), QByteArray());
        // Nothing was set up: no download folder appeared.
        QVERIFY(!QFile::exists(home.path() + QStringLiteral("/Downloads")));
    }

    void usageWithoutADisplay()
    {
        QTemporaryDir home;
        QProcessEnvironment env = environment(home.path());
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        QProcess update;
        update.setProcessEnvironment(env);
        update.start(QStringLiteral(UPDATE_PROGRAM), QStringList());
        QVERIFY(update.waitForFinished(30000));
        QCOMPARE(update.exitStatus(), QProcess::NormalExit);
        QCOMPARE(update.exitCode(), 0);
        QVERIFY(update.readAllStandardOutput().startsWith("Usage: downloadmanager url1 [url2... urlN]\n"));
    }

    void onlyQtOptionsIsNoAddress()
    {
        QTemporaryDir home;
        QProcess update;
        update.setProcessEnvironment(environment(home.path()));
        update.start(QStringLiteral(UPDATE_PROGRAM), {QStringLiteral("-platform"), QStringLiteral("offscreen")});
        QVERIFY(update.waitForFinished(30000));
        QCOMPARE(update.exitCode(), 0);
        QVERIFY(update.readAllStandardOutput().startsWith("Usage: downloadmanager url1 [url2... urlN]\n"));
        QVERIFY(!QFile::exists(home.path() + QStringLiteral("/Downloads")));
    }

    void downloadsIntoTheUsersFolder()
    {
        TestHttpServer server;
        QVERIFY(server.listen());
        const QByteArray first = TestHttpServer::patternBody(20000, 1);
        const QByteArray second = TestHttpServer::patternBody(333, 2);
        server.setFile("/setup.bin", first);
        server.setFile("/notes.txt", second);

        QTemporaryDir home;
        QProcess update;
        update.setProcessEnvironment(environment(home.path()));
        const QString a = server.url(QStringLiteral("/setup.bin")).toString();
        const QString b = server.url(QStringLiteral("/notes.txt")).toString();
        update.start(QStringLiteral(UPDATE_PROGRAM), {a, b});
        QVERIFY(update.waitForStarted(30000));

        // The program stops at its "Success" box; the console tells when.
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += update.readAllStandardOutput()).contains("files downloaded"), 30000);
        update.kill();
        update.waitForFinished(30000);

        QCOMPARE(out, "Downloading " + a.toLatin1() + "...\nSucceeded.\nDownloading " + b.toLatin1() +
                          "...\nSucceeded.\n2/2 files downloaded successfully\n");
        QFile saved(home.path() + QStringLiteral("/Downloads/setup.bin"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), first);
        QFile notes(home.path() + QStringLiteral("/Downloads/notes.txt"));
        QVERIFY(notes.open(QIODevice::ReadOnly));
        QCOMPARE(notes.readAll(), second);
    }

    void redirectIsReportedAsAFailure()
    {
        TestHttpServer server;
        QVERIFY(server.listen());
        TestHttpServer::Route moved;
        moved.status = 301;
        moved.reason = "Moved Permanently";
        moved.body = "<html>moved</html>\n";
        moved.headers << qMakePair(QByteArray("Location"), QByteArray("/elsewhere/setup.bin"));
        server.setRoute("/setup.bin", moved);

        QTemporaryDir home;
        QProcess update;
        update.setProcessEnvironment(environment(home.path()));
        const QString a = server.url(QStringLiteral("/setup.bin")).toString();
        update.start(QStringLiteral(UPDATE_PROGRAM), {a});
        QVERIFY(update.waitForStarted(30000));

        // The program stops at its "Error" box.
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += update.readAllStandardOutput()).contains("files downloaded"), 30000);
        update.kill();
        update.waitForFinished(30000);

        QCOMPARE(out, "Downloading " + a.toLatin1() + "...\n0/1 files downloaded successfully\n");
        QVERIFY(update.readAllStandardError().contains("Failed: HTTP 301 Moved Permanently\n"));
        QCOMPARE(server.requestedPaths(), QStringList({"/setup.bin"}));
        QVERIFY(!QFile::exists(home.path() + QStringLiteral("/Downloads/setup.bin")));
    }

    void leftoversGoAtEveryStart()
    {
        // Half files of runs that were killed (process ids past any the
        // system gives out), and one of another program.
        QTemporaryDir home;
        const QString folder = home.path() + QStringLiteral("/Downloads");
        QVERIFY(QDir().mkpath(folder));
        for (const char* name : {".update-4294967295-1.part", ".update-99999999-3.part", "notes.part"}) {
            QFile file(folder + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("half an installer");
        }

        // Nothing is fetched into the folder: the address is refused.
        QProcess update;
        update.setProcessEnvironment(environment(home.path()));
        update.start(QStringLiteral(UPDATE_PROGRAM), {QStringLiteral("ftp://127.0.0.1/setup.bin")});
        QVERIFY(update.waitForStarted(30000));
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += update.readAllStandardOutput()).contains("files downloaded"), 30000);
        update.kill();
        update.waitForFinished(30000);

        QCOMPARE(out, "0/1 files downloaded successfully\n");
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"notes.part"}));
    }
};

QTEST_GUILESS_MAIN(UpdaterProgramTest)
#include "tst_updaterprogram.moc"
