// The main window where the device library cannot be found: every device
// entry answers 4107, no link is ever reported, and the window works on its
// backup files alone.

#include "DeviceBinding.h"
#include "DeviceLink.h"
#include "MainWindowHarness.h"

#include <QApplication>
#include <QPushButton>

using harness::Window;

class NoDeviceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void everyDeviceEntryAnswersMissingLibrary();
    void windowRunsOnBackupsAlone();

private:
    QTemporaryDir m_tools;
};

void NoDeviceTest::cleanupTestCase()
{
    QDir::setCurrent(QDir::tempPath());
}

void NoDeviceTest::initTestCase()
{
    QVERIFY(m_tools.isValid());
    // An empty tools folder: the library is neither there nor beside the
    // test program nor anywhere on the system's search path.
    qputenv("MSGDESK_DEVICE_TOOLS", m_tools.path().toUtf8());
    // Nothing may write "MobileInfo" into the working directory.
    QVERIFY(QDir::setCurrent(m_tools.path()));
}

void NoDeviceTest::init()
{
    harness::resetSeams();
    harness::seedBackupFolder();
}

void NoDeviceTest::cleanup()
{
    QCOMPARE(shellkit::DialogSeam::pendingAnswers(), 0);
    QCOMPARE(shellkit::DialogSeam::unanswered(), 0);
}

void NoDeviceTest::everyDeviceEntryAnswersMissingLibrary()
{
    Window win;
    QVERIFY(!isDeviceLibraryLoaded());
    const int missing = 4107;
    QCOMPARE(amDeviceNotificationSubscribe(onDeviceNotification, nullptr), missing);
    QCOMPARE(amDeviceConnect(nullptr), missing);
    QCOMPARE(amDeviceIsPaired(nullptr), missing);
    QCOMPARE(amDeviceValidatePairing(nullptr), missing);
    QCOMPARE(amDeviceStartSession(nullptr), missing);
    AMServiceConnectionRef service = nullptr;
    QCOMPARE(amDeviceStartService(nullptr, "com.apple.afc", &service), missing);
    QVERIFY(!copyDeviceValue(nullptr, "DeviceName"));
    QVERIFY(!copyDeviceIdentifier(nullptr));
    QVERIFY(!makeCFString("x", kCFStringEncodingUTF8));
    DeviceLink link;
    QVERIFY(deviceIdentifier(&link).isEmpty());
    QVERIFY(!subscribeDeviceNotifications(&link));
}

void NoDeviceTest::windowRunsOnBackupsAlone()
{
    Window win;
    auto* summary = win.w->findChild<QLabel*>(QStringLiteral("label"));
    QVERIFY(!isDeviceLibraryLoaded());
    QCOMPARE(summary->text(), QStringLiteral("SMS:0\nContact:0\niPhone Serial:No device"));
    QCOMPARE(win.rowTexts().first(), QStringLiteral("iPhone Lost"));
    QVERIFY(win.w->findChild<QLabel*>(QStringLiteral("startNoDevice")));

    win.list()->setCurrentRow(2);
    QCOMPARE(win.page(), 1);
    QTRY_VERIFY(!win.conversationRows().isEmpty());

    win.list()->setCurrentRow(0);
    QCOMPARE(win.page(), 0);

    shellkit::DialogSeam::pushAnswer(0);
    QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("pushButtonBACKUP")), Qt::LeftButton);
    QCOMPARE(harness::shownTexts(),
             QStringList{QStringLiteral("Information: Please make sure that iPhone has been connected.")});
    QVERIFY(!QFileInfo::exists(QStringLiteral("MobileInfo")));
}

int main(int argc, char** argv)
{
    const auto home = harness::useTemporaryHome();
    QApplication app(argc, argv);
    NoDeviceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_nodevice.moc"
