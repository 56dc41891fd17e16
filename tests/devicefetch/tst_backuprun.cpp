// The backup tool's run as a process group: a cancel stops the tool and what
// it started, whether they obey the request to terminate or have to be
// killed; what outlives a finished tool is stopped before the run ends; a
// new run cannot start while the old one is being stopped; and the run
// remembers which device it was started for.

#include "BackupRun.h"
#include "DeviceLink.h"
#include "ProcessState.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QByteArray kId = "0f3c2a9b8d7e6f5a4b3c2d1e0f9a8b7c6d5e4f3a";

#ifdef Q_OS_UNIX
using testprocess::running;
#endif

} // namespace

class BackupRunTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cancelStopsTheToolAndWhatItStarted_data();
    void cancelStopsTheToolAndWhatItStarted();
    void whatOutlivesAFinishedToolIsStopped();
    void runRemembersItsDevice();

private:
    // A tools folder whose backup tool is `script`; it finds the folder for
    // its pid files in $PIDS.
    QString tools(const QByteArray& script);
    qint64 pid(const char* name) const;
    QString pidFile(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

    QTemporaryDir m_dir;
};

void BackupRunTest::init()
{
    QVERIFY(m_dir.isValid());
    QFile::remove(pidFile("tool"));
    QFile::remove(pidFile("child"));
    qputenv("PIDS", QFile::encodeName(m_dir.path()));
    linkUp = true;
    backupDone = false;
}

QString BackupRunTest::tools(const QByteArray& script)
{
    const QString folder = m_dir.filePath(QStringLiteral("tools%1").arg(QTest::currentDataTag()));
    QDir().mkpath(folder + QStringLiteral("/bin"));
    QFile tool(folder + QStringLiteral("/bin/AppleMobileBackup"));
    if (!tool.open(QIODevice::WriteOnly) || tool.write("#!/bin/sh\n" + script) <= 0)
        return {};
    tool.close();
    tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

qint64 BackupRunTest::pid(const char* name) const
{
    QFile file(pidFile(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}

void BackupRunTest::cancelStopsTheToolAndWhatItStarted_data()
{
    QTest::addColumn<QByteArray>("script");
    // The child records its pid last, so that both pids are known once it is there.
    const QByteArray records = "echo $$ > \"$PIDS/tool\"\necho $! > \"$PIDS/child.new\"\n"
                               "mv \"$PIDS/child.new\" \"$PIDS/child\"\necho working\n";
    QTest::newRow("both obey") << "sleep 1000 &\n" + records + "wait\n";
    QTest::newRow("child ignores terminate") << "(trap '' TERM; exec sleep 1000) &\n" + records + "wait\n";
    QTest::newRow("tool ends, child stays")
        << "trap 'exit 0' TERM\n(trap '' TERM; exec sleep 1000) &\n" + records + "wait\nwait\n";
    QTest::newRow("neither obeys") << "trap '' TERM\nsleep 1000 &\n" + records + "wait\n";
}

void BackupRunTest::cancelStopsTheToolAndWhatItStarted()
{
#ifdef Q_OS_UNIX
    QFETCH(QByteArray, script);
    auto owned = std::make_unique<BackupRun>();
    BackupRun& run = *owned;
    run.setToolsFolder(tools(script));
    run.setBackupRoot(m_dir.filePath(QStringLiteral("Backup")));
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(kId));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pidFile("child")), 20000);
    const qint64 tool = pid("tool");
    const qint64 child = pid("child");
    QVERIFY(tool > 0 && child > 0);
    QVERIFY(running(tool) && running(child));

    run.cancel();
    // Until everything of the old run is gone, no second run starts.
    QVERIFY(run.isRunning());
    QVERIFY(!run.start(kId));
    QVERIFY(done.wait(30000));
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QVERIFY2(done.at(0).at(1).toString().contains(QStringLiteral("cancelled")),
             qPrintable(done.at(0).at(1).toString()));
    // When the window hears that the backup stopped, nothing of it runs on.
    QVERIFY(!running(tool));
    QVERIFY(!running(child));
    QVERIFY(!isBackupDone());
    QVERIFY(!run.isRunning());

    // A retry runs as soon as the old run has ended.
    QFile::remove(pidFile("child"));
    QVERIFY(run.start(kId));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pidFile("child")), 20000);
    const qint64 second = pid("child");
    QVERIFY(second != child);
    QVERIFY(running(second));
    // A run going away (the window closing) takes its tool's group with it.
    owned.reset();
    QTRY_VERIFY(!running(second));
#else
    QSKIP("Process groups are a Unix matter; elsewhere only the tool itself is stopped.");
#endif
}

void BackupRunTest::whatOutlivesAFinishedToolIsStopped()
{
#ifdef Q_OS_UNIX
    // The tool succeeds but leaves a process of its own behind.
    BackupRun run;
    run.setToolsFolder(tools("sleep 1000 &\necho $! > \"$PIDS/child\"\necho done\nexit 0\n"));
    run.setBackupRoot(m_dir.filePath(QStringLiteral("Backup")));
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(kId));
    QVERIFY(done.wait(30000));
    QVERIFY2(done.at(0).at(0).toBool(), qPrintable(done.at(0).at(1).toString()));
    QVERIFY(isBackupDone());
    const qint64 child = pid("child");
    QVERIFY(child > 0);
    QVERIFY(!running(child));
#else
    QSKIP("Process groups are a Unix matter.");
#endif
}

void BackupRunTest::runRemembersItsDevice()
{
    BackupRun run;
    QCOMPARE(run.identifier(), QByteArray());
    run.setToolsFolder(tools("echo ok\n"));
    run.setBackupRoot(m_dir.filePath(QStringLiteral("Backup")));
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(kId));
    QCOMPARE(run.identifier(), kId);
    QVERIFY(done.wait(30000));
    QCOMPARE(run.identifier(), kId);
    // A refused start leaves the last run's device.
    QVERIFY(!run.start("../elsewhere"));
    QCOMPARE(run.identifier(), kId);
}

QTEST_GUILESS_MAIN(BackupRunTest)
#include "tst_backuprun.moc"
