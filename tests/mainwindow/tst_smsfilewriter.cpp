// Writing a ".sms" backup of a phone's databases from the window's side: the
// file lands in the backup folder under the time's name with the phone's
// messages and contacts, the phone's files stay as they were, and a failed
// write leaves nothing behind.

#include "ContactStore.h"
#include "Fixtures.h"
#include "SmsFileWriter.h"
#include "SourceLoader.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class SmsFileWriterTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void writesMessagesAndContacts();
    void writesWithoutAContactStore();
    void failedWriteLeavesNothing_data();
    void failedWriteLeavesNothing();

private:
    SourceRequest phone() const;

    QTemporaryDir m_dir;
    QString m_phoneFolder;
};

void SmsFileWriterTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_phoneFolder = m_dir.filePath(QStringLiteral("phone"));
    QVERIFY(QDir().mkpath(m_phoneFolder));
    fixtures::makeMessageDb(m_phoneFolder + QStringLiteral("/sms.db"), fixtures::sampleMessages());
    fixtures::makeAddressBook(m_phoneFolder + QStringLiteral("/book.sqlitedb"), fixtures::samplePeople());
}

SourceRequest SmsFileWriterTest::phone() const
{
    SourceRequest request;
    request.messagesPath = (m_phoneFolder + QStringLiteral("/sms.db")).toUtf8();
    request.bookPath = (m_phoneFolder + QStringLiteral("/book.sqlitedb")).toUtf8();
    return request;
}

void SmsFileWriterTest::writesMessagesAndContacts()
{
    const QByteArray before = fixtures::folderDigest(m_phoneFolder);
    // The folder is made when it is not there yet.
    const QString folder = m_dir.filePath(QStringLiteral("written/smsbackup"));
    ContactStore contacts(QByteArray{});
    const QString path = SmsFileWriter::write(nullptr, folder, phone(), &contacts, nullptr, nullptr).path;

    QVERIFY(!path.isEmpty());
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(folder).absoluteFilePath());
    const QRegularExpression name(QStringLiteral("^\\d{4}\\.\\d\\d\\.\\d\\d\\.\\d\\d\\.\\d\\d\\.\\d\\d\\.sms$"));
    QVERIFY2(name.match(QFileInfo(path).fileName()).hasMatch(), qPrintable(path));
    QCOMPARE(fixtures::column(path, QStringLiteral("select count(*) from message")),
             QStringList{QString::number(fixtures::sampleMessages().size())});
    // The store now holds the phone's book, which the file carries too.
    QVERIFY(!contacts.contacts.isEmpty());
    const QStringList names = fixtures::column(path, QStringLiteral("select name from AddressBook111"));
    QVERIFY2(names.contains(QStringLiteral("Shannon O'Neil")), qPrintable(names.join(QLatin1Char('|'))));
    QCOMPARE(fixtures::folderDigest(m_phoneFolder), before);
}

void SmsFileWriterTest::writesWithoutAContactStore()
{
    const QString folder = m_dir.filePath(QStringLiteral("nostore"));
    const QString path = SmsFileWriter::write(nullptr, folder, phone(), nullptr, nullptr, nullptr).path;
    QVERIFY(!path.isEmpty());
    QCOMPARE(fixtures::column(path, QStringLiteral("select count(*) from AddressBook111")),
             QStringList{QStringLiteral("0")});
}

void SmsFileWriterTest::failedWriteLeavesNothing_data()
{
    QTest::addColumn<QByteArray>("messages");
    QTest::addColumn<bool>("folderIsAFile");
    QTest::newRow("no message database") << QByteArray() << false;
    QTest::newRow("missing message database") << m_dir.filePath(QStringLiteral("gone.db")).toUtf8() << false;
    QTest::newRow("not a database") << (m_phoneFolder + QStringLiteral("/../notes.txt")).toUtf8() << false;
    QTest::newRow("backup folder is a file") << phone().messagesPath << true;
}

void SmsFileWriterTest::failedWriteLeavesNothing()
{
    QFETCH(QByteArray, messages);
    QFETCH(bool, folderIsAFile);
    QFile notes(m_dir.filePath(QStringLiteral("notes.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    QVERIFY(notes.write("no database here") > 0);
    notes.close();

    const QString folder = m_dir.filePath(QStringLiteral("failed-") + QString::fromLatin1(QTest::currentDataTag()));
    if (folderIsAFile) {
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    SourceRequest source = phone();
    source.messagesPath = messages;
    QCOMPARE(SmsFileWriter::write(nullptr, folder, source, nullptr, nullptr, nullptr).path, QString());
    if (folderIsAFile)
        QVERIFY(QFileInfo(folder).isFile());
    else
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

QTEST_MAIN(SmsFileWriterTest)
#include "tst_smsfilewriter.moc"
