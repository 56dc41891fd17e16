// Both address-book readers on arbitrary files: the phone's book (never
// changed) and the contact table of a backup, then the name lookup over
// whatever they found, so that the odd values a damaged book holds reach
// the number matching too. Whatever the bytes, what comes back must hold
// together: one contact per person row, values of the two known kinds, and
// lookups that name someone who is there.

#include "FuzzEntries.h"

#include "ContactLookup.h"
#include "ContactStore.h"
#include "MessageStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// Every value a contact holds is asked for, as a handle of no country and
// of one; an e-mail address finds a contact that has it.
void lookUpEveryValue(const QVector<ContactRecord>& contacts)
{
    for (const auto rules : {ContactLookup::Rules::LegacyFirst, ContactLookup::Rules::NumbersOnly}) {
        ContactLookup lookup(contacts, rules, QByteArray("US"));
        for (const ContactRecord& contact : contacts) {
            require(contact.values.size() <= 1 << 20);
            for (const ContactValue& value : contact.values) {
                require(value.kind == ContactValue::Phone || value.kind == ContactValue::Email);
                require(!value.value.isEmpty());
                for (const QByteArray& country : {QByteArray(), QByteArray("de")}) {
                    const int found = lookup.find(value.value, country);
                    require(found >= -1 && found < contacts.size());
                    if (value.kind == ContactValue::Email && value.value.contains('@'))
                        require(found >= 0);
                }
            }
            const int found = lookup.find(contact.number);
            require(found >= -1 && found < contacts.size());
        }
    }
}

// A name fill over one message per value: every record gets a name. The
// store's own file is an empty database.
void fillNames(const ContactStore& contacts, const QString& emptyFile)
{
    MessageStore store(emptyFile.toUtf8());
    for (const ContactRecord& contact : contacts.contacts) {
        for (const ContactValue& value : contact.values) {
            MessageRecord record;
            record.address = value.value;
            record.sender = value.value;
            store.messages.append(record);
        }
    }
    fillContactNames(store, contacts);
    for (const MessageRecord& record : std::as_const(store.messages))
        require(!record.contactName.isEmpty());
}

} // namespace

namespace fuzzentries {

int addressBook(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.sqlitedb"));
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    static const QString emptyFile = [] {
        const QString name = dir.filePath(QStringLiteral("empty.db"));
        QFile(name).open(QIODevice::WriteOnly);
        return name;
    }();

    ContactStore store(path.toUtf8());
    require(store.contacts.size() == store.personRowCount);
    lookUpEveryValue(store.contacts);
    fillNames(store, emptyFile);

    store.readBackupAddressBook(path.toUtf8());
    for (const ContactRecord& contact : std::as_const(store.contacts))
        require(contact.values.size() == (contact.number.isEmpty() ? 0 : 1));
    lookUpEveryValue(store.contacts);
    fillNames(store, emptyFile);

    // The phone's book was read as it lay: not a byte changed.
    QFile file(path);
    require(file.open(QIODevice::ReadOnly) && file.size() == qint64(size));
    require(file.readAll() == QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}

} // namespace fuzzentries
