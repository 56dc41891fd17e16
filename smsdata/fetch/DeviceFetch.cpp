#include "DeviceFetch.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sqlite3.h>

namespace {

QByteArray g_locatedPath;

// Description files are a few hundred bytes; a larger file named like one is
// not read whole.
constexpr qint64 kDescriptionReadLimit = 1 << 20;

bool isPlainFolderName(const QByteArray& name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\\');
}

// The phone-side path of the two databases in current backups.
QByteArray relativePathFor(const QByteArray& fileName)
{
    if (fileName == "sms.db")
        return "Library/SMS/sms.db";
    if (fileName == "AddressBook.sqlitedb")
        return "Library/AddressBook/AddressBook.sqlitedb";
    return {};
}

QString findInDescriptions(const QString& folder, const QByteArray& fileName)
{
    QDir dir(folder);
    const QStringList names =
        dir.entryList({QStringLiteral("*mdinfo")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        if (!file.read(kDescriptionReadLimit).contains(fileName))
            continue;
        const QString data = dir.filePath(name.left(name.size() - 6) + QStringLiteral("mddata"));
        // A description without its data file would make an empty database appear.
        if (QFileInfo(data).isFile())
            return data;
    }
    return {};
}

QString findInManifest(const QString& folder, const QByteArray& fileName)
{
    const QString manifest = folder + QStringLiteral("/Manifest.db");
    if (!QFileInfo(manifest).isFile())
        return {};
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(manifest).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        qDebug() << "Manifest.db cannot be opened:" << sqlite3_errmsg(db);
        sqlite3_close(db);
        return {};
    }
    const QByteArray exact = relativePathFor(fileName);
    // Other names: any HomeDomain file of that name, the shortest path first.
    const char* sql = exact.isEmpty()
                          ? "SELECT fileID FROM Files WHERE domain = 'HomeDomain' AND relativePath LIKE '%/' || ?1 "
                            "ESCAPE '\\' ORDER BY length(relativePath), relativePath"
                          : "SELECT fileID FROM Files WHERE domain = 'HomeDomain' AND relativePath = ?1";
    QByteArray key = exact;
    if (exact.isEmpty())
        key = QByteArray(fileName).replace('\\', "\\\\").replace('%', "\\%").replace('_', "\\_");
    QString found;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(stmt, 1, key.constData(), key.size(), SQLITE_TRANSIENT);
        while (found.isEmpty() && sqlite3_step(stmt) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            const QString id = QString::fromUtf8(text ? text : "");
            if (id.size() < 3 || id.contains(QLatin1Char('/')) || id.contains(QLatin1Char('\\')))
                continue;
            // Current backups file data under the first two characters of
            // the id; some older ones keep it flat.
            const QString nested = folder + QLatin1Char('/') + id.left(2) + QLatin1Char('/') + id;
            const QString flat = folder + QLatin1Char('/') + id;
            if (QFileInfo(nested).isFile())
                found = nested;
            else if (QFileInfo(flat).isFile())
                found = flat;
        }
    } else {
        qDebug() << "Manifest.db has no readable file table:" << sqlite3_errmsg(db);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return found;
}

} // namespace

QString defaultBackupRoot()
{
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath();
    data = QDir::cleanPath(QDir::fromNativeSeparators(data));
    while (data.size() > 1 && data.endsWith(QLatin1Char('/')))
        data.chop(1);
    return data + QStringLiteral("/Apple Computer/MobileSync/Backup/");
}

bool removeFolderTree(const QString& path)
{
    QDir dir(path);
    if (!dir.exists())
        return false;
    const QStringList folders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString& name : folders) {
        const QString sub = path + QLatin1Char('/') + name;
        // A link to a folder is removed as a link; what it points to is not ours.
        if (QFileInfo(sub).isSymLink()) {
            QFile::remove(sub);
            continue;
        }
        removeFolderTree(sub);
    }
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : files)
        QFile::remove(path + QLatin1Char('/') + name);
    return QDir().rmdir(path);
}

bool locateBackupDatabase(const char* identifier, const char* fileName, const QString& backupRoot)
{
    if (!identifier || !fileName || !*fileName)
        return false;
    const QByteArray id(identifier);
    if (!isPlainFolderName(id))
        return false;
    g_locatedPath.clear();

    QString root = backupRoot;
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    const QString folder = root + QString::fromUtf8(id);
    const QByteArray name(fileName);

    QString found = findInManifest(folder, name);
    if (found.isEmpty())
        found = findInDescriptions(folder, name);
    qDebug() << "lookup" << name << "in" << folder << "->" << found;
    g_locatedPath = found.toUtf8();
    return true;
}

QByteArray locatedDatabasePath()
{
    return g_locatedPath;
}
