#include "CliSource.h"

#include "AttachmentContent.h"
#include "SqliteAccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <sqlite3.h>

namespace {

// The messages of msgdesk-cli share one translation context.
struct MsgdeskCli
{
    Q_DECLARE_TR_FUNCTIONS(MsgdeskCli)
};

enum class Probe { Missing, NotADatabase, Readable };

// Looks into a file as the stores will read it, without changing it: the
// main file immutable, or a private copy with its write-ahead log when that
// holds content (a phone's files often keep all of it there). `tables`
// receives the names of its tables.
Probe probe(const QString& path, QStringList* tables, const QString& walPath = QString())
{
    if (!QFileInfo(path).isFile())
        return Probe::Missing;
    sqlite3* db = sqliteaccess::openExisting(path.toUtf8(), sqliteaccess::OpenMode::Untouched, walPath.toUtf8());
    bool readable = false;
    const QList<QByteArray> names = sqliteaccess::tableNames(db, &readable);
    for (const QByteArray& name : names)
        tables->append(QString::fromUtf8(name));
    if (db)
        sqlite3_close_v2(db);
    return readable ? Probe::Readable : Probe::NotADatabase;
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

// The addresses whose names a read of one conversation shows: its key,
// its senders and, for a group, its members.
QVector<QByteArray> namedAddresses(const MessageStore& store)
{
    QSet<QByteArray> addresses;
    for (const MessageRecord& record : store.messages) {
        addresses.insert(record.address);
        addresses.insert(record.sender);
        if (const ConversationInfo* info = store.conversationInfo(record.address)) {
            for (const QByteArray& member : info->members)
                addresses.insert(member);
        }
    }
    addresses.remove(QByteArray());
    return QVector<QByteArray>(addresses.cbegin(), addresses.cend());
}

// A phone's address book: whole, or, for one conversation, only the
// persons that can name someone in it.
std::unique_ptr<ContactStore> readBook(const QString& path, const QString& walPath, const CliSource& source,
                                       bool oneConversation)
{
    auto contacts = std::make_unique<ContactStore>(QByteArray());
    if (oneConversation && source.messages)
        contacts->readPhoneAddressBookFor(path.toUtf8(), walPath.toUtf8(), namedAddresses(*source.messages));
    else
        contacts->readPhoneAddressBook(path.toUtf8(), walPath.toUtf8());
    return contacts;
}

// Tests end the program at its worst moment: with the decrypted copies of
// an encrypted backup made, it waits here until the file that
// MSGDESK_CLI_TEST_GATE names exists.
void holdForTests()
{
    const QString gate = qEnvironmentVariable("MSGDESK_CLI_TEST_GATE");
    while (!gate.isEmpty() && !QFileInfo::exists(gate))
        QThread::msleep(20);
}

void finish(CliSource* source, const QString& path, bool whole)
{
    // A damaged file is shown (or counted) as far as it could be read, with
    // a word why; one of which nothing could be read is a failure.
    const QString damage = source->messages ? source->messages->damage() : source->counts.damage;
    const bool nothing = source->messages ? source->messages->messages.isEmpty() : source->counts.messages == 0;
    if (!damage.isEmpty() && whole && nothing) {
        source->error = MsgdeskCli::tr("%1: the file is damaged: %2; nothing could be read").arg(path, damage);
        return;
    }
    if (!damage.isEmpty())
        source->warnings.append(
            MsgdeskCli::tr("%1: the file is damaged: %2; what could be read is shown").arg(path, damage));
    if (!source->messages)
        return;
    fillContactNames(*source->messages, *source->contacts);
    source->messages->buildConversationList();
}

// Reads the messages, or only counts them; false (with the error set) when
// the file is of no layout msgdesk knows.
bool readMessages(const QByteArray& file, const ReadOptions& options, bool countsOnly, CliSource* source)
{
    if (countsOnly) {
        source->counts = countMessages(file, options);
        return source->counts.layout != MessageLayout::Unknown;
    }
    source->messages = std::make_unique<MessageStore>(file, options);
    if (source->messages->layout() != MessageLayout::Unknown)
        return true;
    source->messages.reset();
    return false;
}

CliSource openBackupFolder(const QString& folder, const QString& contactsPath, const PasswordSource& password,
                           const QByteArray& onlyConversation, bool countsOnly)
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
    holdForTests();
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
    options.onlyConversation = onlyConversation;
    source.databasePath = dbs.messages.path;
    source.walPath = dbs.messages.walPath;
    source.files = attachmentfiles::ofPhoneBackup(source.backup.get());
    if (!readMessages(dbs.messages.path.toUtf8(), options, countsOnly, &source)) {
        source.error = MsgdeskCli::tr("%1: its message database is of no layout msgdesk knows").arg(folder);
        return source;
    }
    const bool one = !onlyConversation.isEmpty();
    if (!contactsPath.isEmpty())
        source.contacts = readBook(contactsPath, QString(), source, one);
    else if (!dbs.addressBook.isEmpty())
        source.contacts = readBook(dbs.addressBook.path, dbs.addressBook.walPath, source, one);
    else
        source.contacts = std::make_unique<ContactStore>(QByteArray());
    finish(&source, folder, onlyConversation.isEmpty());
    return source;
}

} // namespace

bool isBackupFolder(const QString& path)
{
    return QFileInfo(path).isDir();
}

CliSource openCliSource(const QString& path, const QString& contactsPath, const PasswordSource& password,
                        const QByteArray& onlyConversation, bool countsOnly)
{
    if (isBackupFolder(path))
        return openBackupFolder(QDir(path).absolutePath(), contactsPath, password, onlyConversation, countsOnly);

    CliSource source;
    QStringList tables;
    switch (probe(path, &tables)) {
    case Probe::Missing:
        source.error = MsgdeskCli::tr("%1: no such file").arg(path);
        return source;
    case Probe::NotADatabase:
        source.error =
            MsgdeskCli::tr("%1: not a message database (the file is not an SQLite database or is damaged)").arg(path);
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
    ReadOptions options;
    options.access = StoreAccess::ReadOnly;
    options.onlyConversation = onlyConversation;
    source.databasePath = path;
    // A ".sms" backup may carry the attachments' content; a phone's bare
    // message database has none beside it.
    source.files =
        hasTable(tables, attachmentcontent::kTable) ? attachmentfiles::ofSmsFile(path) : attachmentfiles::none();
    if (!readMessages(file, options, countsOnly, &source)) {
        source.error = MsgdeskCli::tr("%1: the message table is of no layout msgdesk knows").arg(path);
        return source;
    }
    if (!contactsPath.isEmpty()) {
        source.contacts = readBook(contactsPath, QString(), source, !onlyConversation.isEmpty());
    } else {
        // A backup file carries its contacts; a bare message database has
        // none (unless it holds a book's tables too).
        source.contacts = std::make_unique<ContactStore>(QByteArray());
        if (hasTable(tables, "ABPerson"))
            source.contacts->readPhoneAddressBook(file);
        if (hasTable(tables, "AddressBook111"))
            source.contacts->readBackupAddressBook(file);
    }
    finish(&source, path, onlyConversation.isEmpty());
    return source;
}
