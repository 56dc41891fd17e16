// msgdesk-cli ended at its worst moments: by Ctrl+C, SIGTERM or SIGHUP
// while it holds the decrypted copies of an encrypted backup, or while it
// derives a key of many rounds; and by kill -9, whose leftovers the next
// start of the program removes, whatever it is asked to do.

#include "BackupBuilder.h"
#include "ModernFixtures.h"
#include "PhoneBackup.h"
#include "PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// CPU time the process used so far, in clock ticks; -1 when it is gone.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The fields after the program's name, which is in parentheses.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return fields.at(11).toLongLong() + fields.at(12).toLongLong();
}

} // namespace

class CliStopTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void signalRemovesTheDecryptedCopies_data();
    void signalRemovesTheDecryptedCopies();
    void signalStopsAKeyDerivation_data();
    void signalStopsAKeyDerivation();
    void killedRunIsSweptAtTheNextStart();

private:
    // The private folders in the program's temporary folder.
    QStringList privateFolders() const;
    // Starts the program on the backup, held after decrypting.
    void startHeld(QProcess& process, const QString& folder);
    void waitForCopies(QString* copies) const;

    QTemporaryDir m_dir;
    QString m_tmp;
    QString m_gate;
    QString m_backup;
    QString m_slowBackup;
};

void CliStopTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString messages = modernfixtures::makeModernDb(m_dir.filePath(QStringLiteral("sms.db")),
                                                          modernfixtures::sample(modernfixtures::Schema::Ios17),
                                                          modernfixtures::Schema::Ios17);
    const QList<backupbuilder::PhoneFile> files{
        {phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kMessagesPath, fileBytes(messages)}};
    backupbuilder::Options options;
    options.encrypted = true;
    options.password = "pw";
    options.binaryPlists = true;
    QString error;
    m_backup = m_dir.filePath(QStringLiteral("encrypted"));
    QVERIFY2(backupbuilder::writeBackup(m_backup, files, options, &error), qPrintable(error));

    // The same backup asking for the most SHA-256 rounds a bag may: a
    // minute or more of work, which a signal must cut short.
    m_slowBackup = m_dir.filePath(QStringLiteral("slow"));
    QVERIFY2(backupbuilder::writeBackup(m_slowBackup, files, options, &error), qPrintable(error));
    QFile manifest(m_slowBackup + QStringLiteral("/Manifest.plist"));
    QVERIFY(manifest.open(QIODevice::ReadWrite));
    QByteArray bytes = manifest.readAll();
    const qsizetype at = bytes.indexOf(QByteArray("DPIC\0\0\0\4", 8));
    QVERIFY(at > 0);
    bytes.replace(at + 8, 4, QByteArray("\x05\xF5\xE1\x00", 4)); // 100,000,000
    QVERIFY(manifest.seek(0));
    QCOMPARE(manifest.write(bytes), bytes.size());
    manifest.close();

    m_tmp = m_dir.filePath(QStringLiteral("tmp"));
    m_gate = m_dir.filePath(QStringLiteral("gate"));
}

void CliStopTest::init()
{
    QDir(m_tmp).removeRecursively();
    QVERIFY(QDir().mkpath(m_tmp));
    QFile::remove(m_gate);
}

QStringList CliStopTest::privateFolders() const
{
    return QDir(m_tmp).entryList({QLatin1String(phonebackup::PrivateFolder::kPrefix) + QLatin1Char('*')},
                                 QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
}

void CliStopTest::startHeld(QProcess& process, const QString& folder)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), m_tmp);
    env.insert(QStringLiteral("MSGDESK_BACKUP_PASSWORD"), QStringLiteral("pw"));
    env.insert(QStringLiteral("MSGDESK_CLI_TEST_GATE"), m_gate);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(MSGDESK_CLI_PROGRAM), {QStringLiteral("list"), folder});
    QVERIFY(process.waitForStarted());
}

void CliStopTest::waitForCopies(QString* copies) const
{
    auto ready = [&] {
        const QStringList folders = privateFolders();
        if (folders.size() != 1)
            return false;
        *copies = QDir(m_tmp).filePath(folders.first());
        return QFileInfo::exists(*copies + QStringLiteral("/sms.db"));
    };
    QTRY_VERIFY_WITH_TIMEOUT(ready(), 60000);
}

void CliStopTest::signalRemovesTheDecryptedCopies_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void CliStopTest::signalRemovesTheDecryptedCopies()
{
    QFETCH(int, signal);
    QProcess process;
    startHeld(process, m_backup);
    QString copies;
    waitForCopies(&copies);
    QVERIFY(!copies.isEmpty());
    // Its lock file says which process owns it, to the owner only.
    const QFile::Permissions lock = QFileInfo(copies + QStringLiteral("/.in-use")).permissions();
    QVERIFY(lock & QFile::ReadOwner);
    QVERIFY(!(lock & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther)));

    QCOMPARE(::kill(pid_t(process.processId()), signal), 0);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + signal);
    QCOMPARE(QDir(m_tmp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

void CliStopTest::signalStopsAKeyDerivation_data()
{
    signalRemovesTheDecryptedCopies_data();
}

void CliStopTest::signalStopsAKeyDerivation()
{
    QFETCH(int, signal);
    QProcess process;
    startHeld(process, m_slowBackup);
    // Deriving is the only work of the program that takes CPU time in
    // seconds; half of one means it is under way.
    const qint64 pid = process.processId();
    QTRY_VERIFY_WITH_TIMEOUT(cpuTicks(pid) > 50, 60000);
    QVERIFY(process.state() == QProcess::Running);
    QCOMPARE(::kill(pid_t(pid), signal), 0);
    // The whole derivation takes a minute and more.
    QVERIFY(process.waitForFinished(15000));
    QCOMPARE(process.exitCode(), 128 + signal);
    QVERIFY(privateFolders().isEmpty());
}

void CliStopTest::killedRunIsSweptAtTheNextStart()
{
    // A folder of a run still going on (this one) is never swept.
    phonebackup::PrivateFolder alive(m_tmp);
    QVERIFY(alive.isValid());

    QProcess process;
    startHeld(process, m_backup);
    QString copies;
    auto killedCopies = [&] {
        for (const QString& name : privateFolders()) {
            const QString path = QDir(m_tmp).filePath(name);
            if (path != alive.path() && QFileInfo::exists(path + QStringLiteral("/sms.db")))
                copies = path;
        }
        return !copies.isEmpty();
    };
    QTRY_VERIFY_WITH_TIMEOUT(killedCopies(), 60000);
    QCOMPARE(::kill(pid_t(process.processId()), SIGKILL), 0);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    // Nothing could clean up after kill -9.
    QVERIFY(QFileInfo::exists(copies + QStringLiteral("/sms.db")));

    // Any next start removes it: here one that only gets a wrong command.
    QProcess next;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), m_tmp);
    next.setProcessEnvironment(env);
    next.start(QStringLiteral(MSGDESK_CLI_PROGRAM), {QStringLiteral("frobnicate")});
    QVERIFY(next.waitForFinished(60000));
    QCOMPARE(next.exitCode(), 2);
    QVERIFY(!QFileInfo::exists(copies));
    QCOMPARE(privateFolders(), QStringList{QFileInfo(alive.path()).fileName()});
}

QTEST_GUILESS_MAIN(CliStopTest)
#include "tst_clistop.moc"
