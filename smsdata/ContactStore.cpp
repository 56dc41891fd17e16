#include "ContactStore.h"

#include "ContactLookup.h"
#include "MessageStore.h"
#include "SqliteAccess.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <optional>

#include <sqlite3.h>

namespace {

struct PersonRow
{
    qint64 rowId = 0;
    QByteArray first;
    QByteArray last;
    QByteArray organization;
};

// A column to select: the table's column of that name when it has one,
// else the one where the oldest books keep it (legacyPosition, -1 for
// nowhere). A column that is nowhere reads as NULL.
QByteArray pick(const QList<QByteArray>& columns, const char* name, int legacyPosition)
{
    for (const QByteArray& column : columns) {
        if (column.compare(name, Qt::CaseInsensitive) == 0)
            return sqliteaccess::quotedName(column);
    }
    return legacyPosition >= 0 && legacyPosition < columns.size() ? sqliteaccess::quotedName(columns.at(legacyPosition))
                                                                  : QByteArray("NULL");
}

ContactValue::Kind valueKind(qint64 property)
{
    if (property == ContactValue::Phone)
        return ContactValue::Phone;
    if (property == ContactValue::Email)
        return ContactValue::Email;
    return ContactValue::Other;
}

// A backup row stores a value without its kind; its text tells.
ContactValue backupValue(const QByteArray& tel)
{
    return {tel.contains('@') ? ContactValue::Email : ContactValue::Phone, tel};
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

void ContactStore::readPhoneAddressBook(const QByteArray& path, const QByteArray& walPath)
{
    readPhoneBook(path, walPath, nullptr);
}

void ContactStore::readPhoneAddressBookFor(const QByteArray& path, const QByteArray& walPath,
                                           const QVector<QByteArray>& addresses)
{
    readPhoneBook(path, walPath, &addresses);
}

void ContactStore::readPhoneBook(const QByteArray& path, const QByteArray& walPath,
                                 const QVector<QByteArray>* addresses)
{
    contacts.clear();
    // No path names no book (a source without one): nothing to open, and
    // nothing failed.
    if (path.isEmpty())
        return;
    m_db = sqliteaccess::openExisting(path, sqliteaccess::OpenMode::Untouched, walPath);

    QVector<PersonRow> people;
    personRowCount = 0;
    personColumnCount = 0;
    // Only the columns used are asked for: "select *" would take apart
    // each of a current book's dozens of columns in every row.
    const QList<QByteArray> personColumns = sqliteaccess::columnsInOrder(m_db, "ABPerson");
    const QByteArray personSql = "select " + pick(personColumns, "ROWID", 0) + ", " + pick(personColumns, "First", 1) +
                                 ", " + pick(personColumns, "Last", 2) + ", " +
                                 pick(personColumns, "Organization", -1) + " from ABPerson";
    if (sqlite3_stmt* stmt = personColumns.isEmpty() ? nullptr : sqliteaccess::prepare(m_db, personSql.constData())) {
        personColumnCount = int(personColumns.size());
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            PersonRow row;
            row.rowId = sqliteaccess::integer(stmt, 0, 4);
            row.first = sqliteaccess::text(stmt, 1, 4);
            row.last = sqliteaccess::text(stmt, 2, 4);
            row.organization = sqliteaccess::text(stmt, 3, 4);
            people.append(row);
        }
        sqlite3_finalize(stmt);
        personRowCount = people.size();
    }

    // numberLinks keeps the matching number's old rule: of consecutive rows
    // of one person only the first, of whatever kind, so that the names this
    // rule has always given stay as they were. values holds every phone and
    // e-mail value, which is what matching by number looks at.
    QHash<qint64, QVector<ContactValue>> valuesOf;
    const QList<QByteArray> valueColumns = sqliteaccess::columnsInOrder(m_db, "ABMultiValue");
    const QByteArray valueSql = "select " + pick(valueColumns, "record_id", 1) + ", " +
                                pick(valueColumns, "property", -1) + ", " + pick(valueColumns, "value", 5) +
                                " from ABMultiValue";
    if (sqlite3_stmt* stmt = valueColumns.isEmpty() ? nullptr : sqliteaccess::prepare(m_db, valueSql.constData())) {
        bool firstRow = true;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            NumberLink link;
            link.personId = sqliteaccess::integer(stmt, 0, 3);
            link.value = sqliteaccess::text(stmt, 2, 3);
            const ContactValue::Kind kind = valueKind(sqliteaccess::integer(stmt, 1, 3));
            if (kind != ContactValue::Other && !link.value.isEmpty())
                valuesOf[link.personId].append({kind, link.value});
            if (!firstRow && link.personId == numberLinks.constLast().personId)
                continue;
            firstRow = false;
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

    std::optional<ContactLookup::Prefilter> only;
    if (addresses)
        only.emplace(*addresses);
    contacts.reserve(only ? 0 : people.size());
    for (const PersonRow& person : std::as_const(people)) {
        if (only) {
            // Left out only when no value, nor the matching number, could
            // name one of the addresses.
            const QVector<ContactValue> values = valuesOf.value(person.rowId);
            const auto link = firstLink.constFind(person.rowId);
            QByteArray number = link != firstLink.constEnd() ? numberLinks.at(link.value()).value : QByteArray();
            number.replace('-', QByteArray());
            const bool wanted =
                only->passesNumber(number) || (!number.isEmpty() && only->passes({ContactValue::Other, number})) ||
                std::any_of(values.cbegin(), values.cend(), [&](const ContactValue& v) { return only->passes(v); });
            if (!wanted)
                continue;
        }
        ContactRecord contact;
        contact.firstName = person.first;
        contact.lastName = person.last;
        contact.organization = person.organization;
        const auto link = firstLink.constFind(person.rowId);
        if (link != firstLink.constEnd())
            contact.number = numberLinks.at(link.value()).value;
        contact.number.replace('-', QByteArray());
        contact.values = valuesOf.value(person.rowId);
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
            if (!contact.number.isEmpty())
                contact.values.append(backupValue(contact.number));
            contacts.append(contact);
        }
        sqlite3_finalize(stmt);
    }
    const int rc = m_db ? sqlite3_close(m_db) : SQLITE_OK;
    m_db = nullptr;
    return rc;
}

namespace {

// Names of one fill: each distinct address and handle is looked up once,
// and every record of a conversation shares its one name buffer.
class NameFill
{
public:
    NameFill(const MessageStore& store, const ContactStore& contacts)
        : m_store(store), m_contacts(contacts.contacts),
          m_lookup(m_contacts, store.layout() == MessageLayout::Modern ? ContactLookup::Rules::NumbersOnly
                                                                       : ContactLookup::Rules::LegacyFirst)
    {
    }

    QByteArray conversationName(const QByteArray& address)
    {
        const auto known = m_conversationNames.constFind(address);
        if (known != m_conversationNames.constEnd())
            return known.value();
        QByteArray name;
        const ConversationInfo* info = m_store.conversationInfo(address);
        if (info && info->isGroup) {
            name = info->displayName.isEmpty() ? memberList(info->members) : info->displayName;
            for (const QByteArray& member : info->members)
                m_handles.insert(member);
        } else {
            const int found = m_lookup.find(address, m_store.handleCountry(address));
            if (found >= 0)
                name = contactDisplayName(m_contacts.at(found));
        }
        if (name.isEmpty())
            name = QByteArrayLiteral("NULL");
        m_conversationNames.insert(address, name);
        return name;
    }

    // A person's name as it stands beside others, in a group's name or
    // above a bubble: without the blank that a missing part leaves.
    QByteArray personName(const QByteArray& handle)
    {
        const auto known = m_personNames.constFind(handle);
        if (known != m_personNames.constEnd())
            return known.value();
        const int found = m_lookup.find(handle, m_store.handleCountry(handle));
        const QByteArray name = found >= 0 ? contactDisplayName(m_contacts.at(found)).trimmed() : QByteArray();
        m_personNames.insert(handle, name);
        return name;
    }

    void noteSender(const QByteArray& handle)
    {
        if (!handle.isEmpty())
            m_handles.insert(handle);
    }

    QSet<QByteArray> handles() const { return m_handles; }

private:
    QByteArray memberList(const QVector<QByteArray>& members)
    {
        QByteArray list;
        for (const QByteArray& member : members) {
            const QByteArray name = personName(member);
            if (!list.isEmpty())
                list += ", ";
            list += name.isEmpty() ? member : name;
        }
        return list;
    }

    const MessageStore& m_store;
    const QVector<ContactRecord>& m_contacts;
    ContactLookup m_lookup;
    QHash<QByteArray, QByteArray> m_conversationNames;
    QHash<QByteArray, QByteArray> m_personNames;
    QSet<QByteArray> m_handles;
};

} // namespace

void fillContactNames(MessageStore& messages, const ContactStore& contacts)
{
    NameFill fill(messages, contacts);
    // Records of one conversation mostly stand together: the previous
    // record's name is reused without a lookup while the address repeats.
    QByteArray lastAddress;
    QByteArray lastName;
    bool haveLast = false;
    for (MessageRecord& record : messages.messages) {
        if (!haveLast || record.address != lastAddress) {
            lastAddress = record.address;
            lastName = fill.conversationName(record.address);
            haveLast = true;
        }
        record.contactName = lastName;
        fill.noteSender(record.sender);
    }
    const QSet<QByteArray> handles = fill.handles();
    for (const QByteArray& handle : handles)
        messages.setSenderName(handle, fill.personName(handle));
}
