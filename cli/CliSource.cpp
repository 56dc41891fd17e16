#include "CliSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

namespace {

// The messages of msgdesk-cli share one translation context.
struct MsgdeskCli
{
    Q_DECLARE_TR_FUNCTIONS(MsgdeskCli)
};

enum class Probe { Missing, NotADatabase, Readable };

// Looks into a file without changing it: read-only and immutable, so that
// SQLite adds nothing beside it. `tables` receives the names of its tables.
Probe probe(const QString& path, QStringList* tables)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return Probe::Missing;
    const QByteArray uri =
        "file:" + QUrl::toPercentEncoding(info.absoluteFilePath(), "/") + "?mode=ro&immutable=1";
    sqlite3* db = nullptr;
    Probe result = Probe::NotADatabase;
    if (sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "select name from sqlite_master where type = 'table'", -1, &stmt, nullptr) ==
            SQLITE_OK) {
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
                tables->append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
            if (rc == SQLITE_DONE)
                result = Probe::Readable;
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return result;
}

bool hasTable(const QStringList& tables, const char* name)
{
    return tables.contains(QLatin1String(name), Qt::CaseInsensitive);
}

bool probeContacts(const QString& contactsPath, CliSource* source)
{
    QStringList bookTables;
    const Probe book = probe(contactsPath, &bookTables);
    if (book == Probe::Readable && hasTable(bookTables, "ABPerson"))
        return true;
    source->error = book == Probe::Missing ? MsgdeskCli::tr("%1: no such file").arg(contactsPath)
                                           : MsgdeskCli::tr("%1: not an address book").arg(contactsPath);
    return false;
}

void finish(CliSource* source)
{
    fillContactNames(*source->messages, *source->contacts);
    source->messages->buildConversationList();
}

CliSource openBackupFolder(const QString& folder, const QString& contactsPath, const PasswordSource& password)
{
    CliSource source;
    source.backup = std::make_unique<phonebackup::PhoneBackup>(folder);
    phonebackup::PhoneBackup& backup = *source.backup;
    if (!backup.isValid()) {
        source.error = MsgdeskCli::tr("%1: %2").arg(folder, backup.errorString());
        return source;
    }
    if (backup.needsPassword()) {
        QByteArray secret;
        if (!password || !password(backup.info(), &secret)) {
            source.error = MsgdeskCli::tr("%1: the backup is encrypted: give its password in MSGDESK_BACKUP_PASSWORD "
                              "or type it at the prompt")
                               .arg(folder);
            return source;
        }
        const phonebackup::UnlockResult result = backup.unlock(secret);
        secret.fill('\0');
        if (result == phonebackup::UnlockResult::WrongPassword) {
            source.error = MsgdeskCli::tr("%1: wrong password for this backup").arg(folder);
            return source;
        }
        if (result != phonebackup::UnlockResult::Unlocked) {
            source.error = MsgdeskCli::tr("%1: the backup cannot be unlocked: %2").arg(folder, backup.lastError());
            return source;
        }
    }
    const phonebackup::PhoneDatabases dbs = backup.phoneDatabases();
    source.warnings = dbs.warnings;
    if (!dbs.error.isEmpty()) {
        source.error = MsgdeskCli::tr("%1: %2").arg(folder, dbs.error);
        return source;
    }
    if (!contactsPath.isEmpty() && !probeContacts(contactsPath, &source))
        return source;

    ReadOptions options;
    options.access = StoreAccess::ReadOnly;
    options.walPath = dbs.messages.walPath.toUtf8();
    source.messages = std::make_unique<MessageStore>(dbs.messages.path.toUtf8(), options);
    if (source.messages->layout() == MessageLayout::Unknown) {
        source.error = MsgdeskCli::tr("%1: its message database is of no layout msgdesk knows").arg(folder);
        source.messages.reset();
        return source;
    }
    if (!contactsPath.isEmpty()) {
        source.contacts = std::make_unique<ContactStore>(contactsPath.toUtf8());
    } else {
        // The messages' own file holds no address book: an empty read.
        source.contacts = std::make_unique<ContactStore>(dbs.messages.path.toUtf8());
        if (!dbs.addressBook.isEmpty())
            source.contacts->readPhoneAddressBook(dbs.addressBook.path.toUtf8(), dbs.addressBook.walPath.toUtf8());
    }
    finish(&source);
    return source;
}

} // namespace

bool isBackupFolder(const QString& path)
{
    return QFileInfo(path).isDir();
}

CliSource openCliSource(const QString& path, const QString& contactsPath, const PasswordSource& password)
{
    if (isBackupFolder(path))
        return openBackupFolder(QDir(path).absolutePath(), contactsPath, password);

    CliSource source;
    QStringList tables;
    switch (probe(path, &tables)) {
    case Probe::Missing:
        source.error = MsgdeskCli::tr("%1: no such file").arg(path);
        return source;
    case Probe::NotADatabase:
        source.error = MsgdeskCli::tr("%1: not a message database (the file is not an SQLite database or is damaged)").arg(path);
        return source;
    case Probe::Readable:
        break;
    }
    if (!hasTable(tables, "message")) {
        source.error = MsgdeskCli::tr("%1: not a message database (it has no message table)").arg(path);
        return source;
    }

    if (!contactsPath.isEmpty() && !probeContacts(contactsPath, &source))
        return source;

    const QByteArray file = path.toUtf8();
    source.messages = std::make_unique<MessageStore>(file, StoreAccess::ReadOnly);
    if (source.messages->layout() == MessageLayout::Unknown) {
        source.error = MsgdeskCli::tr("%1: the message table is of no layout msgdesk knows").arg(path);
        source.messages.reset();
        return source;
    }
    if (!contactsPath.isEmpty()) {
        source.contacts = std::make_unique<ContactStore>(contactsPath.toUtf8());
    } else {
        // A backup file carries its contacts; a bare message database has none.
        source.contacts = std::make_unique<ContactStore>(file);
        if (hasTable(tables, "AddressBook111"))
            source.contacts->readBackupAddressBook(file);
    }
    finish(&source);
    return source;
}
