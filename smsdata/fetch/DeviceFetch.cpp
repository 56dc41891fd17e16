#include "DeviceFetch.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <memory>

namespace {

phonebackup::LocatedDatabase g_located;
QString g_error;

// Backups whose decrypted copies are still in use, by the file name looked
// for: the next lookup of the same name replaces them.
QHash<QByteArray, std::shared_ptr<phonebackup::PhoneBackup>>& decryptedBackups()
{
    static QHash<QByteArray, std::shared_ptr<phonebackup::PhoneBackup>> backups;
    return backups;
}

bool isPlainFolderName(const QByteArray& name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\\') &&
           !name.contains('\0');
}

// The phone-side path of the two databases.
QString relativePathFor(const QByteArray& fileName)
{
    if (fileName == "sms.db")
        return phonebackup::PhoneBackup::kMessagesPath;
    if (fileName == "AddressBook.sqlitedb")
        return phonebackup::PhoneBackup::kAddressBookPath;
    return {};
}

} // namespace

QString defaultBackupRoot()
{
    return phonebackup::standardBackupRoots().constFirst() + QLatin1Char('/');
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
    // Cleared before anything else, so that a refused lookup never leaves
    // an earlier phone's path to be read as this one's.
    g_located = {};
    g_error.clear();
    if (!identifier || !fileName || !*fileName)
        return false;
    const QByteArray id(identifier);
    if (!isPlainFolderName(id))
        return false;

    QString root = backupRoot;
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    const QString folder = root + QString::fromUtf8(id);
    const QByteArray name(fileName);
    const QString relativePath = relativePathFor(name);
    if (relativePath.isEmpty()) {
        qDebug() << "lookup" << name << "in" << folder << ": not a database of the phone";
        return true;
    }

    auto backup = std::make_shared<phonebackup::PhoneBackup>(folder);
    const phonebackup::LocatedDatabase found =
        backup->locateDatabase(phonebackup::PhoneBackup::kHomeDomain, relativePath);
    g_error = backup->lastError();
    // Decrypted copies live on until the same name is looked up again; a
    // plain backup's files are read where they lie.
    if (backup->privateFolderPath().isEmpty())
        decryptedBackups().remove(name);
    else
        decryptedBackups().insert(name, backup);
    qDebug() << "lookup" << name << "in" << folder << "->" << found.path << found.walPath << g_error;
    g_located = found;
    return true;
}

QByteArray locatedDatabasePath()
{
    return g_located.path.toUtf8();
}

phonebackup::LocatedDatabase locatedDatabase()
{
    return g_located;
}

QString locateError()
{
    return g_error;
}
