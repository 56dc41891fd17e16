#include "ContactStore.h"
#include "Fixtures.h"
#include "FuzzEntries.h"
#include "MessageStore.h"
#include "ModernFixtures.h"
#include "PhoneDb.h"
#include "TextExport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

using fixtures::Msg;

// The fuzz target's entry fuzzentries::messageStore: every build feeds it
// damaged files here.

namespace {

void feedEntry(const QByteArray& bytes)
{
    fuzzentries::messageStore(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

// Every file of a folder with its bytes' digest: equal only when nothing was
// changed, added or removed.
QMap<QString, QByteArray> folderDigest(const QString& folder)
{
    QMap<QString, QByteArray> digest;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        QByteArray hash = "folder";
        if (it.fileInfo().isFile() && file.open(QIODevice::ReadOnly))
            hash = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
        digest.insert(QDir(folder).relativeFilePath(path), hash);
    }
    return digest;
}

// Leaves a row in the write-ahead log only, as a phone's file often is.
void addRowInWal(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    phonedb::registerRead(db, phonedb::StandIn::One);
    QCOMPARE(sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_close(db);
    QVERIFY(QFileInfo(path + QStringLiteral("-wal")).size() > 0);
}

QByteArray mutated(QByteArray bytes, QRandomGenerator& random, int flips)
{
    for (int i = 0; i < flips && bytes.size() > 100; ++i)
        bytes[100 + random.bounded(int(bytes.size() - 100))] = char(random.bounded(256));
    return bytes;
}

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
    void init()
    {
        // The fuzz entry installs a quiet handler of its own.
        setDeleteErrorHandler(&countDeleteError);
        g_deleteErrors = 0;
    }
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

    void fuzzEntrySurvivesDamagedFiles()
    {
        const QList<QByteArray> files{
            readAll(fixtures::makeMessageDb(path(QStringLiteral("f1.db")), fixtures::sampleMessages(),
                                            fixtures::SmsSchema::Ios5)),
            readAll(modernfixtures::makeModernDb(path(QStringLiteral("f2.db")),
                                                 modernfixtures::sample(modernfixtures::Schema::Ios13),
                                                 modernfixtures::Schema::Ios13)),
            readAll(modernfixtures::makeModernDb(path(QStringLiteral("f3.db")),
                                                 modernfixtures::sample(modernfixtures::Schema::Ios9),
                                                 modernfixtures::Schema::Ios9)),
        };
        QRandomGenerator random(7);
        for (const QByteArray& file : files) {
            QVERIFY(file.size() > 4096);
            feedEntry(file);
            for (int round = 0; round < 40; ++round)
                feedEntry(mutated(file, random, 1 + random.bounded(40)));
            for (int round = 0; round < 12; ++round)
                feedEntry(file.left(random.bounded(int(file.size()))));
        }
        for (int round = 0; round < 10; ++round) {
            QByteArray noise(random.bounded(9000), '\0');
            for (char& c : noise)
                c = char(random.bounded(256));
            feedEntry(noise);
            feedEntry(QByteArray("SQLite format 3\0", 16) + noise);
        }
    }

    void rowIdsBeyond32BitsStayWhole_data()
    {
        QTest::addColumn<bool>("modern");
        QTest::newRow("legacy") << false;
        QTest::newRow("modern") << true;
    }
    void rowIdsBeyond32BitsStayWhole()
    {
        QFETCH(bool, modern);
        const qint64 big = Q_INT64_C(4294967297);
        const QString file = path(QStringLiteral("bigrow.db"));
        if (modern) {
            modernfixtures::Database d;
            d.handles = {{1, QStringLiteral("10086"), QStringLiteral("SMS"), QVariant()},
                         {2, QStringLiteral("95555"), QStringLiteral("SMS"), QVariant()}};
            modernfixtures::Message a;
            a.rowId = 1;
            a.text = QStringLiteral("row one");
            a.handle = 1;
            modernfixtures::Message b = a;
            b.rowId = big;
            b.text = QStringLiteral("row beyond 32 bits");
            b.handle = 2;
            d.messages = {a, b};
            modernfixtures::makeModernDb(file, d, modernfixtures::Schema::Ios13);
        } else {
            fixtures::makeMessageDb(file, {{1, QStringLiteral("10086"), 5, QStringLiteral("row one"), 2},
                                           {big, QStringLiteral("95555"), 6, QStringLiteral("row beyond 32 bits"), 2}});
        }
        MessageStore store(file.toUtf8());
        QCOMPARE(store.messages.size(), 2);
        QCOMPARE(store.messages.at(1).rowId, big);
        QCOMPARE(store.message(big)->text, QByteArray("row beyond 32 bits"));
        QCOMPARE(store.message(1)->text, QByteArray("row one"));
        store.selectConversation("95555");
        const QStringList exported = textexport::singleMessageLines(store.conversation, big);
        QCOMPARE(exported.size(), 3);
        QCOMPARE(exported.at(2), QStringLiteral("row beyond 32 bits"));
        store.deleteConversation("95555");
        QCOMPARE(g_deleteErrors, 0);
        QCOMPARE(store.messages.size(), 1);
        QCOMPARE(store.messages.at(0).rowId, 1);
        QCOMPARE(fixtures::column(file, QStringLiteral("select ROWID from message")), QStringList({"1"}));
    }

    void rowIdIsTheTablesOwnNotItsFirstColumn()
    {
        // A crafted table whose first column holds numbers of other rows.
        const QString file = path(QStringLiteral("untyped.db"));
        QFile::remove(file);
        QCOMPARE(fixtures::exec(file, QStringLiteral("create table message (x, address, date, text, flags);"
                                                     "insert into message values (3, '10086', 1, 'a1', 2);"
                                                     "insert into message values (1, '95555', 2, 'b1', 2);"
                                                     "insert into message values (1, '10086', 3, 'a2', 3);"
                                                     "insert into message values (2, '95555', 4, 'b2', 2);")),
                 SQLITE_OK);
        MessageStore store(file.toUtf8());
        QCOMPARE(store.messages.size(), 4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(store.messages.at(i).rowId, qint64(i + 1));
        store.deleteConversation("95555");
        QCOMPARE(g_deleteErrors, 0);
        store.buildConversationList();
        QCOMPARE(store.conversationHeads.size(), 1);
        QCOMPARE(store.conversationHeads.at(0).address, QByteArray("10086"));
        store.selectConversation("10086");
        QCOMPARE(store.conversation.size(), 2);
        QCOMPARE(fixtures::column(file, QStringLiteral("select text from message order by rowid")),
                 QStringList({"a1", "a2"}));

        // A table that declares all three names: its INTEGER PRIMARY KEY is the row id.
        const QString all = path(QStringLiteral("allnames.db"));
        QFile::remove(all);
        QCOMPARE(fixtures::exec(all, QStringLiteral("create table message (oid, _rowid_, rowid integer primary key, "
                                                    "address, flags);"
                                                    "insert into message values (9, 9, 5, '10086', 2);")),
                 SQLITE_OK);
        MessageStore named(all.toUtf8());
        QCOMPARE(named.messages.size(), 1);
        QCOMPARE(named.messages.at(0).rowId, 5);
        QCOMPARE(named.deleteMessage(5), 0);
        QCOMPARE(fixtures::column(all, QStringLiteral("select count(*) from message")), QStringList({"0"}));
    }

    void readingOnlyLeavesThePhonesFolderAsItWas_data()
    {
        QTest::addColumn<bool>("modern");
        QTest::addColumn<bool>("wal");
        QTest::addColumn<bool>("walElsewhere");
        QTest::newRow("legacy, rollback journal") << false << false << false;
        QTest::newRow("legacy, content in -wal") << false << true << false;
        QTest::newRow("modern, rollback journal") << true << false << false;
        QTest::newRow("modern, content in -wal") << true << true << false;
        QTest::newRow("modern, log under a name of its own") << true << true << true;
    }
    void readingOnlyLeavesThePhonesFolderAsItWas()
    {
        QFETCH(bool, modern);
        QFETCH(bool, wal);
        QFETCH(bool, walElsewhere);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString db = folder.filePath(QStringLiteral("3d0d7e5fb2ce288813306e4d4636395e047a3d28"));
        if (modern)
            modernfixtures::makeModernDb(db, modernfixtures::sample(modernfixtures::Schema::Ios13),
                                         modernfixtures::Schema::Ios13);
        else
            fixtures::makeMessageDb(db, fixtures::sampleMessages());
        int expected = modern ? 14 : 12;
        if (wal) {
            addRowInWal(db, modern ? "insert into message (ROWID, guid, text, handle_id) values (100, 'late', "
                                     "'only in the log', 1)"
                                   : "insert into message (ROWID, address, text, flags) values (100, '10086', "
                                     "'only in the log', 2)");
            ++expected;
            // The shared-memory file is SQLite's own, rebuilt from the log.
            QFile::remove(db + QStringLiteral("-shm"));
        }
        QByteArray walPath;
        if (walElsewhere) {
            const QString other = folder.filePath(QStringLiteral("aa/aa11b2c3"));
            QVERIFY(QDir().mkpath(QFileInfo(other).absolutePath()));
            QVERIFY(QFile::rename(db + QStringLiteral("-wal"), other));
            walPath = other.toUtf8();
        }
        const QMap<QString, QByteArray> before = folderDigest(folder.path());

        {
            ReadOptions options;
            options.access = StoreAccess::ReadOnly;
            options.walPath = walPath;
            MessageStore store(db.toUtf8(), options);
            QCOMPARE(store.messageCount, expected);
            QCOMPARE(store.message(wal ? 100 : 1) != nullptr, true);
            QVERIFY(!store.deletesAllowed());
            QCOMPARE(store.deleteMessage(1), SQLITE_READONLY);
            store.deleteConversation(store.messages.at(0).address);
            QCOMPARE(store.messageCount, expected);
            ContactStore contacts(path(QStringLiteral("no-book.db")).toUtf8());
            browseEverything(store, contacts);
            // Even told to delete, the connection cannot write.
            store.setDeletesAllowed(true);
            QVERIFY(store.deleteMessage(1) != SQLITE_OK);
            QCOMPARE(store.messageCount, expected);
            QCOMPARE(folderDigest(folder.path()), before);
        }
        QCOMPARE(folderDigest(folder.path()), before);
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
