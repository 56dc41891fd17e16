// The backup lookup on folders generated from the input: folders, files,
// links (also out of the folder), FIFOs, Manifest.db rows with any file id,
// a Manifest.mbdb, property lists and description pairs. Whatever the
// folder holds, a located file is a regular file inside it, the lookup
// never blocks, and the folder keeps the entries it had.
//
// Input: records of [operation][length][bytes]; two-part arguments are
// split at the first NUL byte.
//   0 folder PATH           1 file PATH\0CONTENT     2 link PATH\0TARGET
//   3 FIFO PATH             4 Manifest.db row ID\0DOMAIN\0PATH\0FLAGS
//   5 Manifest.mbdb bytes after the header
//   6 list: first byte picks Info/Status/Manifest.plist or a description
//   7 description pair NAME\0PHONE-PATH

#include "FuzzEntries.h"

#include "PhoneBackup.h"
#include "PhoneDb.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// Keeps generated names inside the backup folder: no absolute paths, no
// "." or ".." steps (links may still point anywhere: that is the point).
QString inside(const QByteArray& raw)
{
    QStringList parts;
    for (const QString& part : QString::fromUtf8(raw).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".") || part == QLatin1String("..") || part.contains(QChar(0)))
            continue;
        parts.append(part.left(64));
    }
    return parts.mid(0, 4).join(QLatin1Char('/'));
}

QList<QByteArray> split(const QByteArray& bytes, int count)
{
    QList<QByteArray> parts;
    QByteArray rest = bytes;
    for (int i = 0; i < count - 1; ++i) {
        const int zero = int(rest.indexOf('\0'));
        parts.append(zero < 0 ? rest : rest.left(zero));
        rest = zero < 0 ? QByteArray() : rest.mid(zero + 1);
    }
    parts.append(rest);
    return parts;
}

void writeFile(const QString& path, const QByteArray& content)
{
    if (QFileInfo(path).isSymLink() || QFileInfo(path).isDir())
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
#ifdef Q_OS_UNIX
    // Never open a FIFO made by an earlier record.
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return;
#endif
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

void writeManifest(const QString& path, const QList<QList<QByteArray>>& rows)
{
    sqlite3* db = phonedb::create(path);
    if (!db)
        return;
    // Nothing here needs to survive a power cut; syncing would cost most of a run.
    phonedb::exec(db, "PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY;");
    phonedb::exec(db, "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, flags INTEGER, "
                      "file BLOB); CREATE INDEX FilesRelativePathIdx ON Files(relativePath);");
    if (sqlite3_stmt* insert = phonedb::prepare(db, "INSERT OR IGNORE INTO Files VALUES (?, ?, ?, ?, NULL)")) {
        for (const QList<QByteArray>& row : rows) {
            for (int i = 0; i < 3; ++i)
                phonedb::bind(insert, i + 1, row.at(i));
            phonedb::bind(insert, 4, row.at(3).toLongLong());
            // A row the table refuses (a repeated id) is simply left out.
            phonedb::step(db, insert);
        }
        sqlite3_finalize(insert);
    }
    sqlite3_close(db);
}

QSet<QString> entriesOf(const QString& folder)
{
    QSet<QString> names;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names.insert(it.next());
    return names;
}

void checkLocated(const QString& path, const QString& canonicalFolder, const QString& privateFolder)
{
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    const QString real = info.canonicalFilePath();
    const bool inFolder = real.startsWith(canonicalFolder + QLatin1Char('/'));
    const bool inPrivate = !privateFolder.isEmpty() && real.startsWith(privateFolder + QLatin1Char('/'));
    if (real.isEmpty() || (!inFolder && !inPrivate) || !QFileInfo(real).isFile())
        std::abort();
}

} // namespace

namespace fuzzentries {

int backupLookup(const uint8_t* data, size_t size)
{
    static QTemporaryDir work;
    if (!work.isValid())
        return 0;
    const QString backup = work.filePath(QStringLiteral("device"));
    const QString outside = work.filePath(QStringLiteral("outside"));
    QDir(backup).removeRecursively();
    QDir().mkpath(backup);
    QDir().mkpath(outside);
    writeFile(outside + QStringLiteral("/secret"), "SQLite format 3");

    QList<QList<QByteArray>> rows;
    QByteArray mbdb;
    bool hasMbdb = false;
    size_t pos = 0;
    int records = 0;
    while (pos + 2 <= size && records++ < 64) {
        const uint8_t operation = data[pos] % 8;
        const size_t length = qMin<size_t>(data[pos + 1], size - pos - 2);
        const QByteArray arg(reinterpret_cast<const char*>(data + pos + 2), qsizetype(length));
        pos += 2 + length;
        switch (operation) {
        case 0:
            QDir().mkpath(backup + QLatin1Char('/') + inside(arg));
            break;
        case 1: {
            const QList<QByteArray> parts = split(arg, 2);
            const QString name = inside(parts.at(0));
            if (!name.isEmpty())
                writeFile(backup + QLatin1Char('/') + name, parts.at(1));
            break;
        }
        case 2: {
            const QList<QByteArray> parts = split(arg, 2);
            const QString name = inside(parts.at(0));
            if (!name.isEmpty()) {
                QDir().mkpath(QFileInfo(backup + QLatin1Char('/') + name).absolutePath());
                QFile::link(parts.at(1).isEmpty() ? outside + QStringLiteral("/secret")
                                                  : QString::fromUtf8(parts.at(1)).remove(QChar(0)),
                            backup + QLatin1Char('/') + name);
            }
            break;
        }
        case 3: {
#ifdef Q_OS_UNIX
            const QString name = inside(arg);
            if (!name.isEmpty()) {
                QDir().mkpath(QFileInfo(backup + QLatin1Char('/') + name).absolutePath());
                ::mkfifo(QFile::encodeName(backup + QLatin1Char('/') + name).constData(), 0600);
            }
#endif
            break;
        }
        case 4:
            rows.append(split(arg, 4));
            break;
        case 5:
            hasMbdb = true;
            mbdb += arg;
            break;
        case 6: {
            static const char* const names[] = {"Info.plist", "Status.plist", "Manifest.plist", "0a.mdinfo"};
            if (!arg.isEmpty())
                writeFile(backup + QLatin1Char('/') + QLatin1String(names[uint8_t(arg.at(0)) % 4]), arg.mid(1));
            break;
        }
        case 7: {
            const QList<QByteArray> parts = split(arg, 2);
            const QString name = inside(parts.at(0)).replace(QLatin1Char('/'), QLatin1Char('_'));
            if (name.isEmpty())
                break;
            writeFile(backup + QLatin1Char('/') + name + QStringLiteral(".mdinfo"),
                      "<plist><dict><key>Domain</key><string>HomeDomain</string><key>Path</key><string>" +
                          parts.at(1).toHex() + "</string></dict></plist>");
            writeFile(backup + QLatin1Char('/') + name + QStringLiteral(".mddata"), "SQLite format 3");
            break;
        }
        }
    }
    if (!rows.isEmpty() && !QFileInfo::exists(backup + QStringLiteral("/Manifest.db")))
        writeManifest(backup + QStringLiteral("/Manifest.db"), rows);
    if (hasMbdb && !QFileInfo::exists(backup + QStringLiteral("/Manifest.mbdb")))
        writeFile(backup + QStringLiteral("/Manifest.mbdb"), QByteArray("mbdb\x05\x00", 6) + mbdb);

    const QSet<QString> before = entriesOf(backup);
    const QString canonical = QFileInfo(backup).canonicalFilePath();
    {
        phonebackup::PhoneBackup found(backup, work.path());
        const phonebackup::PhoneDatabases dbs = found.phoneDatabases();
        const QString privateFolder = QFileInfo(found.privateFolderPath()).canonicalFilePath();
        checkLocated(dbs.messages.path, canonical, privateFolder);
        checkLocated(dbs.messages.walPath, canonical, privateFolder);
        checkLocated(dbs.addressBook.path, canonical, privateFolder);
        checkLocated(found.locateFile(QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/sms.db-wal")),
                     canonical, privateFolder);
        if (dbs.messages.path.isEmpty() && dbs.error.isEmpty())
            std::abort();
    }
    if (entriesOf(backup) != before)
        std::abort();
    return 0;
}

} // namespace fuzzentries
