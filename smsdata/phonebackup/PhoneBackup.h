#pragma once

// One phone backup folder, in any of its layouts, encrypted or not: what it
// says about itself, and where the files msgdesk reads lie.
//
//   phonebackup::PhoneBackup backup(folder);
//   if (!backup.isValid())                  -> backup.errorString()
//   if (backup.needsPassword())             -> unlock (below)
//   const PhoneDatabases dbs = backup.phoneDatabases();
//   if (!dbs.error.isEmpty())               -> no messages; show dbs.error
//   open dbs.messages.path (and its walPath) without changing it, e.g.
//   sqliteaccess::openExisting(path, OpenMode::Untouched, walPath);
//   dbs.warnings: an incomplete backup, a missing address book.
//
// Files are found by domain and phone-side path, never by a part of a name,
// and only a regular file inside the backup folder is ever located: file
// ids must be forty hex digits, links are not followed out of the folder,
// special files are never opened. Reading never changes the folder: its
// catalogues are opened read-only and immutable, and nothing is written
// into it.
//
// Encrypted backups: unlocking derives keys from the password, which takes
// long on real backups (ten million rounds). On a worker thread, either
// call unlockKeyBag() (KeyBag.h) with keyBag() or use UnlockJob, then hand
// the keys to unlock(const UnlockedKeys&) on the backup's thread; or call
// unlock(password) where blocking is fine (the command line). Keys are kept
// in memory for the rest of the run, so a later PhoneBackup of the same
// folder is unlocked without asking again. The files read are decrypted
// into a private folder (mode 0700) that is removed when this object goes,
// and at program end; a run that crashed leaves one behind, which the next
// run removes when it first makes one. Keys and the password are never
// written anywhere.
//
// Not thread-safe: use one object from one thread. The file lookups
// (locateFile, hasFile, locateDatabase, missingFiles) are the exception:
// the chat page's pictures and an export running on its own thread may
// ask at the same time, and they take turns.

#include "BackupInfo.h"
#include "KeyBag.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <optional>

namespace phonebackup {

class Catalogue;
class PrivateFolder;

// A database located in a backup, ready to be opened read-only.
struct LocatedDatabase
{
    QString path;
    // Its write-ahead log when the backup has one with content (the backup
    // stores it under a name of its own); empty otherwise.
    QString walPath;

    bool isEmpty() const { return path.isEmpty(); }
};

// What a warning of PhoneDatabases is about, so that callers can act on it
// (or word it their own way) without reading its text.
enum class DatabaseWarning {
    // A database's write-ahead log that cannot be read.
    UnreadableLog,
    // The backup was not finished.
    Incomplete,
    // The backup lists no address book.
    NoAddressBook,
    // The backup lists an address book that cannot be read.
    UnreadableAddressBook,
};

// The two databases of the phone that msgdesk shows.
struct PhoneDatabases
{
    LocatedDatabase messages;
    LocatedDatabase addressBook;
    // Why the messages cannot be read; empty when messages.path is set.
    QString error;
    // What the user should know although the messages can be read: an
    // incomplete backup, a missing address book ("... names cannot be
    // shown").
    QStringList warnings;
    // What each of warnings is about: entry i belongs to warnings[i].
    QVector<DatabaseWarning> warningCodes;

    void addWarning(DatabaseWarning code, const QString& text)
    {
        warnings.append(text);
        warningCodes.append(code);
    }
    bool hasWarning(DatabaseWarning code) const { return warningCodes.contains(code); }
};

class PhoneBackup
{
public:
    static const QString kHomeDomain;      // "HomeDomain"
    static const QString kMessagesPath;    // "Library/SMS/sms.db"
    static const QString kAddressBookPath; // "Library/AddressBook/AddressBook.sqlitedb"

    // Reads the folder's lists and opens its catalogue; nothing is
    // decrypted yet. privateBase: where the private folder for decrypted
    // copies is made (empty: the system's temporary folder).
    explicit PhoneBackup(const QString& folder, const QString& privateBase = QString());
    ~PhoneBackup();
    PhoneBackup(const PhoneBackup&) = delete;
    PhoneBackup& operator=(const PhoneBackup&) = delete;

    // False when the folder is not a backup, or a list or the catalogue is
    // damaged; errorString() says why.
    bool isValid() const;
    QString errorString() const;
    const BackupInfo& info() const;

    bool isEncrypted() const;
    // True when files can be located: unencrypted, or unlocked.
    bool isUnlocked() const;
    bool needsPassword() const { return isValid() && !isUnlocked(); }

    // The backup's key bag, to unlock on another thread; nullopt for an
    // unencrypted backup.
    std::optional<KeyBag> keyBag() const;
    // Unlocks with the password, on this thread. WrongPassword leaves the
    // backup locked; lastError() says why on Failed.
    UnlockResult unlock(const QByteArray& password, const UnlockProgress& progress = {});
    // Unlocks with keys derived elsewhere; false (lastError() says why)
    // when they do not open this backup.
    bool unlock(const UnlockedKeys& keys);
    UnlockedKeys unlockedKeys() const;
    // Forgets the keys kept for the rest of the run (all backups).
    static void forgetKeys();

    // "This backup is incomplete: ..." when Status.plist says the backup
    // did not finish; empty otherwise.
    QString incompleteReason() const;
    // The phone-side paths of the files msgdesk reads (the messages, the
    // address book) that the catalogue lists but the folder lacks. Empty
    // when none is missing, or when the catalogue cannot be read yet (an
    // encrypted backup of iOS 10 and later not unlocked: see
    // canTellMissingFiles()). Nothing is decrypted for it.
    QStringList missingFiles();
    // Whether missingFiles() can tell: its catalogue can be read (the
    // backup is unencrypted, unlocked, or of the old layout, whose
    // Manifest.mbdb is plain).
    bool canTellMissingFiles() const;
    // Everything that makes the backup incomplete, one "This backup is
    // incomplete: ..." line each: not finished, and each missing file, as
    // phoneDatabases() warns of them. Empty for a complete backup.
    QStringList incompleteReasons();

    // The file with this domain and phone-side path: its path inside the
    // backup, or its decrypted copy. Empty when it cannot be had: then
    // lastError() is empty when the backup simply does not list it, and
    // says why otherwise (listed but missing, not a regular file, leading
    // out of the folder, locked, damaged, not decryptable).
    QString locateFile(const QString& domain, const QString& relativePath);
    // The same, with the reason in *why instead of lastError() (which
    // another thread's lookup may replace meanwhile).
    QString locateFile(const QString& domain, const QString& relativePath, QString* why);
    // Whether locateFile would find the file, without decrypting anything:
    // the backup lists it and its content lies inside the folder.
    bool hasFile(const QString& domain, const QString& relativePath);
    // A database and its "-wal" entry, when that has content.
    LocatedDatabase locateDatabase(const QString& domain, const QString& relativePath);
    // The messages and the address book, with what the user should be told.
    PhoneDatabases phoneDatabases();

    QString lastError() const;
    // Notes of the latest lookup that did not stop it (an unreadable wal).
    QStringList lastNotes() const;
    // Where decrypted copies are; empty until the first is made.
    QString privateFolderPath() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// True when the backup's catalogue lists a file msgdesk reads that its
// folder lacks (PhoneBackup::missingFiles()). No password is asked for it:
// an encrypted backup of iOS 10 and later is told about only when its
// keys were given earlier in this run; false otherwise.
bool listsMissingFiles(const BackupInfo& info);

} // namespace phonebackup
