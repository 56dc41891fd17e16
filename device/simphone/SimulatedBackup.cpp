// AppleMobileBackup of the simulated phone: "--backup --target ID" writes a
// fresh backup of the demo phone into the backup root's folder ID, holding
// the demo sms.db and AddressBook.sqlitedb among a few other files. The
// simulated phone has nothing to lose, so it starts from an empty folder.
//
//   MSGDESK_BACKUP_ROOT         the backup root (default: the user's data
//                               folder + "/Apple Computer/MobileSync/Backup")
//   MSGDESK_SIM_BACKUP_MS       how long the backup takes (default 1500)
//   MSGDESK_SIM_BACKUP_FAIL     1: the backup fails with exit status 1
//   MSGDESK_SIM_BACKUP_LAYOUT   "manifest": write Manifest.db and hashed data
//                               files as current backup tools do, instead of
//                               description and data file pairs

#include "../support/BackupToolArgs.h"
#include "DemoData.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <sqlite3.h>

#include <cstdio>

namespace {

struct PhoneFile
{
    QString domain;
    QString relativePath;
    QByteArray content; // empty: taken from the demo databases
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

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QString fileId(const PhoneFile& f)
{
    return QString::fromLatin1(
        QCryptographicHash::hash((f.domain + QLatin1Char('-') + f.relativePath).toUtf8(), QCryptographicHash::Sha1)
            .toHex());
}

QByteArray description(const PhoneFile& f, qint64 size)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                          "\t<key>Domain</key>\n\t<string>%1</string>\n"
                          "\t<key>Path</key>\n\t<string>%2</string>\n"
                          "\t<key>Size</key>\n\t<integer>%3</integer>\n"
                          "</dict>\n</plist>\n")
        .arg(f.domain, f.relativePath)
        .arg(size)
        .toUtf8();
}

bool writeManifest(const QString& folder, const QList<PhoneFile>& files, const QList<QByteArray>& contents)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(folder + QStringLiteral("/Manifest.db")).constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = sqlite3_exec(db,
                           "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, "
                           "flags INTEGER, file BLOB); BEGIN;",
                           nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "INSERT INTO Files VALUES (?, ?, ?, 1, NULL)", -1, &insert, nullptr) == SQLITE_OK;
    for (int i = 0; ok && i < files.size(); ++i) {
        const QString id = fileId(files.at(i));
        const QByteArray idBytes = id.toUtf8();
        const QByteArray domain = files.at(i).domain.toUtf8();
        const QByteArray path = files.at(i).relativePath.toUtf8();
        sqlite3_bind_text(insert, 1, idBytes.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, domain.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, path.constData(), -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
        const QString sub = folder + QLatin1Char('/') + id.left(2);
        ok = ok && QDir().mkpath(sub) && writeFile(sub + QLatin1Char('/') + id, contents.at(i));
    }
    sqlite3_finalize(insert);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString id = backupTargetFromArguments(app.arguments().mid(1));
    if (id.isEmpty())
        return 2;
    say(QStringLiteral("Backup of device %1 started").arg(id));
    if (qEnvironmentVariableIntValue("MSGDESK_SIM_BACKUP_FAIL")) {
        say(QStringLiteral("ERROR: Could not start the backup service on the device"));
        return 1;
    }

    QTemporaryDir work;
    QString error;
    if (!work.isValid() || !demodata::writePhone(work.path(), &error)) {
        say(QStringLiteral("ERROR: %1").arg(error));
        return 1;
    }
    const QList<PhoneFile> files = {
        {QStringLiteral("HomeDomain"), QStringLiteral("Library/Preferences/com.apple.MobileSMS.plist"),
         "<plist><dict><key>SMSCharacterCountEnabled</key><true/></dict></plist>"},
        {QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/sms.db"), {}},
        {QStringLiteral("HomeDomain"), QStringLiteral("Library/Notes/notes.sqlite"), "SQLite format 3"},
        {QStringLiteral("HomeDomain"), QStringLiteral("Library/AddressBook/AddressBook.sqlitedb"), {}},
        {QStringLiteral("HomeDomain"), QStringLiteral("Library/AddressBook/AddressBookImages.sqlitedb"),
         "SQLite format 3"},
        {QStringLiteral("MediaDomain"), QStringLiteral("Library/SMS/Attachments/2f/15/IMG_0042.JPG"),
         QByteArray(2048, '\xFF')},
    };
    QList<QByteArray> contents;
    for (const PhoneFile& f : files) {
        if (!f.content.isEmpty())
            contents.append(f.content);
        else if (f.relativePath.endsWith(QLatin1String("sms.db")))
            contents.append(readAll(work.filePath(QStringLiteral("sms.db"))));
        else
            contents.append(readAll(work.filePath(QStringLiteral("AddressBook.sqlitedb"))));
    }

    const QString folder = backupRoot() + QLatin1Char('/') + id;
    QDir(folder).removeRecursively();
    if (!QDir().mkpath(folder)) {
        say(QStringLiteral("ERROR: Cannot create %1").arg(folder));
        return 1;
    }

    // Spread the work over the set time so that a progress display has something to show.
    const int totalMs = qMax(0, qEnvironmentVariableIsSet("MSGDESK_SIM_BACKUP_MS")
                                    ? qEnvironmentVariableIntValue("MSGDESK_SIM_BACKUP_MS")
                                    : 1500);
    const bool manifest = qEnvironmentVariable("MSGDESK_SIM_BACKUP_LAYOUT") == QLatin1String("manifest");
    for (int i = 0; i < files.size(); ++i) {
        QThread::msleep(static_cast<unsigned long>(totalMs / files.size()));
        say(QStringLiteral("Receiving file %1 of %2: %3").arg(i + 1).arg(files.size()).arg(files.at(i).relativePath));
        if (manifest)
            continue;
        const QString base = folder + QLatin1Char('/') + fileId(files.at(i));
        if (!writeFile(base + QStringLiteral(".mddata"), contents.at(i)) ||
            !writeFile(base + QStringLiteral(".mdinfo"), description(files.at(i), contents.at(i).size()))) {
            say(QStringLiteral("ERROR: Cannot write into %1").arg(folder));
            return 1;
        }
    }
    if (manifest && !writeManifest(folder, files, contents)) {
        say(QStringLiteral("ERROR: Cannot write the manifest into %1").arg(folder));
        return 1;
    }
    say(QStringLiteral("Backup finished: %1 files").arg(files.size()));
    return 0;
}
