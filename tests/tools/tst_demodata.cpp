// The demo data: a phone that looks used (enough conversations and messages,
// several languages, both directions, months of dates), contacts that match
// their conversations by number, the same rows on every run, and backup
// files in the form the program reads; for the current phone, the shape of
// its message database and address book as the phone writes them.

#include "DemoData.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

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

QString one(const QString& path, const char* query)
{
    const QStringList all = rows(path, query);
    return all.size() == 1 ? all.constFirst() : QStringLiteral("<%1 rows>").arg(all.size());
}

// The blobs of a query's first column.
QList<QByteArray> blobs(const QString& path, const char* query)
{
    QList<QByteArray> out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, query, -1, &stmt, nullptr) == SQLITE_OK) {
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, 0));
                out.append(QByteArray(data, sqlite3_column_bytes(stmt, 0)));
            }
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return out;
}

QString digits(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c.isDigit())
            out += c;
    }
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

    void currentPhoneMessages();
    void currentPhoneChatsAndGroups();
    void currentPhoneReactionsEventsAndAttachments();
    void currentPhoneAddressBook();
    void currentPhoneSameRowsOnEveryRun();
    void currentPhoneBackupFiles();

private:
    QString modernPhone();

    QTemporaryDir m_modern;
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

QString DemoDataTest::modernPhone()
{
    const QString folder = m_modern.filePath(QStringLiteral("phone"));
    if (!QFile::exists(folder + QStringLiteral("/sms.db"))) {
        QString error;
        if (!demodata::writePhone(folder, demodata::Layout::Modern, &error))
            qWarning("%s", qPrintable(error));
    }
    return folder;
}

void DemoDataTest::currentPhoneMessages()
{
    const QString sms = modernPhone() + QStringLiteral("/sms.db");
    QCOMPARE(one(sms, "PRAGMA integrity_check"), QStringLiteral("ok"));
    QCOMPARE(rows(sms, "PRAGMA foreign_key_check"), QStringList());
    // The modern layout, with the columns of iOS 16 and later.
    for (const char* column : {"handle_id", "is_from_me", "attributedBody", "date_edited", "date_retracted"}) {
        const QByteArray query =
            "SELECT count(*) FROM pragma_table_info('message') WHERE name = '" + QByteArray(column) + "'";
        QVERIFY2(one(sms, query.constData()) == QLatin1String("1"), column);
    }
    QCOMPARE(one(sms, "SELECT count(*) FROM pragma_table_info('message') WHERE name IN ('address', 'flags')"),
             QStringLiteral("0"));
    // Fixed values, so that a change of the generator is noticed.
    QCOMPARE(one(sms, "SELECT count(*) FROM message"), QStringLiteral("1306"));
    // Dates in nanoseconds since 2001, over months of 2023.
    QCOMPARE(one(sms, "SELECT count(*) FROM message WHERE date < 1000000000000000000 / 10 "
                      "OR date / 1000000000 + 978307200 NOT BETWEEN 1677628800 AND 1704067200"),
             QStringLiteral("0"));
    QVERIFY(one(sms, "SELECT (max(date) - min(date)) / 1000000000 / 86400 FROM message").toInt() > 200);
    // Both directions.
    const int sent = one(sms, "SELECT count(*) FROM message WHERE is_from_me = 1 AND item_type = 0").toInt();
    const int received = one(sms, "SELECT count(*) FROM message WHERE is_from_me = 0").toInt();
    QVERIFY(sent > 300 && received > 300);

    // Many texts only in attributedBody; every blob is a typed stream.
    const int bodyOnly =
        one(sms, "SELECT count(*) FROM message WHERE text IS NULL AND attributedBody IS NOT NULL").toInt();
    QVERIFY2(bodyOnly > 500, qPrintable(QString::number(bodyOnly)));
    QVERIFY(one(sms, "SELECT count(*) FROM message WHERE text IS NOT NULL AND attributedBody IS NOT NULL").toInt() >
            300);
    const QList<QByteArray> bodies = blobs(sms, "SELECT attributedBody FROM message WHERE attributedBody IS NOT NULL");
    int longTexts = 0;
    for (const QByteArray& body : bodies) {
        QVERIFY(body.startsWith(QByteArray("\x04\x0bstreamtyped")));
        // A text over 127 bytes takes a two-byte length after 0x81.
        longTexts += body.contains(QByteArray("NSString\x01\x94\x84\x01\x2b\x81"));
    }
    QVERIFY(longTexts >= 1);
    // The text of a message that has both is the text in its blob.
    const QStringList both = rows(sms, "SELECT text FROM message WHERE text IS NOT NULL AND attributedBody IS NOT "
                                       "NULL ORDER BY ROWID LIMIT 1");
    const QList<QByteArray> firstBody = blobs(sms, "SELECT attributedBody FROM message WHERE text IS NOT NULL AND "
                                                   "attributedBody IS NOT NULL ORDER BY ROWID LIMIT 1");
    QVERIFY(!both.isEmpty() && !firstBody.isEmpty());
    QVERIFY(firstBody.constFirst().contains(both.constFirst().toUtf8()));

    // One edited message shows its latest text; one unsent has none left.
    QCOMPARE(one(sms, "SELECT count(*) FROM message WHERE date_edited > 0 AND date_retracted = 0 AND "
                      "attributedBody IS NOT NULL"),
             QStringLiteral("1"));
    QCOMPARE(one(sms, "SELECT count(*) FROM message WHERE date_retracted > 0 AND text IS NULL AND "
                      "attributedBody IS NULL"),
             QStringLiteral("1"));
    // One message the phone filed in no chat.
    QCOMPARE(one(sms, "SELECT h.id FROM message m JOIN handle h ON h.ROWID = m.handle_id WHERE m.ROWID NOT IN "
                      "(SELECT message_id FROM chat_message_join)"),
             QStringLiteral("72000"));
}

void DemoDataTest::currentPhoneChatsAndGroups()
{
    const QString sms = modernPhone() + QStringLiteral("/sms.db");
    QCOMPARE(one(sms, "SELECT count(*) FROM chat"), QStringLiteral("33"));
    // One person in an SMS and an iMessage chat of the same identifier.
    QCOMPARE(rows(sms, "SELECT service_name FROM chat WHERE chat_identifier = '+447700900123' ORDER BY 1"),
             (QStringList{QStringLiteral("SMS"), QStringLiteral("iMessage")}));
    // Handles that are e-mail addresses, short codes and a sender name.
    QCOMPARE(one(sms, "SELECT count(*) FROM chat WHERE style = 45 AND chat_identifier LIKE '%@%'"),
             QStringLiteral("2"));
    QCOMPARE(one(sms, "SELECT count(*) FROM handle WHERE id GLOB '[0-9][0-9][0-9][0-9][0-9]'"), QStringLiteral("3"));
    QCOMPARE(one(sms, "SELECT count(*) FROM handle WHERE id = 'DHL'"), QStringLiteral("1"));
    // Every one-to-one chat has its handle, and its identifier is that handle.
    QCOMPARE(one(sms, "SELECT count(*) FROM chat c WHERE style = 45 AND chat_identifier != (SELECT h.id FROM "
                      "chat_handle_join j JOIN handle h ON h.ROWID = j.handle_id WHERE j.chat_id = c.ROWID)"),
             QStringLiteral("0"));

    // Groups with and without a name, three members each.
    QCOMPARE(rows(sms, "SELECT display_name, (SELECT count(*) FROM chat_handle_join WHERE chat_id = chat.ROWID) "
                       "FROM chat WHERE style = 43 ORDER BY ROWID"),
             (QStringList{QStringLiteral("Weekend hiking 🥾|3"), QStringLiteral("|3"),
                          QStringLiteral("家人 ❤️|3"), QStringLiteral("|3")}));
    QCOMPARE(one(sms, "SELECT count(*) FROM chat WHERE style = 43 AND chat_identifier NOT GLOB 'chat[0-9]*'"),
             QStringLiteral("0"));
    // In a group a received message names its sender, a member; a sent one names nobody.
    QCOMPARE(one(sms, "SELECT count(*) FROM message m JOIN chat_message_join j ON j.message_id = m.ROWID "
                      "JOIN chat c ON c.ROWID = j.chat_id WHERE c.style = 43 AND m.is_from_me = 0 AND "
                      "m.handle_id NOT IN (SELECT handle_id FROM chat_handle_join WHERE chat_id = c.ROWID)"),
             QStringLiteral("0"));
    QCOMPARE(one(sms,
                 "SELECT count(*) FROM message m JOIN chat_message_join j ON j.message_id = m.ROWID "
                 "JOIN chat c ON c.ROWID = j.chat_id WHERE c.style = 43 AND m.is_from_me = 1 AND m.handle_id != 0"),
             QStringLiteral("0"));
    QVERIFY(one(sms, "SELECT count(*) FROM message m JOIN chat_message_join j ON j.message_id = m.ROWID JOIN chat c "
                     "ON c.ROWID = j.chat_id WHERE c.style = 43 AND m.item_type = 0")
                .toInt() > 150);
}

void DemoDataTest::currentPhoneReactionsEventsAndAttachments()
{
    const QString sms = modernPhone() + QStringLiteral("/sms.db");
    // Reactions name a message of their own chat, and quote it.
    const int reactions =
        one(sms, "SELECT count(*) FROM message WHERE associated_message_type BETWEEN 2000 AND 2005").toInt();
    QVERIFY2(reactions >= 30, qPrintable(QString::number(reactions)));
    QCOMPARE(one(sms, "SELECT count(*) FROM message r JOIN chat_message_join rj ON rj.message_id = r.ROWID "
                      "WHERE r.associated_message_type BETWEEN 2000 AND 3999 AND NOT EXISTS (SELECT 1 FROM message t "
                      "JOIN chat_message_join tj ON tj.message_id = t.ROWID WHERE 'p:0/' || t.guid = "
                      "r.associated_message_guid AND tj.chat_id = rj.chat_id AND t.associated_message_type = 0)"),
             QStringLiteral("0"));
    QCOMPARE(one(sms, "SELECT count(*) FROM message WHERE associated_message_type BETWEEN 3000 AND 3005"),
             QStringLiteral("1"));
    QVERIFY(one(sms, "SELECT count(*) FROM message WHERE associated_message_type = 2000 AND "
                     "coalesce(text, '') LIKE 'Loved “%”'")
                .toInt() > 0);

    // Group events: members added and names given, without text.
    QCOMPARE(one(sms, "SELECT count(*) FROM message WHERE item_type != 0"), QStringLiteral("10"));
    QCOMPARE(one(sms, "SELECT count(*) FROM message WHERE item_type != 0 AND (text IS NOT NULL OR "
                      "attributedBody IS NOT NULL)"),
             QStringLiteral("0"));
    QCOMPARE(one(sms, "SELECT count(*) FROM message m JOIN chat_message_join j ON j.message_id = m.ROWID WHERE "
                      "m.item_type = 1 AND m.other_handle NOT IN (SELECT handle_id FROM chat_handle_join WHERE "
                      "chat_id = j.chat_id)"),
             QStringLiteral("0"));
    QCOMPARE(rows(sms, "SELECT m.group_title = c.display_name FROM message m JOIN chat_message_join j ON "
                       "j.message_id = m.ROWID JOIN chat c ON c.ROWID = j.chat_id WHERE m.item_type = 2"),
             (QStringList{QStringLiteral("1"), QStringLiteral("1")}));

    // Each U+FFFC of a text stands for one attachment of its message.
    QCOMPARE(one(sms, "SELECT count(*) FROM message WHERE cache_has_attachments = 1"),
             one(sms, "SELECT count(DISTINCT message_id) FROM message_attachment_join"));
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(sms).constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db,
                                "SELECT attributedBody, (SELECT count(*) FROM message_attachment_join WHERE "
                                "message_id = message.ROWID) FROM message WHERE attributedBody IS NOT NULL",
                                -1, &st, nullptr),
             SQLITE_OK);
    int withTwo = 0;
    int pictures = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QByteArray body(static_cast<const char*>(sqlite3_column_blob(st, 0)), sqlite3_column_bytes(st, 0));
        const int attached = sqlite3_column_int(st, 1);
        const QByteArray quote = "\xE2\x80\x9C";
        // A reaction quotes the text without its placeholders.
        if (!body.contains(quote))
            QCOMPARE(int(body.count("\xEF\xBF\xBC")), attached);
        withTwo += attached == 2;
        pictures += attached;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    QVERIFY(withTwo >= 1);
    QVERIFY(pictures > 40);
    QCOMPARE(one(sms, "SELECT count(*) FROM attachment"), QString::number(pictures));
    QCOMPARE(one(sms, "SELECT count(*) FROM attachment WHERE filename NOT LIKE '~/Library/SMS/Attachments/%/' || "
                      "transfer_name OR total_bytes <= 0 OR mime_type IS NULL"),
             QStringLiteral("0"));
    // The files the backup carries are those the rows name.
    const QList<demodata::MediaFile> media = demodata::modernMediaFiles();
    QCOMPARE(media.size(), pictures);
    QCOMPARE(QStringLiteral("~/") + media.constFirst().relativePath,
             one(sms, "SELECT filename FROM attachment WHERE ROWID = 1"));
    QCOMPARE(QString::number(media.constFirst().content.size()),
             one(sms, "SELECT total_bytes FROM attachment WHERE ROWID = 1"));
}

void DemoDataTest::currentPhoneAddressBook()
{
    const QString book = modernPhone() + QStringLiteral("/AddressBook.sqlitedb");
    const QString sms = modernPhone() + QStringLiteral("/sms.db");
    QCOMPARE(one(book, "PRAGMA integrity_check"), QStringLiteral("ok"));
    QCOMPARE(one(book, "SELECT count(*) FROM ABPerson"), QStringLiteral("24"));
    QCOMPARE(one(book, "SELECT count(*) FROM ABMultiValue WHERE property IN (3, 4)"), QStringLiteral("27"));
    // Numbers as people type them.
    const QStringList values = rows(book, "SELECT value FROM ABMultiValue WHERE property = 3");
    QVERIFY(values.contains(QStringLiteral("(209)\u00A0598-1933")));
    QVERIFY(values.contains(QStringLiteral("+44 7700 900123")));
    QVERIFY(std::count_if(values.begin(), values.end(), [](const QString& v) { return v.contains(QChar(0xA0)); }) >= 2);
    QVERIFY(values.contains(QStringLiteral("0151 23456789")));
    // A person whose first value is an e-mail address, with a number after it.
    QCOMPARE(rows(book, "SELECT property FROM ABMultiValue WHERE record_id = (SELECT ROWID FROM ABPerson WHERE "
                        "Last = 'O''Neill') ORDER BY identifier"),
             (QStringList{QStringLiteral("4"), QStringLiteral("3")}));
    // Organisations without a person's name.
    QCOMPARE(rows(book, "SELECT Organization FROM ABPerson WHERE First IS NULL AND Last IS NULL ORDER BY ROWID"),
             (QStringList{QStringLiteral("Pizza Roma"), QStringLiteral("Lakeside Dental")}));

    // Every international number of a chat but the strangers' is someone's in
    // the book, compared by its last nine digits; e-mail handles match
    // whatever their case.
    QSet<QString> bookDigits;
    for (const QString& v : values)
        bookDigits.insert(digits(v).right(9));
    const QStringList handles = rows(sms, "SELECT DISTINCT id FROM handle WHERE id LIKE '+%'");
    QStringList unknown;
    for (const QString& h : handles) {
        if (!bookDigits.contains(digits(h).right(9)))
            unknown.append(h);
    }
    unknown.sort();
    QCOMPARE(unknown, (QStringList{QStringLiteral("+16505550123"), QStringLiteral("+447911123456"),
                                   QStringLiteral("+8615900001111")}));
    const QStringList mails = rows(book, "SELECT lower(value) FROM ABMultiValue WHERE property = 4");
    for (const QString& h : rows(sms, "SELECT id FROM handle WHERE id LIKE '%@%'"))
        QVERIFY2(mails.contains(h), qPrintable(h));
    QVERIFY(!rows(book, "SELECT value FROM ABMultiValue WHERE property = 4")
                 .contains(QStringLiteral("lea.rousseau@example.fr")));
}

void DemoDataTest::currentPhoneSameRowsOnEveryRun()
{
    QTemporaryDir other;
    QVERIFY(demodata::writePhone(other.path(), demodata::Layout::Modern));
    const char* messages = "SELECT ROWID, guid, text, hex(attributedBody), handle_id, date, is_from_me, "
                           "associated_message_guid FROM message ORDER BY ROWID";
    const char* people = "SELECT p.ROWID, First, Last, Organization, p.guid, v.value, v.guid FROM ABPerson p JOIN "
                         "ABMultiValue v ON v.record_id = p.ROWID ORDER BY v.UID";
    const QString first = modernPhone();
    QCOMPARE(rows(other.filePath(QStringLiteral("sms.db")), messages),
             rows(first + QStringLiteral("/sms.db"), messages));
    QCOMPARE(rows(other.filePath(QStringLiteral("AddressBook.sqlitedb")), people),
             rows(first + QStringLiteral("/AddressBook.sqlitedb"), people));
    QCOMPARE(rows(other.filePath(QStringLiteral("sms.db")), "SELECT * FROM attachment ORDER BY ROWID"),
             rows(first + QStringLiteral("/sms.db"), "SELECT * FROM attachment ORDER BY ROWID"));
}

void DemoDataTest::currentPhoneBackupFiles()
{
    QTemporaryDir dir;
    QString error;
    const QStringList written =
        demodata::writeBackups(dir.filePath(QStringLiteral("smsbackup")), 2, demodata::Layout::Modern, &error);
    QVERIFY2(written.size() == 2, qPrintable(error));
    const int older = one(written.at(0), "SELECT count(*) FROM message").toInt();
    const int newer = one(written.at(1), "SELECT count(*) FROM message").toInt();
    QVERIFY(older > 0 && older < newer);
    QCOMPARE(newer, 1306);
    QCOMPARE(one(written.at(0), "PRAGMA foreign_key_check"), QStringLiteral("<0 rows>"));
    // The message layout of the phone, and one contact row per number or address.
    QCOMPARE(one(written.at(1), "SELECT count(*) FROM chat"), QStringLiteral("33"));
    const QStringList contacts = rows(written.at(1), "SELECT name, tel FROM AddressBook111");
    QCOMPARE(contacts.size(), 27);
    QVERIFY(contacts.contains(QStringLiteral("Grace O'Neill|grace.oneill@example.org")));
    QVERIFY(contacts.contains(QStringLiteral("Grace O'Neill|087 123 4567")));
    QVERIFY(contacts.contains(QStringLiteral("Pizza Roma|020 7946 0321")));
    QVERIFY(contacts.contains(QStringLiteral("Mom|+86 136 0000 8888")));
}

QTEST_GUILESS_MAIN(DemoDataTest)
#include "tst_demodata.moc"
