// The connect sequence and the link reports against the simulated phone. The
// phone is attached and removed on the library's own thread through its
// control entry; its failures are switched through the environment.

#include "DetectIphoneAction.h"
#include "DeviceBinding.h"
#include "DeviceLink.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLibrary>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

using SimPhoneControlFn = void (*)(int);

const QByteArray kUdid = "0f3c2a9b8d7e6f5a4b3c2d1e0f9a8b7c6d5e4f3a";

QByteArray readInfoFile()
{
    QFile file(QStringLiteral("MobileInfo"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class LinkTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void attachIsReportedOnGuiThread();
    void infoFileHoldsTheKeysInOrder();
    void missingDeviceValueLeavesItsLineOut();
    void unpairedPhoneGivesNoReportAndNoInfo();
    void failedPairingCheckGivesNoReport();
    void notificationServiceFailingOnceStillLinks();
    void notificationServiceFailingTwiceGivesNoReport();
    void failedConnectIsStillReported();
    void unwritableInfoFileStillReports();
    void removalReportsFalseAndClearsBackupDone();
    void reportsArriveInOrder();

private:
    void post(int kind) { m_control(kind); }

    QTemporaryDir m_work;
    QString m_oldDir;
    DeviceLink m_link;
    DetectIphoneAction m_notifier;
    SimPhoneControlFn m_control = nullptr;
    QList<bool> m_reports;
    QList<QThread*> m_threads;
};

void LinkTest::initTestCase()
{
    QVERIFY(m_work.isValid());
    m_oldDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_work.path()));
    qputenv("MSGDESK_DEVICE_TOOLS", MSGDESK_SIMPHONE_DIR);
    // The tests attach the phone themselves.
    qputenv("MSGDESK_SIM_ATTACH_MS", "-1");

    connect(&m_notifier, &DetectIphoneAction::validlink, this, [this](bool up) {
        m_reports.append(up);
        m_threads.append(QThread::currentThread());
    });
    setLinkNotifier(&m_notifier);
    QVERIFY(subscribeDeviceNotifications(&m_link));
    QVERIFY(loadedDeviceLibraryPath().startsWith(QStringLiteral(MSGDESK_SIMPHONE_DIR)));

    QLibrary library(loadedDeviceLibraryPath());
    m_control = reinterpret_cast<SimPhoneControlFn>(library.resolve("SimPhoneControl"));
    QVERIFY(m_control);
}

void LinkTest::init()
{
    // Every test starts without a phone and without an info file.
    m_reports.clear();
    post(kDeviceRemoved);
    QTRY_COMPARE(m_reports, QList<bool>{false});
    QVERIFY(!linkUp);
    m_reports.clear();
    m_threads.clear();
    QFile::remove(QStringLiteral("MobileInfo"));
}

void LinkTest::cleanup()
{
    for (const char* name : {"MSGDESK_SIM_UNPAIRED", "MSGDESK_SIM_VALIDATE_FAIL", "MSGDESK_SIM_NOTIFY_FAIL_ONCE",
                             "MSGDESK_SIM_NOTIFY_FAIL", "MSGDESK_SIM_CONNECT_FAIL", "MSGDESK_SIM_NO_VOLUME_FORMAT"}) {
        qunsetenv(name);
    }
    QDir(QStringLiteral("MobileInfo")).removeRecursively();
}

void LinkTest::attachIsReportedOnGuiThread()
{
    post(kDeviceAttached);
    QTRY_COMPARE(m_reports, QList<bool>{true});
    QCOMPARE(m_threads.constFirst(), QThread::currentThread());
    QVERIFY(linkUp);
    QVERIFY(m_link.device.load() != nullptr);
    QVERIFY(m_link.afcConnection.load() != nullptr);
    QVERIFY(m_link.notificationProxy.load() != nullptr);
    QCOMPARE(deviceIdentifier(&m_link), kUdid);
}

void LinkTest::infoFileHoldsTheKeysInOrder()
{
    post(kDeviceAttached);
    QTRY_COMPARE(m_reports, QList<bool>{true});
    const QByteArray expected = "Model:iPhone5,2\n"
                                "FSTotalBytes:15989469184\n"
                                "FSFreeBytes:7392583680\n"
                                "ProductVersion:6.1.3\n"
                                "SerialNumber:DNPK3SIM0001\n"
                                "VolumeFormat:HFS+\n"
                                "DeviceName:Zo\xC3\xAB's iPhone \xE5\xBC\xA0\n"
                                "ModelNumber:MD297\n"
                                "ProductType:iPhone5,2\n"
                                "DeviceIdentifier:" +
                                kUdid + "\n";
    QCOMPARE(readInfoFile(), expected);
}

void LinkTest::missingDeviceValueLeavesItsLineOut()
{
    qputenv("MSGDESK_SIM_NO_VOLUME_FORMAT", "1");
    post(kDeviceAttached);
    QTRY_COMPARE(m_reports, QList<bool>{true});
    const QByteArray info = readInfoFile();
    QVERIFY(!info.contains("VolumeFormat"));
    QVERIFY(info.contains("SerialNumber:DNPK3SIM0001\nDeviceName:"));
    QVERIFY(info.endsWith("DeviceIdentifier:" + kUdid + "\n"));
}

void LinkTest::unpairedPhoneGivesNoReportAndNoInfo()
{
    qputenv("MSGDESK_SIM_UNPAIRED", "1");
    QSignalSpy spy(&m_notifier, &DetectIphoneAction::validlink);
    post(kDeviceAttached);
    QVERIFY(!spy.wait(1000));
    QVERIFY(m_reports.isEmpty());
    QVERIFY(!QFile::exists(QStringLiteral("MobileInfo")));
    // The notification itself was handled: the link flag is up.
    QVERIFY(linkUp);
}

void LinkTest::failedPairingCheckGivesNoReport()
{
    qputenv("MSGDESK_SIM_VALIDATE_FAIL", "1");
    QSignalSpy spy(&m_notifier, &DetectIphoneAction::validlink);
    post(kDeviceAttached);
    QVERIFY(!spy.wait(1000));
    QVERIFY(!QFile::exists(QStringLiteral("MobileInfo")));
}

void LinkTest::notificationServiceFailingOnceStillLinks()
{
    qputenv("MSGDESK_SIM_NOTIFY_FAIL_ONCE", "1");
    QElapsedTimer timer;
    timer.start();
    post(kDeviceAttached);
    QTRY_COMPARE_WITH_TIMEOUT(m_reports, QList<bool>{true}, 10000);
    // The second start waited for the retry delay.
    QVERIFY2(timer.elapsed() >= kNotificationRetryMs - 100, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(readInfoFile().startsWith("Model:iPhone5,2\n"));
}

void LinkTest::notificationServiceFailingTwiceGivesNoReport()
{
    qputenv("MSGDESK_SIM_NOTIFY_FAIL", "1");
    QSignalSpy spy(&m_notifier, &DetectIphoneAction::validlink);
    post(kDeviceAttached);
    QVERIFY(!spy.wait(kNotificationRetryMs + 1500));
    QVERIFY(!QFile::exists(QStringLiteral("MobileInfo")));
}

void LinkTest::failedConnectIsStillReported()
{
    qputenv("MSGDESK_SIM_CONNECT_FAIL", "1");
    post(kDeviceAttached);
    QTRY_COMPARE(m_reports, QList<bool>{true});
    // No session: nothing was read from the phone.
    QVERIFY(!QFile::exists(QStringLiteral("MobileInfo")));
}

void LinkTest::unwritableInfoFileStillReports()
{
    // A folder in the file's place cannot be removed or opened as a file.
    QVERIFY(QDir().mkpath(QStringLiteral("MobileInfo/keep")));
    post(kDeviceAttached);
    QTRY_COMPARE(m_reports, QList<bool>{true});
    QVERIFY(QFileInfo(QStringLiteral("MobileInfo")).isDir());
}

void LinkTest::removalReportsFalseAndClearsBackupDone()
{
    post(kDeviceAttached);
    QTRY_COMPARE(m_reports, QList<bool>{true});
    backupDone = true;
    post(kDeviceRemoved);
    QTRY_COMPARE(m_reports, (QList<bool>{true, false}));
    QVERIFY(!linkUp);
    QVERIFY(!isBackupDone());
}

void LinkTest::reportsArriveInOrder()
{
    post(kDeviceAttached);
    post(kDeviceRemoved);
    post(kDeviceAttached);
    QTRY_VERIFY(m_reports.size() >= 3);
    QCOMPARE(m_reports, (QList<bool>{true, false, true}));
    for (QThread* thread : std::as_const(m_threads))
        QCOMPARE(thread, QThread::currentThread());
}

QTEST_GUILESS_MAIN(LinkTest)
#include "LinkTest.moc"
