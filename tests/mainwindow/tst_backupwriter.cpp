// The backup-file writer on fixture message databases: what a backup holds,
// contact names that would break a hand-built statement, and the failures
// that must neither report success nor leave a file behind.

#include "BackupWriter.h"
#include "ContactStore.h"
#include "Fixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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

QTEST_GUILESS_MAIN(BackupWriterTest)
#include "tst_backupwriter.moc"
