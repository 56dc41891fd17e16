#include "ContactStore.h"

#include "MessageStore.h"
#include "SqliteAccess.h"

#include <QHash>

#include <sqlite3.h>

namespace {

struct PersonRow
{
    qint64 rowId = 0;
    QByteArray first;
    QByteArray last;
};

// The part of a number or address by which messages and contacts are matched:
// the last 11 bytes, so "+8613800138000" meets "13800138000".
QByteArray matchingKey(const QByteArray& number)
{
    return number.right(11);
}

} // namespace

ContactStore::ContactStore(const QByteArray& path)
{
    readPhoneAddressBook(path);
}

ContactStore::~ContactStore()
{
    if (m_db)
        sqlite3_close_v2(m_db);
}

void ContactStore::readPhoneAddressBook(const QByteArray& path)
{
    contacts.clear();
    m_db = sqliteaccess::openExisting(path, sqliteaccess::OpenMode::ReadOnly);

    QVector<PersonRow> people;
    personRowCount = 0;
    personColumnCount = 0;
    if (sqlite3_stmt* stmt = sqliteaccess::prepare(m_db, "select * from ABPerson")) {
        personColumnCount = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            PersonRow row;
            row.rowId = sqliteaccess::integer(stmt, 0, personColumnCount);
            row.first = sqliteaccess::text(stmt, 1, personColumnCount);
            row.last = sqliteaccess::text(stmt, 2, personColumnCount);
            people.append(row);
        }
        sqlite3_finalize(stmt);
        personRowCount = people.size();
    }

    // Of consecutive multi-value rows of one person only the first is kept.
    // The kind of value is not looked at: a first e-mail address wins too.
    if (sqlite3_stmt* stmt = sqliteaccess::prepare(m_db, "select * from ABMultiValue")) {
        const int columns = sqlite3_column_count(stmt);
        bool firstRow = true;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            NumberLink link;
            link.personId = sqliteaccess::integer(stmt, 1, columns);
            if (!firstRow && link.personId == numberLinks.constLast().personId)
                continue;
            firstRow = false;
            link.value = sqliteaccess::text(stmt, 5, columns);
            numberLinks.append(link);
        }
        sqlite3_finalize(stmt);
    }

    // First link of each person, earlier reads included (numberLinks is never
    // emptied), found in one pass instead of a search per person.
    QHash<qint64, int> firstLink;
    firstLink.reserve(numberLinks.size());
    for (int i = 0; i < numberLinks.size(); ++i) {
        if (!firstLink.contains(numberLinks.at(i).personId))
            firstLink.insert(numberLinks.at(i).personId, i);
    }

    contacts.reserve(people.size());
    for (const PersonRow& person : std::as_const(people)) {
        ContactRecord contact;
        contact.firstName = person.first;
        contact.lastName = person.last;
        const auto link = firstLink.constFind(person.rowId);
        if (link != firstLink.constEnd())
            contact.number = numberLinks.at(link.value()).value;
        contact.number.replace('-', QByteArray());
        contacts.append(contact);
    }

    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

int ContactStore::readBackupAddressBook(const QByteArray& path)
{
    contacts.clear();
    m_db = sqliteaccess::openExisting(path, sqliteaccess::OpenMode::ReadOnly);
    if (sqlite3_stmt* stmt = sqliteaccess::prepare(m_db, "select * from AddressBook111")) {
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            ContactRecord contact;
            contact.firstName = sqliteaccess::text(stmt, 0, columns);
            // Stored numbers are taken as written, dashes and all.
            contact.number = sqliteaccess::text(stmt, 1, columns);
            contacts.append(contact);
        }
        sqlite3_finalize(stmt);
    }
    const int rc = m_db ? sqlite3_close(m_db) : SQLITE_OK;
    m_db = nullptr;
    return rc;
}

void fillContactNames(MessageStore& messages, const ContactStore& contacts)
{
    // First contact per key wins, as a search from the start would find it.
    QHash<QByteArray, int> byKey;
    byKey.reserve(contacts.contacts.size());
    for (int i = 0; i < contacts.contacts.size(); ++i) {
        const QByteArray key = matchingKey(contacts.contacts.at(i).number);
        if (!key.isEmpty() && !byKey.contains(key))
            byKey.insert(key, i);
    }

    for (MessageRecord& record : messages.messages) {
        // A message without an address (an outgoing MMS) belongs to nobody;
        // it must not take the name of the first contact without a number.
        const auto found = byKey.constFind(matchingKey(record.address));
        if (record.address.isEmpty() || found == byKey.constEnd()) {
            record.contactName = "NULL";
            continue;
        }
        const ContactRecord& contact = contacts.contacts.at(found.value());
        record.contactName = contact.lastName + ' ' + contact.firstName;
    }
}
