#pragma once

// Finding the phone's message database and address book inside its backup.
// The phone's backup folder is the backup root followed by the device
// identifier. Two layouts are searched:
//  - description and data file pairs ("<name>.mdinfo" naming the phone-side
//    path, "<name>.mddata" holding the file): the first description file, in
//    name order, whose text contains the file name gives its data file;
//  - a "Manifest.db" whose table Files maps the phone-side path in
//    "HomeDomain" to a fileID, the data file lying at "<first two characters
//    of fileID>/<fileID>".
// Everything runs on the calling thread; the located path is process-wide
// and overwritten by every lookup.

#include <QByteArray>
#include <QString>

// The user's data folder followed by "/Apple Computer/MobileSync/Backup/",
// the same folder the window's shell reports as its application-data path.
QString defaultBackupRoot();

// Removes the folder with everything in it; false when the folder itself
// could not be removed (a missing folder included).
bool removeFolderTree(const QString& path);

// Looks for `fileName` ("sms.db" or "AddressBook.sqlitedb") in the backup of
// the device `identifier` under `backupRoot`. False when no search could be
// made (no identifier, or one that is not a plain folder name); true when the
// search ran, whether or not it found the file.
bool locateBackupDatabase(const char* identifier, const char* fileName,
                          const QString& backupRoot = defaultBackupRoot());

// The path found by the latest lookup (UTF-8, no line end), empty when none was found.
QByteArray locatedDatabasePath();
