// AppleMobileBackup of the simulated phone: "--backup --target ID" brings the
// demo phone's backup in the backup root's folder ID up to date, the way a
// real backup tool does: the earlier backup is never removed first; each file
// is written beside its old version and renamed over it, the catalogue and
// the status files come last, and files the phone no longer has go after
// that. A backup stopped at any moment is therefore still a readable backup,
// old or new file by file. An encrypted backup keeps its keys from run to
// run, as a phone does, so the earlier catalogue still opens every file the
// run has not changed; a file whose content changed opens only with the
// catalogue of the run that wrote it.
//
//   MSGDESK_BACKUP_ROOT         the backup root (default: the user's data
//                               folder + "/Apple Computer/MobileSync/Backup")
//   MSGDESK_SIM_PHONE           "legacy": a phone of iOS 5 and before; else a current phone
//   MSGDESK_SIM_BACKUP_LAYOUT   "manifest": Manifest.db and hashed data files in
//                               folders, as backups of iOS 10 and later;
//                               "mbdb": Manifest.mbdb and flat data files, as
//                               iOS 4 to 9; "mdinfo": description and data
//                               file pairs, as the first phones' backups.
//                               Default: manifest for the current phone, mdinfo
//                               for the legacy one (mbdb when it encrypts)
//   MSGDESK_SIM_BACKUP_PASSWORD backup encryption is on with this password:
//                               Manifest.db backups are encrypted as iOS 10.2
//                               and later do, Manifest.mbdb ones as before
//                               (no second key derivation step); description
//                               file pairs cannot be encrypted
//   MSGDESK_SIM_BACKUP_ROUNDS   key derivation rounds of both steps (default
//                               16; real phones use 10000000)
//   MSGDESK_SIM_NO_ADDRESS_BOOK 1: the phone has no address book
//   MSGDESK_SIM_BACKUP_MS       how long the backup takes (default 1500)
//   MSGDESK_SIM_BACKUP_FAIL     1: the backup fails with exit status 1
//   MSGDESK_SIM_BACKUP_ERROR    the backup fails with exit status 1 after
//                               printing what a real one prints then:
//                               "locked" (the phone is locked, error 208),
//                               "protocol" (the device library is older than
//                               the phone), "hostid" (the pairing is no
//                               longer valid), "diskfull" (no space left)
//   MSGDESK_SIM_BACKUP_GATE     a file that paces the backup: each file is a
//                               step, and finishing is the last one; before
//                               step i the tool waits, saying "Paused before
//                               step i of N", until the file holds a number of
//                               at least i. Tests stop the tool where they like.
//
// SIGTERM or SIGINT stop the tool before its next step, with status 1.

#include "BackupBuilder.h"
#include "BackupToolArgs.h"
#include "DemoData.h"
#include "SimPhoneIdentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <optional>

namespace {

using backupbuilder::Layout;
using backupbuilder::PhoneFile;

volatile std::sig_atomic_t g_stop = 0;

void requestStop(int)
{
    g_stop = 1;
}

void say(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The phone's files, as the demo data makes them; false when they cannot be made.
bool phoneFiles(QList<PhoneFile>* files, QString* error)
{
    QTemporaryDir work;
    const bool legacy = simphone::isLegacyPhone();
    if (!work.isValid() ||
        !demodata::writePhone(work.path(), legacy ? demodata::Layout::Legacy : demodata::Layout::Modern, error))
        return false;
    const QString home = QStringLiteral("HomeDomain");
    *files = {
        {home, QStringLiteral("Library/Preferences/com.apple.MobileSMS.plist"),
         "<plist><dict><key>SMSCharacterCountEnabled</key><true/></dict></plist>"},
        {home, QStringLiteral("Library/SMS/sms.db"), readAll(work.filePath(QStringLiteral("sms.db")))},
        {home, QStringLiteral("Library/Notes/notes.sqlite"), "SQLite format 3"},
    };
    if (!qEnvironmentVariableIntValue("MSGDESK_SIM_NO_ADDRESS_BOOK")) {
        files->append({home, QStringLiteral("Library/AddressBook/AddressBook.sqlitedb"),
                       readAll(work.filePath(QStringLiteral("AddressBook.sqlitedb")))});
        files->append({home, QStringLiteral("Library/AddressBook/AddressBookImages.sqlitedb"), "SQLite format 3"});
    }
    if (legacy) {
        files->append({QStringLiteral("MediaDomain"), QStringLiteral("Library/SMS/Attachments/2f/15/IMG_0042.JPG"),
                       QByteArray(2048, '\xFF')});
    } else {
        const QList<demodata::MediaFile> media = demodata::modernMediaFiles();
        for (const demodata::MediaFile& m : media)
            files->append({QStringLiteral("MediaDomain"), m.relativePath, m.content});
    }
    return true;
}

// The layout asked for; nullopt (with *error) for one the tool does not know.
std::optional<Layout> backupLayout(bool encrypted, QString* error)
{
    const QString name = qEnvironmentVariable("MSGDESK_SIM_BACKUP_LAYOUT");
    if (name.isEmpty()) {
        if (!simphone::isLegacyPhone())
            return Layout::ManifestDb;
        return encrypted ? Layout::ManifestMbdb : Layout::DescriptionFiles;
    }
    if (name == QLatin1String("manifest"))
        return Layout::ManifestDb;
    if (name == QLatin1String("mbdb"))
        return Layout::ManifestMbdb;
    if (name == QLatin1String("mdinfo"))
        return Layout::DescriptionFiles;
    *error = QStringLiteral("Unknown backup layout \"%1\"").arg(name);
    return std::nullopt;
}

backupbuilder::DeviceInfo deviceInfo()
{
    const simphone::Identity& phone = simphone::identity();
    backupbuilder::DeviceInfo info;
    info.deviceName = QString::fromStdString(simphone::deviceName());
    info.productVersion = QLatin1String(phone.productVersion);
    info.productType = QLatin1String(phone.productType);
    info.buildVersion = QLatin1String(phone.buildVersion);
    info.serialNumber = QLatin1String(phone.serialNumber);
    return info;
}

// Files of earlier backups that the phone no longer has. Without a
// catalogue the description files are what lists a file, so they go first:
// a data file without one is passed over.
QStringList staleFiles(const QString& folder, const QList<PhoneFile>& files, Layout layout)
{
    const QString home = QStringLiteral("HomeDomain");
    const QStringList known = {QStringLiteral("Library/AddressBook/AddressBook.sqlitedb"),
                               QStringLiteral("Library/AddressBook/AddressBookImages.sqlitedb")};
    QStringList stale;
    for (const QString& path : known) {
        const bool kept = std::any_of(files.begin(), files.end(),
                                      [&](const PhoneFile& f) { return f.domain == home && f.relativePath == path; });
        if (kept)
            continue;
        if (layout == Layout::DescriptionFiles)
            stale << folder + QLatin1Char('/') + backupbuilder::fileId(home, path) + QStringLiteral(".mdinfo");
        stale << backupbuilder::dataPath(layout, folder, home, path);
    }
    return stale;
}

class Pacer
{
public:
    Pacer(int steps, int totalMs) : m_steps(steps), m_stepMs(steps > 0 ? totalMs / steps : 0)
    {
        m_gate = qEnvironmentVariable("MSGDESK_SIM_BACKUP_GATE");
    }

    // False when the tool was asked to stop.
    bool beforeStep(int step)
    {
        if (!m_gate.isEmpty() && allowed() < step) {
            say(QStringLiteral("Paused before step %1 of %2").arg(step).arg(m_steps));
            while (!g_stop && allowed() < step)
                QThread::msleep(5);
        }
        for (int waited = 0; !g_stop && waited < m_stepMs; waited += 10)
            QThread::msleep(static_cast<unsigned long>(qMin(10, m_stepMs - waited)));
        return !g_stop;
    }

private:
    int allowed() const { return readAll(m_gate).trimmed().toInt(); }

    QString m_gate;
    int m_steps;
    int m_stepMs;
};

// The lines a backup program prints when it fails for the common reasons,
// as the device library words them, each case after the library's name.
QStringList failureLines(const QByteArray& kind)
{
    const QString library = QStringLiteral("Device library: libimobiledevice 1.3.0");
    if (kind == "locked")
        return {library,
                QStringLiteral("Backup directory is \"%1\"").arg(backupRoot()),
                QStringLiteral("Started \"com.apple.mobilebackup2\" service on port 49714."),
                QStringLiteral("Negotiated Protocol Version 2.1"),
                QStringLiteral("Starting backup..."),
                QStringLiteral("ErrorCode 208: Device locked (MBErrorDomain/208)"),
                QStringLiteral("Backup Failed (Error Code 208)")};
    if (kind == "protocol")
        return {library, QStringLiteral("Backup directory is \"%1\"").arg(backupRoot()),
                QStringLiteral("Started \"com.apple.mobilebackup2\" service on port 49714."),
                QStringLiteral("ERROR: Could not perform backup protocol version exchange, error code -1")};
    if (kind == "hostid")
        return {library, QStringLiteral("ERROR: Could not connect to lockdownd: Invalid HostID (-21)")};
    if (kind == "diskfull")
        return {library,
                QStringLiteral("Backup directory is \"%1\"").arg(backupRoot()),
                QStringLiteral("Receiving files"),
                QStringLiteral("Error writing to file: No space left on device (28)"),
                QStringLiteral("ErrorCode 105: Insufficient free disk space on drive to back up"),
                QStringLiteral("Backup Failed (Error Code 105)")};
    return {};
}

int failed(const QString& why)
{
    say(QStringLiteral("ERROR: %1").arg(why));
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    const QString id = backupTargetFromArguments(app.arguments().mid(1));
    if (id.isEmpty())
        return 2;
    say(QStringLiteral("Backup of device %1 started").arg(id));
    if (qEnvironmentVariableIntValue("MSGDESK_SIM_BACKUP_FAIL"))
        return failed(QStringLiteral("Could not start the backup service on the device"));
    const QByteArray failure = qgetenv("MSGDESK_SIM_BACKUP_ERROR");
    if (!failure.isEmpty()) {
        const QStringList lines = failureLines(failure);
        if (lines.isEmpty())
            return failed(
                QStringLiteral("Unknown MSGDESK_SIM_BACKUP_ERROR \"%1\"").arg(QString::fromLocal8Bit(failure)));
        for (const QString& line : lines)
            say(line);
        return 1;
    }

    backupbuilder::Options options;
    options.device = deviceInfo();
    options.password = QByteArray::fromStdString(simphone::backupPassword());
    options.encrypted = !options.password.isEmpty();
    options.keepKeys = true;
    QString error;
    const std::optional<Layout> layout = backupLayout(options.encrypted, &error);
    if (!layout)
        return failed(error);
    if (options.encrypted && *layout == Layout::DescriptionFiles)
        return failed(QStringLiteral("Backups of description and data files cannot be encrypted"));
    options.layout = *layout;
    if (options.encrypted) {
        const QByteArray rounds = qgetenv("MSGDESK_SIM_BACKUP_ROUNDS");
        bool valid = rounds.isEmpty();
        const uint n = valid ? 16 : rounds.toUInt(&valid);
        if (!valid || n == 0)
            return failed(QStringLiteral("Not a number of rounds: \"%1\"").arg(QString::fromLocal8Bit(rounds)));
        options.iterations = n;
        // Before iOS 10.2 the key bag had no second derivation step.
        options.doubleProtectionIterations = options.layout == Layout::ManifestDb ? n : 0;
    }

    QList<PhoneFile> files;
    if (!phoneFiles(&files, &error))
        return failed(error);
    const QString folder = backupRoot() + QLatin1Char('/') + id;
    if (!QDir().mkpath(folder))
        return failed(QStringLiteral("Cannot create %1").arg(folder));

    const int steps = int(files.size()) + 1;
    Pacer pacer(steps, qMax(0, qEnvironmentVariableIsSet("MSGDESK_SIM_BACKUP_MS")
                                   ? qEnvironmentVariableIntValue("MSGDESK_SIM_BACKUP_MS")
                                   : 1500));
    options.beforeFile = [&pacer, &files](int index, int count) {
        if (!pacer.beforeStep(index + 1))
            return false;
        say(QStringLiteral("Receiving file %1 of %2: %3").arg(index + 1).arg(count).arg(files.at(index).relativePath));
        return true;
    };
    options.beforeCatalogue = [&pacer, steps] { return pacer.beforeStep(steps); };

    if (!backupbuilder::writeBackup(folder, files, options, &error)) {
        if (g_stop) {
            say(QStringLiteral("Backup cancelled"));
            return 1;
        }
        return failed(error);
    }
    const QStringList stale = staleFiles(folder, files, options.layout);
    for (const QString& path : stale)
        QFile::remove(path);
    say(QStringLiteral("Backup finished: %1 files").arg(files.size()));
    return 0;
}
