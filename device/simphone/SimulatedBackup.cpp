// AppleMobileBackup of the simulated phone: "--backup --target ID" brings the
// demo phone's backup in the backup root's folder ID up to date, the way a
// real backup tool does: the earlier backup is never removed first; each file
// is written beside its old version and renamed over it, the catalogue and
// the status files come last, and files the phone no longer has go after
// that. A backup stopped at any moment is therefore still a readable backup,
// old or new file by file.
//
//   MSGDESK_BACKUP_ROOT         the backup root (default: the user's data
//                               folder + "/Apple Computer/MobileSync/Backup")
//   MSGDESK_SIM_PHONE           "legacy": a phone of iOS 5 and before; else a current phone
//   MSGDESK_SIM_BACKUP_LAYOUT   "manifest": Manifest.db and hashed data files in
//                               folders, as backups of iOS 10 and later;
//                               "mdinfo": description and data file pairs, as
//                               the first phones' backups. Default: manifest for
//                               the current phone, mdinfo for the legacy one
//   MSGDESK_SIM_NO_ADDRESS_BOOK 1: the phone has no address book
//   MSGDESK_SIM_BACKUP_MS       how long the backup takes (default 1500)
//   MSGDESK_SIM_BACKUP_FAIL     1: the backup fails with exit status 1
//   MSGDESK_SIM_BACKUP_GATE     a file that paces the backup: each file is a
//                               step, and finishing is the last one; before
//                               step i the tool waits, saying "Paused before
//                               step i of N", until the file holds a number of
//                               at least i. Tests stop the tool where they like.
//
// SIGTERM or SIGINT stop the tool before its next step, with status 1.

#include "../support/BackupToolArgs.h"
#include "DemoData.h"
#include "SimPhoneIdentity.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void requestStop(int)
{
    g_stop = 1;
}

struct PhoneFile
{
    QString domain;
    QString relativePath;
    QByteArray content;
};

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

// Beside the old file, then over it: the name always holds a whole file.
bool replaceFile(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

QString fileId(const QString& domain, const QString& relativePath)
{
    return QString::fromLatin1(
        QCryptographicHash::hash((domain + QLatin1Char('-') + relativePath).toUtf8(), QCryptographicHash::Sha1).toHex());
}

QString fileId(const PhoneFile& f)
{
    return fileId(f.domain, f.relativePath);
}

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QByteArray plist(const QString& body)
{
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                           "<plist version=\"1.0\">\n<dict>\n") +
            body + QStringLiteral("</dict>\n</plist>\n"))
        .toUtf8();
}

QString entry(const char* key, const QString& value)
{
    return QStringLiteral("\t<key>%1</key>\n\t<string>%2</string>\n").arg(QLatin1String(key), escaped(value));
}

QByteArray description(const PhoneFile& f)
{
    return plist(entry("Domain", f.domain) + entry("Path", f.relativePath) +
                 QStringLiteral("\t<key>Size</key>\n\t<integer>%1</integer>\n").arg(f.content.size()));
}

// The property lists beside every backup: who the phone is, how the backup
// ended, and that it is not encrypted.
QList<QPair<QString, QByteArray>> statusFiles(const QString& id)
{
    const simphone::Identity& phone = simphone::identity();
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    const QString name = QString::fromStdString(simphone::deviceName());
    const QByteArray info =
        plist(entry("Device Name", name) + entry("Display Name", name) +
              QStringLiteral("\t<key>Last Backup Date</key>\n\t<date>%1</date>\n").arg(now) +
              entry("Product Type", QLatin1String(phone.productType)) +
              entry("Product Version", QLatin1String(phone.productVersion)) +
              entry("Serial Number", QLatin1String(phone.serialNumber)) + entry("Target Identifier", id) +
              entry("Target Type", QStringLiteral("Device")) + entry("Unique Identifier", id.toUpper()));
    const QByteArray status = plist(entry("BackupState", QStringLiteral("new")) +
                                    QStringLiteral("\t<key>Date</key>\n\t<date>%1</date>\n").arg(now) +
                                    QStringLiteral("\t<key>IsFullBackup</key>\n\t<false/>\n") +
                                    entry("SnapshotState", QStringLiteral("finished")) + entry("UUID", id.toUpper()) +
                                    entry("Version", QStringLiteral("3.3")));
    const QByteArray manifest = plist(QStringLiteral("\t<key>IsEncrypted</key>\n\t<false/>\n") +
                                      QStringLiteral("\t<key>Lockdown</key>\n\t<dict>\n") +
                                      QStringLiteral("\t\t<key>DeviceName</key>\n\t\t<string>%1</string>\n"
                                                     "\t\t<key>ProductVersion</key>\n\t\t<string>%2</string>\n"
                                                     "\t\t<key>UniqueDeviceID</key>\n\t\t<string>%3</string>\n")
                                          .arg(escaped(name), QLatin1String(phone.productVersion), id) +
                                      QStringLiteral("\t</dict>\n") + entry("Version", QStringLiteral("10.0")));
    return {{QStringLiteral("Info.plist"), info},
            {QStringLiteral("Manifest.plist"), manifest},
            {QStringLiteral("Status.plist"), status}};
}

// The catalogue is built apart and then put in place whole, like every file.
bool writeManifest(const QString& folder, const QList<PhoneFile>& files, QString* error)
{
    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("Manifest.db"));
    sqlite3* db = nullptr;
    bool ok = work.isValid() && sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK;
    ok = ok && sqlite3_exec(db,
                            "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, "
                            "flags INTEGER, file BLOB);"
                            "CREATE INDEX FilesDomainIdx ON Files(domain);"
                            "CREATE INDEX FilesRelativePathIdx ON Files(relativePath);"
                            "CREATE INDEX FilesFlagsIdx ON Files(flags);"
                            "CREATE TABLE Properties (key TEXT PRIMARY KEY, value BLOB);"
                            "BEGIN;",
                            nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "INSERT INTO Files VALUES (?, ?, ?, 1, NULL)", -1, &insert, nullptr) == SQLITE_OK;
    for (int i = 0; ok && i < files.size(); ++i) {
        const QByteArray id = fileId(files.at(i)).toUtf8();
        const QByteArray domain = files.at(i).domain.toUtf8();
        const QByteArray relativePath = files.at(i).relativePath.toUtf8();
        sqlite3_bind_text(insert, 1, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, domain.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, relativePath.constData(), -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok && db)
        *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    if (ok && !replaceFile(folder + QStringLiteral("/Manifest.db"), readAll(path))) {
        *error = QStringLiteral("Cannot write the manifest into %1").arg(folder);
        return false;
    }
    return ok;
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

// Files of earlier backups that the phone no longer has.
QStringList staleFiles(const QString& folder, const QList<PhoneFile>& files, bool manifest)
{
    const QList<QPair<QString, QString>> known = {
        {QStringLiteral("HomeDomain"), QStringLiteral("Library/AddressBook/AddressBook.sqlitedb")},
        {QStringLiteral("HomeDomain"), QStringLiteral("Library/AddressBook/AddressBookImages.sqlitedb")},
    };
    QStringList stale;
    for (const auto& k : known) {
        const bool kept = std::any_of(files.begin(), files.end(), [&k](const PhoneFile& f) {
            return f.domain == k.first && f.relativePath == k.second;
        });
        if (kept)
            continue;
        const QString id = fileId(k.first, k.second);
        if (manifest) {
            stale << folder + QLatin1Char('/') + id.left(2) + QLatin1Char('/') + id;
        } else {
            // The description goes first: a data file without one is passed over.
            stale << folder + QLatin1Char('/') + id + QStringLiteral(".mdinfo")
                  << folder + QLatin1Char('/') + id + QStringLiteral(".mddata");
        }
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

int stopped()
{
    say(QStringLiteral("Backup cancelled"));
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
    if (qEnvironmentVariableIntValue("MSGDESK_SIM_BACKUP_FAIL")) {
        say(QStringLiteral("ERROR: Could not start the backup service on the device"));
        return 1;
    }

    QList<PhoneFile> files;
    QString error;
    if (!phoneFiles(&files, &error)) {
        say(QStringLiteral("ERROR: %1").arg(error));
        return 1;
    }
    const QString layout = qEnvironmentVariable("MSGDESK_SIM_BACKUP_LAYOUT");
    const bool manifest = layout.isEmpty() ? !simphone::isLegacyPhone() : layout == QLatin1String("manifest");

    const QString folder = backupRoot() + QLatin1Char('/') + id;
    if (!QDir().mkpath(folder)) {
        say(QStringLiteral("ERROR: Cannot create %1").arg(folder));
        return 1;
    }

    const int steps = int(files.size()) + 1;
    Pacer pacer(steps, qMax(0, qEnvironmentVariableIsSet("MSGDESK_SIM_BACKUP_MS")
                                   ? qEnvironmentVariableIntValue("MSGDESK_SIM_BACKUP_MS")
                                   : 1500));
    for (int i = 0; i < files.size(); ++i) {
        if (!pacer.beforeStep(i + 1))
            return stopped();
        const PhoneFile& f = files.at(i);
        say(QStringLiteral("Receiving file %1 of %2: %3").arg(i + 1).arg(files.size()).arg(f.relativePath));
        const QString id40 = fileId(f);
        bool ok;
        if (manifest) {
            const QString sub = folder + QLatin1Char('/') + id40.left(2);
            ok = QDir().mkpath(sub) && replaceFile(sub + QLatin1Char('/') + id40, f.content);
        } else {
            // The data before its description: a description always names a whole file.
            const QString base = folder + QLatin1Char('/') + id40;
            ok = replaceFile(base + QStringLiteral(".mddata"), f.content) &&
                 replaceFile(base + QStringLiteral(".mdinfo"), description(f));
        }
        if (!ok) {
            say(QStringLiteral("ERROR: Cannot write into %1").arg(folder));
            return 1;
        }
    }

    if (!pacer.beforeStep(steps))
        return stopped();
    if (manifest && !writeManifest(folder, files, &error)) {
        say(QStringLiteral("ERROR: %1").arg(error));
        return 1;
    }
    const auto status = statusFiles(id);
    for (const auto& s : status) {
        if (!replaceFile(folder + QLatin1Char('/') + s.first, s.second)) {
            say(QStringLiteral("ERROR: Cannot write into %1").arg(folder));
            return 1;
        }
    }
    const QStringList stale = staleFiles(folder, files, manifest);
    for (const QString& path : stale)
        QFile::remove(path);
    say(QStringLiteral("Backup finished: %1 files").arg(files.size()));
    return 0;
}
