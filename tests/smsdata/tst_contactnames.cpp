// Who a message address belongs to: phone numbers matched as numbers, e-mail
// addresses in any letter case, the old last-11-bytes rule first for sources
// of the old layout, and the names a fill gives to conversations, groups and
// senders.

#include "ContactLookup.h"
#include "ContactStore.h"
#include "Fixtures.h"
#include "MessageStore.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

ContactRecord person(const char* first, const char* last, const QVector<ContactValue>& values,
                     const QByteArray& organization = {})
{
    ContactRecord c(first, last, {});
    c.organization = organization;
    c.values = values;
    // As the book reader gives it: the first value, dashes removed.
    if (!values.isEmpty())
        c.number = QByteArray(values.first().value).replace('-', QByteArray());
    return c;
}

ContactValue phone(const QString& value)
{
    return {ContactValue::Phone, value.toUtf8()};
}

ContactValue email(const char* value)
{
    return {ContactValue::Email, value};
}

MessageRecord record(qint64 rowId, const QByteArray& address, const QByteArray& sender = {})
{
    MessageRecord r;
    r.rowId = rowId;
    r.address = address;
    r.sender = sender;
    r.isIncoming = !sender.isEmpty();
    return r;
}

// Restores the default locale however a test ends.
struct DefaultLocale
{
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(saved); }
    QLocale saved = QLocale();
};

} // namespace

class ContactNamesTest : public QObject
{
    Q_OBJECT

private:
    // A store with no file: its records and conversations are set up by hand,
    // as the message readers would fill them.
    std::unique_ptr<MessageStore> emptyStore()
    {
        return std::make_unique<MessageStore>(m_dir.filePath(QStringLiteral("none.db")).toUtf8());
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void numbersMatchAsNumbers_data()
    {
        QTest::addColumn<QString>("bookValue");
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<QByteArray>("region");
        QTest::addColumn<bool>("match");

        QTest::newRow("brackets and no-break space, handle's country")
            << QStringLiteral("(209)\u00a0598-1933") << QByteArray("+12095981933") << QByteArray("us") << true;
        QTest::newRow("brackets, country from the handle's own code")
            << QStringLiteral("(209) 598-1933") << QByteArray("+12095981933") << QByteArray() << true;
        QTest::newRow("international with blanks and dashes")
            << QStringLiteral("+1 209-598-1933") << QByteArray("+12095981933") << QByteArray() << true;
        QTest::newRow("national with trunk zero")
            << QStringLiteral("0341234567") << QByteArray("+49341234567") << QByteArray("de") << true;
        QTest::newRow("no-break spaces inside an international number")
            << QStringLiteral("+86\u00a0138\u00a00013\u00a08000") << QByteArray("+8613800138000") << QByteArray()
            << true;
        QTest::newRow("national handle, international book")
            << QStringLiteral("+1 (209) 598-1933") << QByteArray("2095981933") << QByteArray("us") << true;
        QTest::newRow("extension in the book")
            << QStringLiteral("209-598-1933 x12") << QByteArray("+12095981933") << QByteArray("us") << true;
        QTest::newRow("full-width digits")
            << QStringLiteral("\uff0b\uff11 209 598 1933") << QByteArray("+12095981933") << QByteArray() << true;
        QTest::newRow("same digits, other country")
            << QStringLiteral("+44 20 9598 1933") << QByteArray("+12095981933") << QByteArray() << false;
        QTest::newRow("national number belongs to the owner's country")
            << QStringLiteral("(209) 598-1933") << QByteArray("+442095981933") << QByteArray("us") << false;
        QTest::newRow("owner abroad: national number of the owner's country")
            << QStringLiteral("(209) 598-1933") << QByteArray("+12095981933") << QByteArray("de") << false;
        QTest::newRow("owner's country unknown: national number read as the handle's")
            << QStringLiteral("020 9598 1933") << QByteArray("+442095981933") << QByteArray() << true;

        QTest::newRow("one digit differs")
            << QStringLiteral("(209) 598-1934") << QByteArray("+12095981933") << QByteArray("us") << false;
        QTest::newRow("number without its area code")
            << QStringLiteral("598-1933") << QByteArray("+12095981933") << QByteArray("us") << false;
        QTest::newRow("short code equal") << QStringLiteral("40404") << QByteArray("40404") << QByteArray("us") << true;
        QTest::newRow("short code inside a stranger's number")
            << QStringLiteral("(209) 404-0404") << QByteArray("40404") << QByteArray("us") << false;
        QTest::newRow("short code at the end of a stranger's number")
            << QStringLiteral("+1 404-004-0404") << QByteArray("40404") << QByteArray("us") << false;
        QTest::newRow("short number suffix of a long one")
            << QStringLiteral("13800010086") << QByteArray("10086") << QByteArray("cn") << false;
        QTest::newRow("alphanumeric sender is no keypad number")
            << QStringLiteral("835-62") << QByteArray("telma") << QByteArray("us") << false;
        QTest::newRow("alphanumeric sender with digits")
            << QStringLiteral("24") << QByteArray("BANK24") << QByteArray("us") << false;
        QTest::newRow("odd country code is ignored")
            << QStringLiteral("(209) 598-1933") << QByteArray("+12095981933") << QByteArray("u$s") << true;
    }
    void numbersMatchAsNumbers()
    {
        QFETCH(QString, bookValue);
        QFETCH(QByteArray, address);
        QFETCH(QByteArray, region);
        QFETCH(bool, match);

        const QVector<ContactRecord> contacts = {person("Stranger", "A", {phone(QStringLiteral("+61 2 9999 0000"))}),
                                                 person("Probe", "B", {phone(bookValue)})};
        for (const auto rules : {ContactLookup::Rules::NumbersOnly, ContactLookup::Rules::LegacyFirst}) {
            ContactLookup lookup(contacts, rules, QByteArray());
            QCOMPARE(lookup.find(address, region), match ? 1 : -1);
        }
    }

    void emailsMatchWholeInAnyCase_data()
    {
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<int>("expected");
        QTest::newRow("same") << QByteArray("anna@example.org") << 1;
        QTest::newRow("other letter case") << QByteArray("Anna@Example.ORG") << 1;
        QTest::newRow("book value in capitals") << QByteArray("bo.wu@mail.example") << 2;
        QTest::newRow("same domain, other person") << QByteArray("bob@example.org") << -1;
        QTest::newRow("stored as the person's number only") << QByteArray("li@example.cn") << 3;
        QTest::newRow("an e-mail is no phone number") << QByteArray("209598@1933") << -1;
    }
    void emailsMatchWholeInAnyCase()
    {
        QFETCH(QByteArray, address);
        QFETCH(int, expected);
        // The last 11 bytes of every address here agree with someone's: the
        // old rule must not name the wrong person by the domain.
        const QVector<ContactRecord> contacts = {
            person("Zed", "Z", {phone(QStringLiteral("209598-1933"))}),
            person("Anna", "A", {email("anna@example.org")}),
            person("Bo", "W", {phone(QStringLiteral("10086")), email("BO.WU@MAIL.EXAMPLE")}),
            ContactRecord("Li", "L", "li@example.cn"),
        };
        for (const auto rules : {ContactLookup::Rules::NumbersOnly, ContactLookup::Rules::LegacyFirst}) {
            ContactLookup lookup(contacts, rules, QByteArray());
            QCOMPARE(lookup.find(address), expected);
        }
    }

    void legacyRuleDecidesFirstForOldSources()
    {
        // Same last 11 digits, other country: the old rule names the person,
        // matching as numbers does not.
        const QVector<ContactRecord> contacts = {person("Far", "F", {phone(QStringLiteral("+8613800138000"))}),
                                                 person("Near", "N", {phone(QStringLiteral("+44 1380 013 8000"))})};
        ContactLookup legacy(contacts, ContactLookup::Rules::LegacyFirst, QByteArray());
        ContactLookup modern(contacts, ContactLookup::Rules::NumbersOnly, QByteArray());
        QCOMPARE(legacy.find("+4413800138000"), 0);
        QCOMPARE(modern.find("+4413800138000"), 1);
        // Where the old rule finds no one, numbers decide for old sources too.
        QCOMPARE(legacy.find("+44 (1380) 0138000"), 1);
    }

    void firstInBookOrderWins()
    {
        const QVector<ContactRecord> contacts = {
            person("Nobody", "N", {}),
            person("Mail", "M", {email("x@y.org"), phone(QStringLiteral("(209) 598-1933"))}),
            person("Again", "A", {phone(QStringLiteral("+1 209 598 1933"))}),
        };
        ContactLookup lookup(contacts, ContactLookup::Rules::NumbersOnly, QByteArray("US"));
        QCOMPARE(lookup.find("+12095981933"), 1);
        QCOMPARE(lookup.find("2095981933"), 1);
        QCOMPARE(lookup.find(""), -1);
    }

    void defaultRegionComesFromTheLocale()
    {
        // Two national forms of one German number agree only when read as
        // German numbers: the trunk zero is not part of the number.
        const QVector<ContactRecord> contacts = {person("Werk", "S", {phone(QStringLiteral("341 234567"))})};
        {
            DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
            QCOMPARE(ContactLookup::systemRegion(), QByteArray("DE"));
            ContactLookup lookup(contacts, ContactLookup::Rules::NumbersOnly);
            QCOMPARE(lookup.find("0341234567"), 0);
        }
        {
            DefaultLocale none(QLocale::c());
            QVERIFY(ContactLookup::systemRegion().isEmpty());
            ContactLookup lookup(contacts, ContactLookup::Rules::NumbersOnly);
            QCOMPARE(lookup.find("0341234567"), -1);
            // The handle's own country wins over the locale's.
            QCOMPARE(lookup.find("0341234567", "de"), 0);
        }
    }

    void displayNames()
    {
        QCOMPARE(contactDisplayName(ContactRecord("Ann", "Lee", {})), QByteArray("Lee Ann"));
        QCOMPARE(contactDisplayName(ContactRecord("Ann", "", {})), QByteArray(" Ann"));
        ContactRecord firm("", "", {});
        firm.organization = "Acme Ltd";
        QCOMPARE(contactDisplayName(firm), QByteArray("Acme Ltd"));
        firm.lastName = "Roe";
        QCOMPARE(contactDisplayName(firm), QByteArray("Roe "));
        QCOMPARE(contactDisplayName(ContactRecord()), QByteArray(" "));
    }

    void fillNamesConversationsAndGroups()
    {
        auto store = emptyStore();
        ContactStore contacts(QByteArray("unused"));
        contacts.contacts = {
            person("Anna", "Berg", {email("anna@example.org"), phone(QStringLiteral("(209)\u00a0598-1933"))}),
            person("", "", {phone(QStringLiteral("+1 209-555-0100"))}, "Acme Ltd"),
            person("Bo", "Wu", {phone(QStringLiteral("0341 234567"))}),
        };
        store->messages = {
            record(1, "+12095981933", "+12095981933"),
            record(2, "chat111", "+12095550100"),
            record(3, "Anna@Example.org", "Anna@Example.org"),
            record(4, "chat222", "+12095981933"),
            record(5, "+12095981933"),
            record(6, "chat111", "+19995550000"),
            record(7, "chat222"),
            record(8, "40404", "40404"),
            record(9, "chat333"),
            record(10, "+49341234567"),
            record(11, ""),
        };
        store->setHandleCountry("+12095981933", "us");
        store->setHandleCountry("+49341234567", "de");
        store->setConversationInfo("chat111", {true, "Bowling 🎳", {"+12095550100", "+19995550000"}});
        store->setConversationInfo("chat222", {true, {}, {"+12095981933", "+19995550000", "+12095550100"}});
        store->setConversationInfo("chat333", {true, {}, {}});
        store->setConversationInfo("+12095981933", {false, {}, {"+12095981933"}});
        fillContactNames(*store, contacts);

        const QByteArray anna = "Berg Anna";
        const QByteArray group2 = "Berg Anna, +19995550000, Acme Ltd";
        QList<QByteArray> names;
        for (const MessageRecord& m : std::as_const(store->messages))
            names.append(m.contactName);
        QCOMPARE(names, QList<QByteArray>({anna, "Bowling 🎳", anna, group2, anna, "Bowling 🎳", group2, "NULL", "NULL",
                                           "Wu Bo", "NULL"}));

        // One buffer per conversation, wherever its records stand.
        QCOMPARE(store->messages.at(0).contactName.constData(), store->messages.at(4).contactName.constData());
        QCOMPARE(store->messages.at(3).contactName.constData(), store->messages.at(6).contactName.constData());
        QCOMPARE(store->messages.at(1).contactName.constData(), store->messages.at(5).contactName.constData());

        // Every member and sender has its name, or an empty one.
        QCOMPARE(store->senderName("+12095981933"), anna);
        QCOMPARE(store->senderName("+12095550100"), QByteArray("Acme Ltd"));
        QCOMPARE(store->senderName("Anna@Example.org"), anna);
        QCOMPARE(store->senderName("40404"), QByteArray());
        QCOMPARE(store->senderName("+19995550000"), QByteArray());

        // A second fill over other contacts leaves nothing of the first.
        contacts.contacts = {person("Anna", "Berg", {phone(QStringLiteral("+12095550100"))})};
        fillContactNames(*store, contacts);
        QCOMPARE(store->messages.at(0).contactName, QByteArray("NULL"));
        QCOMPARE(store->messages.at(6).contactName, QByteArray("+12095981933, +19995550000, Berg Anna"));
        QCOMPARE(store->senderName("+12095981933"), QByteArray());
        QCOMPARE(store->senderName("+12095550100"), anna);
    }

    void memberNamesFromBackupRowsLoseTheirLeadingBlank()
    {
        auto store = emptyStore();
        ContactStore contacts(QByteArray("unused"));
        // Rows of a backup's contact table: the whole name as first name.
        contacts.contacts = {ContactRecord("Anna Berg", "", "+12095981933")};
        contacts.contacts[0].values = {phone(QStringLiteral("+12095981933"))};
        store->messages = {record(1, "chat9", "+12095981933"), record(2, "+12095981933")};
        store->setConversationInfo("chat9", {true, {}, {"+12095981933", "+15550001111"}});
        fillContactNames(*store, contacts);
        QCOMPARE(store->messages.at(0).contactName, QByteArray("Anna Berg, +15550001111"));
        QCOMPARE(store->messages.at(1).contactName, QByteArray(" Anna Berg"));
        QCOMPARE(store->senderName("+12095981933"), QByteArray("Anna Berg"));
    }

    void personWithEmailFirstIsFoundByPhoneInOldFiles()
    {
        const QString smsPath =
            fixtures::makeMessageDb(m_dir.filePath(QStringLiteral("old.db")),
                                    {{1, QStringLiteral("+12095981933"), 0, QStringLiteral("hi"), 2},
                                     {2, QStringLiteral("13800138000"), 0, QStringLiteral("hi"), 2},
                                     {3, QStringLiteral("amelie@example.org"), 0, QStringLiteral("hi"), 2}});
        const QString book = fixtures::makeAddressBook(
            m_dir.filePath(QStringLiteral("old.sqlitedb")),
            {{QStringLiteral("Amélie"),
              QStringLiteral("Dupont"),
              {{4, QStringLiteral("amelie@example.org")}, {3, QStringLiteral("(209) 598-1933")}}},
             {QStringLiteral("Ming"),
              QStringLiteral("Li"),
              {{4, QStringLiteral("li@example.cn")}, {3, QStringLiteral("138-0013-8000")}}}});
        MessageStore messages(smsPath.toUtf8());
        ContactStore contacts(book.toUtf8());
        fillContactNames(messages, contacts);
        const QByteArray amelie = QStringLiteral("Dupont Amélie").toUtf8();
        QCOMPARE(messages.messages.at(0).contactName, amelie);
        QCOMPARE(messages.messages.at(1).contactName, QByteArray("Li Ming"));
        QCOMPARE(messages.messages.at(2).contactName, amelie);
        closeLastMessageDatabase();
    }
};

QTEST_GUILESS_MAIN(ContactNamesTest)
#include "tst_contactnames.moc"
