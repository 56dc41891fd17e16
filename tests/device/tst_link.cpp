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
    void infoFileHoldsTheKeysInOrder_data();
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
    // Attaches the phone, then removes it: the library's thread handles
    // both in order, so once the removal is reported the attach has been
    // handled too. The reports of both are left in m_reports.
    void attachAndRemove();

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
    for (const char* name :
         {"MSGDESK_SIM_UNPAIRED", "MSGDESK_SIM_VALIDATE_FAIL", "MSGDESK_SIM_NOTIFY_FAIL_ONCE",
          "MSGDESK_SIM_NOTIFY_FAIL", "MSGDESK_SIM_CONNECT_FAIL", "MSGDESK_SIM_NO_VOLUME_FORMAT", "MSGDESK_SIM_PHONE"}) {
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

void LinkTest::attachAndRemove()
{
    post(kDeviceAttached);
    post(kDeviceRemoved);
    QTRY_VERIFY_WITH_TIMEOUT(m_reports.contains(false), 20000);
}

void LinkTest::infoFileHoldsTheKeysInOrder_data()
{
    QTest::addColumn<QByteArray>("phone");
    QTest::addColumn<QByteArray>("values");
    QTest::newRow("current phone") << QByteArray()
                                   << QByteArray("Model:iPhone16,1\n"
                                                 "FSTotalBytes:127989493760\n"
                                                 "FSFreeBytes:41234567168\n"
                                                 "ProductVersion:17.4.1\n"
                                                 "SerialNumber:F2LXK7SIM017\n"
                                                 "VolumeFormat:APFS\n");
    QTest::newRow("legacy phone") << QByteArray("legacy")
                                  << QByteArray("Model:iPhone4,1\n"
                                                "FSTotalBytes:15989469184\n"
                                                "FSFreeBytes:7392583680\n"
                                                "ProductVersion:5.1.1\n"
                                                "SerialNumber:DNPK3SIM0001\n"
                                                "VolumeFormat:HFS+\n");
}

void LinkTest::infoFileHoldsTheKeysInOrder()
{
    QFETCH(QByteArray, phone);
    QFETCH(QByteArray, values);
    if (!phone.isEmpty())
        qputenv("MSGDESK_SIM_PHONE", phone);
    post(kDeviceAttached);
    QTRY_COMPARE(m_reports, QList<bool>{true});
    const QByteArray model = values.left(values.indexOf('\n')).mid(6);
    const QByteArray expected = values +
                                "DeviceName:Zo\xC3\xAB's iPhone \xE5\xBC\xA0\n"
                                "ModelNumber:" +
                                (phone.isEmpty() ? "MTUV3" : "MD239") + "\nProductType:" + model +
                                "\nDeviceIdentifier:" + kUdid + "\n";
    QCOMPARE(readInfoFile(), expected);
}

void LinkTest::missingDeviceValueLeavesItsLineOut()
{
    qputenv("MSGDESK_SIM_NO_VOLUME_FORMAT", "1");
    post(kDeviceAttached);
    QTRY_COMPARE(m_reports, QList<bool>{true});
    const QByteArray info = readInfoFile();
    QVERIFY(!info.contains("VolumeFormat"));
    QVERIFY(info.contains("SerialNumber:F2LXK7SIM017\nDeviceName:"));
    QVERIFY(info.endsWith("DeviceIdentifier:" + kUdid + "\n"));
}

void LinkTest::unpairedPhoneGivesNoReportAndNoInfo()
{
    qputenv("MSGDESK_SIM_UNPAIRED", "1");
    attachAndRemove();
    // Only the removal was reported.
    QCOMPARE(m_reports, QList<bool>{false});
    QVERIFY(!QFile::exists(QStringLiteral("MobileInfo")));
}

void LinkTest::failedPairingCheckGivesNoReport()
{
    qputenv("MSGDESK_SIM_VALIDATE_FAIL", "1");
    attachAndRemove();
    QCOMPARE(m_reports, QList<bool>{false});
    QVERIFY(!QFile::exists(QStringLiteral("MobileInfo")));
}

void LinkTest::notificationServiceFailingOnceStillLinks()
{
    qputenv("MSGDESK_SIM_NOTIFY_FAIL_ONCE", "1");
    QElapsedTimer timer;
    timer.start();
    post(kDeviceAttached);
    QTRY_COMPARE_WITH_TIMEOUT(m_reports, QList<bool>{true}, 30000);
    // The second start came after the retry delay; a slow machine only makes it later.
    QVERIFY2(timer.elapsed() >= kNotificationRetryMs, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(readInfoFile().startsWith("Model:iPhone16,1\n"));
}

void LinkTest::notificationServiceFailingTwiceGivesNoReport()
{
    qputenv("MSGDESK_SIM_NOTIFY_FAIL", "1");
    attachAndRemove();
    QCOMPARE(m_reports, QList<bool>{false});
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
#include "tst_link.moc"
