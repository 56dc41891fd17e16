#include "PhoneBackup.h"

#include "BackupCrypto.h"
#include "DescriptionFiles.h"
#include "FileChecks.h"
#include "ManifestDbCatalogue.h"
#include "MbdbCatalogue.h"
#include "PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

namespace phonebackup {

const QString PhoneBackup::kHomeDomain = QStringLiteral("HomeDomain");
const QString PhoneBackup::kMessagesPath = QStringLiteral("Library/SMS/sms.db");
const QString PhoneBackup::kAddressBookPath = QStringLiteral("Library/AddressBook/AddressBook.sqlitedb");

namespace {

// Keys unlocked during this run, by backup folder and key bag, so that a
// backup asks for its password once per run. Memory only.
struct KeyCache
{
    QMutex mutex;
    QHash<QString, UnlockedKeys> keys;
};

KeyCache& keyCache()
{
    static KeyCache cache;
    return cache;
}

QString cacheKey(const QString& canonicalFolder, const QByteArray& keyBagUuid)
{
    return canonicalFolder + QChar(0) + QString::fromLatin1(keyBagUuid.toHex());
}

QString incomplete(const QString& why)
{
    return QStringLiteral("This backup is incomplete: %1.").arg(why);
}

} // namespace

struct PhoneBackup::Private
{
    QString canonical;
    QString privateBase;
    BackupInfo info;
    QString error;
    std::optional<KeyBag> keyBag;
    UnlockedKeys keys;
    bool unlocked = false;
    std::unique_ptr<Catalogue> catalogue;
    // The plain Manifest.mbdb of a locked encrypted backup, read only to
    // tell missing files; nothing is located through it.
    std::unique_ptr<Catalogue> lockedCatalogue;
    bool lockedCatalogueTried = false;
    std::unique_ptr<PrivateFolder> privateFolder;
    // Decrypted copies made so far, by file id.
    QHash<QString, QString> decrypted;
    QString lastError;
    QStringList lastNotes;
    // Taken by the file lookups, which two threads may call.
    QMutex lookups;

    bool openCatalogue(const QString& manifestDb);
    QString copyIntoPrivateFolder(const QString& source, const QString& name, QString* why);
    PrivateFolder* folder(QString* why);
    // probeOnly: finds the content without decrypting it (the path
    // returned is then the backup's own, possibly encrypted, file).
    QString locate(const QString& domain, const QString& relativePath, qint64* plainSize, bool probeOnly = false);
    QString decrypt(const CatalogueEntry& entry, const QString& source);
    bool applyKeys(const UnlockedKeys& keys);
    // The catalogue missing files are told by; null when there is none yet.
    Catalogue* catalogueForMissingFiles();
};

Catalogue* PhoneBackup::Private::catalogueForMissingFiles()
{
    if (!error.isEmpty())
        return nullptr;
    if (!info.encrypted || unlocked)
        return catalogue.get();
    // An old-layout catalogue is not encrypted: it tells without the password.
    if (!lockedCatalogueTried && info.layout == BackupLayout::ManifestMbdb) {
        QString why;
        lockedCatalogue = MbdbCatalogue::open(canonical, &why);
    }
    lockedCatalogueTried = true;
    return lockedCatalogue.get();
}

PrivateFolder* PhoneBackup::Private::folder(QString* why)
{
    if (!privateFolder) {
        privateFolder = std::make_unique<PrivateFolder>(privateBase);
        if (!privateFolder->isValid()) {
            privateFolder.reset();
            *why = QStringLiteral("no private folder can be made for the decrypted files");
            return nullptr;
        }
    }
    return privateFolder.get();
}

QString PhoneBackup::Private::copyIntoPrivateFolder(const QString& source, const QString& name, QString* why)
{
    PrivateFolder* target = folder(why);
    if (!target)
        return {};
    const QString path = target->filePath(name);
    QFile::remove(path);
    if (!QFile::copy(source, path)) {
        *why = QStringLiteral("%1 cannot be copied").arg(name);
        return {};
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return path;
}

// Opens the first catalogue that can be read, newest layout first; a
// damaged newer catalogue beside an older one gives way to the older.
// manifestDb: a decrypted Manifest.db to use instead of the folder's.
bool PhoneBackup::Private::openCatalogue(const QString& manifestDb)
{
    const QVector<BackupLayout> layouts = layoutsPresent(canonical);
    QString firstError;
    for (BackupLayout layout : layouts) {
        QString why;
        switch (layout) {
        case BackupLayout::ManifestDb: {
            if (!manifestDb.isEmpty()) {
                catalogue = ManifestDbCatalogue::open(manifestDb, canonical, false, &why);
                break;
            }
            const QString path = canonical + QStringLiteral("/Manifest.db");
            QString real;
            if (files::check(canonical, path, &real) != files::FileState::Regular) {
                why = QStringLiteral("The backup's catalogue (Manifest.db) is not a regular file inside the backup "
                                     "folder.");
                break;
            }
            // An immutable open ignores a write-ahead log; one with content
            // is read from a private copy of both files instead.
            QString wal;
            const bool walWithContent =
                files::check(canonical, path + QStringLiteral("-wal"), &wal) == files::FileState::Regular &&
                QFileInfo(wal).size() > 0;
            if (walWithContent) {
                QString copied = copyIntoPrivateFolder(real, QStringLiteral("Manifest.db"), &why);
                if (!copied.isEmpty() && !copyIntoPrivateFolder(wal, QStringLiteral("Manifest.db-wal"), &why).isEmpty())
                    catalogue = ManifestDbCatalogue::open(copied, canonical, false, &why);
                else
                    why = QStringLiteral("The backup's catalogue (Manifest.db) cannot be read: %1.").arg(why);
            } else {
                catalogue = ManifestDbCatalogue::open(real, canonical, true, &why);
            }
            break;
        }
        case BackupLayout::ManifestMbdb:
            catalogue = MbdbCatalogue::open(canonical, &why);
            break;
        case BackupLayout::DescriptionFiles:
            catalogue = std::make_unique<DescriptionFiles>(canonical);
            break;
        case BackupLayout::None:
            break;
        }
        if (catalogue) {
            info.layout = layout;
            return true;
        }
        if (firstError.isEmpty())
            firstError = why;
    }
    error = layouts.isEmpty() ? incomplete(QStringLiteral("it has no catalogue of its files (Manifest.db or "
                                                          "Manifest.mbdb)"))
                              : firstError;
    return false;
}

bool PhoneBackup::Private::applyKeys(const UnlockedKeys& given)
{
    lastError.clear();
    if (!keyBag || given.isEmpty() || given.keyBagUuid() != keyBag->uuid) {
        lastError = QStringLiteral("The keys do not belong to this backup.");
        return false;
    }
    if (info.layout == BackupLayout::DescriptionFiles) {
        lastError = QStringLiteral("Encrypted backups in the description-file layout cannot be read.");
        return false;
    }
    QString manifestDb;
    if (info.layout == BackupLayout::ManifestDb && !info.manifestKey.isEmpty()) {
        QString why;
        std::optional<QByteArray> key = given.unwrapStoredKey(info.manifestKey, &why);
        if (!key) {
            lastError = QStringLiteral("The backup's catalogue key cannot be unlocked: %1.").arg(why);
            return false;
        }
        const QString source = canonical + QStringLiteral("/Manifest.db");
        QString real;
        if (files::check(canonical, source, &real) != files::FileState::Regular) {
            crypto::wipe(*key);
            lastError = QStringLiteral("The backup's catalogue (Manifest.db) is not a regular file inside the backup "
                                       "folder.");
            return false;
        }
        PrivateFolder* target = folder(&why);
        if (!target) {
            crypto::wipe(*key);
            lastError = QStringLiteral("The backup's catalogue cannot be decrypted: %1.").arg(why);
            return false;
        }
        manifestDb = target->filePath(QStringLiteral("Manifest.db"));
        QFile::remove(manifestDb);
        const bool ok = crypto::decryptFile(real, manifestDb, *key, -1, QStringLiteral("Manifest.db"), &why);
        crypto::wipe(*key);
        if (!ok) {
            lastError = why;
            return false;
        }
    }
    catalogue.reset();
    if (!openCatalogue(manifestDb)) {
        lastError = error;
        error.clear();
        return false;
    }
    keys = given;
    unlocked = true;
    return true;
}

QString PhoneBackup::Private::decrypt(const CatalogueEntry& entry, const QString& source)
{
    const QString known = decrypted.value(entry.fileId);
    if (!known.isEmpty() && QFileInfo::exists(known))
        return known;
    if (entry.encryptionKey.isEmpty()) {
        lastError = QStringLiteral("The backup's record of %1 holds no key, so the file cannot be decrypted.")
                        .arg(entry.relativePath);
        return {};
    }
    QString why;
    std::optional<QByteArray> key = keys.unwrapStoredKey(entry.encryptionKey, &why);
    if (!key) {
        lastError = QStringLiteral("%1 cannot be decrypted: %2.").arg(entry.relativePath, why);
        return {};
    }
    PrivateFolder* target = folder(&why);
    if (!target) {
        crypto::wipe(*key);
        lastError = QStringLiteral("%1 cannot be decrypted: %2.").arg(entry.relativePath, why);
        return {};
    }
    // The phone-side name, so that a database and its "-wal" sit side by
    // side as SQLite expects; the file id when that name is taken.
    QString name = QFileInfo(entry.relativePath).fileName();
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || QFileInfo::exists(target->filePath(name)))
        name = entry.fileId;
    const QString path = target->filePath(name);
    const bool ok = crypto::decryptFile(source, path, *key, entry.size, entry.relativePath, &why);
    crypto::wipe(*key);
    if (!ok) {
        lastError = why;
        return {};
    }
    decrypted.insert(entry.fileId, path);
    return path;
}

QString PhoneBackup::Private::locate(const QString& domain, const QString& relativePath, qint64* plainSize,
                                     bool probeOnly)
{
    lastError.clear();
    if (!error.isEmpty()) {
        lastError = error;
        return {};
    }
    if (info.encrypted && !unlocked) {
        lastError = QStringLiteral("This backup is encrypted: its password is needed.");
        return {};
    }
    if (!catalogue)
        return {};
    QString why;
    const std::optional<QVector<CatalogueEntry>> entries = catalogue->find(domain, relativePath, &why);
    if (!entries) {
        lastError = why;
        return {};
    }
    QString problem;
    for (const CatalogueEntry& entry : *entries) {
        if (entry.kind != CatalogueEntry::Kind::File) {
            problem = QStringLiteral("The backup lists %1 as something other than a file.").arg(relativePath);
            continue;
        }
        if (entry.dataPaths.isEmpty()) {
            problem = QStringLiteral("The backup's catalogue gives %1 an invalid file name.").arg(relativePath);
            continue;
        }
        for (const QString& candidate : entry.dataPaths) {
            QString real;
            switch (files::check(canonical, candidate, &real)) {
            case files::FileState::Regular: {
                if (!info.encrypted || probeOnly) {
                    if (plainSize)
                        *plainSize = QFileInfo(real).size();
                    return real;
                }
                if (entry.recordDamaged) {
                    lastError = QStringLiteral("The backup's record of %1 is damaged.").arg(relativePath);
                    return {};
                }
                const QString path = decrypt(entry, real);
                if (plainSize && !path.isEmpty())
                    *plainSize = QFileInfo(path).size();
                return path;
            }
            case files::FileState::Missing:
                if (problem.isEmpty())
                    problem = incomplete(QStringLiteral("it lists %1, but the file is missing").arg(relativePath));
                break;
            case files::FileState::NotRegular:
                problem =
                    QStringLiteral("The backup's file for %1 is not a regular file; it is not read.").arg(relativePath);
                break;
            case files::FileState::Outside:
                problem = QStringLiteral("The backup's file for %1 leads out of the backup folder; it is not read.")
                              .arg(relativePath);
                break;
            }
        }
    }
    lastError = problem;
    return {};
}

PhoneBackup::PhoneBackup(const QString& folder, const QString& privateBase) : d(new Private)
{
    d->privateBase = privateBase;
    std::optional<BackupInfo> info = readBackupInfo(folder, &d->error);
    if (!info) {
        d->info.folder = QFileInfo(folder).absoluteFilePath();
        return;
    }
    d->info = *info;
    d->canonical = files::canonicalFolder(folder);
    if (!d->info.encrypted) {
        d->unlocked = d->openCatalogue(QString());
        return;
    }
    d->keyBag = KeyBag::parse(d->info.keyBag, &d->error);
    if (!d->keyBag)
        return;
    if (d->info.layout == BackupLayout::DescriptionFiles) {
        d->error = QStringLiteral("Encrypted backups in the description-file layout cannot be read.");
        return;
    }
    if (d->info.layout == BackupLayout::None) {
        d->error = incomplete(QStringLiteral("it has no catalogue of its files (Manifest.db or Manifest.mbdb)"));
        return;
    }
    // Keys unlocked earlier in this run open it again without the password.
    UnlockedKeys cached;
    {
        KeyCache& cache = keyCache();
        QMutexLocker lock(&cache.mutex);
        cached = cache.keys.value(cacheKey(d->canonical, d->keyBag->uuid));
    }
    if (!cached.isEmpty() && !d->applyKeys(cached))
        d->lastError.clear();
}

PhoneBackup::~PhoneBackup() = default;

bool PhoneBackup::isValid() const
{
    return d->error.isEmpty();
}

QString PhoneBackup::errorString() const
{
    return d->error;
}

const BackupInfo& PhoneBackup::info() const
{
    return d->info;
}

bool PhoneBackup::isEncrypted() const
{
    return d->info.encrypted;
}

bool PhoneBackup::canTellMissingFiles() const
{
    const QMutexLocker lock(&d->lookups);
    return d->catalogueForMissingFiles() != nullptr;
}

bool PhoneBackup::isUnlocked() const
{
    return d->unlocked;
}

std::optional<KeyBag> PhoneBackup::keyBag() const
{
    return d->keyBag;
}

UnlockResult PhoneBackup::unlock(const QByteArray& password, const UnlockProgress& progress)
{
    d->lastError.clear();
    if (!isValid()) {
        d->lastError = d->error;
        return UnlockResult::Failed;
    }
    if (!d->keyBag)
        return UnlockResult::Unlocked;
    UnlockedKeys keys;
    const UnlockResult result = unlockKeyBag(*d->keyBag, password, &keys, progress, &d->lastError);
    if (result != UnlockResult::Unlocked)
        return result;
    return unlock(keys) ? UnlockResult::Unlocked : UnlockResult::Failed;
}

bool PhoneBackup::unlock(const UnlockedKeys& keys)
{
    if (!isValid()) {
        d->lastError = d->error;
        return false;
    }
    if (!d->applyKeys(keys))
        return false;
    KeyCache& cache = keyCache();
    QMutexLocker lock(&cache.mutex);
    cache.keys.insert(cacheKey(d->canonical, d->keyBag->uuid), keys);
    return true;
}

UnlockedKeys PhoneBackup::unlockedKeys() const
{
    return d->keys;
}

void PhoneBackup::forgetKeys()
{
    KeyCache& cache = keyCache();
    QMutexLocker lock(&cache.mutex);
    cache.keys.clear();
}

QString PhoneBackup::incompleteReason() const
{
    if (d->info.finished)
        return {};
    return incomplete(QStringLiteral("it was not finished (its state is \"%1\")").arg(d->info.snapshotState));
}

QStringList PhoneBackup::missingFiles()
{
    const QMutexLocker lock(&d->lookups);
    QStringList missing;
    Catalogue* catalogue = d->catalogueForMissingFiles();
    if (!catalogue)
        return missing;
    for (const QString& path : {kMessagesPath, kAddressBookPath}) {
        QString why;
        const std::optional<QVector<CatalogueEntry>> entries = catalogue->find(kHomeDomain, path, &why);
        if (!entries || entries->isEmpty())
            continue;
        // Missing when no listed copy of it is there at all.
        bool present = false;
        bool listedAsFile = false;
        for (const CatalogueEntry& entry : *entries) {
            if (entry.kind != CatalogueEntry::Kind::File || entry.dataPaths.isEmpty())
                continue;
            listedAsFile = true;
            for (const QString& candidate : entry.dataPaths) {
                QString real;
                present = present || files::check(d->canonical, candidate, &real) != files::FileState::Missing;
            }
        }
        if (listedAsFile && !present)
            missing.append(path);
    }
    return missing;
}

QStringList PhoneBackup::incompleteReasons()
{
    QStringList reasons;
    const QString unfinished = incompleteReason();
    if (!unfinished.isEmpty())
        reasons.append(unfinished);
    for (const QString& path : missingFiles())
        reasons.append(incomplete(QStringLiteral("it lists %1, but the file is missing").arg(path)));
    return reasons;
}

QString PhoneBackup::locateFile(const QString& domain, const QString& relativePath)
{
    const QMutexLocker lock(&d->lookups);
    d->lastNotes.clear();
    return d->locate(domain, relativePath, nullptr);
}

QString PhoneBackup::locateFile(const QString& domain, const QString& relativePath, QString* why)
{
    const QMutexLocker lock(&d->lookups);
    d->lastNotes.clear();
    const QString path = d->locate(domain, relativePath, nullptr);
    if (path.isEmpty())
        *why = d->lastError;
    return path;
}

bool PhoneBackup::hasFile(const QString& domain, const QString& relativePath)
{
    const QMutexLocker lock(&d->lookups);
    d->lastNotes.clear();
    return !d->locate(domain, relativePath, nullptr, true).isEmpty();
}

LocatedDatabase PhoneBackup::locateDatabase(const QString& domain, const QString& relativePath)
{
    const QMutexLocker lock(&d->lookups);
    d->lastNotes.clear();
    LocatedDatabase found;
    found.path = d->locate(domain, relativePath, nullptr);
    if (found.path.isEmpty())
        return found;
    const QString mainError = d->lastError;
    qint64 walSize = 0;
    const QString wal = d->locate(domain, relativePath + QStringLiteral("-wal"), &walSize);
    if (!wal.isEmpty() && walSize > 0)
        found.walPath = wal;
    else if (!d->lastError.isEmpty())
        d->lastNotes.append(d->lastError);
    d->lastError = mainError;
    return found;
}

PhoneDatabases PhoneBackup::phoneDatabases()
{
    PhoneDatabases result;
    if (!isValid()) {
        result.error = d->error;
        return result;
    }
    const QString unfinished = incompleteReason();
    result.messages = locateDatabase(kHomeDomain, kMessagesPath);
    if (result.messages.isEmpty()) {
        result.error = d->lastError;
        if (result.error.isEmpty())
            result.error = unfinished.isEmpty()
                               ? QStringLiteral("This backup holds no message database (%1).").arg(kMessagesPath)
                               : incomplete(QStringLiteral("it was not finished and holds no message database yet"));
        return result;
    }
    for (const QString& note : std::as_const(d->lastNotes))
        result.addWarning(DatabaseWarning::UnreadableLog, note);
    if (!unfinished.isEmpty())
        result.addWarning(DatabaseWarning::Incomplete, unfinished);
    result.addressBook = locateDatabase(kHomeDomain, kAddressBookPath);
    if (result.addressBook.isEmpty()) {
        if (d->lastError.isEmpty())
            result.addWarning(DatabaseWarning::NoAddressBook,
                              QStringLiteral("The backup holds no address book: names cannot be shown."));
        else
            result.addWarning(DatabaseWarning::UnreadableAddressBook,
                              d->lastError + QStringLiteral(" Names cannot be shown."));
    }
    for (const QString& note : std::as_const(d->lastNotes))
        result.addWarning(DatabaseWarning::UnreadableLog, note);
    return result;
}

QString PhoneBackup::lastError() const
{
    return d->lastError;
}

QStringList PhoneBackup::lastNotes() const
{
    return d->lastNotes;
}

QString PhoneBackup::privateFolderPath() const
{
    return d->privateFolder ? d->privateFolder->path() : QString();
}

bool listsMissingFiles(const BackupInfo& info)
{
    // No keys are derived here: a locked backup is only told about when
    // its catalogue is plain, or its keys were given earlier in this run.
    PhoneBackup backup(info.folder);
    return !backup.missingFiles().isEmpty();
}

} // namespace phonebackup
