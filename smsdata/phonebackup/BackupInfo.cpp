#include "BackupInfo.h"

#include "FileChecks.h"
#include "KeyBag.h"
#include "PlistValue.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

namespace phonebackup {

namespace {

using plistvalue::Node;

// Reads one of the folder's lists. Missing: nullopt without error. Present
// but unreadable or not a dictionary: nullopt with *error.
std::optional<plistvalue::Tree> readList(const QString& canonical, const QString& name, bool* present, QString* error)
{
    const QString path = canonical + QLatin1Char('/') + name;
    *present = QFileInfo(path).exists() || QFileInfo(path).isSymLink();
    if (!*present)
        return std::nullopt;
    QString why;
    const std::optional<QByteArray> bytes = files::readInside(canonical, path, plistvalue::kMaxPlistBytes, &why);
    if (!bytes) {
        *error = QStringLiteral("The backup's %1 cannot be read: %2.").arg(name, why);
        return std::nullopt;
    }
    plistvalue::Tree tree = plistvalue::parse(*bytes, plistvalue::Bounds(), &why);
    if (!tree) {
        *error = QStringLiteral("The backup's %1 is damaged: %2.").arg(name, why);
        return std::nullopt;
    }
    if (!plistvalue::isDict(tree.get())) {
        *error = QStringLiteral("The backup's %1 is damaged: it is not a dictionary.").arg(name);
        return std::nullopt;
    }
    return tree;
}

// A text value that may be absent; of another type it is noted and passed over.
void takeString(Node dict, const char* key, const QString& list, QString* target, QStringList* notes)
{
    const Node node = plistvalue::item(dict, key);
    if (!node)
        return;
    if (const std::optional<QString> text = plistvalue::string(node)) {
        if (target->isEmpty())
            *target = *text;
        return;
    }
    notes->append(QStringLiteral("%1: \"%2\" is not a text").arg(list, QLatin1String(key)));
}

QString dataFolderRoot()
{
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    data = QDir::cleanPath(QDir::fromNativeSeparators(data));
    return data + QStringLiteral("/Apple Computer/MobileSync/Backup");
}

bool looksLikeBackup(const QString& folder)
{
    return !layoutsPresent(folder).isEmpty() || QFileInfo::exists(folder + QStringLiteral("/Info.plist"));
}

} // namespace

std::optional<BackupInfo> readBackupInfo(const QString& folder, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QString canonical = files::canonicalFolder(folder);
    if (canonical.isEmpty())
        return fail(QStringLiteral("The backup folder %1 does not exist.").arg(QDir::toNativeSeparators(folder)));

    BackupInfo info;
    info.folder = QFileInfo(folder).absoluteFilePath();
    info.identifier = QFileInfo(info.folder).fileName();
    const QVector<BackupLayout> layouts = layoutsPresent(canonical);
    info.layout = layouts.isEmpty() ? BackupLayout::None : layouts.first();

    QString why;
    bool hasInfo = false;
    const std::optional<plistvalue::Tree> infoList = readList(canonical, QStringLiteral("Info.plist"), &hasInfo, &why);
    if (!why.isEmpty())
        return fail(why);
    if (!hasInfo && layouts.isEmpty())
        return fail(QStringLiteral("%1 is not a phone backup: it holds neither Info.plist nor a catalogue of files.")
                        .arg(QDir::toNativeSeparators(info.folder)));
    if (infoList) {
        const Node dict = infoList->get();
        const QString list = QStringLiteral("Info.plist");
        takeString(dict, "Device Name", list, &info.deviceName, &info.notes);
        takeString(dict, "Display Name", list, &info.deviceName, &info.notes);
        takeString(dict, "Product Version", list, &info.productVersion, &info.notes);
        takeString(dict, "Product Type", list, &info.productType, &info.notes);
        takeString(dict, "Serial Number", list, &info.serialNumber, &info.notes);
        takeString(dict, "Unique Identifier", list, &info.uniqueIdentifier, &info.notes);
        takeString(dict, "Target Identifier", list, &info.uniqueIdentifier, &info.notes);
        if (const Node date = plistvalue::item(dict, "Last Backup Date")) {
            if (const std::optional<QDateTime> when = plistvalue::date(date))
                info.lastBackupDate = *when;
            else
                info.notes.append(QStringLiteral("Info.plist: \"Last Backup Date\" is not a date"));
        }
    }

    const std::optional<plistvalue::Tree> status =
        readList(canonical, QStringLiteral("Status.plist"), &info.hasStatusPlist, &why);
    if (!why.isEmpty())
        return fail(why);
    if (status) {
        const Node state = plistvalue::item(status->get(), "SnapshotState");
        if (state) {
            const std::optional<QString> text = plistvalue::string(state);
            if (!text)
                return fail(QStringLiteral("The backup's Status.plist is damaged: SnapshotState is not a text."));
            info.snapshotState = *text;
            info.finished = *text == QLatin1String("finished");
        }
        if (!info.lastBackupDate.isValid()) {
            if (const std::optional<QDateTime> when = plistvalue::date(plistvalue::item(status->get(), "Date")))
                info.lastBackupDate = *when;
        }
    }

    const std::optional<plistvalue::Tree> manifest =
        readList(canonical, QStringLiteral("Manifest.plist"), &info.hasManifestPlist, &why);
    if (!why.isEmpty())
        return fail(why);
    if (manifest) {
        const Node dict = manifest->get();
        if (const Node encrypted = plistvalue::item(dict, "IsEncrypted")) {
            const std::optional<bool> value = plistvalue::boolean(encrypted);
            if (!value)
                return fail(
                    QStringLiteral("The backup's Manifest.plist is damaged: IsEncrypted is not true or false."));
            info.encrypted = *value;
        }
        if (info.encrypted) {
            const std::optional<QByteArray> bag = plistvalue::data(plistvalue::item(dict, "BackupKeyBag"));
            if (!bag || bag->isEmpty())
                return fail(QStringLiteral("The backup's Manifest.plist is damaged: the encrypted backup has no "
                                           "BackupKeyBag."));
            // A bag beyond its bounds makes the backup damaged before anyone
            // is asked for a password.
            QString bagError;
            if (!KeyBag::parse(*bag, &bagError))
                return fail(bagError);
            info.keyBag = *bag;
            if (const Node key = plistvalue::item(dict, "ManifestKey")) {
                const std::optional<QByteArray> value = plistvalue::data(key);
                if (!value)
                    return fail(QStringLiteral("The backup's Manifest.plist is damaged: ManifestKey is not data."));
                info.manifestKey = *value;
            }
        }
        const Node lockdown = plistvalue::item(dict, "Lockdown");
        const QString list = QStringLiteral("Manifest.plist Lockdown");
        takeString(lockdown, "DeviceName", list, &info.deviceName, &info.notes);
        takeString(lockdown, "ProductVersion", list, &info.productVersion, &info.notes);
        takeString(lockdown, "ProductType", list, &info.productType, &info.notes);
        takeString(lockdown, "SerialNumber", list, &info.serialNumber, &info.notes);
        takeString(lockdown, "UniqueDeviceID", list, &info.uniqueIdentifier, &info.notes);
        if (!info.lastBackupDate.isValid()) {
            if (const std::optional<QDateTime> when = plistvalue::date(plistvalue::item(dict, "Date")))
                info.lastBackupDate = *when;
        }
    }
    return info;
}

QStringList standardBackupRoots()
{
    QStringList roots{dataFolderRoot()};
    const QString usual =
        QDir::cleanPath(QDir::homePath() + QStringLiteral("/.local/share/Apple Computer/MobileSync/Backup"));
    if (!roots.contains(usual))
        roots.append(usual);
    return roots;
}

QVector<BackupInfo> findPhoneBackups(const QStringList& roots, QStringList* errors)
{
    QVector<BackupInfo> found;
    QSet<QString> seen;
    auto consider = [&](const QString& folder) {
        const QString canonical = files::canonicalFolder(folder);
        if (canonical.isEmpty() || seen.contains(canonical) || !looksLikeBackup(canonical))
            return false;
        seen.insert(canonical);
        QString why;
        if (std::optional<BackupInfo> info = readBackupInfo(folder, &why))
            found.append(*info);
        else if (errors)
            errors->append(why);
        return true;
    };
    for (const QString& root : roots) {
        if (root.isEmpty() || consider(root))
            continue;
        // A folder of backups, or a MobileSync folder holding one.
        QString parent = root;
        if (QFileInfo(root + QStringLiteral("/Backup")).isDir())
            parent = root + QStringLiteral("/Backup");
        const QStringList names = QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        for (const QString& name : names)
            consider(parent + QLatin1Char('/') + name);
    }
    return found;
}

} // namespace phonebackup
