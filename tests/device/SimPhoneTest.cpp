// The road of a linked phone below the window, against the simulated phone:
// attach, backup, both databases located and read by the stores with their
// contacts, removal, and a second link that backs the phone up again.

#include "BackupRun.h"
#include "ContactStore.h"
#include "DemoData.h"
#include "DetectIphoneAction.h"
#include "DeviceBinding.h"
#include "DeviceFetch.h"
#include "DeviceLink.h"
#include "MessageStore.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

using SimPhoneControlFn = void (*)(int);

const QByteArray kUdid = "5a1d0e5c7f3b2a9d8e6f4c1b0a9d8e7f6c5b4a39";

} // namespace

class SimPhoneTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void attachBackupAndRead();
    void removalReturnsToNoPhone();
    void secondLinkBacksUpAgain();

private:
    // Runs the backup for the linked phone and waits for its end.
    bool backUp(QString* message);
    QString root() const { return m_dir.filePath(QStringLiteral("Backup")); }

    QTemporaryDir m_dir;
    DeviceLink m_link;
    DetectIphoneAction m_notifier;
    SimPhoneControlFn m_control = nullptr;
    QList<bool> m_reports;
};

void SimPhoneTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    qputenv("MSGDESK_DEVICE_TOOLS", MSGDESK_SIMPHONE_DIR);
    qputenv("MSGDESK_SIM_ATTACH_MS", "300");
    qputenv("MSGDESK_SIM_BACKUP_MS", "200");
    qputenv("MSGDESK_SIM_UDID", kUdid);
    connect(&m_notifier, &DetectIphoneAction::validlink, this, [this](bool up) { m_reports.append(up); });
    setLinkNotifier(&m_notifier);
    QVERIFY(subscribeDeviceNotifications(&m_link));
    QLibrary library(loadedDeviceLibraryPath());
    m_control = reinterpret_cast<SimPhoneControlFn>(library.resolve("SimPhoneControl"));
    QVERIFY(m_control);
}

bool SimPhoneTest::backUp(QString* message)
{
    BackupRun run;
    run.setToolsFolder(QStringLiteral(MSGDESK_SIMPHONE_DIR));
    run.setBackupRoot(root());
    QSignalSpy done(&run, &BackupRun::finished);
    if (!runDeviceBackup(&m_link, &run) || !done.wait(30000))
        return false;
    *message = done.at(0).at(1).toString();
    return done.at(0).at(0).toBool();
}

void SimPhoneTest::attachBackupAndRead()
{
    // The phone attaches by itself shortly after the subscription.
    QTRY_COMPARE(m_reports, QList<bool>{true});
    QVERIFY(QFile::exists(QStringLiteral("MobileInfo")));
    QCOMPARE(deviceIdentifier(&m_link), kUdid);
    QVERIFY(!isBackupDone());

    QString message;
    QVERIFY2(backUp(&message), qPrintable(message));
    QVERIFY(isBackupDone());

    QVERIFY(locateBackupDatabase(kUdid.constData(), "sms.db", root()));
    const QByteArray smsPath = locatedDatabasePath();
    QVERIFY(locateBackupDatabase(kUdid.constData(), "AddressBook.sqlitedb", root()));
    const QByteArray bookPath = locatedDatabasePath();
    QVERIFY(smsPath.startsWith(QFile::encodeName(root()) + '/' + kUdid + '/'));
    QVERIFY(smsPath != bookPath);

    MessageStore messages(smsPath);
    ContactStore contacts(bookPath);
    QCOMPARE(messages.messages.size(), demodata::messages().size());
    QCOMPARE(contacts.contacts.size(), demodata::people().size());
    fillContactNames(messages, contacts);
    messages.buildConversationList();
    // Dashed spellings of a number join its conversation.
    QCOMPARE(messages.conversationHeads.size(), demodata::conversations().size());

    QHash<QByteArray, QByteArray> names;
    for (const MessageRecord& m : std::as_const(messages.messages))
        names.insert(m.address, m.contactName);
    // Prefixed message numbers find their dashed book entries.
    QCOMPARE(names.value("+8613812345678"), QByteArray("王 伟"));
    QCOMPARE(names.value("+4915123456789"), QByteArray("Müller Jürgen"));
    QCOMPARE(names.value("13600008888"), QByteArray(" Mom"));
    QCOMPARE(names.value("+16505550123"), QByteArray("NULL"));
    QCOMPARE(names.value("10086"), QByteArray("NULL"));
}

void SimPhoneTest::removalReturnsToNoPhone()
{
    QVERIFY(isBackupDone());
    m_reports.clear();
    m_control(kDeviceRemoved);
    QTRY_COMPARE(m_reports, QList<bool>{false});
    QVERIFY(!linkUp);
    QVERIFY(!isBackupDone());
    // Without a phone there is nothing to back up.
    BackupRun run;
    QVERIFY(!runDeviceBackup(&m_link, &run));
}

void SimPhoneTest::secondLinkBacksUpAgain()
{
    // Mark the first backup: the simulated phone starts its backup afresh.
    const QString marker = root() + QLatin1Char('/') + QString::fromLatin1(kUdid) + QStringLiteral("/marker");
    QFile file(marker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    m_reports.clear();
    m_control(kDeviceAttached);
    QTRY_COMPARE(m_reports, QList<bool>{true});
    QString message;
    QVERIFY2(backUp(&message), qPrintable(message));
    QVERIFY(isBackupDone());
    QVERIFY(!QFile::exists(marker));
    QVERIFY(locateBackupDatabase(kUdid.constData(), "sms.db", root()));
    QVERIFY(!locatedDatabasePath().isEmpty());
}

QTEST_GUILESS_MAIN(SimPhoneTest)
#include "SimPhoneTest.moc"
