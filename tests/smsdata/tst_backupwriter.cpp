// The backup-file writer on fixture message databases: what a backup holds,
// contact names that would break a hand-built statement, and the failures
// that must neither report success nor leave a file behind.

#include "BackupWriter.h"
#include "ContactStore.h"
#include "Fixtures.h"
#include "MessageStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

using Rows = QVector<QPair<QByteArray, QByteArray>>;

ContactRecord person(const char* first, const char* last, QVector<ContactValue> values,
                     const QByteArray& organization = {})
{
    ContactRecord c(first, last, {});
    c.values = std::move(values);
    c.organization = organization;
    if (!c.values.isEmpty())
        c.number = QByteArray(c.values.first().value).replace('-', QByteArray());
    return c;
}

QStringList tableRows(const QString& file)
{
    return fixtures::column(file, QStringLiteral("select name || '|' || tel from AddressBook111 order by rowid"));
}

// A message database of a current phone: handles, chats, their joins and
// the messages in them.
QString makeModernSource(const QString& path)
{
    return fixtures::makeFromSchema(
        path, QStringLiteral("modern-sms-ios13.sql"),
        QStringLiteral("insert into handle (ROWID, id, country, service) values (1, '+12095981933', 'us', 'SMS'),"
                       " (2, 'anna@example.org', 'us', 'iMessage'), (3, '+12095550100', 'us', 'iMessage'), (4, "
                       "'40404', 'us', 'SMS');"
                       "insert into chat (ROWID, guid, style, chat_identifier, display_name) values"
                       " (1, 'SMS;-;+12095981933', 45, '+12095981933', ''), (2, 'iMessage;+;chat42', 43, 'chat42', '');"
                       "insert into chat_handle_join values (1, 1), (2, 2), (2, 3);"
                       "insert into message (ROWID, guid, text, handle_id, is_from_me, date) values"
                       " (1, 'g1', 'Hello', 1, 0, 600000000), (2, 'g2', 'Hi all', 2, 0, 600000100),"
                       " (3, 'g3', 'Lunch?', 3, 0, 600000200), (4, 'g4', 'Your code is 1234', 4, 0, 600000300);"
                       "insert into chat_message_join (chat_id, message_id) values (1, 1), (2, 2), (2, 3);"));
}

#ifdef Q_OS_UNIX
// A file size limit stands in for a full disk while it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = m_saved;
        small.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    bool ok() const { return m_ok; }

private:
    struct rlimit m_saved
    {
    };
    bool m_ok = false;
};
#endif

} // namespace

class BackupWriterTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void fileNameFollowsLocalTime();
    void backupHoldsMessagesAndContactTable();
    void contactsReadBackUnchanged_data();
    void contactsReadBackUnchanged();
    void readOnlySourceGivesWritableBackup();
    void failures_data();
    void failures();
    void existingFileIsNeverTouched();
    void everyValueBecomesARow();
    void modernSourceRoundTrip();
    void writeAheadLogIsPartOfTheCopy_data();
    void writeAheadLogIsPartOfTheCopy();
    void fullDiskLeavesNothing_data();
    void fullDiskLeavesNothing();

private:
    QString source() const { return m_dir->filePath(QStringLiteral("sms.db")); }
    QString target() const { return m_dir->filePath(QStringLiteral("2010.05.01.12.30.45.sms")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void BackupWriterTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    fixtures::makeMessageDb(source(), {{1, QStringLiteral("10086"), 1000, QStringLiteral("hello"), 2},
                                       {2, QStringLiteral("138-0000-1111"), 2000, QStringLiteral("bye"), 3}});
}

void BackupWriterTest::fileNameFollowsLocalTime()
{
    const QDateTime when(QDate(2010, 5, 1), QTime(12, 30, 45));
    QCOMPARE(backupwriter::backupFileName(when), QStringLiteral("2010.05.01.12.30.45.sms"));
    // Names sort like the times they stand for.
    const QDateTime later(QDate(2010, 11, 2), QTime(9, 5, 1));
    QCOMPARE(backupwriter::backupFileName(later), QStringLiteral("2010.11.02.09.05.01.sms"));
    QVERIFY(backupwriter::backupFileName(when) < backupwriter::backupFileName(later));
}

void BackupWriterTest::backupHoldsMessagesAndContactTable()
{
    QCOMPARE(backupwriter::writeBackup(source(), target(), {}), backupwriter::Result::Written);
    QCOMPARE(fixtures::column(target(), QStringLiteral("select text from message order by rowid")),
             QStringList({QStringLiteral("hello"), QStringLiteral("bye")}));
    // The address column is copied as the phone wrote it, dashes included.
    QCOMPARE(fixtures::column(target(), QStringLiteral("select address from message where rowid=2")),
             QStringList{QStringLiteral("138-0000-1111")});
    QCOMPARE(fixtures::column(target(), QStringLiteral("select sql from sqlite_master where name='AddressBook111'")),
             QStringList{QStringLiteral("CREATE TABLE AddressBook111(name varchar(100), tel varchar(100))")});
    QCOMPARE(backupwriter::createContactTableStatement(),
             QByteArray("create table AddressBook111(name varchar(100), tel varchar(100));"));
    QCOMPARE(fixtures::column(target(), QStringLiteral("select count(*) from AddressBook111")),
             QStringList{QStringLiteral("0")});
    // The source is read, never changed.
    QCOMPARE(
        fixtures::column(source(), QStringLiteral("select count(*) from sqlite_master where name='AddressBook111'")),
        QStringList{QStringLiteral("0")});
}

void BackupWriterTest::contactsReadBackUnchanged_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("last");
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QString>("storedName");

    QTest::newRow("apostrophe") << QByteArray("Patrick") << QByteArray("O'Neil") << QByteArray("13800001111")
                                << QStringLiteral("Patrick O'Neil");
    QTest::newRow("empty last name keeps the blank")
        << QByteArray("Anna") << QByteArray() << QByteArray("10086") << QStringLiteral("Anna ");
    QTest::newRow("double quotes and backslash")
        << QByteArray("\"Big\" \\Bob\\") << QByteArray("x") << QByteArray("1") << QStringLiteral("\"Big\" \\Bob\\ x");
    QTest::newRow("statement inside a name") << QByteArray("a'); drop table message; --") << QByteArray("b")
                                             << QByteArray("2'3") << QStringLiteral("a'); drop table message; -- b");
    QTest::newRow("non-ASCII") << QByteArray("张") << QByteArray("Zoë 😀") << QByteArray("+8613800001111")
                               << QStringLiteral("张 Zoë 😀");
    QTest::newRow("no number") << QByteArray("Mail") << QByteArray("Only") << QByteArray()
                               << QStringLiteral("Mail Only");
}

void BackupWriterTest::contactsReadBackUnchanged()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, last);
    QFETCH(QByteArray, number);
    QFETCH(QString, storedName);

    const ContactRecord before{QByteArray("First"), QByteArray("Row"), QByteArray("111")};
    const ContactRecord probe{first, last, number};
    const ContactRecord after{QByteArray("Last"), QByteArray("Row"), QByteArray("333")};
    QCOMPARE(backupwriter::writeBackup(source(), target(), {before, probe, after}), backupwriter::Result::Written);

    // Order of the contacts is kept, and the rows around the odd one are intact.
    QCOMPARE(fixtures::column(target(), QStringLiteral("select name from AddressBook111 order by rowid")),
             QStringList({QStringLiteral("First Row"), storedName, QStringLiteral("Last Row")}));
    QCOMPARE(fixtures::column(target(), QStringLiteral("select tel from AddressBook111 order by rowid")),
             QStringList({QStringLiteral("111"), QString::fromUtf8(number), QStringLiteral("333")}));
    QCOMPARE(fixtures::column(target(), QStringLiteral("select count(*) from message")),
             QStringList{QStringLiteral("2")});

    // The program's own reader gets the same bytes back.
    ContactStore store(target().toUtf8());
    QCOMPARE(store.readBackupAddressBook(target().toUtf8()), 0);
    QCOMPARE(store.contacts.size(), 3);
    QCOMPARE(store.contacts.at(1).firstName, storedName.toUtf8());
    QCOMPARE(store.contacts.at(1).number, number);
}

void BackupWriterTest::readOnlySourceGivesWritableBackup()
{
    QVERIFY(QFile::setPermissions(source(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const ContactRecord c{QByteArray("Ann"), QByteArray("Lee"), QByteArray("10086")};
    QCOMPARE(backupwriter::writeBackup(source(), target(), {c}), backupwriter::Result::Written);
    QVERIFY(QFile::permissions(target()) & QFile::WriteOwner);
    QCOMPARE(fixtures::column(target(), QStringLiteral("select name from AddressBook111")),
             QStringList{QStringLiteral("Ann Lee")});
    // Later deletes on the chat page write to the backup.
    QCOMPARE(fixtures::exec(target(), QStringLiteral("delete from AddressBook111")), 0);
}

void BackupWriterTest::failures_data()
{
    QTest::addColumn<QString>("sourceKind");
    QTest::addColumn<QString>("targetName");
    QTest::addColumn<int>("expected");

    QTest::newRow("missing source") << "missing"
                                    << "a.sms" << int(backupwriter::Result::CopyFailed);
    QTest::newRow("empty source path") << "empty"
                                       << "a.sms" << int(backupwriter::Result::CopyFailed);
    QTest::newRow("source is a folder") << "folder"
                                        << "a.sms" << int(backupwriter::Result::CopyFailed);
    QTest::newRow("source is not a database") << "text"
                                              << "a.sms" << int(backupwriter::Result::NotADatabase);
    QTest::newRow("source already holds the contact table") << "backup"
                                                            << "a.sms" << int(backupwriter::Result::NotADatabase);
    QTest::newRow("target folder missing") << "good"
                                           << "no/such/folder/a.sms" << int(backupwriter::Result::CopyFailed);
}

void BackupWriterTest::failures()
{
    QFETCH(QString, sourceKind);
    QFETCH(QString, targetName);
    QFETCH(int, expected);

    QString src;
    if (sourceKind == QLatin1String("missing")) {
        src = m_dir->filePath(QStringLiteral("gone.db"));
    } else if (sourceKind == QLatin1String("folder")) {
        src = m_dir->path();
    } else if (sourceKind == QLatin1String("text")) {
        src = m_dir->filePath(QStringLiteral("notes.txt"));
        QFile f(src);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    } else if (sourceKind == QLatin1String("backup")) {
        src = fixtures::makeBackupFile(m_dir->filePath(QStringLiteral("old.sms")), {},
                                       {{QStringLiteral("Ann"), QStringLiteral("1")}});
    } else if (sourceKind == QLatin1String("good")) {
        src = source();
    }
    const QString dst = m_dir->filePath(targetName);
    const ContactRecord c{QByteArray("Ann"), QByteArray("Lee"), QByteArray("10086")};

    QCOMPARE(int(backupwriter::writeBackup(src, dst, {c})), expected);
    QVERIFY2(!QFile::exists(dst), "a failed backup left a file behind");
    QVERIFY(!QFile::exists(dst + QStringLiteral("-journal")));
}

void BackupWriterTest::existingFileIsNeverTouched()
{
    {
        QFile f(target());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("an earlier backup");
    }
    const ContactRecord c{QByteArray("Ann"), QByteArray("Lee"), QByteArray("10086")};
    QCOMPARE(backupwriter::writeBackup(source(), target(), {c}), backupwriter::Result::TargetExists);
    QFile f(target());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("an earlier backup"));

    // The same holds for a real earlier backup written within the same second.
    const QString second = m_dir->filePath(QStringLiteral("b.sms"));
    QCOMPARE(backupwriter::writeBackup(source(), second, {c}), backupwriter::Result::Written);
    const ContactRecord other{QByteArray("Bo"), QByteArray("Wu"), QByteArray("10010")};
    QCOMPARE(backupwriter::writeBackup(source(), second, {other}), backupwriter::Result::TargetExists);
    QCOMPARE(fixtures::column(second, QStringLiteral("select name from AddressBook111")),
             QStringList{QStringLiteral("Ann Lee")});
}

void BackupWriterTest::everyValueBecomesARow()
{
    const QVector<ContactRecord> contacts = {
        // e-mail first: the first row keeps it, as the old single row did
        person("Amélie", "Dupont",
               {{ContactValue::Email, "amelie@example.org"},
                {ContactValue::Phone, "(209) 598-1933"},
                {ContactValue::Phone, "+1 209-555-0100"}}),
        person("", "", {{ContactValue::Phone, "+49 341 234567"}}, "Stadtwerke"),
        person("Nobody", "Without", {}),
        // the first row's number is the value without dashes; it is not repeated
        person("Li", "Ming", {{ContactValue::Phone, "138-0013-8000"}, {ContactValue::Phone, "138-0013-8000"}}),
        // a record made by hand, without values
        ContactRecord("Hand", "Made", "10086"),
    };
    const Rows rows = backupwriter::contactRows(contacts);
    const Rows expected = {
        {"Amélie Dupont", "amelie@example.org"},
        {"Stadtwerke", "+49 341 234567"},
        {"Nobody Without", ""},
        {"Li Ming", "13800138000"},
        {"Hand Made", "10086"},
        {"Amélie Dupont", "(209) 598-1933"},
        {"Amélie Dupont", "+1 209-555-0100"},
        {"Li Ming", "138-0013-8000"},
    };
    QCOMPARE(rows, expected);

    QCOMPARE(backupwriter::writeBackup(source(), target(), contacts), backupwriter::Result::Written);
    QStringList stored;
    for (const auto& row : expected)
        stored.append(QString::fromUtf8(row.first + '|' + row.second));
    QCOMPARE(tableRows(target()), stored);
}

void BackupWriterTest::modernSourceRoundTrip()
{
    const QString modern = makeModernSource(m_dir->filePath(QStringLiteral("modern.db")));
    const QString book = fixtures::makeAddressBook(
        m_dir->filePath(QStringLiteral("AddressBook.sqlitedb")),
        {{QStringLiteral("Anna"),
          QStringLiteral("Berg"),
          {{4, QStringLiteral("Anna@Example.org")}, {3, QStringLiteral("(209)\u00a0598-1933")}}},
         {QVariant(), QVariant(), {{3, QStringLiteral("+1 209-555-0100")}}, QStringLiteral("Acme Ltd")},
         {QStringLiteral("Bo"), QStringLiteral("Wu"), {{3, QStringLiteral("0341 234567")}}}},
        fixtures::BookSchema::Ios15);
    ContactStore phoneBook(book.toUtf8());
    QCOMPARE(backupwriter::writeBackup(modern, target(), phoneBook.contacts), backupwriter::Result::Written);

    // The phone's tables come along whole.
    for (const char* table : {"message", "handle", "chat", "chat_message_join", "chat_handle_join"}) {
        const QString count = QStringLiteral("select count(*) from ") + QLatin1String(table);
        QCOMPARE(fixtures::column(target(), count), fixtures::column(modern, count));
    }
    QCOMPARE(fixtures::column(target(), QStringLiteral("select text from message order by ROWID")),
             fixtures::column(modern, QStringLiteral("select text from message order by ROWID")));
    QCOMPARE(tableRows(target()),
             QStringList({QStringLiteral("Anna Berg|Anna@Example.org"), QStringLiteral("Acme Ltd|+1 2095550100"),
                          QStringLiteral("Bo Wu|0341 234567"), QStringLiteral("Anna Berg|(209)\u00a0598-1933")}));

    // Read back, the rows name the phone's handles as the book did.
    ContactStore backupBook(QByteArray{});
    QCOMPARE(backupBook.readBackupAddressBook(target().toUtf8()), 0);
    QCOMPARE(backupBook.contacts.size(), 4);
    MessageStore messages(m_dir->filePath(QStringLiteral("none.db")).toUtf8());
    for (const char* address : {"+12095981933", "anna@example.org", "chat42", "40404", "+12095550100"}) {
        MessageRecord m;
        m.address = address;
        messages.messages.append(m);
    }
    messages.setHandleCountry("+12095981933", "us");
    messages.setConversationInfo("chat42", {true, {}, {"anna@example.org", "+12095550100"}});
    fillContactNames(messages, backupBook);
    QStringList names;
    for (const MessageRecord& m : std::as_const(messages.messages))
        names.append(QString::fromUtf8(m.contactName));
    QCOMPARE(names,
             QStringList({QStringLiteral(" Anna Berg"), QStringLiteral(" Anna Berg"),
                          QStringLiteral("Anna Berg, Acme Ltd"), QStringLiteral("NULL"), QStringLiteral(" Acme Ltd")}));
}

void BackupWriterTest::writeAheadLogIsPartOfTheCopy_data()
{
    QTest::addColumn<bool>("walElsewhere");
    QTest::newRow("log beside the database") << false;
    QTest::newRow("log under a name of its own") << true;
}

void BackupWriterTest::writeAheadLogIsPartOfTheCopy()
{
    QFETCH(bool, walElsewhere);
    QTemporaryDir phoneFolder;
    QVERIFY(phoneFolder.isValid());
    const QString db =
        makeModernSource(phoneFolder.filePath(QStringLiteral("3d0d7e5fb2ce288813306e4d4636395e047a3d28")));
    // The newest message is only in the log, as on a phone.
    fixtures::writeIntoLog(db, QStringLiteral("insert into message (ROWID, guid, text, handle_id, is_from_me, date)"
                                              " values (5, 'g5', 'Only in the log', 1, 1, 600000400);"
                                              "insert into chat_message_join (chat_id, message_id) values (1, 5);"));
    QString wal = db + QStringLiteral("-wal");
    QVERIFY(QFileInfo(wal).size() > 0);
    if (walElsewhere) {
        const QString other = phoneFolder.filePath(QStringLiteral("b7c1d2e3f4a5b6c7d8e9f0a1b2c3d4e5f6a7b8c9"));
        QVERIFY(QFile::rename(wal, other));
        wal = other;
    }
    QFile::remove(db + QStringLiteral("-shm"));
    const QByteArray before = fixtures::folderDigest(phoneFolder.path());

    const ContactRecord c{QByteArray("Ann"), QByteArray("Lee"), QByteArray("+12095981933")};
    QCOMPARE(backupwriter::writeBackup(db, target(), {c}, walElsewhere ? wal : QString()),
             backupwriter::Result::Written);
    QCOMPARE(fixtures::folderDigest(phoneFolder.path()), before);

    // The backup is one whole file: the log's message is in it, nothing lies beside it.
    QCOMPARE(fixtures::column(target(), QStringLiteral("select text from message where ROWID=5")),
             QStringList{QStringLiteral("Only in the log")});
    QCOMPARE(fixtures::column(target(), QStringLiteral("select count(*) from chat_message_join")),
             QStringList{QStringLiteral("4")});
    QCOMPARE(fixtures::column(target(), QStringLiteral("PRAGMA journal_mode")), QStringList{QStringLiteral("delete")});
    QCOMPARE(fixtures::column(target(), QStringLiteral("PRAGMA integrity_check")), QStringList{QStringLiteral("ok")});
    QCOMPARE(tableRows(target()), QStringList{QStringLiteral("Ann Lee|+12095981933")});
    QVERIFY(!QFileInfo::exists(target() + QStringLiteral("-wal")));
    QVERIFY(!QFileInfo::exists(target() + QStringLiteral("-shm")));
}

void BackupWriterTest::fullDiskLeavesNothing_data()
{
    QTest::addColumn<int>("contactCount");
    QTest::addColumn<int>("expected");
    QTest::newRow("during the copy") << 0 << int(backupwriter::Result::CopyFailed);
    QTest::newRow("during the contact rows") << 20000 << int(backupwriter::Result::ContactsFailed);
}

void BackupWriterTest::fullDiskLeavesNothing()
{
#ifdef Q_OS_UNIX
    QFETCH(int, contactCount);
    QFETCH(int, expected);
    QList<fixtures::Msg> many;
    for (int i = 1; i <= 3000; ++i)
        many.append({i, QStringLiteral("10086"), 1000 + i, QStringLiteral("message %1 ").arg(i).repeated(10), 2});
    const QString big = fixtures::makeMessageDb(m_dir->filePath(QStringLiteral("big.db")), many);
    const qint64 size = QFileInfo(big).size();
    QVERIFY(size > 256 * 1024);
    QVector<ContactRecord> contacts;
    for (int i = 0; i < contactCount; ++i)
        contacts.append({"First" + QByteArray::number(i), QByteArray("Last").repeated(20), QByteArray::number(i)});

    backupwriter::Result result = backupwriter::Result::Written;
    {
        // Room for the copy only when there are contacts to fail on.
        FileSizeLimit limit(rlim_t(contactCount ? size + 64 * 1024 : size / 2));
        QVERIFY(limit.ok());
        result = backupwriter::writeBackup(big, target(), contacts);
    }
    QCOMPARE(int(result), expected);
    QVERIFY(!QFileInfo::exists(target()));
    QVERIFY(!QFileInfo::exists(target() + QStringLiteral("-journal")));
    // The source is as it was.
    QCOMPARE(fixtures::column(big, QStringLiteral("select count(*) from message")),
             QStringList{QStringLiteral("3000")});
#else
    QSKIP("needs a file size limit");
#endif
}

QTEST_GUILESS_MAIN(BackupWriterTest)
#include "tst_backupwriter.moc"
