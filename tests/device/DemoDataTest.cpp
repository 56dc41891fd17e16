// The demo data: a phone that looks used (enough conversations and messages,
// several languages, both directions, months of dates), contacts that match
// their conversations by number, the same rows on every run, and backup
// files in the form the program reads.

#include "DemoData.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

namespace {

// Rows of a query as "|"-joined text, NULL as "NULL".
QStringList rows(const QString& path, const char* query)
{
    QStringList out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("<cannot open>")};
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, query, -1, &stmt, nullptr) != SQLITE_OK) {
        out.append(QStringLiteral("<error> ") + QString::fromUtf8(sqlite3_errmsg(db)));
    } else {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList cells;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                cells.append(text ? QString::fromUtf8(text) : QStringLiteral("NULL"));
            }
            out.append(cells.join(QLatin1Char('|')));
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

QString lastEleven(const QString& number)
{
    const QString plain = demodata::withoutDashes(number);
    return plain.right(11);
}

} // namespace

class DemoDataTest : public QObject
{
    Q_OBJECT

private slots:
    void phoneLooksUsed();
    void textsInSeveralLanguages();
    void everyContactMatchesItsConversation();
    void writtenFilesHoldTheRows();
    void sameRowsOnEveryRun();
    void backupFiles();
    void unwritableFolderIsReported();
};

void DemoDataTest::phoneLooksUsed()
{
    const auto& messages = demodata::messages();
    const auto& conversations = demodata::conversations();
    QVERIFY2(messages.size() > 1000, qPrintable(QString::number(messages.size())));
    QVERIFY(conversations.size() >= 24 && conversations.size() <= 60);

    int incoming = 0;
    int outgoing = 0;
    QSet<int> groups;
    qint64 previous = 0;
    for (int i = 0; i < messages.size(); ++i) {
        const demodata::Message& m = messages.at(i);
        QCOMPARE(m.rowId, i + 1);
        // Row ids follow the arrival of the messages.
        QVERIFY(m.date >= previous);
        previous = m.date;
        incoming += m.flags == 2;
        outgoing += m.flags == 3;
        QVERIFY(m.flags == 2 || m.flags == 3);
        QVERIFY(!m.text.isEmpty());
        groups.insert(m.groupId);
    }
    QCOMPARE(incoming + outgoing, messages.size());
    QVERIFY(incoming > messages.size() / 4 && outgoing > messages.size() / 4);
    QCOMPARE(groups.size(), conversations.size());
    // Spread over months, not bunched on one day.
    QVERIFY(messages.constLast().date - messages.constFirst().date > 150 * 86400);

    // Short service numbers only send; some numbers have no contact.
    int services = 0;
    int strangers = 0;
    for (const demodata::Conversation& c : conversations) {
        if (c.address.size() <= 6) {
            ++services;
            for (const demodata::Message& m : messages) {
                if (m.groupId == c.groupId)
                    QCOMPARE(m.flags, 2);
            }
        } else if (c.personIndex < 0) {
            ++strangers;
        }
    }
    QVERIFY(services >= 2);
    QVERIFY(strangers >= 2);
}

void DemoDataTest::textsInSeveralLanguages()
{
    bool chinese = false, french = false, german = false, spanish = false, emoji = false, placeholder = false;
    for (const demodata::Message& m : demodata::messages()) {
        chinese |= m.text.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]")));
        french |= m.text.contains(QStringLiteral("ç")) || m.text.contains(QStringLiteral("é"));
        german |= m.text.contains(QStringLiteral("ü")) || m.text.contains(QStringLiteral("ß"));
        spanish |= m.text.contains(QStringLiteral("¿")) || m.text.contains(QStringLiteral("¡"));
        emoji |= m.text.contains(QRegularExpression(QStringLiteral("[\\x{1F300}-\\x{1FAFF}]")));
        placeholder |= m.text.contains(QChar(0xFFFC));
    }
    QVERIFY(chinese);
    QVERIFY(french);
    QVERIFY(german);
    QVERIFY(spanish);
    QVERIFY(emoji);
    QVERIFY(placeholder);
}

void DemoDataTest::everyContactMatchesItsConversation()
{
    const auto& people = demodata::people();
    bool dashed = false;
    bool prefixDiffers = false;
    for (const demodata::Conversation& c : demodata::conversations()) {
        if (c.personIndex < 0)
            continue;
        const demodata::Person& p = people.at(c.personIndex);
        // The program matches the last 11 digits of both sides.
        QCOMPARE(lastEleven(c.address), lastEleven(p.bookNumber));
        dashed |= p.bookNumber.contains(QLatin1Char('-'));
        prefixDiffers |= demodata::withoutDashes(p.bookNumber) != c.address;
    }
    QVERIFY(dashed);
    QVERIFY(prefixDiffers);
    // A number without contact matches nobody.
    for (const demodata::Conversation& c : demodata::conversations()) {
        if (c.personIndex >= 0)
            continue;
        for (const demodata::Person& p : people)
            QVERIFY(lastEleven(c.address) != lastEleven(p.bookNumber));
    }
}

void DemoDataTest::writtenFilesHoldTheRows()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY2(demodata::writePhone(dir.filePath(QStringLiteral("phone")), &error), qPrintable(error));
    const QString sms = dir.filePath(QStringLiteral("phone/sms.db"));
    const QString book = dir.filePath(QStringLiteral("phone/AddressBook.sqlitedb"));

    QCOMPARE(rows(sms, "SELECT count(*) FROM message"), QStringList{QString::number(demodata::messages().size())});
    QCOMPARE(rows(sms, "SELECT count(*) FROM msg_group"),
             QStringList{QString::number(demodata::conversations().size())});
    // The unread counters agree with the rows, as on the phone.
    QCOMPARE(rows(sms, "SELECT count(*) FROM msg_group g WHERE unread_count != "
                       "(SELECT count(*) FROM message m WHERE m.group_id = g.ROWID AND m.read = 0)"),
             QStringList{QStringLiteral("0")});
    // The columns the program reads by position: 0 row id, 1 address, 2 date, 3 text, 4 flags.
    const demodata::Message& first = demodata::messages().constFirst();
    QCOMPARE(rows(sms, "SELECT * FROM message ORDER BY ROWID LIMIT 1").constFirst().section(QLatin1Char('|'), 0, 4),
             QStringLiteral("%1|%2|%3|%4|%5")
                 .arg(first.rowId)
                 .arg(first.address)
                 .arg(first.date)
                 .arg(first.text)
                 .arg(first.flags));
    // Dashed and plain spellings of one number land in one conversation.
    QVERIFY(rows(sms, "SELECT count(DISTINCT address) FROM message WHERE group_id = "
                      "(SELECT group_id FROM message WHERE address LIKE '%-%' LIMIT 1)")
                .constFirst()
                .toInt() == 2);

    QCOMPARE(rows(book, "SELECT count(*) FROM ABPerson"), QStringList{QString::number(demodata::people().size())});
    QCOMPARE(rows(book, "SELECT First, Last FROM ABPerson WHERE ROWID = 1"), QStringList{QStringLiteral("伟|王")});
    // The person with an e-mail address has it as the first value.
    QCOMPARE(rows(book, "SELECT property FROM ABMultiValue WHERE record_id = "
                        "(SELECT ROWID FROM ABPerson WHERE Last = 'O''Neill') ORDER BY UID"),
             (QStringList{QStringLiteral("4"), QStringLiteral("3")}));
}

void DemoDataTest::sameRowsOnEveryRun()
{
    QTemporaryDir one;
    QTemporaryDir two;
    QVERIFY(demodata::writePhone(one.path()));
    QVERIFY(demodata::writePhone(two.path()));
    const char* query = "SELECT ROWID, address, date, text, flags, group_id, read FROM message ORDER BY ROWID";
    const QStringList a = rows(one.filePath(QStringLiteral("sms.db")), query);
    QCOMPARE(a.size(), demodata::messages().size());
    QCOMPARE(rows(two.filePath(QStringLiteral("sms.db")), query), a);
    // Fixed values, so that a change of the generator is noticed.
    QCOMPARE(a.size(), 1404);
}

void DemoDataTest::backupFiles()
{
    QTemporaryDir dir;
    QString error;
    const QStringList written = demodata::writeBackups(dir.filePath(QStringLiteral("smsbackup")), 3, &error);
    QVERIFY2(written.size() == 3, qPrintable(error));
    const QRegularExpression name(QStringLiteral("^\\d{4}\\.\\d\\d\\.\\d\\d\\.\\d\\d\\.\\d\\d\\.\\d\\d\\.sms$"));
    QStringList names;
    int previousCount = 0;
    for (const QString& path : written) {
        names.append(QFileInfo(path).fileName());
        QVERIFY2(name.match(names.constLast()).hasMatch(), qPrintable(names.constLast()));
        const int count = rows(path, "SELECT count(*) FROM message").constFirst().toInt();
        QVERIFY(count > previousCount);
        previousCount = count;
        QCOMPARE(rows(path, "SELECT count(*) FROM AddressBook111"),
                 QStringList{QString::number(demodata::people().size())});
    }
    // The newest backup holds every message; names sort like their times.
    QCOMPARE(previousCount, demodata::messages().size());
    QStringList sorted = names;
    sorted.sort();
    QCOMPARE(names, sorted);
    // "first last" and the number without dashes; quotes kept.
    const QStringList contacts = rows(written.constLast(), "SELECT name, tel FROM AddressBook111");
    QVERIFY(contacts.contains(QStringLiteral("伟 王|13812345678")));
    QVERIFY(contacts.contains(QStringLiteral("Mom |+8613600008888")));
    QVERIFY(contacts.contains(QStringLiteral("Grace O'Neill|grace.oneill@example.org")));
}

void DemoDataTest::unwritableFolderIsReported()
{
    QTemporaryDir dir;
    // A file where the folder should be.
    const QString blocked = dir.filePath(QStringLiteral("blocked"));
    QFile file(blocked);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QString error;
    QVERIFY(!demodata::writePhone(blocked + QStringLiteral("/phone"), &error));
    QVERIFY(!error.isEmpty());
    error.clear();
    QVERIFY(demodata::writeBackups(blocked + QStringLiteral("/smsbackup"), 2, &error).isEmpty());
    QVERIFY(!error.isEmpty());
    QVERIFY(demodata::writeBackups(dir.path(), 0).isEmpty());
}

QTEST_GUILESS_MAIN(DemoDataTest)
#include "DemoDataTest.moc"
