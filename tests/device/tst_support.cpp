// The Linux device support built on libimobiledevice. No phone can be
// attached here: the library must load, subscribe and stay quiet without a
// phone (or without a running usbmuxd), translate device events, refuse bad
// handles, and its backup tool must judge idevicebackup2's result.

#include "BackupRun.h"
#include "DetectIphoneAction.h"
#include "DeviceBinding.h"
#include "DeviceLink.h"
#include "ProcessState.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

using TranslateFn = unsigned int (*)(int, int);

const char* const kUdid = "00008030-001A2B3C4D5E802E";

// A stand-in for idevicebackup2: a shell script with the given body.
QString fakeBackupProgram(const QTemporaryDir& dir, const QByteArray& body)
{
    const QString path = dir.filePath(QStringLiteral("idevicebackup2"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n" + body);
    file.close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QByteArray statusPlist(const char* state)
{
    return QByteArray("cat > \"$4/$2/Status.plist\" <<'EOF'\n"
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\"><dict><key>SnapshotState</key><string>") +
           state + "</string></dict></plist>\nEOF\n";
}

} // namespace

class SupportTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void loadsAndSubscribesQuietly();
    void translatesDeviceEvents_data();
    void translatesDeviceEvents();
    void badHandlesAreRefused();
    void backupTool_data();
    void backupTool();
    void cancelStopsTheBackupProgram_data();
    void cancelStopsTheBackupProgram();

private:
    QString root() const { return m_dir.filePath(QStringLiteral("Backup")); }

    QTemporaryDir m_dir;
    DeviceLink m_link;
    DetectIphoneAction m_notifier;
};

void SupportTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    qputenv("MSGDESK_DEVICE_TOOLS", MSGDESK_SUPPORT_DIR);
}

void SupportTest::cleanup()
{
    qunsetenv("MSGDESK_IDEVICEBACKUP2");
}

void SupportTest::loadsAndSubscribesQuietly()
{
    setLinkNotifier(&m_notifier);
    QSignalSpy spy(&m_notifier, &DetectIphoneAction::validlink);
    QVERIFY(subscribeDeviceNotifications(&m_link));
    QCOMPARE(loadedDeviceLibraryPath(), QStringLiteral(MSGDESK_SUPPORT_DIR "/libiTunesMobileDevice.so"));
    // A second subscription replaces the first instead of adding one.
    QVERIFY(subscribeDeviceNotifications(&m_link));
    // No phone on this machine: nothing is reported and nothing is written.
    QVERIFY(!spy.wait(1500));
    QVERIFY(!QFile::exists(QStringLiteral("MobileInfo")));
    QVERIFY(!linkUp);
}

void SupportTest::translatesDeviceEvents_data()
{
    QTest::addColumn<int>("event");
    QTest::addColumn<int>("connection");
    QTest::addColumn<int>("kind");
    // libimobiledevice: events 1 add, 2 remove, 3 paired; connections 1 usbmuxd, 2 network.
    QTest::newRow("added by cable") << 1 << 1 << 1;
    QTest::newRow("removed by cable") << 2 << 1 << 2;
    QTest::newRow("paired just now") << 3 << 1 << 1;
    QTest::newRow("added over the network") << 1 << 2 << 0;
    QTest::newRow("removed over the network") << 2 << 2 << 0;
    QTest::newRow("unknown event") << 42 << 1 << 0;
}

void SupportTest::translatesDeviceEvents()
{
    QFETCH(int, event);
    QFETCH(int, connection);
    QFETCH(int, kind);
    QLibrary library(QStringLiteral(MSGDESK_SUPPORT_DIR "/libiTunesMobileDevice.so"));
    auto translate = reinterpret_cast<TranslateFn>(library.resolve("MSGDESK_TranslateDeviceEvent"));
    QVERIFY(translate);
    QCOMPARE(static_cast<int>(translate(event, connection)), kind);
}

void SupportTest::badHandlesAreRefused()
{
    QVERIFY(loadDeviceLibrary());
    const int connect = amDeviceConnect(nullptr);
    QVERIFY(connect != 0 && connect != kDeviceUnavailable);
    QCOMPARE(amDeviceIsPaired(nullptr), 0);
    QVERIFY(amDeviceValidatePairing(nullptr) != 0);
    QVERIFY(amDeviceStartSession(nullptr) != 0);
    AMServiceConnectionRef service = nullptr;
    QVERIFY(amDeviceStartService(nullptr, "com.apple.afc", &service) != 0);
    QCOMPARE(service, nullptr);
    AFCConnectionRef afc = nullptr;
    QVERIFY(afcConnectionOpen(nullptr, &afc) != 0);
    AFCDictionaryRef info = nullptr;
    QVERIFY(afcDeviceInfoOpen(nullptr, &info) != 0);
    QCOMPARE(copyDeviceValue(nullptr, "DeviceName"), nullptr);
    QCOMPARE(copyDeviceIdentifier(nullptr), nullptr);
}

void SupportTest::backupTool_data()
{
    QTest::addColumn<QByteArray>("script"); // empty: no backup program at all
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("inMessage");

    // The program is called as "idevicebackup2 -u UDID backup ROOT".
    const QByteArray checkArgs = "test \"$1 $3\" = \"-u backup\" || exit 9\nmkdir -p \"$4/$2\"\n";
    QTest::newRow("finished snapshot") << checkArgs + statusPlist("finished") << true << QString();
    QTest::newRow("unfinished snapshot") << checkArgs + statusPlist("uploading") + "exit 0\n"
                                         << false << QStringLiteral("uploading");
    QTest::newRow("no status file") << checkArgs << false << QStringLiteral("missing");
    QTest::newRow("program fails") << QByteArray("echo 'ERROR: Could not connect to lockdownd'\nexit 1\n") << false
                                   << QStringLiteral("lockdownd");
    QTest::newRow("no backup program") << QByteArray() << false << QStringLiteral("libimobiledevice-utils");
}

void SupportTest::backupTool()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, ok);
    QFETCH(QString, inMessage);

    QTemporaryDir programs;
    QDir(root()).removeRecursively();
    qputenv("MSGDESK_IDEVICEBACKUP2", script.isEmpty() ? QByteArray("/nonexistent/idevicebackup2")
                                                       : QFile::encodeName(fakeBackupProgram(programs, script)));
    linkUp = true;
    backupDone = false;
    BackupRun run;
    run.setToolsFolder(QStringLiteral(MSGDESK_SUPPORT_DIR));
    run.setBackupRoot(root());
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(kUdid));
    QVERIFY(done.wait(20000));
    const QString message = done.at(0).at(1).toString();
    QVERIFY2(done.at(0).at(0).toBool() == ok, qPrintable(message));
    QVERIFY2(message.contains(inMessage), qPrintable(message));
    QCOMPARE(isBackupDone(), ok);
    linkUp = false;
}

void SupportTest::cancelStopsTheBackupProgram_data()
{
    QTest::addColumn<QByteArray>("prologue");
    QTest::newRow("program obeys") << QByteArray();
    // It then has to be killed, with the tool waiting for it.
    QTest::newRow("program ignores terminate") << QByteArray("trap '' TERM\n");
}

void SupportTest::cancelStopsTheBackupProgram()
{
    QFETCH(QByteArray, prologue);
    QTemporaryDir programs;
    const QString pidFile = programs.filePath(QStringLiteral("pid"));
    qputenv("MSGDESK_IDEVICEBACKUP2",
            QFile::encodeName(fakeBackupProgram(programs, prologue + "echo $$ > '" + QFile::encodeName(pidFile) +
                                                              ".part' && mv '" + QFile::encodeName(pidFile) +
                                                              ".part' '" + QFile::encodeName(pidFile) +
                                                              "'\nwhile true; do echo 'Receiving files'; sleep 0.2; "
                                                              "done\n")));
    BackupRun run;
    run.setToolsFolder(QStringLiteral(MSGDESK_SUPPORT_DIR));
    run.setBackupRoot(root());
    QSignalSpy lines(&run, &BackupRun::output);
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start(kUdid));
    QVERIFY(lines.wait(20000));
    // The program renames the file into place once the number is in it.
    QTRY_VERIFY(QFile::exists(pidFile));
    QFile file(pidFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const qint64 pid = file.readAll().trimmed().toLongLong();
    QVERIFY(pid > 0);

    run.cancel();
    QVERIFY(done.wait(30000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    // The backup program went with the tool instead of running on alone.
    QVERIFY(!testprocess::running(pid));
}

QTEST_GUILESS_MAIN(SupportTest)
#include "tst_support.moc"
