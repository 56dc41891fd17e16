#pragma once

// What a backup folder says about itself, from its property lists (read
// with libplist, XML or binary):
//   Info.plist      device name, product version, serial, unique
//                   identifier, "Last Backup Date"
//   Status.plist    SnapshotState ("finished" once the backup completed)
//   Manifest.plist  IsEncrypted, BackupKeyBag, ManifestKey, and Lockdown
//                   (name and version when Info.plist lacks them)
// A folder without Manifest.plist or Status.plist (some copies, and real
// iOS 14 folders, have neither) reads as unencrypted and finished with what
// Info.plist gives. A list that is damaged or has a value of the wrong type
// where msgdesk needs it is an error; other values of a wrong type are
// passed over and noted.
//
// And where backups are kept: the finder lists the backups below a given
// set of roots.

#include "Catalogue.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace phonebackup {

struct BackupInfo
{
    QString folder;     // absolute path of the backup folder
    QString identifier; // the folder's name (the device's identifier in the usual places)
    QString deviceName;
    QString productVersion; // iOS version, "17.2"
    QString productType;    // "iPhone15,2"
    QString serialNumber;
    QString uniqueIdentifier;
    QDateTime lastBackupDate; // UTC; invalid when unknown
    BackupLayout layout = BackupLayout::None;
    bool encrypted = false;
    // False only when Status.plist says the backup has not finished.
    bool finished = true;
    QString snapshotState; // Status.plist's SnapshotState, empty without one
    bool hasManifestPlist = false;
    bool hasStatusPlist = false;
    // Manifest.plist's keys of an encrypted backup.
    QByteArray keyBag;
    QByteArray manifestKey;
    // Values of a wrong type that were passed over.
    QStringList notes;
};

// Reads the folder's property lists and finds its layout. nullopt with
// *error when the folder is missing, is not a backup (no catalogue and no
// Info.plist), or a property list is damaged.
std::optional<BackupInfo> readBackupInfo(const QString& folder, QString* error = nullptr);

// The roots the device support and the usual tools write to: the user's
// data folder + "/Apple Computer/MobileSync/Backup" and, when different,
// "~/.local/share/Apple Computer/MobileSync/Backup". Without a trailing "/".
QStringList standardBackupRoots();

// The backups below the roots, in the order of the roots and, within one,
// of the folder names. A root may be a folder of backups (a MobileSync
// "Backup" folder copied from another computer), a "MobileSync" folder
// holding one, or a single backup folder. Folders that are not backups are
// passed over; one whose lists are damaged is listed with its error in
// `errors` (when given).
QVector<BackupInfo> findPhoneBackups(const QStringList& roots, QStringList* errors = nullptr);

} // namespace phonebackup
