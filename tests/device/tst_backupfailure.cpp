// Why a backup of the phone failed: the recognition of the backup tool's
// output, line by line as the device library words it, the advice given for
// each cause, and the whole way through a run of the simulated tool that
// prints those lines.

#include "BackupFailure.h"
#include "BackupRun.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using backupfailure::Cause;

Q_DECLARE_METATYPE(backupfailure::Cause)

class BackupFailureTest : public QObject
{
    Q_OBJECT

private slots:
    void causesAreRecognised_data();
    void causesAreRecognised();
    void theLastCauseNamedWins();
    void adviceSaysWhatToDo();
    void sizesReadAsPeopleWriteThem();
    void contextFindsLibraryFreeSpaceAndLastBackup();
    void simulatedToolFailuresAreExplained_data();
    void simulatedToolFailuresAreExplained();
    void unknownFailureKeepsTheToolsLastLine();
};

void BackupFailureTest::causesAreRecognised_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<Cause>("cause");
    const auto row = [](const char* name, const char* line, Cause cause) {
        QTest::newRow(name) << QString::fromUtf8(line) << cause;
    };
    row("locked, error 208", "ErrorCode 208: Device locked (MBErrorDomain/208)", Cause::DeviceLocked);
    row("locked, backup failed 208", "Backup Failed (Error Code 208)", Cause::DeviceLocked);
    row("locked, lockdown", "ERROR: Could not connect to lockdownd: PasswordProtected", Cause::DeviceLocked);
    row("locked, words", "The device is locked", Cause::DeviceLocked);
    row("protocol", "ERROR: Could not perform backup protocol version exchange, error code -1", Cause::ProtocolTooOld);
    row("host id", "ERROR: Could not connect to lockdownd: Invalid HostID (-21)", Cause::NotPaired);
    row("host id, spaced", "lockdownd error: invalid host id", Cause::NotPaired);
    row("pairing pending", "ERROR: PairingDialogResponsePending", Cause::NotPaired);
    row("pairing denied", "ERROR: UserDeniedPairing", Cause::NotPaired);
    row("not paired", "ERROR: Device 00008030-001A not paired with this host", Cause::NotPaired);
    row("pairing failed", "Pairing failed: device said no", Cause::NotPaired);
    row("no space", "Error writing to file: No space left on device (28)", Cause::DiskFull);
    row("insufficient", "ErrorCode 105: Insufficient free disk space on drive to back up", Cause::DiskFull);
    row("not enough", "Not enough free space", Cause::DiskFull);
    // Lines of an ordinary run name none of them.
    row("progress", "[=====                ] 23% Finished", Cause::Unknown);
    row("file count", "Received 208 files from device.", Cause::Unknown);
    row("file name", "Sending 'Library/SMS/208.db' (208 bytes)", Cause::Unknown);
    row("other error", "ERROR: Could not start service com.apple.mobilebackup2", Cause::Unknown);
    row("empty", "", Cause::Unknown);
}

void BackupFailureTest::causesAreRecognised()
{
    QFETCH(QString, line);
    QFETCH(Cause, cause);
    QCOMPARE(backupfailure::recognise({QStringLiteral("Backup directory is \"/tmp/x\""), line}), cause);
}

void BackupFailureTest::theLastCauseNamedWins()
{
    // A full disk at the end of a backup that once waited for the passcode.
    const QStringList lines{
        QStringLiteral("Device locked, waiting for the passcode"), QStringLiteral("Receiving files"),
        QStringLiteral("Error writing to file: No space left on device (28)"), QStringLiteral("Backup Failed")};
    QCOMPARE(backupfailure::recognise(lines), Cause::DiskFull);
    QCOMPARE(backupfailure::recognise({}), Cause::Unknown);
}

void BackupFailureTest::adviceSaysWhatToDo()
{
    backupfailure::Context context;
    context.deviceLibrary = QStringLiteral("libimobiledevice 1.3.0");
    context.freeBytes = 1500000000;
    context.lastBackupBytes = 12300000000;

    const QString locked = backupfailure::advice(Cause::DeviceLocked, context);
    QVERIFY(locked.contains(QStringLiteral("Unlock")));
    QVERIFY(locked.contains(QStringLiteral("iOS 16.1")));
    QVERIFY(locked.contains(QStringLiteral("passcode")));

    const QString protocol = backupfailure::advice(Cause::ProtocolTooOld, context);
    QVERIFY2(protocol.contains(QStringLiteral("libimobiledevice 1.3.0")), qPrintable(protocol));
    QVERIFY(protocol.contains(QStringLiteral("older than the iPhone")));
    QVERIFY(protocol.contains(QStringLiteral("\"File > Open phone backup…\"")));
    context.deviceLibrary.clear();
    QVERIFY(backupfailure::advice(Cause::ProtocolTooOld, context).contains(QStringLiteral("an unknown version")));

    const QString pairing = backupfailure::advice(Cause::NotPaired, context);
    QVERIFY(pairing.contains(QStringLiteral("idevicepair pair")));
    QVERIFY(pairing.contains(QStringLiteral("\"Trust\"")));

    const QString disk = backupfailure::advice(Cause::DiskFull, context);
    QVERIFY2(disk.contains(QStringLiteral("1.5 GB free")), qPrintable(disk));
    QVERIFY2(disk.contains(QStringLiteral("the last backup of this iPhone takes 12.3 GB")), qPrintable(disk));
    context.lastBackupBytes = -1;
    QVERIFY(!backupfailure::advice(Cause::DiskFull, context).contains(QStringLiteral("last backup")));

    QVERIFY(backupfailure::advice(Cause::Unknown, context).isEmpty());
}

void BackupFailureTest::sizesReadAsPeopleWriteThem()
{
    QCOMPARE(backupfailure::sizeText(0), QStringLiteral("0 kB"));
    QCOMPARE(backupfailure::sizeText(1), QStringLiteral("1 kB"));
    QCOMPARE(backupfailure::sizeText(640000000), QStringLiteral("640 MB"));
    QCOMPARE(backupfailure::sizeText(999999999), QStringLiteral("1000 MB"));
    QCOMPARE(backupfailure::sizeText(1000000000), QStringLiteral("1.0 GB"));
    QCOMPARE(backupfailure::sizeText(-1), QStringLiteral("unknown"));
}

void BackupFailureTest::contextFindsLibraryFreeSpaceAndLastBackup()
{
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("not/made/yet"));
    backupfailure::Context none = backupfailure::contextOf({}, root, QStringLiteral("abc"));
    QVERIFY(none.deviceLibrary.isEmpty());
    QVERIFY(none.freeBytes > 0); // the disk the root will be made on
    QCOMPARE(none.lastBackupBytes, qint64(-1));

    QVERIFY(QDir().mkpath(root + QStringLiteral("/abc/00")));
    for (const auto& [name, size] : {std::pair<const char*, int>{"/abc/Info.plist", 1000}, {"/abc/00/0011", 234}}) {
        QFile f(root + QLatin1String(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, 'x'));
    }
    const backupfailure::Context found =
        backupfailure::contextOf({QStringLiteral("Device library: libimobiledevice 1.3.0"), QStringLiteral("ERROR: x")},
                                 root, QStringLiteral("abc"));
    QCOMPARE(found.deviceLibrary, QStringLiteral("libimobiledevice 1.3.0"));
    QCOMPARE(found.lastBackupBytes, qint64(1234));
    // An identifier that would lead out of the root is not measured.
    QCOMPARE(backupfailure::contextOf({}, root, QStringLiteral("../abc")).lastBackupBytes, qint64(-1));
}

void BackupFailureTest::simulatedToolFailuresAreExplained_data()
{
    QTest::addColumn<QByteArray>("error");
    QTest::addColumn<QString>("advice");
    QTest::newRow("locked") << QByteArray("locked") << QStringLiteral("on iOS 16.1 and later, enter the passcode");
    QTest::newRow("protocol") << QByteArray("protocol")
                              << QStringLiteral("The device library on this computer (libimobiledevice 1.3.0) is "
                                                "older than the iPhone's software");
    QTest::newRow("hostid") << QByteArray("hostid") << QStringLiteral("run \"idevicepair pair\"");
    QTest::newRow("diskfull") << QByteArray("diskfull") << QStringLiteral("too little free disk space");
}

void BackupFailureTest::simulatedToolFailuresAreExplained()
{
    QFETCH(QByteArray, error);
    QFETCH(QString, advice);
    QTemporaryDir dir;
    qputenv("MSGDESK_SIM_BACKUP_ERROR", error);
    BackupRun run;
    run.setToolsFolder(QStringLiteral(MSGDESK_SIMPHONE_DIR));
    run.setBackupRoot(dir.path());
    QSignalSpy lines(&run, &BackupRun::output);
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start("00008030-001A2B3C4D5E6F70"));
    QVERIFY(done.wait(30000));
    qunsetenv("MSGDESK_SIM_BACKUP_ERROR");
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.at(0).at(0).toBool(), false);
    const QString message = done.at(0).at(1).toString();
    QVERIFY2(message.startsWith(QStringLiteral("The backup of the phone failed (status 1).\n")), qPrintable(message));
    QVERIFY2(message.contains(advice), qPrintable(message));
    // The tool's own last line stays in the message, before the advice.
    const QStringList told = message.split(QLatin1Char('\n'));
    QCOMPARE(told.size(), 3);
    QCOMPARE(told.at(1), lines.at(lines.size() - 2).at(0).toString());
    // The progress window shows the same advice as its last line.
    QVERIFY(!lines.isEmpty());
    QVERIFY2(lines.last().at(0).toString().contains(advice), qPrintable(lines.last().at(0).toString()));
}

void BackupFailureTest::unknownFailureKeepsTheToolsLastLine()
{
    qputenv("MSGDESK_SIM_BACKUP_FAIL", "1");
    QTemporaryDir dir;
    BackupRun run;
    run.setToolsFolder(QStringLiteral(MSGDESK_SIMPHONE_DIR));
    run.setBackupRoot(dir.path());
    QSignalSpy done(&run, &BackupRun::finished);
    QVERIFY(run.start("00008030-001A2B3C4D5E6F70"));
    QVERIFY(done.wait(30000));
    qunsetenv("MSGDESK_SIM_BACKUP_FAIL");
    QCOMPARE(done.at(0).at(1).toString(), QStringLiteral("The backup of the phone failed (status 1).\n"
                                                         "ERROR: Could not start the backup service on the device"));
}

QTEST_GUILESS_MAIN(BackupFailureTest)
#include "tst_backupfailure.moc"
