#include "Fixtures.h"
#include "MessageStore.h"
#include "PhoneDb.h"
#include "StdoutCapture.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

using fixtures::Msg;

namespace {

QList<QPair<QString, QString>> g_deleteErrors;

void recordDeleteError(const QString& title, const QString& text)
{
    g_deleteErrors.append({title, text});
}

// Like the phone itself: a connection that knows read(), so rows can be added
// behind the store's back.
int execWithRead(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) {
        phonedb::registerRead(db, phonedb::StandIn::One);
        rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    return rc;
}

QList<int> rowIds(const QVector<MessageRecord>& records)
{
    QList<int> ids;
    for (const MessageRecord& r : records)
        ids.append(r.rowId);
    return ids;
}

QStringList fileRowIds(const QString& path)
{
    return fixtures::column(path, QStringLiteral("select ROWID from message order by ROWID"));
}

int commitCount = 0;
int countCommit(void*)
{
    ++commitCount;
    return 0;
}

} // namespace

class MessageStoreTest : public QObject
{
    Q_OBJECT

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString sampleDb(fixtures::SmsSchema schema = fixtures::SmsSchema::Ios4)
    {
        return fixtures::makeMessageDb(path(QStringLiteral("sms.db")), fixtures::sampleMessages(), schema);
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QCOMPARE(qgetenv("TZ"), QByteArray("Asia/Shanghai"));
        setDeleteErrorHandler(&recordDeleteError);
    }
    void init() { g_deleteErrors.clear(); }
    void cleanup() { closeLastMessageDatabase(); }

    void readsEveryColumnRule_data()
    {
        QTest::addColumn<int>("schema");
        QTest::addColumn<int>("columns");
        QTest::newRow("ios4") << int(fixtures::SmsSchema::Ios4) << 17;
        QTest::newRow("ios5") << int(fixtures::SmsSchema::Ios5) << 33;
    }
    void readsEveryColumnRule()
    {
        QFETCH(int, schema);
        QFETCH(int, columns);
        MessageStore store(sampleDb(fixtures::SmsSchema(schema)).toUtf8());
        QVERIFY(store.isOpen());
        QCOMPARE(store.columnCount, columns);
        QCOMPARE(store.messageCount, 12);
        QCOMPARE(rowIds(store.messages), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));

        const MessageRecord& first = store.messages.at(0);
        QCOMPARE(first.address, QByteArray("13800138000"));
        QCOMPARE(first.text, QStringLiteral("新年快乐！").toUtf8());
        QCOMPARE(first.timeText(), QByteArray("time:Fri Jan 01 08:00:00 2010\n"));
        QVERIFY(first.isIncoming);
        QVERIFY(first.contactName.isEmpty());

        // Every dash goes, brackets and blanks stay.
        QCOMPARE(store.messages.at(1).address, QByteArray("13800138000"));
        QCOMPARE(store.messages.at(2).address, QByteArray("(209) 5981933"));
        QCOMPARE(store.messages.at(3).address, QByteArray("+12095981933"));
        QCOMPARE(store.messages.at(3).text, QStringLiteral("See you there 😀👍").toUtf8());
        QVERIFY(!store.messages.at(3).isIncoming);
        QCOMPARE(store.messages.at(7).text, QStringLiteral("图片\u00A0\uFFFC").toUtf8());

        // The MMS row: NULL address and text read as empty.
        const MessageRecord& mms = store.messages.at(6);
        QVERIFY(mms.address.isEmpty());
        QVERIFY(mms.text.isEmpty());
        QCOMPARE(mms.timeText(), QByteArray("time:Fri Jan 01 08:06:00 2010\n"));

        // NULL date is the epoch, NULL flags are not incoming.
        QCOMPARE(store.messages.at(8).timeText(), QByteArray("time:Thu Jan 01 08:00:00 1970\n"));
        QVERIFY(!store.messages.at(8).isIncoming);
    }

    void onlyFlagsTwoIsIncoming_data()
    {
        QTest::addColumn<QVariant>("flags");
        QTest::addColumn<bool>("incoming");
        QTest::newRow("2 received") << QVariant(2) << true;
        QTest::newRow("3 sent") << QVariant(3) << false;
        QTest::newRow("0") << QVariant(0) << false;
        QTest::newRow("1") << QVariant(1) << false;
        QTest::newRow("6 (2 plus other bits)") << QVariant(6) << false;
        QTest::newRow("NULL") << QVariant() << false;
        QTest::newRow("text '2'") << QVariant(QStringLiteral("2")) << true;
    }
    void onlyFlagsTwoIsIncoming()
    {
        QFETCH(QVariant, flags);
        QFETCH(bool, incoming);
        const QString db = fixtures::makeMessageDb(path(QStringLiteral("flags.db")),
                                                   {{1, QStringLiteral("10086"), 0, QStringLiteral("x"), flags}});
        MessageStore store(db.toUtf8());
        QCOMPARE(store.messages.size(), 1);
        QCOMPARE(store.messages.at(0).isIncoming, incoming);
    }

    void timeTextInLocalTime_data()
    {
        QTest::addColumn<QVariant>("date");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("epoch") << QVariant(0) << QByteArray("time:Thu Jan 01 08:00:00 1970\n");
        QTest::newRow("negative -5 is the epoch") << QVariant(-5) << QByteArray("time:Thu Jan 01 08:00:00 1970\n");
        QTest::newRow("day rollover") << QVariant(1273422600) << QByteArray("time:Mon May 10 00:30:00 2010\n");
        QTest::newRow("32-bit limit") << QVariant(2147483647) << QByteArray("time:Tue Jan 19 11:14:07 2038\n");
        QTest::newRow("beyond 32 bits") << QVariant(Q_INT64_C(1) << 40)
                                        << QByteArray("time:Thu Jan 01 08:00:00 1970\n");
        QTest::newRow("NULL") << QVariant() << QByteArray("time:Thu Jan 01 08:00:00 1970\n");
    }
    void timeTextInLocalTime()
    {
        QFETCH(QVariant, date);
        QFETCH(QByteArray, expected);
        const QString db = fixtures::makeMessageDb(path(QStringLiteral("time.db")),
                                                   {{1, QStringLiteral("10086"), date, QStringLiteral("x"), 2}});
        MessageStore store(db.toUtf8());
        QCOMPARE(store.messages.at(0).timeText(), expected);
        QCOMPARE(store.messages.at(0).timeText().size(), 30); // "time:" + 24 characters + newline
    }

    void emptyTableGivesEmptyStore()
    {
        MessageStore store(fixtures::makeMessageDb(path(QStringLiteral("empty.db")), {}).toUtf8());
        QVERIFY(store.isOpen());
        store.buildConversationList();
        store.selectConversation(QByteArray());
        QCOMPARE(store.messageCount, 0);
        QVERIFY(store.messages.isEmpty());
        QVERIFY(store.conversation.isEmpty());
        QVERIFY(store.conversationHeads.isEmpty());
    }

    void conversationsGroupByAddress()
    {
        MessageStore store(sampleDb().toUtf8());
        store.selectConversation("13800138000");
        // The dashed row 2 joins the undashed ones; oldest first.
        QCOMPARE(rowIds(store.conversation), QList<int>({1, 2, 10, 12}));

        store.selectConversation(QByteArray());
        QCOMPARE(rowIds(store.conversation), QList<int>({7}));

        store.selectConversation("+8613800138000");
        QCOMPARE(rowIds(store.conversation), QList<int>({8}));

        store.buildConversationList();
        QCOMPARE(rowIds(store.conversationHeads), QList<int>({12, 11, 9, 8, 7, 6, 5, 4, 3}));
        QCOMPARE(store.conversationHeads.at(0).text, QStringLiteral("晚安 🌙").toUtf8());
        QVERIFY(store.conversationHeads.at(4).address.isEmpty());

        // Each call starts afresh.
        store.buildConversationList();
        QCOMPARE(store.conversationHeads.size(), 9);
        store.selectConversation("no such address");
        QVERIFY(store.conversation.isEmpty());
    }

    void deleteLeavesOpenConversationWithoutItButHeadsUntouched()
    {
        MessageStore store(sampleDb().toUtf8());
        store.selectConversation("13800138000");
        store.buildConversationList();
        QCOMPARE(store.deleteMessage(12), 0);
        // What the chat page copies must not hold a deleted message; the
        // list keeps its copies until asked again.
        QCOMPARE(rowIds(store.conversation), QList<int>({1, 2, 10}));
        QCOMPARE(store.conversationHeads.at(0).rowId, 12);
        QCOMPARE(store.conversationHeads.at(0).timeText(), QByteArray("time:Fri Jan 01 08:11:00 2010\n"));
        store.buildConversationList();
        QCOMPARE(rowIds(store.conversationHeads), QList<int>({11, 10, 9, 8, 7, 6, 5, 4, 3}));
    }

    void reloadRefillsMessagesOnly()
    {
        MessageStore store(sampleDb().toUtf8());
        store.selectConversation("10086");
        store.buildConversationList();
        const QString other = fixtures::makeMessageDb(path(QStringLiteral("other.db")),
                                                      {{40, QStringLiteral("10010"), 5, QStringLiteral("y"), 3}});
        store.close();
        store.reload(other.toUtf8());
        QCOMPARE(rowIds(store.messages), QList<int>({40}));
        QCOMPARE(store.messageCount, 1);
        QCOMPARE(rowIds(store.conversation), QList<int>({5}));
        QCOMPARE(store.conversationHeads.size(), 9);
        QCOMPARE(lastMessageDatabase() != nullptr, true);
    }

    void deleteRemovesRowAndRecord()
    {
        const QString db = sampleDb();
        MessageStore store(db.toUtf8());
        QCOMPARE(store.deleteMessage(5), 0);
        QCOMPARE(store.messageCount, 11);
        QCOMPARE(store.messages.size(), 11);
        QVERIFY(!rowIds(store.messages).contains(5));
        QVERIFY(!fileRowIds(db).contains(QStringLiteral("5")));
        QCOMPARE(fileRowIds(db).size(), 11);
        QVERIFY(g_deleteErrors.isEmpty());

        // The last message of an address goes, and with it the conversation.
        store.buildConversationList();
        QCOMPARE(store.conversationHeads.size(), 8);
        for (const MessageRecord& head : std::as_const(store.conversationHeads))
            QVERIFY(head.address != "10086");
    }

    void deleteOfUnknownRowIdStillRunsStatement()
    {
        const QString db = sampleDb();
        MessageStore store(db.toUtf8());
        QCOMPARE(execWithRead(db, QStringLiteral("insert into message (ROWID, address, text, flags) "
                                                 "values (99, '10086', 'added later', 3)")),
                 SQLITE_OK);
        QCOMPARE(store.deleteMessage(99), 0);
        QCOMPARE(store.messageCount, 12);
        QVERIFY(!fileRowIds(db).contains(QStringLiteral("99")));
        // A row id that exists nowhere is no error either.
        QCOMPARE(store.deleteMessage(12345), 0);
        QCOMPARE(store.messageCount, 12);
        QVERIFY(g_deleteErrors.isEmpty());
    }

    void failedDeleteKeepsRecord()
    {
        const QString db = sampleDb(fixtures::SmsSchema::Ios5);
        QCOMPARE(fixtures::exec(db, QStringLiteral("create trigger keep10 before delete on message when old.ROWID = 10 "
                                                   "begin select raise(abort, 'kept'); end;")),
                 SQLITE_OK);
        MessageStore store(db.toUtf8());
        const int rc = store.deleteMessage(10);
        QCOMPARE(rc, SQLITE_CONSTRAINT_TRIGGER);
        QCOMPARE(store.messageCount, 12);
        QVERIFY(rowIds(store.messages).contains(10));
        QCOMPARE(g_deleteErrors.size(), 1);
        QCOMPARE(g_deleteErrors.at(0).first, QStringLiteral("Error"));
        QCOMPARE(g_deleteErrors.at(0).second, QStringLiteral("Delete Error"));

        // The conversation goes except the messages that cannot be deleted,
        // and the failure is reported once.
        QCOMPARE(fixtures::exec(db, QStringLiteral("create trigger keep2 before delete on message when old.ROWID = 2 "
                                                   "begin select raise(abort, 'kept'); end;")),
                 SQLITE_OK);
        g_deleteErrors.clear();
        store.deleteConversation("13800138000");
        QCOMPARE(g_deleteErrors.size(), 1);
        QCOMPARE(rowIds(store.messages), QList<int>({2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        QCOMPARE(store.messageCount, 10);
        QCOMPARE(fileRowIds(db), QStringList({"2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}));

        // A closed store cannot delete anything: one report, nothing removed.
        store.close();
        g_deleteErrors.clear();
        store.deleteConversation("13800138000");
        QCOMPARE(g_deleteErrors.size(), 1);
        QCOMPARE(store.messageCount, 10);
    }

    void fullDiskDuringConversationDeleteKeepsStoreAndFileAlike()
    {
        const QString db = sampleDb();
        // Each delete writes a large row, so the file soon reaches its limit.
        QCOMPARE(fixtures::exec(db, QStringLiteral("create table bloat (b); create trigger grow after delete on "
                                                   "message begin insert into bloat values (randomblob(6000)); end;")),
                 SQLITE_OK);
        MessageStore store(db.toUtf8());
        sqlite3_stmt* stmt = nullptr;
        QCOMPARE(sqlite3_prepare_v2(lastMessageDatabase(), "PRAGMA page_count", -1, &stmt, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_step(stmt), SQLITE_ROW);
        const int pages = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
        QCOMPARE(sqlite3_exec(lastMessageDatabase(),
                              qPrintable(QStringLiteral("PRAGMA max_page_count=%1").arg(pages + 4)), nullptr, nullptr,
                              nullptr),
                 SQLITE_OK);

        store.deleteConversation("13800138000");
        QCOMPARE(g_deleteErrors.size(), 1);
        QStringList inMemory;
        for (const MessageRecord& r : std::as_const(store.messages))
            inMemory.append(QString::number(r.rowId));
        QCOMPARE(store.messageCount, int(store.messages.size()));
        QVERIFY(store.messages.size() > 8); // not all of the conversation could go
        store.close();
        QCOMPARE(fileRowIds(db), inMemory);
    }

    void deleteConversationIsOneTransaction()
    {
        const QString db = sampleDb();
        MessageStore store(db.toUtf8());
        commitCount = 0;
        sqlite3_commit_hook(lastMessageDatabase(), &countCommit, nullptr);
        store.deleteConversation("13800138000");
        QCOMPARE(commitCount, 1);
        QCOMPARE(rowIds(store.messages), QList<int>({3, 4, 5, 6, 7, 8, 9, 11}));
        QCOMPARE(store.messageCount, 8);
        QCOMPARE(fileRowIds(db), QStringList({"3", "4", "5", "6", "7", "8", "9", "11"}));

        // The address-less conversation is one like any other.
        store.deleteConversation(QByteArray());
        QVERIFY(!rowIds(store.messages).contains(7));
        QCOMPARE(store.messageCount, 7);
        QVERIFY(g_deleteErrors.isEmpty());
    }

    void deleteMessagesIsOneTransactionAndReportsOnce()
    {
        const QString db = sampleDb();
        MessageStore store(db.toUtf8());
        commitCount = 0;
        sqlite3_commit_hook(lastMessageDatabase(), &countCommit, nullptr);
        // 99 is in no record: its statement still runs and deletes nothing.
        QCOMPARE(store.deleteMessages({4, 99, 6}), SQLITE_OK);
        QCOMPARE(commitCount, 1);
        QVERIFY(!rowIds(store.messages).contains(4));
        QVERIFY(!rowIds(store.messages).contains(6));
        QCOMPARE(store.messageCount, 10);
        QCOMPARE(store.messageCount, int(store.messages.size()));
        QVERIFY(g_deleteErrors.isEmpty());

        // Rows the file refuses stay, in memory and in the file; the others
        // go; the user hears of it once.
        QCOMPARE(fixtures::exec(db, QStringLiteral("create trigger keep before delete on message when old.ROWID in "
                                                   "(3, 5) begin select raise(abort, 'kept'); end;")),
                 SQLITE_OK);
        QCOMPARE(store.deleteMessages({3, 5, 7, 8}), SQLITE_CONSTRAINT_TRIGGER);
        QCOMPARE(g_deleteErrors.size(), 1);
        QVERIFY(rowIds(store.messages).contains(3));
        QVERIFY(rowIds(store.messages).contains(5));
        QVERIFY(!rowIds(store.messages).contains(7));
        QVERIFY(!rowIds(store.messages).contains(8));
        QCOMPARE(store.messageCount, 8);
        store.close();
        QStringList inMemory;
        for (const MessageRecord& r : std::as_const(store.messages))
            inMemory.append(QString::number(r.rowId));
        std::sort(inMemory.begin(), inMemory.end(),
                  [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
        QCOMPARE(fileRowIds(db), inMemory);
    }

    void readFunctionTellsIncomingFromOthers()
    {
        const QString db = sampleDb();
        QCOMPARE(fixtures::exec(db, QStringLiteral("create table readlog (id integer, answer integer);"
                                                   "create trigger logread after delete on message begin "
                                                   "insert into readlog values (old.ROWID, read(old.flags)); end;")),
                 SQLITE_OK);
        // Without the function, as on the phone's file, no delete can run.
        QVERIFY(fixtures::exec(db, QStringLiteral("delete from message where ROWID = 1")) != SQLITE_OK);

        MessageStore store(db.toUtf8());
        QCOMPARE(store.deleteMessage(1), 0); // incoming
        QCOMPARE(lastDeletedFlags, 2);
        QCOMPARE(store.deleteMessage(2), 0); // sent
        QCOMPARE(lastDeletedFlags, 3);
        QCOMPARE(store.deleteMessage(9), 0); // NULL flags
        store.deleteConversation("95555");   // incoming, inside the transaction
        QCOMPARE(fixtures::column(db, QStringLiteral("select id || ':' || answer from readlog order by rowid")),
                 QStringList({"1:0", "2:1", "9:1", "6:0"}));
    }

    void refusesDeletesWhenNotAllowed()
    {
        const QString db = sampleDb();
        MessageStore store(db.toUtf8());
        store.setDeletesAllowed(false);
        QVERIFY(!store.deletesAllowed());
        QCOMPARE(store.deleteMessage(1), SQLITE_READONLY);
        store.deleteConversation("13800138000");
        QCOMPARE(store.messageCount, 12);
        QCOMPARE(store.messages.size(), 12);
        QCOMPARE(fileRowIds(db).size(), 12);
        QVERIFY(g_deleteErrors.isEmpty());
    }

    void deletedTextLeavesNoTraceInFile()
    {
        const QByteArray secret = "PIN 8472-secret-token-for-test";
        const QString db = fixtures::makeMessageDb(path(QStringLiteral("secure.db")),
                                                   {{1, QStringLiteral("10086"), 0, QString::fromUtf8(secret), 2},
                                                    {2, QStringLiteral("10086"), 0, QStringLiteral("keep me"), 3}});
        auto fileBytes = [&db] {
            QFile f(db);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        QVERIFY(fileBytes().contains(secret));
        {
            MessageStore store(db.toUtf8());
            QCOMPARE(store.deleteMessage(1), 0);
        }
        QVERIFY(!fileBytes().contains(secret));
        QVERIFY(fileBytes().contains("keep me"));
    }

    void lastDatabaseFollowsNewestStoreAndClosesOnce()
    {
        MessageStore first(sampleDb().toUtf8());
        sqlite3* firstDb = lastMessageDatabase();
        QVERIFY(firstDb);
        const QString other = fixtures::makeMessageDb(path(QStringLiteral("second.db")), {});
        {
            MessageStore second(other.toUtf8());
            QVERIFY(lastMessageDatabase() != firstDb);
            closeLastMessageDatabase();
            QVERIFY(!second.isOpen());
            QVERIFY(!lastMessageDatabase());
            QVERIFY(first.isOpen());
            closeLastMessageDatabase(); // nothing left to close
            QCOMPARE(second.close(), SQLITE_OK);
            QVERIFY(first.isOpen());
        } // the second store must not close a second time
        // Closing a store that is not the last one leaves the record alone.
        QCOMPARE(first.close(), SQLITE_OK);
        QVERIFY(!lastMessageDatabase());

        first.reload(other.toUtf8());
        QVERIFY(lastMessageDatabase());
        QCOMPARE(first.close(), SQLITE_OK);
        QVERIFY(!lastMessageDatabase());

        // The file is free again: another program may remove it.
        QVERIFY(QFile::remove(other));
    }

    void missingFileIsNotCreated()
    {
        const QString missing = path(QStringLiteral("nowhere/sms.db"));
        const QString missingHere = path(QStringLiteral("absent.db"));
        StdoutCapture out;
        MessageStore store(missingHere.toUtf8());
        MessageStore nested(missing.toUtf8());
        QCOMPARE(out.text(), QByteArray("数据库打开失败\n数据库打开失败\n"));
        QVERIFY(!QFileInfo::exists(missingHere));
        QVERIFY(!QFileInfo::exists(missing));
        QVERIFY(!store.isOpen());
        QVERIFY(!lastMessageDatabase());
        QVERIFY(store.messages.isEmpty());
        QCOMPARE(store.messageCount, 0);

        // Still usable: a delete reports failure, browsing gives nothing.
        QVERIFY(store.deleteMessage(1) != SQLITE_OK);
        QCOMPARE(g_deleteErrors.size(), 1);
        store.buildConversationList();
        QVERIFY(store.conversationHeads.isEmpty());
    }

    void seesContentOfWriteAheadLog()
    {
        const QString db = fixtures::makeMessageDb(path(QStringLiteral("wal.db")),
                                                   {{1, QStringLiteral("10086"), 0, QStringLiteral("in main"), 2}});
        // Leave the newest row in the -wal file only, as the phone does.
        sqlite3* writer = nullptr;
        QCOMPARE(sqlite3_open(db.toUtf8().constData(), &writer), SQLITE_OK);
        phonedb::registerRead(writer, phonedb::StandIn::One);
        QCOMPARE(sqlite3_exec(writer,
                              "PRAGMA journal_mode=WAL; insert into message (ROWID, address, text, flags) "
                              "values (2, '10086', 'only in wal', 3);",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_db_config(writer, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_close(writer);
        QVERIFY(QFileInfo(db + QStringLiteral("-wal")).size() > 0);

        MessageStore store(db.toUtf8());
        QCOMPARE(rowIds(store.messages), QList<int>({1, 2}));
        QCOMPARE(store.messages.at(1).text, QByteArray("only in wal"));
        QCOMPARE(store.deleteMessage(2), 0);
        store.close();
        QCOMPARE(fileRowIds(db), QStringList({"1"}));
    }
};

QTEST_GUILESS_MAIN(MessageStoreTest)
#include "tst_messagestore.moc"
