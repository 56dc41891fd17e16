// The store on a damaged message table (a scan that gives one row id
// twice, a page overwritten as a bad sector leaves it), conversation keys that are not valid UTF-8, and a delete while
// another program reads the file.

#include "ConversationKey.h"
#include "Fixtures.h"
#include "MessageStore.h"
#include "ModernFixtures.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

namespace {

QStringList g_notices;

void captureNotice(const QString& title, const QString& text)
{
    g_notices << title + QStringLiteral(": ") + text;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<fixtures::Msg> fiveMessages()
{
    return {{1, QStringLiteral("10086"), 1000, QStringLiteral("one"), 2},
            {2, QStringLiteral("10010"), 2000, QStringLiteral("two"), 2},
            {3, QStringLiteral("95555"), 3000, QStringLiteral("three"), 3},
            {4, QStringLiteral("10086"), 4000, QStringLiteral("four"), 2},
            {5, QStringLiteral("10010"), 5000, QStringLiteral("SECRET-TEXT-5"), 2}};
}

QVector<qint64> rowIds(const MessageStore& store)
{
    QVector<qint64> ids;
    for (const MessageRecord& m : store.messages)
        ids << m.rowId;
    return ids;
}

// How SQLite's own scan of the file ends.
int scanEnd(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW)
        rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rc;
}

constexpr int bigCount = 3000;

// bigCount messages, row ids 1 to bigCount, the even ones of "10086" and
// the odd ones of "10010"; the texts fill a few dozen pages.
QString bigFile(const QString& path, bool modern)
{
    const QByteArray filler(80, 'x');
    if (!modern) {
        QList<fixtures::Msg> messages;
        for (int i = 1; i <= bigCount; ++i)
            messages.append({i, i % 2 ? QStringLiteral("10010") : QStringLiteral("10086"), 1000 + i,
                             QStringLiteral("message %1 ").arg(i) + QString::fromLatin1(filler), 2});
        return fixtures::makeBackupFile(path, messages, {});
    }
    modernfixtures::Database database;
    for (const char* id : {"10086", "10010"}) {
        modernfixtures::Handle handle;
        handle.rowId = database.handles.size() + 1;
        handle.id = QString::fromLatin1(id);
        database.handles.append(handle);
    }
    for (int i = 1; i <= bigCount; ++i) {
        modernfixtures::Message message;
        message.rowId = i;
        message.text = QStringLiteral("message %1 ").arg(i) + QString::fromLatin1(filler);
        message.handle = 1 + i % 2;
        message.date = modernfixtures::appleSeconds(1000 + i);
        database.messages.append(message);
    }
    return modernfixtures::makeModernDb(path, database, modernfixtures::Schema::Ios13);
}

} // namespace

class DamagedStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void init()
    {
        g_notices.clear();
        setDeleteErrorHandler(&captureNotice);
    }
    void cleanup() { setDeleteErrorHandler(nullptr); }

    void rowIdGivenTwiceMakesTheFileDamaged_data()
    {
        QTest::addColumn<int>("access");
        QTest::newRow("backup file") << int(StoreAccess::ReadWrite);
        QTest::newRow("phone's file") << int(StoreAccess::ReadOnly);
    }

    void rowIdGivenTwiceMakesTheFileDamaged()
    {
        QFETCH(int, access);
        const QString path =
            fixtures::makeBackupFile(m_dir.filePath(QStringLiteral("twice%1.sms").arg(access)), fiveMessages(), {});
        QVERIFY(fixtures::giveRowIdTwice(path, QStringLiteral("message"), 3, 2));
        // The damage is real: SQLite's own scan gives row 2 twice.
        QCOMPARE(fixtures::column(path, QStringLiteral("select rowid from message not indexed")),
                 QStringList({"1", "2", "2", "4", "5"}));
        const QByteArray before = fileBytes(path);

        MessageStore store(path.toUtf8(), StoreAccess(access));
        QCOMPARE(store.damage(), QStringLiteral("its message table gives row 2 twice"));
        // What could be read, one record per row id, ascending.
        QCOMPARE(rowIds(store), QVector<qint64>({1, 2, 4, 5}));
        QCOMPARE(store.messageCount, 4);
        QCOMPARE(store.message(2)->text, QByteArray("two"));
        store.buildConversationList();
        QCOMPARE(store.conversationHeads.size(), 2);

        // No delete goes by a row id that may name two messages, whatever
        // the caller allowed.
        store.setDeletesAllowed(true);
        QVERIFY(!store.deletesAllowed());
        QCOMPARE(store.deleteMessage(2), SQLITE_READONLY);
        QCOMPARE(store.deleteMessages({1, 4}), SQLITE_READONLY);
        store.deleteConversation("10086");
        QCOMPARE(rowIds(store), QVector<qint64>({1, 2, 4, 5}));
        store.close();
        QCOMPARE(fileBytes(path), before);

        // One conversation read alone comes as the whole read gives it, with
        // the same word.
        ReadOptions options;
        options.access = StoreAccess(access);
        options.onlyConversation = "10010";
        MessageStore one(path.toUtf8(), options);
        QCOMPARE(one.damage(), QStringLiteral("its message table gives row 2 twice"));
        QCOMPARE(rowIds(one), QVector<qint64>({2, 5}));
        QVERIFY(!one.deletesAllowed());
        // Counted as read.
        const MessageCounts counts = countMessages(path.toUtf8(), options);
        QCOMPARE(counts.messages, 4);
        QCOMPARE(counts.damage, QStringLiteral("its message table gives row 2 twice"));
        one.close();
        QCOMPARE(fileBytes(path), before);

        // Read again after it was mended: nothing of the damage stays.
        QVERIFY(fixtures::giveRowIdTwice(path, QStringLiteral("message"), 2, 3));
        store.reload(path.toUtf8(), StoreAccess(access));
        QCOMPARE(store.damage(), QString());
        QCOMPARE(rowIds(store), QVector<qint64>({1, 2, 3, 4, 5}));
    }

    void manyRowIdsGivenTwice()
    {
        const QString path = fixtures::makeBackupFile(m_dir.filePath(QStringLiteral("many.sms")), fiveMessages(), {});
        QVERIFY(fixtures::giveRowIdTwice(path, QStringLiteral("message"), 2, 1));
        QVERIFY(fixtures::giveRowIdTwice(path, QStringLiteral("message"), 5, 4));
        MessageStore store(path.toUtf8());
        QCOMPARE(store.damage(), QStringLiteral("its message table gives 2 rows more than once (row 1 first)"));
        QCOMPARE(rowIds(store), QVector<qint64>({1, 3, 4}));
        QCOMPARE(store.message(1)->text, QByteArray("one"));
        QCOMPARE(store.message(4)->text, QByteArray("four"));
    }

    void smashedPageEndsTheReadWithAWord_data()
    {
        QTest::addColumn<bool>("modern");
        QTest::newRow("legacy") << false;
        QTest::newRow("modern") << true;
    }

    void smashedPageEndsTheReadWithAWord()
    {
        QFETCH(bool, modern);
        const QString path = bigFile(m_dir.filePath(QStringLiteral("smashed%1.db").arg(modern)), modern);
        QCOMPARE(MessageStore(path.toUtf8(), StoreAccess::ReadOnly).messages.size(), bigCount);
        QVERIFY(fixtures::smashLeafPage(path, QStringLiteral("message")) > 0);
        // The damage is real: SQLite's own scan stops at it.
        QCOMPARE(scanEnd(path, "select * from message"), SQLITE_CORRUPT);
        const QByteArray before = fileBytes(path);

        MessageStore store(path.toUtf8(), StoreAccess::ReadOnly);
        const qsizetype read = store.messages.size();
        QVERIFY2(read > 0 && read < bigCount, QByteArray::number(read).constData());
        QCOMPARE(store.damage(),
                 QStringLiteral("reading stopped after %1 messages: database disk image is malformed").arg(read));
        // What came before the damaged page, in order.
        QCOMPARE(store.messages.first().rowId, 1);
        QCOMPARE(store.messages.last().rowId, qint64(read));
        store.setDeletesAllowed(true);
        QVERIFY(!store.deletesAllowed());
        QCOMPARE(store.deleteMessage(1), SQLITE_READONLY);

        // The counts a summary gives agree with the read, word included.
        ReadOptions options;
        options.access = StoreAccess::ReadOnly;
        const MessageCounts counts = countMessages(path.toUtf8(), options);
        QCOMPARE(counts.messages, qint64(read));
        QCOMPARE(counts.conversations, 2);
        QCOMPARE(counts.damage, store.damage());

        // One conversation: what the whole read gives of it, and the word.
        QVector<qint64> odd;
        for (const MessageRecord& record : std::as_const(store.messages)) {
            if (record.address == "10010")
                odd << record.rowId;
        }
        options.onlyConversation = "10010";
        MessageStore one(path.toUtf8(), options);
        QCOMPARE(rowIds(one), odd);
        QCOMPARE(one.damage(), store.damage());
        store.close();
        one.close();
        QCOMPARE(fileBytes(path), before);
    }

    void smashedPageAndRowIdGivenTwice()
    {
        const QString path = bigFile(m_dir.filePath(QStringLiteral("both.db")), false);
        const QStringList leaves = fixtures::column(
            path, QStringLiteral("select pageno from dbstat where name = 'message' and pagetype = 'leaf' "
                                 "order by pageno"));
        if (leaves.isEmpty())
            QSKIP("this SQLite has no dbstat table");
        QVERIFY(fixtures::giveRowIdTwiceOnPage(path, leaves.first().toLongLong(), 2, 1));
        QVERIFY(fixtures::smashLeafPage(path, QStringLiteral("message")) > 0);

        MessageStore store(path.toUtf8(), StoreAccess::ReadOnly);
        const qsizetype read = store.messages.size();
        QVERIFY(read > 0 && read < bigCount);
        QCOMPARE(store.messages.first().rowId, 1);
        // Row 2 came as a second row 1: one more row was read than is kept.
        QCOMPARE(store.damage(), QStringLiteral("reading stopped after %1 messages: database disk image is "
                                                "malformed; its message table gives row 1 twice")
                                     .arg(read + 1));
        ReadOptions options;
        options.access = StoreAccess::ReadOnly;
        const MessageCounts counts = countMessages(path.toUtf8(), options);
        QCOMPARE(counts.messages, qint64(read));
        QCOMPARE(counts.damage, store.damage());
    }

    void keysThatAreNotUtf8ReadBack_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QByteArray("+8613800138000") << QStringLiteral("+8613800138000");
        QTest::newRow("non-ASCII") << QByteArray("Zoë 😀") << QStringLiteral("Zoë 😀");
        QTest::newRow("Latin-1 byte") << QByteArray("Zo\xEB") << QStringLiteral("Zo\\xEB");
        QTest::newRow("cut character") << QByteArray("ab\xF0\x9F\x98") << QStringLiteral("ab\\xF0\\x9F\\x98");
        QTest::newRow("control") << QByteArray("a\nb\x7F") << QStringLiteral("a\\x0Ab\\x7F");
        QTest::newRow("backslash") << QByteArray("a\\xEB") << QStringLiteral("a\\\\xEB");
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << QStringLiteral("\\xED\\xA0\\x80");
        QTest::newRow("overlong") << QByteArray("\xC0\xAF") << QStringLiteral("\\xC0\\xAF");
        QTest::newRow("empty") << QByteArray() << QString();
    }

    void keysThatAreNotUtf8ReadBack()
    {
        QFETCH(QByteArray, key);
        QFETCH(QString, text);
        QCOMPARE(conversationkey::toText(key), text);
        QCOMPARE(conversationkey::fromText(text), key);
    }

    void keyTextsNeverMeetAndOddTextsMeanThemselves()
    {
        // Every two-byte key has a text of its own that reads back to it.
        QSet<QString> seen;
        for (int a = 0; a < 256; ++a) {
            for (int b = 0; b < 256; b += 5) {
                const QByteArray key = QByteArray(1, char(a)) + char(b);
                const QString text = conversationkey::toText(key);
                QVERIFY2(!seen.contains(text), qPrintable(text));
                seen.insert(text);
                QCOMPARE(conversationkey::fromText(text), key);
            }
        }
        // A text no key prints as stands for its own bytes.
        QCOMPARE(conversationkey::fromText(QStringLiteral("a\\q")), QByteArray("a\\q"));
        QCOMPARE(conversationkey::fromText(QStringLiteral("a\\x4")), QByteArray("a\\x4"));
        QCOMPARE(conversationkey::fromText(QStringLiteral("\\")), QByteArray("\\"));
    }

    void deleteWhileAnotherProgramReads()
    {
        const QString path = fixtures::makeBackupFile(m_dir.filePath(QStringLiteral("shared.sms")), fiveMessages(), {});
        QCOMPARE(fixtures::exec(path, QStringLiteral("PRAGMA journal_mode=WAL")), SQLITE_OK);

        // Another program in the middle of a read.
        sqlite3* reader = nullptr;
        QCOMPARE(sqlite3_open_v2(path.toUtf8().constData(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM message;", nullptr, nullptr, nullptr), SQLITE_OK);

        MessageStore store(path.toUtf8());
        QCOMPARE(store.deleteMessage(5), SQLITE_OK);
        QVERIFY(!store.message(5));
        QVERIFY(store.wipePending());
        // Said once, as a warning, not as a failed delete.
        QCOMPARE(g_notices.size(), 1);
        QVERIFY2(g_notices.first().startsWith(QStringLiteral("Warning: The messages are deleted, but another "
                                                             "program is reading the file")),
                 qPrintable(g_notices.first()));
        QVERIFY(fileBytes(path).contains("SECRET-TEXT-5"));
        QCOMPARE(store.deleteMessage(4), SQLITE_OK);
        QCOMPARE(g_notices.size(), 1);
        QVERIFY(!store.finishWipe(0));
        QVERIFY(store.wipePending());

        // Once the reader lets go, the wipe completes.
        QCOMPARE(sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(reader);
        QVERIFY(store.finishWipe(0));
        QVERIFY(!store.wipePending());
        QVERIFY(!fileBytes(path).contains("SECRET-TEXT-5"));
        QVERIFY(!fileBytes(path + QStringLiteral("-wal")).contains("SECRET-TEXT-5"));
        QCOMPARE(g_notices.size(), 1);
    }

    void deleteWithoutOtherReadersWipesAtOnce()
    {
        const QString path = fixtures::makeBackupFile(m_dir.filePath(QStringLiteral("alone.sms")), fiveMessages(), {});
        QCOMPARE(fixtures::exec(path, QStringLiteral("PRAGMA journal_mode=WAL")), SQLITE_OK);
        MessageStore store(path.toUtf8());
        QCOMPARE(store.deleteMessage(5), SQLITE_OK);
        QVERIFY(!store.wipePending());
        QVERIFY(g_notices.isEmpty());
        QVERIFY(!fileBytes(path).contains("SECRET-TEXT-5"));
        QVERIFY(!fileBytes(path + QStringLiteral("-wal")).contains("SECRET-TEXT-5"));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(DamagedStoreTest)
#include "tst_damagedstore.moc"
