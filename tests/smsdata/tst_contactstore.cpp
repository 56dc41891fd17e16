#include "ContactLookup.h"
#include "ContactStore.h"
#include "Fixtures.h"
#include "MessageStore.h"
#include "StdoutCapture.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

using fixtures::Msg;
using fixtures::Person;

namespace {

QList<QByteArray> numbers(const ContactStore& store)
{
    QList<QByteArray> result;
    for (const ContactRecord& c : store.contacts)
        result.append(c.number);
    return result;
}

// "kind value" of each value of a contact.
QStringList values(const ContactRecord& contact)
{
    QStringList result;
    for (const ContactValue& v : contact.values)
        result.append(QString::number(v.kind) + QLatin1Char(' ') + QString::fromUtf8(v.value));
    return result;
}

QList<QByteArray> names(const MessageStore& store)
{
    QList<QByteArray> result;
    for (const MessageRecord& m : store.messages)
        result.append(m.contactName);
    return result;
}

Msg message(int rowId, const QString& address)
{
    return {rowId, address, 0, QStringLiteral("hi"), 2};
}

} // namespace

class ContactStoreTest : public QObject
{
    Q_OBJECT

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString book(const QList<Person>& people, const QString& name = QStringLiteral("AddressBook.sqlitedb"))
    {
        return fixtures::makeAddressBook(path(name), people);
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void readsSampleAddressBook()
    {
        ContactStore store(book(fixtures::samplePeople()).toUtf8());
        QCOMPARE(store.contacts.size(), 6);
        QCOMPARE(store.personRowCount, 6);
        QCOMPARE(store.personColumnCount, 34);

        QCOMPARE(store.contacts.at(0).firstName, QStringLiteral("明").toUtf8());
        QCOMPARE(store.contacts.at(0).lastName, QStringLiteral("李").toUtf8());
        QCOMPARE(store.contacts.at(1).firstName, QStringLiteral("Amélie").toUtf8());
        QCOMPARE(store.contacts.at(4).lastName, QByteArray("O'Neil"));
        QVERIFY(store.contacts.at(5).lastName.isEmpty()); // NULL

        // Dashes go; a first e-mail value wins over the later phone number; a
        // person without values keeps an empty number; of two adjacent values
        // only the first counts.
        QCOMPARE(numbers(store),
                 QList<QByteArray>({"13800138000", "amelie@example.org", "10086", "", "+447700900123", "95555"}));
        QCOMPARE(store.numberLinks.size(), 5);

        // values: every phone and e-mail value, as stored, in the book's order.
        QCOMPARE(values(store.contacts.at(0)), QStringList{QStringLiteral("3 138-0013-8000")});
        QCOMPARE(values(store.contacts.at(1)),
                 QStringList({QStringLiteral("4 amelie@example.org"), QStringLiteral("3 (209) 598-1933")}));
        QVERIFY(store.contacts.at(3).values.isEmpty());
        QCOMPARE(values(store.contacts.at(5)), QStringList({QStringLiteral("3 95555"), QStringLiteral("3 95566")}));
    }

    void readsBooksOfEveryVersion_data()
    {
        QTest::addColumn<int>("schema");
        QTest::addColumn<int>("columns");
        QTest::newRow("iOS 5") << int(fixtures::BookSchema::Ios5) << 34;
        QTest::newRow("iOS 9") << int(fixtures::BookSchema::Ios9) << 36;
        QTest::newRow("iOS 15") << int(fixtures::BookSchema::Ios15) << 51;
    }
    void readsBooksOfEveryVersion()
    {
        QFETCH(int, schema);
        QFETCH(int, columns);
        const QString db = fixtures::makeAddressBook(
            path(QStringLiteral("book%1.sqlitedb").arg(schema)),
            {{QStringLiteral("Anna"),
              QStringLiteral("Berg"),
              {{4, QStringLiteral("Anna.Berg@Example.org")},
               {3, QStringLiteral("(209)\u00a0598-1933")},
               {5, QStringLiteral("2001-02-03")},
               {3, QStringLiteral("+1 209-555-0100")}}},
             {QVariant(), QVariant(), {{3, QStringLiteral("0341 234567")}}, QStringLiteral("Stadtwerke Leipzig")},
             {QStringLiteral("Bo"), QVariant(), {{22, QStringLiteral("http://example.org")}}, QStringLiteral("Firm")}},
            fixtures::BookSchema(schema));
        ContactStore store(db.toUtf8());
        QCOMPARE(store.personColumnCount, columns);
        QCOMPARE(store.contacts.size(), 3);

        const ContactRecord& anna = store.contacts.at(0);
        QCOMPARE(anna.firstName, QByteArray("Anna"));
        QCOMPARE(anna.lastName, QByteArray("Berg"));
        QVERIFY(anna.organization.isEmpty());
        // The matching number keeps its old rule (the first value of any kind);
        // values hold the phone and e-mail values only, the date and URL not.
        QCOMPARE(anna.number, QByteArray("Anna.Berg@Example.org"));
        QCOMPARE(values(anna),
                 QStringList({QStringLiteral("4 Anna.Berg@Example.org"), QStringLiteral("3 (209)\u00a0598-1933"),
                              QStringLiteral("3 +1 209-555-0100")}));

        const ContactRecord& works = store.contacts.at(1);
        QVERIFY(works.firstName.isEmpty());
        QVERIFY(works.lastName.isEmpty());
        QCOMPARE(works.organization, QStringLiteral("Stadtwerke Leipzig").toUtf8());
        QCOMPARE(contactDisplayName(works), QStringLiteral("Stadtwerke Leipzig").toUtf8());

        // A first name is a name: the organisation does not replace it.
        const ContactRecord& bo = store.contacts.at(2);
        QCOMPARE(contactDisplayName(bo), QByteArray(" Bo"));
        QCOMPARE(bo.number, QByteArray("http://example.org"));
        QVERIFY(bo.values.isEmpty());
    }

    void columnsAreFoundByName()
    {
        // A book whose columns stand elsewhere than in the oldest layout.
        const QString db = path(QStringLiteral("shuffled.sqlitedb"));
        QCOMPARE(fixtures::exec(db, QStringLiteral("create table ABPerson (Kind, Organization, Last, First, ROWID "
                                                   "integer primary key);"
                                                   "insert into ABPerson values (0, 'Org', 'Lee', 'Ann', 7);"
                                                   "create table ABMultiValue (value, property, label, record_id);"
                                                   "insert into ABMultiValue values ('+8613800138000', 3, 1, 7);")),
                 SQLITE_OK);
        ContactStore store(db.toUtf8());
        QCOMPARE(store.contacts.size(), 1);
        QCOMPARE(store.contacts.at(0).firstName, QByteArray("Ann"));
        QCOMPARE(store.contacts.at(0).lastName, QByteArray("Lee"));
        QCOMPARE(store.contacts.at(0).organization, QByteArray("Org"));
        QCOMPARE(store.contacts.at(0).number, QByteArray("+8613800138000"));
        QCOMPARE(values(store.contacts.at(0)), QStringList{QStringLiteral("3 +8613800138000")});
    }

    void personIdsBeyond32Bits()
    {
        const QString db = fixtures::makeAddressBook(
            path(QStringLiteral("wide.sqlitedb")),
            {{QStringLiteral("One"), QStringLiteral("Small"), {{3, QStringLiteral("10086")}}, QVariant(), 1},
             {QStringLiteral("Two"),
              QStringLiteral("Wide"),
              {{3, QStringLiteral("95555")}},
              QVariant(),
              Q_INT64_C(4294967297)}},
            fixtures::BookSchema::Ios15);
        ContactStore store(db.toUtf8());
        QCOMPARE(numbers(store), QList<QByteArray>({"10086", "95555"}));
        QCOMPARE(values(store.contacts.at(0)), QStringList{QStringLiteral("3 10086")});
        QCOMPARE(values(store.contacts.at(1)), QStringList{QStringLiteral("3 95555")});
        QCOMPARE(store.numberLinks.at(1).personId, Q_INT64_C(4294967297));
    }

    void firstValueOfPersonWinsEvenWhenNotAdjacent()
    {
        const QString db = book({{QStringLiteral("A"), QStringLiteral("One"), {{3, QStringLiteral("111-1")}}},
                                 {QStringLiteral("B"), QStringLiteral("Two"), {{3, QStringLiteral("222")}}}});
        // A second value of person 1 after person 2's row, and one with no owner.
        QCOMPARE(fixtures::exec(db, QStringLiteral("insert into ABMultiValue (record_id, property, value) "
                                                   "values (1, 3, '999'), (NULL, 3, '000'), (2, 3, NULL);")),
                 SQLITE_OK);
        ContactStore store(db.toUtf8());
        QCOMPARE(numbers(store), QList<QByteArray>({"1111", "222"}));
        QCOMPARE(store.numberLinks.size(), 5);
        QCOMPARE(store.numberLinks.at(2).value, QByteArray("999"));
        QCOMPARE(store.numberLinks.at(3).personId, 0);
        QVERIFY(store.numberLinks.at(4).value.isEmpty());
    }

    void numberLinksGrowAcrossReads()
    {
        const QString first = book({{QStringLiteral("A"), QStringLiteral("One"), {{3, QStringLiteral("111")}}}});
        const QString second = book({{QStringLiteral("A"), QStringLiteral("One"), {{3, QStringLiteral("222")}}},
                                     {QStringLiteral("B"), QStringLiteral("Two"), {{3, QStringLiteral("333")}}}},
                                    QStringLiteral("second.sqlitedb"));
        ContactStore store(first.toUtf8());
        QCOMPARE(store.numberLinks.size(), 1);
        store.readPhoneAddressBook(second.toUtf8());
        QCOMPARE(store.numberLinks.size(), 3);
        QCOMPARE(store.contacts.size(), 2);
        // The link found first, from the earlier read, still names person 1.
        QCOMPARE(numbers(store), QList<QByteArray>({"111", "333"}));
    }

    void singlePersonIsReadLikeAnyOther()
    {
        const QString db =
            book({{QStringLiteral("Solo"), QStringLiteral("Han"), {{3, QStringLiteral("138-0000-0000")}}}});
        ContactStore store(db.toUtf8());
        QCOMPARE(store.personRowCount, 1);
        QCOMPARE(store.contacts.size(), 1);
        QCOMPARE(store.contacts.at(0).firstName, QByteArray("Solo"));
        QCOMPARE(store.contacts.at(0).number, QByteArray("13800000000"));
    }

    void backupContactsKeepTheirNumbersAsWritten()
    {
        const QString db =
            fixtures::makeBackupFile(path(QStringLiteral("2010.05.01.12.30.45.sms")), fixtures::sampleMessages(),
                                     {{QStringLiteral("Shannon O'Neil"), QStringLiteral("+447700900123")},
                                      {QStringLiteral("李 "), QStringLiteral("138-0013-8000")},
                                      {QVariant(), QVariant()}});
        ContactStore store(db.toUtf8());
        // A backup has no phone tables: nothing is found and nothing reported.
        QVERIFY(store.contacts.isEmpty());

        QCOMPARE(store.readBackupAddressBook(db.toUtf8()), 0);
        QCOMPARE(store.contacts.size(), 3);
        QCOMPARE(store.contacts.at(0).firstName, QByteArray("Shannon O'Neil"));
        QVERIFY(store.contacts.at(0).lastName.isEmpty());
        QCOMPARE(store.contacts.at(1).firstName, QStringLiteral("李 ").toUtf8());
        QCOMPARE(store.contacts.at(1).number, QByteArray("138-0013-8000"));
        QVERIFY(store.contacts.at(2).firstName.isEmpty());
        QVERIFY(store.contacts.at(2).number.isEmpty());

        // The file is closed again: it can be opened for writing at once.
        QCOMPARE(fixtures::exec(db, QStringLiteral("delete from AddressBook111")), SQLITE_OK);
    }

    void readOnlyOpenSeesWriteAheadLog()
    {
        const QString db = book({{QStringLiteral("Main"), QStringLiteral("File"), {{3, QStringLiteral("10010")}}}});
        // The newest person only in the -wal file, and no -shm file beside it.
        sqlite3* writer = nullptr;
        QCOMPARE(sqlite3_open(db.toUtf8().constData(), &writer), SQLITE_OK);
        QCOMPARE(sqlite3_exec(writer,
                              "PRAGMA journal_mode=WAL; insert into ABPerson (ROWID, First, Last) values (9, 'Wal', "
                              "'Only'); insert into ABMultiValue (record_id, property, value) values (9, 3, '1-2');",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_db_config(writer, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_close(writer);
        QFile::remove(db + QStringLiteral("-shm"));
        QVERIFY(QFileInfo(db + QStringLiteral("-wal")).size() > 0);

        ContactStore store(db.toUtf8());
        QCOMPARE(numbers(store), QList<QByteArray>({"10010", "12"}));
        QCOMPARE(store.contacts.at(1).firstName, QByteArray("Wal"));
    }

    void phoneBookFolderStaysByteIdentical_data()
    {
        QTest::addColumn<bool>("withShm");
        QTest::addColumn<bool>("walElsewhere");
        QTest::newRow("log and shared memory beside it") << true << false;
        QTest::newRow("log alone beside it") << false << false;
        QTest::newRow("log under a name of its own") << false << true;
    }
    void phoneBookFolderStaysByteIdentical()
    {
        QFETCH(bool, withShm);
        QFETCH(bool, walElsewhere);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString db = fixtures::makeAddressBook(
            folder.filePath(QStringLiteral("31bb7ba8914766d4ba40d6dfb6113c8b614be442")),
            {{QStringLiteral("Main"), QStringLiteral("File"), {{3, QStringLiteral("10010")}}}},
            fixtures::BookSchema::Ios15);
        // A phone writes its book in WAL form; the newest person is only in the log.
        fixtures::writeIntoLog(db, QStringLiteral("insert into ABPerson (ROWID, First, Last) values (9, 'Wal', 'Only');"
                                                  "insert into ABMultiValue (record_id, property, value) "
                                                  "values (9, 4, 'w@x.org');"));
        QByteArray walPath;
        if (walElsewhere) {
            // A backup keeps the log under a name of its own, and no -shm.
            walPath = folder.filePath(QStringLiteral("wal-of-the-book")).toUtf8();
            QVERIFY(QFile::rename(db + QStringLiteral("-wal"), QString::fromUtf8(walPath)));
        }
        if (!withShm)
            QFile::remove(db + QStringLiteral("-shm"));
        QVERIFY(QFileInfo::exists(db + QStringLiteral("-shm")) == withShm);
        const QByteArray before = fixtures::folderDigest(folder.path());
        const QStringList filesBefore = QDir(folder.path()).entryList(QDir::Files);

        ContactStore store(QByteArray("unused"));
        store.readPhoneAddressBook(db.toUtf8(), walPath);
        QCOMPARE(store.contacts.size(), 2);
        QCOMPARE(store.contacts.at(1).firstName, QByteArray("Wal"));
        QCOMPARE(values(store.contacts.at(1)), QStringList{QStringLiteral("4 w@x.org")});
        store.readPhoneAddressBook(db.toUtf8(), walPath);

        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), filesBefore);
        QCOMPARE(fixtures::folderDigest(folder.path()), before);
    }

    void missingAddressBookIsNotCreated()
    {
        const QString missing = path(QStringLiteral("gone.sqlitedb"));
        StdoutCapture out;
        ContactStore store(missing.toUtf8());
        const int rc = store.readBackupAddressBook(missing.toUtf8());
        QCOMPARE(out.text(), QByteArray("数据库打开失败\n数据库打开失败\n"));
        QCOMPARE(rc, 0);
        QVERIFY(store.contacts.isEmpty());
        QVERIFY(!QFileInfo::exists(missing));
    }

    void fillsSampleNames()
    {
        MessageStore messages(
            fixtures::makeMessageDb(path(QStringLiteral("sms.db")), fixtures::sampleMessages()).toUtf8());
        ContactStore contacts(book(fixtures::samplePeople()).toUtf8());
        fillContactNames(messages, contacts);
        const QByteArray li = QStringLiteral("李 明").toUtf8();
        // Amélie's first value is her e-mail address; her phone number still
        // names both ways the phone wrote it (rows 3 and 4).
        const QByteArray amelie = QStringLiteral("Dupont Amélie").toUtf8();
        QCOMPARE(names(messages), QList<QByteArray>({li, li, amelie, amelie, "Mobile China", " Bank", "NULL", li,
                                                     "NULL", li, "O'Neil Shannon", li}));
    }

    void matchesOnLastElevenBytes_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("match");
        QTest::newRow("prefix +86 on the message") << "+8613800138000"
                                                   << "13800138000" << true;
        QTest::newRow("prefix on the contact") << "13800138000"
                                               << "+8613800138000" << true;
        QTest::newRow("prefix 0086 and dashes") << "0086-138-0013-8000"
                                                << "138 0013 8000" << false;
        QTest::newRow("dashed contact") << "13800138000"
                                        << "138-0013-8000" << true;
        QTest::newRow("short numbers equal") << "10086"
                                             << "10086" << true;
        QTest::newRow("short numbers differ") << "95555"
                                              << "95566" << false;
        QTest::newRow("short is a suffix of long") << "10086"
                                                   << "13800010086" << false;
        QTest::newRow("twelfth byte from the end differs") << "912095981933"
                                                           << "812095981933" << true;
        QTest::newRow("eleventh byte differs") << "12095981933"
                                               << "22095981933" << false;
        QTest::newRow("empty address, contact without number") << ""
                                                               << "" << false;
    }
    void matchesOnLastElevenBytes()
    {
        QFETCH(QString, address);
        QFETCH(QString, number);
        QFETCH(bool, match);
        MessageStore messages(fixtures::makeMessageDb(path(QStringLiteral("m.db")), {message(1, address)}).toUtf8());
        ContactStore contacts(
            book({{QStringLiteral("First"), QStringLiteral("Last"), {{3, number}}}}, QStringLiteral("m.sqlitedb"))
                .toUtf8());
        fillContactNames(messages, contacts);
        QCOMPARE(messages.messages.at(0).contactName, match ? QByteArray("Last First") : QByteArray("NULL"));
    }

    void firstMatchingContactWins()
    {
        MessageStore messages(
            fixtures::makeMessageDb(path(QStringLiteral("w.db")),
                                    {message(1, QStringLiteral("13800138000")),
                                     message(2, QStringLiteral("13900139000")), message(3, QString())})
                .toUtf8());
        ContactStore contacts(QByteArray("unused"));
        contacts.contacts = {{"Nobody", "Without", ""},
                             {"Work", "Li", "+8613800138000"},
                             {"Home", "Li", "13800138000"},
                             {"Backup Name", "", "13900139000"}};
        fillContactNames(messages, contacts);
        // A backup contact's name begins with the blank; the empty address
        // does not take the contact that has no number.
        QCOMPARE(names(messages), QList<QByteArray>({"Li Work", " Backup Name", "NULL"}));

        // Filling again starts from "NULL" for everybody.
        contacts.contacts.clear();
        fillContactNames(messages, contacts);
        QCOMPARE(names(messages), QList<QByteArray>({"NULL", "NULL", "NULL"}));
    }
};

QTEST_GUILESS_MAIN(ContactStoreTest)
#include "tst_contactstore.moc"
