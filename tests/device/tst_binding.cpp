// The binding without a device library: every status binding gives 4107, the
// string helpers fall back to empty text, and the notification callback still
// reports what it can. The order of the test functions matters: the string
// library is first missing, then supplied.

#include "DetectIphoneAction.h"
#include "DeviceBinding.h"
#include "DeviceLink.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdlib>
#include <functional>

namespace {

QByteArray toUtf8AndFree(CFStringRef string)
{
    char* text = cfStringToUtf8(string);
    QByteArray bytes = text ? QByteArray(text) : QByteArray("<null>");
    std::free(text);
    releaseCFString(string);
    return bytes;
}

} // namespace

class BindingTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void nothingLoadable();
    void statusBindingsGiveUnavailable();
    void stringsWithoutDeviceLibrary_data();
    void stringsWithoutDeviceLibrary();
    void deviceValuesFallBackToEmptyText();
    void attachWithoutLibraryIsReportedFromOtherThread();
    void removalClearsFlagsAndReportsFalse();

private:
    QTemporaryDir m_empty;
    QTemporaryDir m_stringsOnly;
};

void BindingTest::initTestCase()
{
    QVERIFY(m_empty.isValid());
    QVERIFY(m_stringsOnly.isValid());
    QVERIFY(QFile::copy(QStringLiteral(MSGDESK_SUPPORT_DIR "/libQTMLClient.so"),
                        m_stringsOnly.filePath(QStringLiteral("libQTMLClient.so"))));
    qputenv("MSGDESK_DEVICE_TOOLS", QFile::encodeName(m_empty.path()));
}

void BindingTest::nothingLoadable()
{
    QCOMPARE(deviceLibraryCandidates(QStringLiteral("iTunesMobileDevice")),
             QStringList{QStringLiteral("iTunesMobileDevice")});
    QString error;
    QVERIFY(!loadDeviceLibrary(&error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!isDeviceLibraryLoaded());
    QVERIFY(loadedDeviceLibraryPath().isEmpty());

    DeviceLink link;
    QVERIFY(!subscribeDeviceNotifications(&link));

    // No string library either: strings are null, conversions give empty text.
    QCOMPARE(makeCFString("abc", kCFStringEncodingUTF8), nullptr);
    QCOMPARE(toUtf8AndFree(nullptr), QByteArray(""));
    QCOMPARE(copyDeviceValue(nullptr, "DeviceName"), nullptr);
    QCOMPARE(copyDeviceIdentifier(nullptr), nullptr);
    QVERIFY(deviceIdentifier(&link).isEmpty());
}

void BindingTest::statusBindingsGiveUnavailable()
{
    const QList<std::pair<const char*, std::function<int()>>> calls = {
        {"AMDeviceNotificationSubscribe", [] { return amDeviceNotificationSubscribe(onDeviceNotification, nullptr); }},
        {"AMDeviceConnect", [] { return amDeviceConnect(nullptr); }},
        {"AMDeviceIsPaired", [] { return amDeviceIsPaired(nullptr); }},
        {"AMDeviceValidatePairing", [] { return amDeviceValidatePairing(nullptr); }},
        {"AMDeviceStartSession", [] { return amDeviceStartSession(nullptr); }},
        {"AMDeviceStartService",
         [] {
             AMServiceConnectionRef c = nullptr;
             return amDeviceStartService(nullptr, "com.apple.afc", &c);
         }},
        {"AFCConnectionOpen",
         [] {
             AFCConnectionRef c = nullptr;
             return afcConnectionOpen(nullptr, &c);
         }},
        {"AFCDeviceInfoOpen",
         [] {
             AFCDictionaryRef d = nullptr;
             return afcDeviceInfoOpen(nullptr, &d);
         }},
        {"AFCKeyValueRead",
         [] {
             const char* k = nullptr;
             const char* v = nullptr;
             return afcKeyValueRead(nullptr, &k, &v);
         }},
        {"AFCKeyValueClose", [] { return afcKeyValueClose(nullptr); }},
    };
    for (const auto& call : calls) {
        const int result = call.second();
        if (result != kDeviceUnavailable)
            QFAIL(qPrintable(QStringLiteral("%1 gave %2").arg(QLatin1String(call.first)).arg(result)));
    }
    QCOMPARE(kDeviceUnavailable, 4107);
}

void BindingTest::stringsWithoutDeviceLibrary_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("expected");

    const int utf8 = static_cast<int>(kCFStringEncodingUTF8);
    QTest::newRow("ascii") << QByteArray("iPhone") << utf8 << QByteArray("iPhone");
    QTest::newRow("empty") << QByteArray("") << utf8 << QByteArray("");
    QTest::newRow("accents and Chinese") << QByteArray("Zo\xC3\xAB's iPhone \xE5\xBC\xA0") << utf8
                                         << QByteArray("Zo\xC3\xAB's iPhone \xE5\xBC\xA0");
    // Four bytes for two UTF-16 units: the tightest case of the buffer rule.
    QTest::newRow("emoji only") << QByteArray("\xF0\x9F\x93\xB1\xF0\x9F\x93\xB1") << utf8
                                << QByteArray("\xF0\x9F\x93\xB1\xF0\x9F\x93\xB1");
    const QByteArray longChinese = QString(600, QChar(0x5F20)).toUtf8();
    QTest::newRow("600 Chinese characters") << longChinese << utf8 << longChinese;
    QTest::newRow("single-byte encoding") << QByteArray("caf\xE9") << 0 << QByteArray("caf\xC3\xA9");
    // Bytes that are not UTF-8 make no string; the conversion gives empty text.
    QTest::newRow("invalid UTF-8") << QByteArray("ab\xFF\xFE") << utf8 << QByteArray("");
    QTest::newRow("truncated sequence") << QByteArray("\xE5\xBC") << utf8 << QByteArray("");
}

void BindingTest::stringsWithoutDeviceLibrary()
{
    QFETCH(QByteArray, input);
    QFETCH(int, encoding);
    QFETCH(QByteArray, expected);

    qputenv("MSGDESK_DEVICE_TOOLS", QFile::encodeName(m_stringsOnly.path()));
    QVERIFY(!loadDeviceLibrary());
    CFStringRef string = makeCFString(input.constData(), static_cast<CFStringEncoding>(encoding));
    if (QTest::currentDataTag() == QByteArray("invalid UTF-8") ||
        QTest::currentDataTag() == QByteArray("truncated sequence")) {
        QCOMPARE(string, nullptr);
    } else {
        QVERIFY(string != nullptr);
    }
    QCOMPARE(toUtf8AndFree(string), expected);
}

void BindingTest::deviceValuesFallBackToEmptyText()
{
    qputenv("MSGDESK_DEVICE_TOOLS", QFile::encodeName(m_stringsOnly.path()));
    // The tools folder comes first, the system's search order last.
    QCOMPARE(deviceLibraryCandidates(QStringLiteral("QTMLClient")),
             (QStringList{m_stringsOnly.filePath(QStringLiteral("libQTMLClient.so")), QStringLiteral("QTMLClient")}));
    CFStringRef value = copyDeviceValue(nullptr, "DeviceName");
    QVERIFY(value != nullptr);
    QCOMPARE(toUtf8AndFree(value), QByteArray(""));
    CFStringRef id = copyDeviceIdentifier(nullptr);
    QVERIFY(id != nullptr);
    QCOMPARE(toUtf8AndFree(id), QByteArray(""));
}

void BindingTest::attachWithoutLibraryIsReportedFromOtherThread()
{
    DetectIphoneAction notifier;
    setLinkNotifier(&notifier);
    QThread* received = nullptr;
    QList<bool> reports;
    connect(&notifier, &DetectIphoneAction::validlink, this, [&](bool up) {
        received = QThread::currentThread();
        reports.append(up);
    });

    DeviceLink link;
    linkUp = false;
    auto* device = reinterpret_cast<AMDeviceRef>(&link); // any value: the library never sees it
    QThread* caller = QThread::create([&] {
        AMDeviceNotificationInfo info{device, kDeviceAttached};
        onDeviceNotification(&info, &link);
        // A broken call from the library does not crash.
        onDeviceNotification(nullptr, &link);
        onDeviceNotification(&info, nullptr);
    });
    caller->start();
    QVERIFY(caller->wait(5000));
    delete caller;

    // The connect step is missing, so the link is reported as up at once.
    QTRY_COMPARE(reports, QList<bool>{true});
    QCOMPARE(received, QThread::currentThread());
    QCOMPARE(link.device.load(), device);
    QVERIFY(linkUp);
    setLinkNotifier(nullptr);
}

void BindingTest::removalClearsFlagsAndReportsFalse()
{
    DetectIphoneAction notifier;
    QSignalSpy spy(&notifier, &DetectIphoneAction::validlink);
    DeviceLink link;
    linkUp = true;
    backupDone = true;

    // Before the notifier is set nothing is reported, but the flags still change.
    AMDeviceNotificationInfo removed{nullptr, kDeviceRemoved};
    onDeviceNotification(&removed, &link);
    QVERIFY(!linkUp);
    QVERIFY(!isBackupDone());
    QCOMPARE(spy.count(), 0);

    setLinkNotifier(&notifier);
    backupDone = true;
    onDeviceNotification(&removed, &link);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QVERIFY(!isBackupDone());

    // Other kinds are reported with the link up.
    AMDeviceNotificationInfo other{nullptr, 7};
    onDeviceNotification(&other, &link);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toBool(), true);
    setLinkNotifier(nullptr);
}

QTEST_GUILESS_MAIN(BindingTest)
#include "tst_binding.moc"
