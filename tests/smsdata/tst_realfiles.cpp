// What real phones' files hold beyond the tidy cases: multimedia messages of
// the legacy layout (a sent one without an address, texts in their parts),
// several persons with one number (a nameless one first), files whose
// content lies only in their write-ahead log, reading one conversation
// alone, and stores that are given no file at all.

#include "ContactLookup.h"
#include "ContactStore.h"
#include "Fixtures.h"
#include "LegacyMessageTable.h"
#include "MessageStore.h"
#include "ModernFixtures.h"
#include "StdoutCapture.h"

#include "FuzzEntries.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray recipientsPlist(const QList<QByteArray>& numbers)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                     "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<array>\n";
    for (const QByteArray& number : numbers)
        xml += "\t<string>" + number + "</string>\n";
    return xml + "</array>\n</plist>\n";
}

QString sqlBlob(const QByteArray& bytes)
{
    return QStringLiteral("X'%1'").arg(QString::fromLatin1(bytes.toHex()));
}

// The record with this row id, or null.
const MessageRecord* recordOf(const MessageStore& store, qint64 rowId)
{
    for (const MessageRecord& r : store.messages) {
        if (r.rowId == rowId)
            return &r;
    }
    return nullptr;
}

} // namespace

class RealFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void legacyMultimediaMessages();
    void recipientsOfAnyShapeAreSafe();
    void namelessPersonNeverHidesANamedOne();
    void namelessPersonNamesWhenAlone();
    void storeGivenNoFileSaysNothing();
    void oneConversationReadsLikeTheWhole_data();
    void oneConversationReadsLikeTheWhole();
    void contentOnlyInTheLogIsRead();
    void countsAgreeWithAWholeRead_data();
    void countsAgreeWithAWholeRead();
    void bookReadForOneConversationNamesAlike_data();
    void bookReadForOneConversationNamesAlike();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString makeLegacyMms(const QString& name) const;

    QTemporaryDir m_dir;
};

void RealFilesTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

// Row 1 an incoming SMS; 2 a sent MMS to "138-0013-8000" (in recipients)
// with text, picture, text; 3 an incoming MMS with an empty text, picture
// then text; 4 a sent MMS without recipients whose msg_group names the
// number; 5 a sent MMS with damaged recipients and the same group; 6 a sent
// one with nothing that names anyone; 7 an SMS with its own text and a
// stray text part; 8 an iMessage of iOS 5 (no address, its handle in
// madrid_handle, a group of its own and a stray part); 9 a row that is no
// multimedia message (no address, no recipients, no parts) in group 2.
// Rows 8 and 9 keep the address rule: no key.
QString RealFilesTest::makeLegacyMms(const QString& name) const
{
    const QString statements =
        QStringLiteral(
            "insert into msg_group (ROWID, type) values (1, 0), (2, 0), (3, 0);"
            "insert into group_member (group_id, address) values (1, '13800138000'), (2, ''), "
            "(2, '+447700-900123'), (3, '+15550100');"
            "insert into message (ROWID, address, date, text, flags, group_id) values "
            "(1, '13800138000', 1262304000, 'Are you there?', 2, 1);"
            "insert into message (ROWID, address, date, text, flags, group_id, recipients) values "
            "(2, NULL, 1262304060, NULL, 3, 1, %1);"
            "insert into message (ROWID, address, date, text, flags, group_id) values "
            "(3, '138-0013-8000', 1262304120, '', 2, 1);"
            "insert into message (ROWID, address, date, text, flags, group_id, recipients) values "
            "(4, NULL, 1262304180, NULL, 3, 2, NULL), (5, NULL, 1262304240, NULL, 3, 2, X'3c3f786d6c'), "
            "(6, NULL, 1262304300, NULL, 3, NULL, NULL), (7, '10086', 1262304360, 'Balance: 5', 2, NULL, NULL);"
            "insert into msg_pieces (message_id, data, part_id, content_type, content_loc) values "
            "(2, 'at this', 2, 'text/plain', 'text_0002.txt'), (2, 'Look', 0, 'text/plain', 'text_0000.txt'), "
            "(2, NULL, 1, 'image/jpeg', 'IMG_3766.jpg'), (2, NULL, 3, 'application/smil', NULL), "
            "(3, NULL, 0, 'image/jpeg', 'IMG_0001.jpg'), (3, X'46726f6d206d65', 1, 'text/plain', NULL), "
            "(4, 'To the group member', 0, 'TEXT/PLAIN', NULL), (5, NULL, 0, 'video/3gpp', 'VID_7.3gp'), "
            "(7, 'stray', 0, 'text/plain', NULL), (8, 'not mine', 0, 'text/plain', NULL);"
            "insert into message (ROWID, address, date, text, flags, group_id, recipients, is_madrid, "
            "madrid_handle) values (8, NULL, 1262304420, 'Sent as iMessage', 0, 3, NULL, 1, '+15550100'), "
            "(9, NULL, 1262304480, 'Draft', 3, 2, NULL, 0, NULL);")
            .arg(sqlBlob(recipientsPlist({"138-0013-8000", "+8613900139000"})));
    return fixtures::makeFromSchema(path(name), QStringLiteral("legacy-sms-ios5.sql"), statements);
}

void RealFilesTest::legacyMultimediaMessages()
{
    const QString file = makeLegacyMms(QStringLiteral("mms.db"));
    MessageStore store(file.toUtf8(), StoreAccess::ReadOnly);
    QCOMPARE(store.layout(), MessageLayout::Legacy);
    QCOMPARE(store.messages.size(), 9);

    struct Expected
    {
        qint64 rowId;
        const char* address;
        const char* text;
        bool incoming;
    };
    const Expected expected[] = {
        {1, "13800138000", "Are you there?", true},
        // Text parts in part order, a picture by its name, the layout part not at all.
        {2, "13800138000", "Look [IMG_3766.jpg] at this", false},
        {3, "13800138000", "[IMG_0001.jpg] From me", true},
        // The group's first member with an address; its text part's type in capitals.
        {4, "+447700900123", "To the group member", false},
        // Damaged recipients: the group decides.
        {5, "+447700900123", "[VID_7.3gp]", false},
        {6, "", "", false},
        {7, "10086", "Balance: 5", true},
        // Not multimedia messages: neither the group nor the parts count.
        {8, "", "Sent as iMessage", false},
        {9, "", "Draft", false},
    };
    for (const Expected& e : expected) {
        const MessageRecord* r = recordOf(store, e.rowId);
        QVERIFY2(r, qPrintable(QString::number(e.rowId)));
        QCOMPARE(r->address, QByteArray(e.address));
        QCOMPARE(r->text, QByteArray(e.text));
        QCOMPARE(r->isIncoming, e.incoming);
    }

    // The sent MMS is in its recipient's conversation, beside the SMS.
    store.buildConversationList();
    store.selectConversation("13800138000");
    QCOMPARE(store.conversation.size(), 3);
    QCOMPARE(store.messageCountOf("+447700900123"), 2);
}

void RealFilesTest::recipientsOfAnyShapeAreSafe()
{
    const QByteArray good = recipientsPlist({" 138-0013-8000 ", "10086"});
    QCOMPARE(legacytable::firstRecipient(good), QByteArray("138-0013-8000"));
    QCOMPARE(legacytable::firstRecipient(recipientsPlist({})), QByteArray());
    QCOMPARE(legacytable::firstRecipient("<plist><dict><key>a</key><string>1</string></dict></plist>"), QByteArray());
    // Not strings: passed over for the first string.
    QCOMPARE(legacytable::firstRecipient("<plist><array><integer>5</integer><string>95555</string></array></plist>"),
             QByteArray("95555"));
    // A cell far larger than any list of numbers is not parsed.
    QCOMPARE(legacytable::firstRecipient(recipientsPlist({QByteArray(70000, '1')})), QByteArray());
    // A string with NUL bytes inside (the parser's own string copy asserts
    // on it) gives at most its bytes; a list nested beyond any real one is
    // not parsed.
    const QByteArray withNul =
        legacytable::firstRecipient(QByteArray("<plist><array><string>138-\0\0x</string></array></plist>", 54));
    QVERIFY(withNul.startsWith("138-") && withNul.size() <= 7);
    QCOMPARE(legacytable::firstRecipient(QByteArray("<plist>") + QByteArray("<array>").repeated(2000) +
                                         QByteArray("<string>1</string>") + QByteArray("</array>").repeated(2000) +
                                         QByteArray("</plist>")),
             QByteArray());

    // Every truncation, and random bytes: no crash, and never a made-up number.
    for (int size = 0; size < good.size(); ++size) {
        const QByteArray cut = legacytable::firstRecipient(good.left(size));
        QVERIFY(cut.isEmpty() || cut == "138-0013-8000");
    }
    QRandomGenerator random(21);
    for (int i = 0; i < 500; ++i) {
        QByteArray noise(int(random.bounded(1, 400)), '\0');
        for (char& c : noise)
            c = char(random.bounded(256));
        if (i % 2)
            noise.prepend("bplist00");
        const QByteArray cut = good.left(int(random.bounded(good.size()))) + noise;
        for (const QByteArray& input : {noise, cut})
            QCOMPARE(fuzzentries::recipients(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size())),
                     0);
    }
}

void RealFilesTest::namelessPersonNeverHidesANamedOne()
{
    // Book order: a nameless person, one whose names are only spaces, then
    // named persons of the same number and e-mail address, then one named
    // only by organisation.
    const QString book = fixtures::makeAddressBook(
        path(QStringLiteral("shared.sqlitedb")),
        {{QVariant(), QVariant(), {{3, QStringLiteral("1-209-598-1933")}, {4, QStringLiteral("anna@example.org")}}},
         {QStringLiteral(""), QVariant(), {{3, QStringLiteral("95555")}}},
         {QStringLiteral("  "),
          QStringLiteral(" \t"),
          {{3, QStringLiteral("(209) 598-1933")},
           {4, QStringLiteral("anna@example.org")},
           {3, QStringLiteral("95555")}},
          QStringLiteral("   ")},
         {QStringLiteral("Anna"), QStringLiteral("Berg"), {{3, QStringLiteral("+1 209-598-1933")}}},
         {QStringLiteral("Ann"), QStringLiteral("Other"), {{4, QStringLiteral("ANNA@example.org")}}},
         {QVariant(), QVariant(), {{3, QStringLiteral("95555")}}, QStringLiteral("Bank of Shanghai")}},
        fixtures::BookSchema::Ios9);
    ContactStore contacts(book.toUtf8());
    QCOMPARE(contacts.contacts.size(), 6);
    QVERIFY(!hasName(contacts.contacts.at(2)));

    for (const auto rules : {ContactLookup::Rules::LegacyFirst, ContactLookup::Rules::NumbersOnly}) {
        ContactLookup lookup(contacts.contacts, rules, "US");
        auto nameOf = [&](const QByteArray& address) {
            const int i = lookup.find(address);
            return i < 0 ? QByteArray("(none)") : contactDisplayName(contacts.contacts.at(i));
        };
        QCOMPARE(nameOf("+12095981933"), QByteArray("Berg Anna"));
        QCOMPARE(nameOf("2095981933"), QByteArray("Berg Anna"));
        QCOMPARE(nameOf("anna@example.org"), QByteArray("Other Ann"));
        QCOMPARE(nameOf("95555"), QByteArray("Bank of Shanghai"));
    }

    // Through a legacy file's name fill, where the last-11-bytes rule finds
    // the nameless person first.
    const QString sms = fixtures::makeMessageDb(
        path(QStringLiteral("shared-sms.db")), {{1, QStringLiteral("12095981933"), 1262304000, QStringLiteral("Hi"), 2},
                                                {2, QStringLiteral("95555"), 1262304060, QStringLiteral("Due"), 2}});
    MessageStore store(sms.toUtf8());
    fillContactNames(store, contacts);
    QCOMPARE(store.messages.at(0).contactName, QByteArray("Berg Anna"));
    QCOMPARE(store.messages.at(1).contactName, QByteArray("Bank of Shanghai"));
}

void RealFilesTest::namelessPersonNamesWhenAlone()
{
    // With nobody else of that number, the nameless person is still the one
    // found, as before: what it shows is the caller's affair.
    QVector<ContactRecord> contacts{{QByteArray(), QByteArray(), "13800138000"}, {"Li", "Ming", "13900139000"}};
    contacts[0].values = {{ContactValue::Phone, "13800138000"}};
    contacts[1].values = {{ContactValue::Phone, "13900139000"}};
    ContactLookup lookup(contacts, ContactLookup::Rules::LegacyFirst, "CN");
    QCOMPARE(lookup.find("13800138000"), 0);
    QCOMPARE(lookup.find("13900139000"), 1);
    QVERIFY(!hasName(contacts.at(0)));
    QVERIFY(hasName(contacts.at(1)));
}

void RealFilesTest::storeGivenNoFileSaysNothing()
{
    // A source without an address book (a ".sms" backup read as a phone's
    // book first, a phone backup without one) is not a failed open.
    StdoutCapture quiet;
    ContactStore none{QByteArray()};
    none.readPhoneAddressBook(QByteArray(), QByteArray());
    QVERIFY(none.contacts.isEmpty());
    const QString backup = fixtures::makeBackupFile(path(QStringLiteral("quiet.sms")),
                                                    {{1, QStringLiteral("10086"), 1262304000, QStringLiteral("x"), 2}},
                                                    {{QStringLiteral("China Mobile"), QStringLiteral("10086")}});
    // The backup file read as a phone's book finds no tables: nothing to say either.
    none.readPhoneAddressBook(backup.toUtf8());
    QCOMPARE(none.readBackupAddressBook(backup.toUtf8()), 0);
    QCOMPARE(none.contacts.size(), 1);
    QCOMPARE(quiet.text(), QByteArray());

    // A named file that is not there is still a failed open, and says so.
    StdoutCapture loud;
    ContactStore missing(path(QStringLiteral("gone.sqlitedb")).toUtf8());
    QCOMPARE(loud.text(), QByteArray("数据库打开失败\n"));
}

void RealFilesTest::oneConversationReadsLikeTheWhole_data()
{
    QTest::addColumn<QString>("file");
    QTemporaryDir* dir = &m_dir;
    const QString modern = modernfixtures::makeModernDb(dir->filePath(QStringLiteral("whole-modern.db")),
                                                        modernfixtures::sample(modernfixtures::Schema::Ios17),
                                                        modernfixtures::Schema::Ios17);
    QTest::newRow("modern") << modern;
    QTest::newRow("legacy") << fixtures::makeMessageDb(dir->filePath(QStringLiteral("whole-legacy.db")),
                                                       fixtures::sampleMessages());
    QTest::newRow("legacy mms") << makeLegacyMms(QStringLiteral("whole-mms.db"));
}

void RealFilesTest::oneConversationReadsLikeTheWhole()
{
    QFETCH(QString, file);
    MessageStore whole(file.toUtf8(), StoreAccess::ReadOnly);
    whole.buildConversationList();
    QVERIFY(whole.conversationHeads.size() > 1);
    QList<QByteArray> keys;
    // An empty key asks for no conversation in particular: the whole file.
    for (const MessageRecord& head : std::as_const(whole.conversationHeads)) {
        if (!head.address.isEmpty())
            keys.append(head.address);
    }
    keys.append("nobody-has-this'key");
    for (const QByteArray& key : std::as_const(keys)) {
        whole.selectConversation(key);
        ReadOptions options;
        options.access = StoreAccess::ReadOnly;
        options.onlyConversation = key;
        MessageStore one(file.toUtf8(), options);
        QCOMPARE(one.messages.size(), whole.conversation.size());
        for (int i = 0; i < one.messages.size(); ++i) {
            const MessageRecord& a = one.messages.at(i);
            const MessageRecord& b = whole.conversation.at(i);
            QCOMPARE(a.rowId, b.rowId);
            QCOMPARE(a.address, b.address);
            QCOMPARE(a.text, b.text);
            QCOMPARE(a.sender, b.sender);
            QCOMPARE(a.time, b.time);
            QCOMPARE(a.isIncoming, b.isIncoming);
            QCOMPARE(a.flags, b.flags);
            QCOMPARE(one.reactionsTo(a.rowId).size(), whole.reactionsTo(b.rowId).size());
        }
        if (!one.messages.isEmpty())
            QCOMPARE(one.eventsOf(key).size(), whole.eventsOf(key).size());
    }
}

void RealFilesTest::contentOnlyInTheLogIsRead()
{
    QTemporaryDir phone;
    const QString legacy = makeLegacyMms(QStringLiteral("log-source.db"));
    const QString book = fixtures::makeAddressBook(path(QStringLiteral("log-book.sqlitedb")), fixtures::samplePeople(),
                                                   fixtures::BookSchema::Ios15);
    const QString smsCopy = phone.filePath(QStringLiteral("sms.db"));
    const QString bookCopy = phone.filePath(QStringLiteral("AddressBook.sqlitedb"));
    QVERIFY(fixtures::walFormCopy(legacy, smsCopy));
    QVERIFY(fixtures::walFormCopy(book, bookCopy));
    QVERIFY(QFileInfo(smsCopy).size() <= 4096);
    QVERIFY(!QFileInfo::exists(smsCopy + QStringLiteral("-shm")));
    const QByteArray before = fixtures::folderDigest(phone.path());

    MessageStore original(legacy.toUtf8(), StoreAccess::ReadOnly);
    MessageStore copy(smsCopy.toUtf8(), StoreAccess::ReadOnly);
    QCOMPARE(copy.layout(), MessageLayout::Legacy);
    QCOMPARE(copy.messages.size(), original.messages.size());
    for (int i = 0; i < copy.messages.size(); ++i) {
        QCOMPARE(copy.messages.at(i).address, original.messages.at(i).address);
        QCOMPARE(copy.messages.at(i).text, original.messages.at(i).text);
    }
    ContactStore originalBook(book.toUtf8());
    ContactStore copiedBook(bookCopy.toUtf8());
    QCOMPARE(copiedBook.contacts.size(), originalBook.contacts.size());
    QVERIFY(copiedBook.contacts.size() > 3);
    for (int i = 0; i < copiedBook.contacts.size(); ++i)
        QCOMPARE(contactDisplayName(copiedBook.contacts.at(i)), contactDisplayName(originalBook.contacts.at(i)));
    copy.close();

    QCOMPARE(fixtures::folderDigest(phone.path()), before);
}

void RealFilesTest::countsAgreeWithAWholeRead_data()
{
    QTest::addColumn<QString>("file");
    using modernfixtures::Schema;
    for (const auto& [name, schema] : {std::pair<const char*, Schema>{"iOS 9", Schema::Ios9},
                                       {"iOS 13", Schema::Ios13},
                                       {"iOS 17", Schema::Ios17},
                                       {"reduced", Schema::Reduced}}) {
        QTest::newRow(name) << modernfixtures::makeModernDb(m_dir.filePath(QStringLiteral("count-%1.db").arg(name)),
                                                            modernfixtures::sample(schema), schema);
    }
    QTest::newRow("legacy") << fixtures::makeMessageDb(m_dir.filePath(QStringLiteral("count-legacy.db")),
                                                       fixtures::sampleMessages(), fixtures::SmsSchema::Ios5);
    QTest::newRow("legacy mms") << makeLegacyMms(QStringLiteral("count-mms.db"));
    QTest::newRow("not a database") << m_dir.filePath(QStringLiteral("no-such.db"));
}

void RealFilesTest::countsAgreeWithAWholeRead()
{
    QFETCH(QString, file);
    ReadOptions options;
    options.access = StoreAccess::ReadOnly;
    // A missing file is reported by both; that line is not this test's business.
    StdoutCapture reports;
    MessageStore whole(file.toUtf8(), options);
    whole.buildConversationList();
    const MessageCounts counts = countMessages(file.toUtf8(), options);
    reports.text();
    QCOMPARE(counts.layout, whole.layout());
    QCOMPARE(counts.messages, qint64(whole.messages.size()));
    QCOMPARE(counts.conversations, qint64(whole.conversationHeads.size()));
    if (whole.layout() != MessageLayout::Unknown)
        QVERIFY(counts.conversations > 1);
}

void RealFilesTest::bookReadForOneConversationNamesAlike_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("modern") << modernfixtures::makeModernDb(m_dir.filePath(QStringLiteral("names-modern.db")),
                                                            modernfixtures::sample(modernfixtures::Schema::Ios17),
                                                            modernfixtures::Schema::Ios17);
    QTest::newRow("legacy") << fixtures::makeMessageDb(m_dir.filePath(QStringLiteral("names-legacy.db")),
                                                       fixtures::sampleMessages());
}

void RealFilesTest::bookReadForOneConversationNamesAlike()
{
    QFETCH(QString, file);
    // The sample's people, and many more who share nothing with the file
    // but the last digits of a number.
    QList<fixtures::Person> people = fixtures::samplePeople();
    for (int i = 0; i < 50; ++i)
        people.append({QStringLiteral("Other%1").arg(i),
                       QStringLiteral("Person"),
                       {{3, QStringLiteral("+1 555 01%1 8000").arg(i, 2, 10, QLatin1Char('0'))}}});
    const QString book =
        fixtures::makeAddressBook(path(QStringLiteral("many.sqlitedb")), people, fixtures::BookSchema::Ios15);
    const ContactStore all(book.toUtf8());

    MessageStore whole(file.toUtf8(), StoreAccess::ReadOnly);
    whole.buildConversationList();
    int named = 0;
    for (const MessageRecord& head : std::as_const(whole.conversationHeads)) {
        if (head.address.isEmpty())
            continue;
        ReadOptions options;
        options.access = StoreAccess::ReadOnly;
        options.onlyConversation = head.address;
        MessageStore byAll(file.toUtf8(), options);
        MessageStore bySome(file.toUtf8(), options);
        QSet<QByteArray> addresses;
        for (const MessageRecord& r : std::as_const(bySome.messages)) {
            addresses << r.address << r.sender;
            if (const ConversationInfo* info = bySome.conversationInfo(r.address))
                addresses.unite(QSet<QByteArray>(info->members.cbegin(), info->members.cend()));
        }
        ContactStore some{QByteArray()};
        some.readPhoneAddressBookFor(book.toUtf8(), {}, QVector<QByteArray>(addresses.cbegin(), addresses.cend()));
        QVERIFY(some.contacts.size() < all.contacts.size());
        fillContactNames(byAll, all);
        fillContactNames(bySome, some);
        QCOMPARE(bySome.messages.size(), byAll.messages.size());
        for (int i = 0; i < byAll.messages.size(); ++i) {
            QCOMPARE(bySome.messages.at(i).contactName, byAll.messages.at(i).contactName);
            named += byAll.messages.at(i).contactName != "NULL";
        }
        for (const QByteArray& address : std::as_const(addresses))
            QCOMPARE(bySome.senderName(address), byAll.senderName(address));
    }
    QVERIFY(named > 0);
}

QTEST_GUILESS_MAIN(RealFilesTest)
#include "tst_realfiles.moc"
