#include "BackupBuilder.h"

#include "BackupCrypto.h"
#include "BackupInfo.h"
#include "FileChecks.h"
#include "KeyBag.h"
#include "MbdbCatalogue.h"
#include "PhoneDb.h"
#include "PlistValue.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMessageAuthenticationCode>
#include <QTemporaryDir>
#include <QtEndian>

#include <plist/plist.h>
#include <sqlite3.h>

namespace backupbuilder {

namespace {

using phonebackup::plistvalue::Tree;
namespace crypto = phonebackup::crypto;

// The protection classes of a real backup key bag.
constexpr quint32 kFirstClass = 1;
constexpr quint32 kLastClass = 11;
// The class that guards Manifest.db's key.
constexpr quint32 kManifestClass = 4;

const QDateTime kPlistEpoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// Writes beside the target, then renames over it, so the target is at
// every moment either the old or the new file.
bool replaceFile(const QString& path, const QByteArray& content, QString* error)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(error, QStringLiteral("%1 cannot be made").arg(QFileInfo(path).absolutePath()));
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.flush()) {
        file.remove();
        return fail(error, QStringLiteral("%1 cannot be written: %2").arg(part, file.errorString()));
    }
    file.close();
    if (!QFile(part).rename(path) && !(QFile::remove(path) && QFile::rename(part, path))) {
        QFile::remove(part);
        return fail(error, QStringLiteral("%1 cannot be replaced").arg(path));
    }
    return true;
}

bool replaceFromFile(const QString& path, const QString& source, QString* error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("%1 cannot be read").arg(source));
    return replaceFile(path, in.readAll(), error);
}

plist_t dateNode(const QDateTime& when)
{
    const qint64 seconds = kPlistEpoch.secsTo(when);
    return plist_new_date(int32_t(seconds), 0);
}

QByteArray toBytes(plist_t node, bool binary)
{
    return binary ? phonebackup::plistvalue::toBinary(node) : phonebackup::plistvalue::toXml(node);
}

void setString(plist_t dict, const char* key, const QString& value)
{
    plist_dict_set_item(dict, key, plist_new_string(value.toUtf8().constData()));
}

void setData(plist_t dict, const char* key, const QByteArray& value)
{
    plist_dict_set_item(dict, key, plist_new_data(value.constData(), uint64_t(value.size())));
}

QByteArray littleEndianClass(quint32 protectionClass)
{
    char bytes[4];
    qToLittleEndian<quint32>(protectionClass, bytes);
    return QByteArray(bytes, 4);
}

struct Encryption
{
    phonebackup::KeyBag bag;
    QMap<quint32, QByteArray> classKeys;
    QByteArray manifestKey;       // plain
    QByteArray storedManifestKey; // class + wrapped, as Manifest.plist holds it
    // File keys come from the class key and the file's name, not at random.
    bool stableFileKeys = false;

    ~Encryption()
    {
        for (auto it = classKeys.begin(); it != classKeys.end(); ++it)
            crypto::wipe(it.value());
        crypto::wipe(manifestKey);
    }

    // A file key wrapped for its class, in the stored form.
    QByteArray storedKey(quint32 protectionClass, const QByteArray& key) const
    {
        const std::optional<QByteArray> wrapped = crypto::aesKeyWrap(classKeys.value(protectionClass), key);
        return wrapped ? littleEndianClass(protectionClass) + *wrapped : QByteArray();
    }

    QByteArray fileKey(const PhoneFile& file) const
    {
        if (!stableFileKeys)
            return crypto::randomBytes(32);
        return QMessageAuthenticationCode::hash(fileId(file.domain, file.relativePath).toLatin1(),
                                                classKeys.value(file.protectionClass), QCryptographicHash::Sha256);
    }
};

// The keys of the encrypted backup already in `folder`, when the password
// opens them; false leaves *out as it was.
bool takeEarlierKeys(const QString& folder, const QByteArray& password, Encryption* out)
{
    const std::optional<phonebackup::BackupInfo> info = phonebackup::readBackupInfo(folder);
    if (!info || !info->encrypted || info->keyBag.isEmpty())
        return false;
    const std::optional<phonebackup::KeyBag> bag = phonebackup::KeyBag::parse(info->keyBag);
    phonebackup::UnlockedKeys keys;
    if (!bag || phonebackup::unlockKeyBag(*bag, password, &keys) != phonebackup::UnlockResult::Unlocked)
        return false;
    QMap<quint32, QByteArray> classKeys;
    for (quint32 cls = kFirstClass; cls <= kLastClass; ++cls) {
        const QByteArray key = keys.classKey(cls);
        if (key.size() != 32)
            return false;
        classKeys.insert(cls, key);
    }
    std::optional<QByteArray> manifestKey;
    if (!info->manifestKey.isEmpty()) {
        manifestKey = keys.unwrapStoredKey(info->manifestKey);
        if (!manifestKey)
            return false;
    }
    out->bag = *bag;
    out->classKeys = classKeys;
    out->manifestKey = manifestKey ? *manifestKey : crypto::randomBytes(32);
    out->storedManifestKey = manifestKey ? info->manifestKey : out->storedKey(kManifestClass, out->manifestKey);
    return !out->storedManifestKey.isEmpty();
}

bool makeEncryption(const QString& folder, const Options& options, Encryption* out, QString* error)
{
    out->stableFileKeys = options.keepKeys;
    if (options.keepKeys && takeEarlierKeys(folder, options.password, out))
        return true;
    phonebackup::KeyBag& bag = out->bag;
    bag.version = options.doubleProtectionIterations > 0 ? 4 : 3;
    bag.type = 1; // a backup bag
    bag.uuid = crypto::randomBytes(16);
    bag.hmck = crypto::randomBytes(40);
    bag.wrap = 0;
    bag.salt = crypto::randomBytes(20);
    bag.iterations = options.iterations;
    QByteArray secret = options.password;
    if (options.doubleProtectionIterations > 0) {
        bag.doubleProtectionWrap = 1;
        bag.doubleProtectionIterations = options.doubleProtectionIterations;
        bag.doubleProtectionSalt = crypto::randomBytes(20);
        const std::optional<QByteArray> first = crypto::pbkdf2(
            crypto::Digest::Sha256, options.password, bag.doubleProtectionSalt, bag.doubleProtectionIterations, 32);
        if (!first)
            return fail(error, QStringLiteral("the key derivation failed"));
        secret = *first;
    }
    std::optional<QByteArray> passwordKey = crypto::pbkdf2(crypto::Digest::Sha1, secret, bag.salt, bag.iterations, 32);
    crypto::wipe(secret);
    if (!passwordKey)
        return fail(error, QStringLiteral("the key derivation failed"));
    for (quint32 cls = kFirstClass; cls <= kLastClass; ++cls) {
        const QByteArray key = crypto::randomBytes(32);
        const std::optional<QByteArray> wrapped = crypto::aesKeyWrap(*passwordKey, key);
        if (key.isEmpty() || !wrapped)
            return fail(error, QStringLiteral("a class key cannot be wrapped"));
        out->classKeys.insert(cls, key);
        phonebackup::ClassKey entry;
        entry.protectionClass = cls;
        entry.uuid = crypto::randomBytes(16);
        entry.wrap = 2;
        entry.keyType = cls == kManifestClass ? 0 : 1;
        entry.wrappedKey = *wrapped;
        bag.classKeys.append(entry);
    }
    crypto::wipe(*passwordKey);
    out->manifestKey = crypto::randomBytes(32);
    out->storedManifestKey = out->storedKey(kManifestClass, out->manifestKey);
    return !out->storedManifestKey.isEmpty() || fail(error, QStringLiteral("the catalogue key cannot be wrapped"));
}

// What one file becomes in the backup: its stored bytes and its key.
struct StoredFile
{
    QByteArray bytes;
    QByteArray storedKey;
};

bool storeFile(const PhoneFile& file, const Encryption* encryption, StoredFile* out, QString* error)
{
    if (!encryption) {
        out->bytes = file.content;
        return true;
    }
    QByteArray key = encryption->fileKey(file);
    const std::optional<QByteArray> cipher = crypto::aesCbcEncrypt(key, file.content);
    out->storedKey = encryption->storedKey(file.protectionClass, key);
    crypto::wipe(key);
    if (!cipher || out->storedKey.isEmpty())
        return fail(error, QStringLiteral("%1 cannot be encrypted").arg(file.relativePath));
    out->bytes = *cipher;
    return true;
}

QByteArray description(const PhoneFile& file, bool binary)
{
    Tree metadata(plist_new_dict());
    setString(metadata.get(), "Domain", file.domain);
    setString(metadata.get(), "Path", file.relativePath);
    setString(metadata.get(), "Version", QStringLiteral("3.0"));
    plist_dict_set_item(metadata.get(), "Greylist", plist_new_bool(0));
    Tree top(plist_new_dict());
    setData(top.get(), "Metadata", phonebackup::plistvalue::toBinary(metadata.get()));
    setString(top.get(), "Version", QStringLiteral("3.0"));
    setString(top.get(), "AuthVersion", QStringLiteral("1.0"));
    plist_dict_set_item(top.get(), "IsEncrypted", plist_new_bool(0));
    return toBytes(top.get(), binary);
}

quint16 modeOf(const PhoneFile& file)
{
    switch (file.kind) {
    case PhoneFile::Kind::Folder:
        return 0x41ED;
    case PhoneFile::Kind::Link:
        return 0xA1ED;
    case PhoneFile::Kind::File:
        break;
    }
    return 0x81A4;
}

quint64 flagsOf(const PhoneFile& file)
{
    switch (file.kind) {
    case PhoneFile::Kind::Folder:
        return 2;
    case PhoneFile::Kind::Link:
        return 4;
    case PhoneFile::Kind::File:
        break;
    }
    return 1;
}

bool writeManifestDb(const QString& path, const QList<PhoneFile>& files, const QList<StoredFile>& stored,
                     QString* error)
{
    sqlite3* db = phonedb::create(path);
    if (!db)
        return fail(error, QStringLiteral("%1 cannot be made").arg(path));
    bool ok = phonedb::exec(db, "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, "
                                "flags INTEGER, file BLOB);"
                                "CREATE INDEX FilesDomainIdx ON Files(domain);"
                                "CREATE INDEX FilesRelativePathIdx ON Files(relativePath);"
                                "CREATE INDEX FilesFlagsIdx ON Files(flags);"
                                "CREATE TABLE Properties (key TEXT PRIMARY KEY, value BLOB);"
                                "BEGIN;");
    sqlite3_stmt* insert =
        ok ? phonedb::prepare(db, "INSERT OR REPLACE INTO Files VALUES (?1, ?2, ?3, ?4, ?5)") : nullptr;
    ok = ok && insert;
    for (int i = 0; ok && i < files.size(); ++i) {
        const PhoneFile& f = files.at(i);
        const QByteArray record = fileRecord(f.kind == PhoneFile::Kind::File ? f.content.size() : 0, f.protectionClass,
                                             stored.at(i).storedKey, f.relativePath);
        phonedb::bind(insert, 1, fileId(f.domain, f.relativePath));
        phonedb::bind(insert, 2, f.domain);
        phonedb::bind(insert, 3, f.relativePath);
        phonedb::bind(insert, 4, qint64(flagsOf(f)));
        phonedb::bindBlob(insert, 5, record);
        ok = phonedb::step(db, insert);
    }
    sqlite3_finalize(insert);
    ok = ok && phonedb::exec(db, "COMMIT");
    sqlite3_close(db);
    return ok || fail(error, QStringLiteral("%1 cannot be written").arg(path));
}

QByteArray mbdbOf(const QList<PhoneFile>& files, const QList<StoredFile>& stored)
{
    QVector<phonebackup::MbdbRecord> records;
    for (int i = 0; i < files.size(); ++i) {
        const PhoneFile& f = files.at(i);
        phonebackup::MbdbRecord r;
        r.domain = f.domain;
        r.relativePath = f.relativePath;
        r.linkTarget = f.linkTarget;
        r.mode = modeOf(f);
        r.inode = quint64(1000 + i);
        r.userId = 501;
        r.groupId = 501;
        r.modified = r.accessed = r.changed = 1700000000;
        if (f.kind == PhoneFile::Kind::File) {
            r.digest = QCryptographicHash::hash(f.content, QCryptographicHash::Sha1);
            r.size = quint64(f.content.size());
            r.encryptionKey = stored.at(i).storedKey;
        }
        r.protectionClass = quint8(f.protectionClass);
        records.append(r);
    }
    return phonebackup::serializeMbdb(records);
}

QByteArray infoPlist(const Options& options, const QString& identifier, const QDateTime& when)
{
    const DeviceInfo& d = options.device;
    Tree dict(plist_new_dict());
    setString(dict.get(), "Build Version", d.buildVersion);
    setString(dict.get(), "Device Name", d.deviceName);
    setString(dict.get(), "Display Name", d.deviceName);
    setString(dict.get(), "GUID", QStringLiteral("5D4C8A92F1E04B7B9B2B6E1C0A3F7D21"));
    plist_dict_set_item(dict.get(), "Last Backup Date", dateNode(when));
    setString(dict.get(), "Product Name", QStringLiteral("iPhone"));
    setString(dict.get(), "Product Type", d.productType);
    setString(dict.get(), "Product Version", d.productVersion);
    setString(dict.get(), "Serial Number", d.serialNumber);
    setString(dict.get(), "Target Identifier", identifier);
    setString(dict.get(), "Target Type", QStringLiteral("Device"));
    setString(dict.get(), "Unique Identifier", identifier.toUpper());
    return toBytes(dict.get(), options.binaryPlists);
}

QByteArray statusPlist(const Options& options, const QDateTime& when)
{
    Tree dict(plist_new_dict());
    setString(dict.get(), "BackupState", QStringLiteral("new"));
    plist_dict_set_item(dict.get(), "Date", dateNode(when));
    plist_dict_set_item(dict.get(), "IsFullBackup", plist_new_bool(0));
    setString(dict.get(), "SnapshotState", options.snapshotState);
    setString(dict.get(), "UUID", QStringLiteral("8E2D6B3A-7C1F-4D5E-9A0B-3F6C2E1D4A5B"));
    setString(dict.get(), "Version", QStringLiteral("3.3"));
    return toBytes(dict.get(), options.binaryPlists);
}

QByteArray manifestPlist(const Options& options, const Encryption* encryption, const QString& identifier,
                         const QDateTime& when)
{
    const DeviceInfo& d = options.device;
    Tree dict(plist_new_dict());
    if (encryption) {
        setData(dict.get(), "BackupKeyBag", encryption->bag.serialize());
        if (options.layout == Layout::ManifestDb && options.encryptManifestDb)
            setData(dict.get(), "ManifestKey", encryption->storedManifestKey);
    }
    plist_dict_set_item(dict.get(), "Date", dateNode(when));
    plist_dict_set_item(dict.get(), "IsEncrypted", plist_new_bool(encryption ? 1 : 0));
    plist_t lockdown = plist_new_dict();
    setString(lockdown, "BuildVersion", d.buildVersion);
    setString(lockdown, "DeviceName", d.deviceName);
    setString(lockdown, "ProductType", d.productType);
    setString(lockdown, "ProductVersion", d.productVersion);
    setString(lockdown, "SerialNumber", d.serialNumber);
    setString(lockdown, "UniqueDeviceID", identifier);
    plist_dict_set_item(dict.get(), "Lockdown", lockdown);
    setString(dict.get(), "SystemDomainsVersion", QStringLiteral("24.0"));
    setString(dict.get(), "Version", QStringLiteral("10.0"));
    plist_dict_set_item(dict.get(), "WasPasscodeSet", plist_new_bool(0));
    return toBytes(dict.get(), options.binaryPlists);
}

} // namespace

QString fileId(const QString& domain, const QString& relativePath)
{
    return phonebackup::files::fileId(domain, relativePath);
}

QString dataPath(Layout layout, const QString& folder, const QString& domain, const QString& relativePath)
{
    const QString id = fileId(domain, relativePath);
    switch (layout) {
    case Layout::DescriptionFiles:
        return folder + QLatin1Char('/') + id + QStringLiteral(".mddata");
    case Layout::ManifestMbdb:
        return folder + QLatin1Char('/') + id;
    case Layout::ManifestDb:
        break;
    }
    return folder + QLatin1Char('/') + id.left(2) + QLatin1Char('/') + id;
}

QByteArray fileRecord(qint64 size, quint32 protectionClass, const QByteArray& encryptionKey,
                      const QString& relativePath)
{
    // $objects: 0 "$null", 1 the MBFile, 2 its path, 3 its class, 4 the key.
    Tree root(plist_new_dict());
    setString(root.get(), "$archiver", QStringLiteral("NSKeyedArchiver"));
    plist_dict_set_item(root.get(), "$version", plist_new_uint(100000));
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "root", plist_new_uid(1));
    plist_dict_set_item(root.get(), "$top", top);
    plist_t objects = plist_new_array();
    plist_array_append_item(objects, plist_new_string("$null"));
    plist_t file = plist_new_dict();
    plist_dict_set_item(file, "$class", plist_new_uid(3));
    plist_dict_set_item(file, "Birth", plist_new_uint(1700000000));
    plist_dict_set_item(file, "Flags", plist_new_uint(0));
    plist_dict_set_item(file, "GroupID", plist_new_uint(501));
    plist_dict_set_item(file, "InodeNumber", plist_new_uint(123456));
    plist_dict_set_item(file, "LastModified", plist_new_uint(1700000000));
    plist_dict_set_item(file, "LastStatusChange", plist_new_uint(1700000000));
    plist_dict_set_item(file, "Mode", plist_new_uint(0x81A4));
    plist_dict_set_item(file, "ProtectionClass", plist_new_uint(protectionClass));
    plist_dict_set_item(file, "RelativePath", plist_new_uid(2));
    plist_dict_set_item(file, "Size", plist_new_uint(uint64_t(qMax<qint64>(size, 0))));
    plist_dict_set_item(file, "UserID", plist_new_uint(501));
    if (!encryptionKey.isEmpty())
        plist_dict_set_item(file, "EncryptionKey", plist_new_uid(4));
    plist_array_append_item(objects, file);
    plist_array_append_item(objects, plist_new_string(relativePath.toUtf8().constData()));
    plist_t cls = plist_new_dict();
    setString(cls, "$classname", QStringLiteral("MBFile"));
    plist_t classes = plist_new_array();
    plist_array_append_item(classes, plist_new_string("MBFile"));
    plist_array_append_item(classes, plist_new_string("NSObject"));
    plist_dict_set_item(cls, "$classes", classes);
    plist_array_append_item(objects, cls);
    if (!encryptionKey.isEmpty()) {
        plist_t data = plist_new_dict();
        setData(data, "NS.data", encryptionKey);
        plist_dict_set_item(data, "$class", plist_new_uid(3));
        plist_array_append_item(objects, data);
    }
    plist_dict_set_item(root.get(), "$objects", objects);
    return phonebackup::plistvalue::toBinary(root.get());
}

QByteArray plistOfStrings(const QList<QPair<QString, QString>>& values, bool binary)
{
    Tree dict(plist_new_dict());
    for (const auto& value : values)
        setString(dict.get(), value.first.toUtf8().constData(), value.second);
    return toBytes(dict.get(), binary);
}

bool writeBackup(const QString& folder, const QList<PhoneFile>& files, const Options& options, QString* error)
{
    if (!QDir().mkpath(folder))
        return fail(error, QStringLiteral("%1 cannot be made").arg(folder));
    const QString identifier = QFileInfo(folder).fileName();
    const QDateTime when =
        options.device.lastBackupDate.isValid() ? options.device.lastBackupDate : QDateTime::currentDateTimeUtc();

    std::unique_ptr<Encryption> encryption;
    if (options.encrypted) {
        encryption = std::make_unique<Encryption>();
        if (!makeEncryption(folder, options, encryption.get(), error))
            return false;
    }

    QList<StoredFile> stored;
    for (int i = 0; i < files.size(); ++i) {
        const PhoneFile& f = files.at(i);
        if (options.beforeFile && !options.beforeFile(i, int(files.size())))
            return fail(error, QStringLiteral("stopped before file %1 of %2").arg(i + 1).arg(files.size()));
        StoredFile s;
        if (f.kind == PhoneFile::Kind::File) {
            if (!storeFile(f, encryption.get(), &s, error))
                return false;
            const QString target = dataPath(options.layout, folder, f.domain, f.relativePath);
            if (!replaceFile(target, s.bytes, error))
                return false;
        }
        if (options.layout == Layout::DescriptionFiles) {
            const QString info =
                folder + QLatin1Char('/') + fileId(f.domain, f.relativePath) + QStringLiteral(".mdinfo");
            if (!replaceFile(info, description(f, options.binaryPlists), error))
                return false;
        }
        stored.append(s);
    }
    if (options.beforeCatalogue && !options.beforeCatalogue())
        return fail(error, QStringLiteral("stopped before the catalogue"));

    switch (options.layout) {
    case Layout::DescriptionFiles:
        break;
    case Layout::ManifestMbdb:
        if (!replaceFile(folder + QStringLiteral("/Manifest.mbdb"), mbdbOf(files, stored), error))
            return false;
        break;
    case Layout::ManifestDb: {
        QTemporaryDir work;
        if (!work.isValid())
            return fail(error, QStringLiteral("no temporary folder"));
        const QString plain = work.filePath(QStringLiteral("Manifest.db"));
        if (!writeManifestDb(plain, files, stored, error))
            return false;
        if (encryption && options.encryptManifestDb) {
            const QString cipher = work.filePath(QStringLiteral("Manifest.db.enc"));
            if (!crypto::encryptFile(plain, cipher, encryption->manifestKey, error))
                return false;
            if (!replaceFromFile(folder + QStringLiteral("/Manifest.db"), cipher, error))
                return false;
        } else if (!replaceFromFile(folder + QStringLiteral("/Manifest.db"), plain, error)) {
            return false;
        }
        break;
    }
    }

    if (options.writeInfoPlist &&
        !replaceFile(folder + QStringLiteral("/Info.plist"), infoPlist(options, identifier, when), error))
        return false;
    if (options.writeManifestPlist && !replaceFile(folder + QStringLiteral("/Manifest.plist"),
                                                   manifestPlist(options, encryption.get(), identifier, when), error))
        return false;
    if (options.writeStatusPlist &&
        !replaceFile(folder + QStringLiteral("/Status.plist"), statusPlist(options, when), error))
        return false;
    return true;
}

} // namespace backupbuilder
