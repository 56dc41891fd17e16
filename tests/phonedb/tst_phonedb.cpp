#include "PhoneDb.h"
#include "PhoneSchemas.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sqlite3.h>

namespace {

// The first column of the first row of sql, as SQLite's type and text.
struct Cell
{
    int type = SQLITE_NULL;
    QByteArray text;
};

Cell cell(sqlite3* db, const char* sql)
{
    Cell result;
    sqlite3_stmt* stmt = phonedb::prepare(db, sql);
    if (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        result.type = sqlite3_column_type(stmt, 0);
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, 0));
        result.text = QByteArray(bytes, sqlite3_column_bytes(stmt, 0));
    }
    sqlite3_finalize(stmt);
    return result;
}

struct Closer
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Connection = std::unique_ptr<sqlite3, Closer>;

Connection memory()
{
    return Connection(phonedb::open(QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
}

} // namespace

class PhoneDbTest : public QObject
{
    Q_OBJECT

private slots:
    void bindStoresEachKindAsItsType_data();
    void bindStoresEachKindAsItsType();
    void filesAreCreatedFreshAndFailuresExplained();
    void statementsReportWhatWentWrong();
    void standInsAnswerAsThePhoneWould();
    void functionDataLivesAsLongAsTheConnection();
    void everyBuiltInSchemaLoadsWithTheStandIns_data();
    void everyBuiltInSchemaLoadsWithTheStandIns();
    void builtInSchemasAreFoundByNameOnly();
};

void PhoneDbTest::bindStoresEachKindAsItsType_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("null") << QVariant() << SQLITE_NULL << QByteArray();
    QTest::newRow("int") << QVariant(-7) << SQLITE_INTEGER << QByteArray("-7");
    QTest::newRow("long long") << QVariant(qint64(1) << 40) << SQLITE_INTEGER << QByteArray("1099511627776");
    QTest::newRow("bool") << QVariant(true) << SQLITE_INTEGER << QByteArray("1");
    QTest::newRow("double") << QVariant(2.5) << SQLITE_FLOAT << QByteArray("2.5");
    QTest::newRow("text") << QVariant(QStringLiteral("李明 😀")) << SQLITE_TEXT << QStringLiteral("李明 😀").toUtf8();
    // Bytes go in unchanged, also when they are no UTF-8, so a test can store a broken text.
    QTest::newRow("invalid utf-8") << QVariant(QByteArray("a\xff\xfe"
                                                          "b",
                                                          4))
                                   << SQLITE_TEXT
                                   << QByteArray("a\xff\xfe"
                                                 "b",
                                                 4);
    QTest::newRow("empty text") << QVariant(QStringLiteral("")) << SQLITE_TEXT << QByteArray();
}

void PhoneDbTest::bindStoresEachKindAsItsType()
{
    QFETCH(QVariant, value);
    QFETCH(int, type);
    QFETCH(QByteArray, stored);
    Connection db = memory();
    QVERIFY(db);
    QVERIFY(phonedb::exec(db.get(), "create table t (v)"));
    sqlite3_stmt* insert = phonedb::prepare(db.get(), "insert into t values (?)");
    QVERIFY(insert);
    phonedb::bind(insert, 1, value);
    QVERIFY(phonedb::step(db.get(), insert));
    // step() left the statement ready for the next row, with no value bound.
    QVERIFY(phonedb::step(db.get(), insert));
    sqlite3_finalize(insert);

    const Cell first = cell(db.get(), "select v from t where rowid = 1");
    QCOMPARE(first.type, type);
    QCOMPARE(first.text, stored);
    QCOMPARE(cell(db.get(), "select v from t where rowid = 2").type, SQLITE_NULL);
}

void PhoneDbTest::filesAreCreatedFreshAndFailuresExplained()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("sub/folder/sms.db"));
    {
        Connection db(phonedb::create(path));
        QVERIFY(db);
        QVERIFY(phonedb::exec(db.get(), "create table old (x); insert into old values (1)"));
    }
    // Leftovers of an earlier file beside it must not be taken into the new one.
    for (const char* suffix : {"-wal", "-journal", "-shm"}) {
        QFile leftover(path + QLatin1String(suffix));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("not sqlite");
    }
    {
        Connection db(phonedb::create(path));
        QVERIFY(db);
        QCOMPARE(cell(db.get(), "select count(*) from sqlite_master").text, QByteArray("0"));
    }
    for (const char* suffix : {"-wal", "-journal", "-shm"})
        QVERIFY2(!QFile::exists(path + QLatin1String(suffix)), suffix);

    QString error;
    const QString missing = dir.filePath(QStringLiteral("missing.db"));
    QVERIFY(!phonedb::open(missing, SQLITE_OPEN_READWRITE, &error));
    QVERIFY2(error.startsWith(QStringLiteral("Cannot open ") + missing + QStringLiteral(": ")), qPrintable(error));
    QVERIFY(!QFile::exists(missing));

    error.clear();
    const QString inFile = path + QStringLiteral("/below-a-file.db");
    QVERIFY(!phonedb::create(inFile, &error));
    QVERIFY2(error.startsWith(QStringLiteral("Cannot create ") + inFile), qPrintable(error));
}

void PhoneDbTest::statementsReportWhatWentWrong()
{
    Connection db = memory();
    QString error;
    QVERIFY(!phonedb::exec(db.get(), "create tabel t (x)", &error));
    QVERIFY2(error.contains(QStringLiteral("syntax error")), qPrintable(error));

    error.clear();
    QVERIFY(!phonedb::prepare(db.get(), "select * from nowhere", &error));
    QVERIFY2(error.contains(QStringLiteral("no such table")), qPrintable(error));

    error.clear();
    QVERIFY(!phonedb::loadSchema(db.get(), "  \n ", &error));
    QVERIFY(!error.isEmpty());

    error.clear();
    QVERIFY(phonedb::readSchemaFile(QStringLiteral("/nonexistent/schema.sql"), &error).isEmpty());
    QVERIFY2(error.contains(QStringLiteral("/nonexistent/schema.sql")), qPrintable(error));

    QVERIFY(phonedb::exec(db.get(), "create table t (x unique)"));
    sqlite3_stmt* insert = phonedb::prepare(db.get(), "insert into t values (?)");
    phonedb::bind(insert, 1, 1);
    QVERIFY(phonedb::step(db.get(), insert));
    phonedb::bind(insert, 1, 1);
    error.clear();
    QVERIFY(!phonedb::step(db.get(), insert, &error));
    QVERIFY2(error.contains(QStringLiteral("UNIQUE")), qPrintable(error));
    // A failed row does not block the next one.
    phonedb::bind(insert, 1, 2);
    QVERIFY(phonedb::step(db.get(), insert));
    sqlite3_finalize(insert);
}

void PhoneDbTest::standInsAnswerAsThePhoneWould()
{
    Connection db = memory();
    QVERIFY(phonedb::registerStandIn(db.get(), "one", -1, phonedb::StandIn::One));
    QVERIFY(phonedb::registerStandIn(db.get(), "nothing", -1, phonedb::StandIn::Null));
    QVERIFY(phonedb::registerStandIn(db.get(), "first", -1, phonedb::StandIn::FirstArgument));
    QVERIFY(phonedb::registerStandIn(db.get(), "flags", -1, phonedb::StandIn::FlagsBit0));

    QCOMPARE(cell(db.get(), "select one('x', 2)").text, QByteArray("1"));
    QCOMPARE(cell(db.get(), "select nothing(5)").type, SQLITE_NULL);
    QCOMPARE(cell(db.get(), "select first('abc', 1)").text, QByteArray("abc"));
    QCOMPARE(cell(db.get(), "select first(x'00ff')").type, SQLITE_BLOB);
    QCOMPARE(cell(db.get(), "select first()").type, SQLITE_NULL);
    QCOMPARE(cell(db.get(), "select flags(2)").text, QByteArray("0"));
    QCOMPARE(cell(db.get(), "select flags(3)").text, QByteArray("1"));
    QCOMPARE(cell(db.get(), "select flags()").text, QByteArray("0"));

    // read() answers from a value its owner changes between calls.
    int lastFlags = 3;
    QVERIFY(phonedb::registerBit0Of(db.get(), "read", 1, &lastFlags));
    QCOMPARE(cell(db.get(), "select read(0)").text, QByteArray("1"));
    lastFlags = 2;
    QCOMPARE(cell(db.get(), "select read(1)").text, QByteArray("0"));

    QVERIFY(phonedb::registerRead(db.get(), phonedb::StandIn::One));
    QCOMPARE(cell(db.get(), "select read(2)").text, QByteArray("1"));
    QVERIFY(phonedb::registerAttachmentPathStandIns(db.get(), phonedb::StandIn::FirstArgument));
    QCOMPARE(cell(db.get(), "select delete_attachment_path('a/b')").text, QByteArray("a/b"));
    QCOMPARE(cell(db.get(), "select before_delete_attachment_path('c', 1)").text, QByteArray("c"));

    int made = 0;
    QVERIFY(phonedb::registerAddressBookStandIns(db.get(), [&made] { return "G" + QByteArray::number(++made); }));
    QCOMPARE(cell(db.get(), "select ab_generate_guid()").text, QByteArray("G1"));
    QCOMPARE(cell(db.get(), "select ab_generate_guid()").text, QByteArray("G2"));
    QCOMPARE(cell(db.get(), "select ab_update_value_from_trigger('v', 1, 2)").text, QByteArray("v"));

    // Another connection knows none of them, as a plain reader of the phone's file.
    Connection plain = memory();
    QString error;
    QVERIFY(!phonedb::prepare(plain.get(), "select read(1)", &error));
    QVERIFY2(error.contains(QStringLiteral("no such function")), qPrintable(error));
}

void PhoneDbTest::functionDataLivesAsLongAsTheConnection()
{
    auto counter = std::make_shared<int>(0);
    bool destroyed = false;
    {
        Connection db = memory();
        QVERIFY(phonedb::registerText(db.get(), "next", 0, [counter] { return QByteArray::number(++*counter); }));
        QCOMPARE(cell(db.get(), "select next()").text, QByteArray("1"));
        QCOMPARE(counter.use_count(), 2);
        QVERIFY(phonedb::keepUntilClose(db.get(), &destroyed, [](void* flag) { *static_cast<bool*>(flag) = true; }));
        QVERIFY(!destroyed);
    }
    QVERIFY(destroyed);
    QCOMPARE(counter.use_count(), 1);
}

void PhoneDbTest::everyBuiltInSchemaLoadsWithTheStandIns_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QByteArray>("row");
    const QByteArray legacy = "(address, flags, read) values ('10086', 2, 0)";
    const QByteArray modern = "(guid, text) values ('G-1', 'hi')";
    const QByteArray person = "(First, Last) values ('Ming', 'Li')";
    QTest::newRow("legacy-sms-ios4") << QStringLiteral("legacy-sms-ios4.sql") << QByteArray("message") << legacy;
    QTest::newRow("legacy-sms-ios5") << QStringLiteral("legacy-sms-ios5.sql") << QByteArray("message") << legacy;
    QTest::newRow("modern-sms-ios9") << QStringLiteral("modern-sms-ios9.sql") << QByteArray("message") << modern;
    QTest::newRow("modern-sms-ios13") << QStringLiteral("modern-sms-ios13.sql") << QByteArray("message") << modern;
    QTest::newRow("attachments-ios13") << QStringLiteral("modern-sms-ios13.sql") << QByteArray("attachment")
                                       << QByteArray(
                                              "(guid, original_guid, filename) values ('A-1', 'A-1', '~/a.jpg')");
    QTest::newRow("addressbook-ios5") << QStringLiteral("addressbook-ios5.sql") << QByteArray("ABPerson") << person;
    QTest::newRow("addressbook-ios9") << QStringLiteral("addressbook-ios9.sql") << QByteArray("ABPerson") << person;
    QTest::newRow("addressbook-ios15") << QStringLiteral("addressbook-ios15.sql") << QByteArray("ABPerson") << person;
}

void PhoneDbTest::everyBuiltInSchemaLoadsWithTheStandIns()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, table);
    QFETCH(QByteArray, row);
    const QByteArray statements = phoneschemas::statements(file);
    QVERIFY(!statements.isEmpty());
    Connection db = memory();
    phonedb::registerRead(db.get(), phonedb::StandIn::FlagsBit0);
    phonedb::registerAttachmentPathStandIns(db.get(), phonedb::StandIn::Null);
    phonedb::registerAddressBookStandIns(db.get(), [] { return QByteArray("GUID"); });
    QString error;
    QVERIFY2(phonedb::loadSchema(db.get(), statements, &error), qPrintable(error));
    // The phone's triggers run on a row added and removed through them.
    QVERIFY2(phonedb::exec(db.get(), "insert into " + table + ' ' + row, &error), qPrintable(error));
    QCOMPARE(cell(db.get(), "select count(*) from " + table).text, QByteArray("1"));
    QVERIFY2(phonedb::exec(db.get(), "delete from " + table, &error), qPrintable(error));
    QCOMPARE(cell(db.get(), "select count(*) from " + table).text, QByteArray("0"));
}

void PhoneDbTest::builtInSchemasAreFoundByNameOnly()
{
    QVERIFY(phoneschemas::statements(QStringLiteral("no-such-schema.sql")).isEmpty());
    QVERIFY(phoneschemas::statements(QStringLiteral("../schemas/legacy-sms-ios4.sql")).isEmpty());
    QVERIFY(phoneschemas::statements(QString()).isEmpty());
}

QTEST_GUILESS_MAIN(PhoneDbTest)
#include "tst_phonedb.moc"
