#include "ContactStore.h"
#include "Fixtures.h"
#include "MessageStore.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

using fixtures::Msg;

namespace {

int g_deleteErrors = 0;
void countDeleteError(const QString&, const QString&)
{
    ++g_deleteErrors;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Walks everything a page would ask of the stores after a read.
void browseEverything(MessageStore& messages, ContactStore& contacts)
{
    fillContactNames(messages, contacts);
    messages.buildConversationList();
    for (const MessageRecord& head : std::as_const(messages.conversationHeads)) {
        messages.selectConversation(head.address);
        QVERIFY(!messages.conversation.isEmpty());
        QVERIFY(head.timeText().startsWith("time:"));
        QVERIFY(head.timeText().endsWith('\n'));
    }
    QCOMPARE(messages.messageCount, int(messages.messages.size()));
}

QList<Msg> manyMessages(int count)
{
    QList<Msg> result;
    for (int i = 1; i <= count; ++i) {
        result.append({i, QStringLiteral("1380013%1").arg(i % 37, 4, 10, QLatin1Char('0')), 1262304000 + i,
                       QStringLiteral("message %1 ").arg(i).repeated(8), i % 2 ? 2 : 3});
    }
    return result;
}

} // namespace

class RobustnessTest : public QObject
{
    Q_OBJECT

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        setDeleteErrorHandler(&countDeleteError);
    }
    void init() { g_deleteErrors = 0; }
    void cleanup() { closeLastMessageDatabase(); }

    void fileThatIsNotADatabaseStaysUntouched_data()
    {
        QTest::addColumn<QByteArray>("content");
        QByteArray noise(8192, '\0');
        QRandomGenerator generator(42);
        for (char& c : noise)
            c = char(generator.bounded(256));
        QTest::newRow("text") << QByteArray("This is a text file, not a message database.\n").repeated(40);
        QTest::newRow("noise") << noise;
        QTest::newRow("sqlite header then noise") << QByteArray("SQLite format 3\0", 16) + noise;
        QTest::newRow("empty file") << QByteArray();
    }
    void fileThatIsNotADatabaseStaysUntouched()
    {
        QFETCH(QByteArray, content);
        const QString file = path(QStringLiteral("bad.sms"));
        writeAll(file, content);

        MessageStore messages(file.toUtf8());
        ContactStore contacts(file.toUtf8());
        QVERIFY(messages.messages.isEmpty());
        QVERIFY(contacts.contacts.isEmpty());
        QCOMPARE(contacts.readBackupAddressBook(file.toUtf8()), SQLITE_OK);
        QVERIFY(contacts.contacts.isEmpty());
        browseEverything(messages, contacts);

        QVERIFY(messages.deleteMessage(1) != SQLITE_OK);
        QCOMPARE(g_deleteErrors, 1);
        messages.deleteConversation(QByteArray());
        messages.close();
        QCOMPARE(readAll(file), content);

        // The same store goes on to read a good file.
        const QString good = fixtures::makeMessageDb(path(QStringLiteral("good.db")), fixtures::sampleMessages());
        messages.reload(good.toUtf8());
        QCOMPARE(messages.messageCount, 12);
    }

    void truncatedDatabaseReadsWhatItCan_data()
    {
        QTest::addColumn<double>("keep");
        QTest::newRow("two thirds") << 0.66;
        QTest::newRow("one tenth") << 0.1;
        QTest::newRow("first page only") << 0.0;
        QTest::newRow("half a header") << -1.0;
    }
    void truncatedDatabaseReadsWhatItCan()
    {
        QFETCH(double, keep);
        const QString file = fixtures::makeMessageDb(path(QStringLiteral("truncated.db")), manyMessages(3000),
                                                     fixtures::SmsSchema::Ios5);
        QByteArray bytes = readAll(file);
        const int pageSize = 4096;
        QVERIFY(bytes.size() > 50 * pageSize);
        const qsizetype size = keep > 0 ? qsizetype(bytes.size() * keep) : keep == 0 ? pageSize : 50;
        bytes.truncate(size);
        writeAll(file, bytes);

        MessageStore messages(file.toUtf8());
        QVERIFY(messages.messages.size() < 3000);
        ContactStore contacts(file.toUtf8());
        browseEverything(messages, contacts);
        // Deleting in a damaged file may fail, but must not crash or lose the
        // records whose delete failed.
        const int before = messages.messageCount;
        messages.deleteConversation("13800130001");
        QVERIFY(messages.messageCount <= before);
        QCOMPARE(messages.messageCount, int(messages.messages.size()));
    }

    void overwrittenPagesDoNotCrash()
    {
        const QString file = fixtures::makeMessageDb(path(QStringLiteral("scribbled.db")), manyMessages(2000));
        QByteArray bytes = readAll(file);
        // Scribble over every third page after the schema page.
        for (qsizetype page = 4096 * 2; page + 4096 <= bytes.size(); page += 3 * 4096)
            bytes.replace(page + 100, 200, QByteArray(200, '\x7f'));
        writeAll(file, bytes);

        MessageStore messages(file.toUtf8());
        ContactStore contacts(file.toUtf8());
        browseEverything(messages, contacts);
        for (int i = 0; i < messages.messages.size(); ++i)
            QVERIFY(messages.messages.at(i).rowId >= 0);
    }

    void missingTablesReadAsEmpty()
    {
        const QString file = path(QStringLiteral("other.db"));
        QCOMPARE(fixtures::exec(file, QStringLiteral("create table unrelated (x); insert into unrelated values (1);")),
                 SQLITE_OK);
        MessageStore messages(file.toUtf8());
        ContactStore contacts(file.toUtf8());
        QCOMPARE(contacts.readBackupAddressBook(file.toUtf8()), SQLITE_OK);
        QVERIFY(messages.isOpen());
        QCOMPARE(messages.messageCount, 0);
        QCOMPARE(messages.columnCount, 0);
        QVERIFY(contacts.contacts.isEmpty());
        QCOMPARE(contacts.personRowCount, 0);
        browseEverything(messages, contacts);

        // A phone book with people but no value table: people without numbers.
        QCOMPARE(fixtures::exec(file, QStringLiteral("create table ABPerson (ROWID integer primary key, First, Last);"
                                                     "insert into ABPerson values (1, 'Ann', 'Lee');")),
                 SQLITE_OK);
        contacts.readPhoneAddressBook(file.toUtf8());
        QCOMPARE(contacts.contacts.size(), 1);
        QVERIFY(contacts.contacts.at(0).number.isEmpty());
    }

    void shortTablesReadMissingColumnsAsNull()
    {
        const QString file = path(QStringLiteral("short.db"));
        // The least a table needs to read as the phone's old layout: address and flags.
        QCOMPARE(fixtures::exec(file, QStringLiteral("create table message (ROWID integer primary key, address, flags);"
                                                     "insert into message values (7, '138-1', NULL);"
                                                     "create table ABPerson (ROWID integer primary key, First);"
                                                     "insert into ABPerson values (3, 'Ann');"
                                                     "create table ABMultiValue (UID integer primary key, record_id);"
                                                     "insert into ABMultiValue values (1, 3);"
                                                     "create table AddressBook111 (name);"
                                                     "insert into AddressBook111 values ('Bob');")),
                 SQLITE_OK);
        MessageStore messages(file.toUtf8());
        QCOMPARE(messages.layout(), MessageLayout::Legacy);
        QCOMPARE(messages.columnCount, 3);
        QCOMPARE(messages.messages.size(), 1);
        const MessageRecord& m = messages.messages.at(0);
        QCOMPARE(m.rowId, 7);
        QCOMPARE(m.address, QByteArray("1381"));
        QVERIFY(m.text.isEmpty());
        QCOMPARE(m.timeText(), QByteArray("time:Thu Jan 01 08:00:00 1970\n"));
        QVERIFY(!m.isIncoming);

        ContactStore contacts(file.toUtf8());
        QCOMPARE(contacts.contacts.size(), 1);
        QCOMPARE(contacts.contacts.at(0).firstName, QByteArray("Ann"));
        QVERIFY(contacts.contacts.at(0).lastName.isEmpty());
        QVERIFY(contacts.contacts.at(0).number.isEmpty());
        QCOMPARE(contacts.numberLinks.size(), 1);
        QCOMPARE(contacts.numberLinks.at(0).personId, 3);

        QCOMPARE(contacts.readBackupAddressBook(file.toUtf8()), SQLITE_OK);
        QCOMPARE(contacts.contacts.size(), 1);
        QVERIFY(contacts.contacts.at(0).number.isEmpty());
        browseEverything(messages, contacts);
    }

    void invalidUtf8BytesAreKeptAsStored()
    {
        const QByteArray address("\xff\xfe-13\xc3(");
        const QByteArray text("ok \xe4\xb8 \xf0\x9f\x98 \xed\xa0\x80 end");
        const QString file = fixtures::makeMessageDb(
            path(QStringLiteral("bytes.db")), {{1, address, 5, text, 2}, {2, address, 6, QByteArray("\x80"), 3}});
        QCOMPARE(fixtures::exec(file, QStringLiteral("create table AddressBook111(name varchar(100), tel "
                                                     "varchar(100)); insert into AddressBook111 values "
                                                     "(cast(x'c328ff' as text), cast(x'fffe313343' as text));")),
                 SQLITE_OK);
        MessageStore messages(file.toUtf8());
        QCOMPARE(messages.messages.size(), 2);
        QCOMPARE(messages.messages.at(0).address, QByteArray("\xff\xfe"
                                                             "13\xc3(",
                                                             6));
        QCOMPARE(messages.messages.at(0).text, text);
        QCOMPARE(messages.messages.at(1).text, QByteArray("\x80"));

        ContactStore contacts(file.toUtf8());
        QCOMPARE(contacts.readBackupAddressBook(file.toUtf8()), SQLITE_OK);
        QCOMPARE(contacts.contacts.at(0).firstName, QByteArray("\xc3(\xff"));
        QCOMPARE(contacts.contacts.at(0).number, QByteArray("\xff\xfe"
                                                            "13C"));
        browseEverything(messages, contacts);
        QCOMPARE(messages.conversationHeads.size(), 1);
        QCOMPARE(messages.conversation.size(), 2);
        QCOMPARE(messages.deleteMessage(1), SQLITE_OK);
    }

    void nullAndOddCellsEverywhere()
    {
        const QString file = path(QStringLiteral("nulls.db"));
        QCOMPARE(fixtures::exec(file, QStringLiteral("create table message (a, address, c, d, flags);"
                                                     "insert into message values (NULL, NULL, NULL, NULL, NULL);"
                                                     "insert into message values ('x', x'00ff', 'soon', 3.5, 'two');"
                                                     "insert into message values (9.7, 12, 1262304000.9, 42, 2.0);"
                                                     "create table ABPerson (ROWID, First, Last);"
                                                     "insert into ABPerson values (NULL, NULL, NULL);"
                                                     "create table ABMultiValue (a, b, c, d, e, f);"
                                                     "insert into ABMultiValue values (NULL, NULL, NULL, NULL, NULL, "
                                                     "NULL);"
                                                     "create table AddressBook111 (name, tel);"
                                                     "insert into AddressBook111 values (NULL, NULL);")),
                 SQLITE_OK);
        MessageStore messages(file.toUtf8());
        QCOMPARE(messages.messages.size(), 3);
        // Row ids are the table's own, whatever its first column holds.
        const MessageRecord& empty = messages.messages.at(0);
        QCOMPARE(empty.rowId, 1);
        QVERIFY(empty.address.isEmpty());
        QVERIFY(empty.text.isEmpty());
        QCOMPARE(empty.timeText(), QByteArray("time:Thu Jan 01 08:00:00 1970\n"));
        QVERIFY(!empty.isIncoming);

        const MessageRecord& odd = messages.messages.at(1);
        QCOMPARE(odd.rowId, 2);
        QCOMPARE(odd.address, QByteArray("\0\xff", 2));
        QCOMPARE(odd.text, QByteArray("3.5"));
        QCOMPARE(odd.timeText(), QByteArray("time:Thu Jan 01 08:00:00 1970\n"));
        QVERIFY(!odd.isIncoming);

        const MessageRecord& numbers = messages.messages.at(2);
        QCOMPARE(numbers.rowId, 3);
        QCOMPARE(numbers.address, QByteArray("12"));
        QCOMPARE(numbers.text, QByteArray("42"));
        QCOMPARE(numbers.timeText(), QByteArray("time:Fri Jan 01 08:00:00 2010\n"));
        QVERIFY(numbers.isIncoming);

        ContactStore contacts(file.toUtf8());
        QCOMPARE(contacts.contacts.size(), 1);
        QVERIFY(contacts.contacts.at(0).firstName.isEmpty());
        QVERIFY(contacts.contacts.at(0).number.isEmpty());
        QCOMPARE(contacts.numberLinks.at(0).personId, 0);
        browseEverything(messages, contacts);
        QCOMPARE(messages.messages.at(0).contactName, QByteArray("NULL"));
        QCOMPARE(contacts.readBackupAddressBook(file.toUtf8()), SQLITE_OK);
        QCOMPARE(contacts.contacts.size(), 1);
    }

    void folderInsteadOfFile()
    {
        MessageStore messages(m_dir.path().toUtf8());
        ContactStore contacts(m_dir.path().toUtf8());
        QVERIFY(messages.messages.isEmpty());
        QVERIFY(contacts.contacts.isEmpty());
        QVERIFY(messages.deleteMessage(1) != SQLITE_OK);
        browseEverything(messages, contacts);
    }
};

QTEST_GUILESS_MAIN(RobustnessTest)
#include "tst_robustness.moc"
