#include "ContactStore.h"
#include "Fixtures.h"
#include "MessageStore.h"
#include "StdoutCapture.h"

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
        QCOMPARE(names(messages), QList<QByteArray>({li, li, "NULL", "NULL", "Mobile China", " Bank", "NULL", li,
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
