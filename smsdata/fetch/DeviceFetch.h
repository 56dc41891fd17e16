#pragma once

// Finding the phone's message database and address book inside its backup.
// The phone's backup folder is the backup root followed by the device
// identifier. Every backup layout is searched (phonebackup::PhoneBackup):
// description and data file pairs, Manifest.mbdb and Manifest.db, each by
// the file's domain and phone-side path. An encrypted backup is searched
// when its keys were unlocked earlier in this run (PhoneBackup::unlock);
// its files are then decrypted into a private folder that lasts until the
// next lookup of the same file name, or the end of the program.
// Everything runs on the calling thread; the located path is process-wide
// and cleared by every lookup before anything else.

#include "PhoneBackup.h"

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

// The latest lookup's database with its write-ahead log, when the backup
// stores one with content; empty when none was found.
phonebackup::LocatedDatabase locatedDatabase();

// Why the latest lookup found nothing ("This backup is incomplete: ...",
// "This backup is encrypted: ..."); empty when it found the file or the
// backup simply does not hold it.
QString locateError();
