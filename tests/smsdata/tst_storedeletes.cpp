#include "Fixtures.h"
#include "MessageStore.h"
#include "ModernFixtures.h"
#include "PhoneDb.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <map>

using modernfixtures::Schema;

Q_DECLARE_METATYPE(modernfixtures::Schema)

namespace {

int g_deleteErrors = 0;
void countDeleteError(const QString&, const QString&)
{
    ++g_deleteErrors;
}

QStringList column(const QString& path, const char* sql)
{
    return fixtures::column(path, QString::fromUtf8(sql));
}

QString single(const QString& path, const char* sql)
{
    const QStringList values = column(path, sql);
    return values.isEmpty() ? QStringLiteral("(none)") : values.first();
}

QStringList recordIds(const MessageStore& store)
{
    QStringList ids;
    for (const MessageRecord& r : store.messages)
        ids.append(QString::number(r.rowId));
    return ids;
}

// Row ids of the file's messages that the store shows (not reactions or
// events), in row-id order.
QStringList fileMessageIds(const QString& path, bool modern)
{
    return column(path, modern ? "select ROWID from message where ifnull(item_type, 0) = 0 and "
                                 "ifnull(associated_message_type, 0) not between 2000 and 3999 order by ROWID"
                               : "select ROWID from message order by ROWID");
}

// What any delete must leave: a sound file without join rows that point
// at nothing.
void verifyConsistent(const QString& path)
{
    QCOMPARE(column(path, "PRAGMA integrity_check"), QStringList({"ok"}));
    QCOMPARE(column(path, "PRAGMA foreign_key_check"), QStringList());
    QCOMPARE(single(path, "select count(*) from chat_message_join where message_id not in (select ROWID from "
                          "message)"),
             QStringLiteral("0"));
    QCOMPARE(single(path, "select count(*) from message_attachment_join where message_id not in (select ROWID from "
                          "message)"),
             QStringLiteral("0"));
    QCOMPARE(single(path, "select count(*) from attachment where ROWID not in (select attachment_id from "
                          "message_attachment_join)"),
             QStringLiteral("0"));
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int exec(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    int rc = sqlite3_open(path.toUtf8().constData(), &db);
    phonedb::registerRead(db, phonedb::StandIn::One);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

int commits = 0;
int countCommit(void*)
{
    ++commits;
    return 0;
}

// The store an error handler destroys, as a message box's event loop may.
MessageStore* g_doomed = nullptr;
QStringList g_seenInHandler;
void destroyStoreOnError(const QString&, const QString&)
{
    ++g_deleteErrors;
    QVERIFY(g_doomed);
    // The store is final when it reports: counts, records and the open
    // conversation agree.
    g_seenInHandler = recordIds(*g_doomed);
    QCOMPARE(g_doomed->messageCount, int(g_doomed->messages.size()));
    for (const MessageRecord& r : std::as_const(g_doomed->conversation))
        QVERIFY(g_doomed->message(r.rowId));
    delete g_doomed;
    g_doomed = nullptr;
}

} // namespace

class StoreDeletesTest : public QObject
{
    Q_OBJECT

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString sampleDb(Schema schema, const QString& name = QStringLiteral("sms.db"))
    {
        return modernfixtures::makeModernDb(path(name), modernfixtures::sample(schema), schema);
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void init()
    {
        setDeleteErrorHandler(&countDeleteError);
        g_deleteErrors = 0;
    }
    void cleanup() { closeLastMessageDatabase(); }

    void modernDeleteKeepsTheFileConsistent_data()
    {
        QTest::addColumn<Schema>("schema");
        QTest::newRow("ios9") << Schema::Ios9;
        QTest::newRow("ios13") << Schema::Ios13;
    }
    void modernDeleteKeepsTheFileConsistent()
    {
        QFETCH(Schema, schema);
        const bool reactions = schema != Schema::Ios9;
        const QString db = sampleDb(schema);
        // As on the phone's own file, a plain connection cannot delete.
        QVERIFY(fixtures::exec(db, QStringLiteral("delete from attachment where ROWID = 1")) != SQLITE_OK);

        MessageStore store(db.toUtf8());
        const int before = store.messageCount;
        // Message 9 has two attachments and, from iOS 13 on, reactions.
        QCOMPARE(store.deleteMessage(9), 0);
        QCOMPARE(g_deleteErrors, 0);
        QCOMPARE(store.messageCount, before - 1);
        QVERIFY(!store.message(9));
        QVERIFY(store.reactionsTo(9).isEmpty());
        QCOMPARE(single(db, "select count(*) from message where ROWID = 9"), QStringLiteral("0"));
        // Its attachments, in nothing else, went with it (by the file's triggers).
        QCOMPARE(column(db, "select ROWID from attachment"), QStringList({"3"}));
        if (reactions) {
            // The reactions to it and their removal went; others stay.
            QCOMPARE(single(db, "select count(*) from message where ROWID in (11, 12, 13)"), QStringLiteral("0"));
            QCOMPARE(single(db, "select count(*) from message where ROWID = 10"), QStringLiteral("1"));
            QCOMPARE(store.reactionsTo(8).size(), 1);
            // The phone's triggers recorded the deletes as the phone would.
            QCOMPARE(single(db, "select count(*) from deleted_messages"), QStringLiteral("4"));
        }
        verifyConsistent(db);

        // The only message of a handle in no chat: the handle goes too.
        QCOMPARE(single(db, "select count(*) from handle where ROWID = 8"), QStringLiteral("1"));
        QCOMPARE(store.deleteMessage(23), 0);
        QCOMPARE(single(db, "select count(*) from handle where ROWID = 8"), QStringLiteral("0"));
        verifyConsistent(db);

        // A whole group: its messages, their reactions and its events.
        commits = 0;
        sqlite3_commit_hook(lastMessageDatabase(), &countCommit, nullptr);
        store.deleteConversation("chat123456789");
        QCOMPARE(commits, 1);
        QCOMPARE(g_deleteErrors, 0);
        QCOMPARE(store.messageCountOf("chat123456789"), 0);
        QVERIFY(store.eventsOf("chat123456789").isEmpty());
        QVERIFY(store.reactionsTo(8).isEmpty());
        QCOMPARE(single(db, "select count(*) from message where ROWID between 8 and 15"), QStringLiteral("0"));
        verifyConsistent(db);

        // Store and file agree on every message; nothing else was lost.
        store.close();
        QCOMPARE(fileMessageIds(db, reactions), recordIds(store));
        QVERIFY(column(db, "select text from message").contains(QStringLiteral("In no chat")));
    }

    void phoneTriggerThatRemovesUnchosenMessagesIsHeldBack()
    {
        const QString db = sampleDb(Schema::Ios9);
        const QStringList schemaBefore =
            column(db, "select type || '|' || name || '|' || tbl_name || '|' || rootpage || '|' || sql "
                       "from sqlite_master order by type, name");
        const QStringList joinTriggersBefore =
            column(db, "select name from sqlite_master where type = 'trigger' and tbl_name = 'chat_message_join' "
                       "order by rowid");
        QVERIFY(joinTriggersBefore.contains(QStringLiteral("clean_orphaned_messages")));

        MessageStore store(db.toUtf8());
        QCOMPARE(store.deleteMessages({1, 2}), 0);
        QCOMPARE(g_deleteErrors, 0);
        // Messages in no chat (18, 23) are the user's too: they stay.
        QVERIFY(store.message(18));
        QVERIFY(store.message(23));
        store.deleteConversation("telma");
        store.close();
        QCOMPARE(fileMessageIds(db, false), recordIds(store));
        QVERIFY(column(db, "select ROWID from message").contains(QStringLiteral("18")));
        verifyConsistent(db);

        // The schema is as it was, the triggers of the table fire in their
        // old order, and the held-back trigger works as before.
        QCOMPARE(column(db, "select type || '|' || name || '|' || tbl_name || '|' || rootpage || '|' || sql "
                            "from sqlite_master order by type, name"),
                 schemaBefore);
        QCOMPARE(column(db, "select name from sqlite_master where type = 'trigger' and tbl_name = "
                            "'chat_message_join' order by rowid"),
                 joinTriggersBefore);
        QCOMPARE(exec(db, "delete from chat_message_join where message_id = 3"), SQLITE_OK);
        QCOMPARE(single(db, "select count(*) from message where ROWID in (3, 18, 23)"), QStringLiteral("0"));
    }

    void storeLearnsWhatTheFilesTriggersRemoved_data()
    {
        QTest::addColumn<bool>("modern");
        QTest::newRow("legacy") << false;
        QTest::newRow("modern") << true;
    }
    void storeLearnsWhatTheFilesTriggersRemoved()
    {
        QFETCH(bool, modern);
        const QString db = modern ? sampleDb(Schema::Ios13)
                                  : fixtures::makeMessageDb(path(QStringLiteral("legacy.db")),
                                                            fixtures::sampleMessages(), fixtures::SmsSchema::Ios5);
        // A trigger of the file that takes the next message along, and one
        // that calls a function only the phone knows.
        QCOMPARE(exec(db, "create trigger take_next after delete on message when old.ROWID = 3 begin "
                          "delete from message where ROWID = old.ROWID + 1; end;"
                          "create trigger phone_hook after delete on message begin "
                          "select phone_only_cleanup(old.ROWID, 'x'); end;"),
                 SQLITE_OK);
        MessageStore store(db.toUtf8());
        QVERIFY(store.message(4));
        store.selectConversation(store.message(4)->address);
        QCOMPARE(store.deleteMessage(3), 0);
        QCOMPARE(g_deleteErrors, 0);
        QVERIFY(!store.message(3));
        QVERIFY(!store.message(4));
        for (const MessageRecord& r : std::as_const(store.conversation))
            QVERIFY(r.rowId != 4);
        store.close();
        QCOMPARE(fileMessageIds(db, modern), recordIds(store));
    }

    void failedModernDeleteLeavesTheMessageWhole()
    {
        const QString db = sampleDb(Schema::Ios13);
        QCOMPARE(exec(db, "create trigger keep9 before delete on message when old.ROWID = 9 begin "
                          "select raise(abort, 'kept'); end;"),
                 SQLITE_OK);
        MessageStore store(db.toUtf8());
        QCOMPARE(store.deleteMessages({9, 7}), SQLITE_CONSTRAINT_TRIGGER);
        QCOMPARE(g_deleteErrors, 1);
        QVERIFY(store.message(9));
        QVERIFY(!store.message(7));
        QCOMPARE(store.reactionsTo(9).size(), 1);
        // Its joins, attachments and reactions are all still there.
        QCOMPARE(single(db, "select count(*) from chat_message_join where message_id = 9"), QStringLiteral("1"));
        QCOMPARE(single(db, "select count(*) from message_attachment_join where message_id = 9"), QStringLiteral("2"));
        QCOMPARE(single(db, "select count(*) from attachment"), QStringLiteral("3"));
        QCOMPARE(single(db, "select count(*) from message where ROWID in (11, 12, 13)"), QStringLiteral("3"));
        store.close();
        QCOMPARE(fileMessageIds(db, true), recordIds(store));
        verifyConsistent(db);
    }

    void deletedTextIsNowhereInTheFilesAtOnce_data()
    {
        QTest::addColumn<bool>("modern");
        QTest::addColumn<bool>("wal");
        QTest::addColumn<QString>("kind");
        for (bool modern : {false, true}) {
            for (bool wal : {false, true}) {
                for (const char* kind : {"single", "selected", "clear all", "conversation"}) {
                    const QString name =
                        QStringLiteral("%1, %2, %3")
                            .arg(modern ? "modern" : "legacy", wal ? "WAL" : "rollback journal", QLatin1String(kind));
                    QTest::newRow(qPrintable(name)) << modern << wal << QString::fromLatin1(kind);
                }
            }
        }
    }
    void deletedTextIsNowhereInTheFilesAtOnce()
    {
        QFETCH(bool, modern);
        QFETCH(bool, wal);
        QFETCH(QString, kind);
        const QByteArray secrets[] = {"SECRET-ONE-7731-xyzzy", "SECRET-TWO-8842-plugh", "SECRET-THREE-9953-frob"};
        const QByteArray address = "+15557654321";
        const QString db = path(QStringLiteral("secure.db"));
        if (modern) {
            modernfixtures::Database d = modernfixtures::sample(Schema::Ios13);
            d.handles.append({9, QString::fromLatin1(address), QStringLiteral("SMS"), QVariant()});
            d.chats.append({8, QString::fromLatin1(address), 45, QVariant(), {9}});
            for (int i = 0; i < 3; ++i) {
                modernfixtures::Message m;
                m.rowId = 100 + i;
                // One in the text, one in the body only, one in both.
                if (i != 1)
                    m.text = QString::fromLatin1(secrets[i]);
                if (i != 0)
                    m.body = modernfixtures::body(secrets[i]);
                m.handle = 9;
                m.chats = {8};
                d.messages.append(m);
            }
            modernfixtures::makeModernDb(db, d, Schema::Ios13);
        } else {
            QList<fixtures::Msg> messages = fixtures::sampleMessages();
            for (int i = 0; i < 3; ++i)
                messages.append({100 + i, QString::fromLatin1(address), 5 + i, QString::fromLatin1(secrets[i]), 2});
            fixtures::makeMessageDb(db, messages, fixtures::SmsSchema::Ios5);
        }
        if (wal) {
            QCOMPARE(exec(db, "PRAGMA journal_mode=WAL"), SQLITE_OK);
            QCOMPARE(single(db, "PRAGMA journal_mode"), QStringLiteral("wal"));
        }
        auto everything = [&db] {
            return bytesOf(db) + bytesOf(db + QStringLiteral("-wal")) + bytesOf(db + QStringLiteral("-journal"));
        };
        for (const QByteArray& secret : secrets)
            QVERIFY(everything().contains(secret));

        MessageStore store(db.toUtf8());
        QCOMPARE(store.messageCountOf(address), 3);
        QVector<int> gone;
        if (kind == QLatin1String("single")) {
            QCOMPARE(store.deleteMessage(101), 0);
            gone = {1};
        } else if (kind == QLatin1String("selected")) {
            QCOMPARE(store.deleteMessages({100, 102}), 0);
            gone = {0, 2};
        } else if (kind == QLatin1String("clear all")) {
            store.selectConversation(address);
            QVector<qint64> all;
            for (const MessageRecord& r : std::as_const(store.conversation))
                all.append(r.rowId);
            QCOMPARE(store.deleteMessages(all), 0);
            gone = {0, 1, 2};
        } else {
            store.deleteConversation(address);
            gone = {0, 1, 2};
        }
        QCOMPARE(g_deleteErrors, 0);

        // Read while the store still holds the file open.
        QVERIFY(store.isOpen());
        const QByteArray now = everything();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(now.contains(secrets[i]), !gone.contains(i));
        QVERIFY(now.contains(modern ? "Who is in for Saturday?" : "O'Neil here"));
        if (wal)
            QCOMPARE(QFileInfo(db + QStringLiteral("-wal")).size(), 0);
    }

    void errorIsReportedLastAndTheStoreMayGoInTheReport_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("single") << QStringLiteral("single");
        QTest::newRow("selected") << QStringLiteral("selected");
        QTest::newRow("conversation") << QStringLiteral("conversation");
    }
    void errorIsReportedLastAndTheStoreMayGoInTheReport()
    {
        QFETCH(QString, kind);
        const QString db = fixtures::makeMessageDb(path(QStringLiteral("doomed.db")), fixtures::sampleMessages());
        QCOMPARE(exec(db, "create trigger keep10 before delete on message when old.ROWID = 10 begin "
                          "select raise(abort, 'kept'); end;"),
                 SQLITE_OK);
        g_doomed = new MessageStore(db.toUtf8());
        g_doomed->selectConversation("13800138000");
        g_seenInHandler.clear();
        setDeleteErrorHandler(&destroyStoreOnError);
        int rc = SQLITE_OK;
        if (kind == QLatin1String("single"))
            rc = g_doomed->deleteMessage(10);
        else if (kind == QLatin1String("selected"))
            rc = g_doomed->deleteMessages({1, 10, 12});
        else
            g_doomed->deleteConversation("13800138000");
        QCOMPARE(g_deleteErrors, 1);
        QVERIFY(!g_doomed);
        if (kind != QLatin1String("conversation"))
            QCOMPARE(rc, SQLITE_CONSTRAINT_TRIGGER);
        // What the handler saw is what the file holds.
        QCOMPARE(fileMessageIds(db, false), g_seenInHandler);
        QVERIFY(g_seenInHandler.contains(QStringLiteral("10")));
        QCOMPARE(g_seenInHandler.contains(QStringLiteral("12")), kind == QLatin1String("single"));
    }

    // Random deletes, selections and lists against a plain model of the
    // store, including a caller that empties or refills messages itself.
    void indexAgreesWithAPlainModel()
    {
        QList<fixtures::Msg> rows;
        QRandomGenerator random(99);
        for (int i = 1; i <= 400; ++i) {
            // Gaps in the row ids, as deletes on the phone leave them.
            const qint64 rowId = qint64(i) * 3 + random.bounded(3);
            rows.append({rowId, QStringLiteral("1380000%1").arg(random.bounded(15)), i, QStringLiteral("t%1").arg(i),
                         2 + random.bounded(2)});
        }
        const QString db = fixtures::makeMessageDb(path(QStringLiteral("model.db")), rows);
        MessageStore store(db.toUtf8());
        std::map<qint64, QByteArray> model; // row id -> address
        for (const fixtures::Msg& m : rows)
            model[m.rowId.toLongLong()] = m.address.toString().toUtf8();

        auto addresses = [&model] {
            QList<QByteArray> all;
            for (const auto& [id, address] : model) {
                if (!all.contains(address))
                    all.append(address);
            }
            return all;
        };
        auto check = [&] {
            // The list first: it puts records a caller added back in order.
            store.buildConversationList();
            QCOMPARE(store.messageCount, int(model.size()));
            QStringList expected;
            for (const auto& entry : model)
                expected.append(QString::number(entry.first));
            QCOMPARE(recordIds(store), expected);
            // From the last record back, the first of each address.
            QList<qint64> heads;
            QSet<QByteArray> seen;
            for (auto it = model.rbegin(); it != model.rend(); ++it) {
                if (!seen.contains(it->second)) {
                    seen.insert(it->second);
                    heads.append(it->first);
                }
            }
            QList<qint64> built;
            for (const MessageRecord& r : std::as_const(store.conversationHeads))
                built.append(r.rowId);
            QCOMPARE(built, heads);
            for (const QByteArray& address : addresses()) {
                QList<qint64> ids;
                for (const auto& [id, a] : model) {
                    if (a == address)
                        ids.append(id);
                }
                store.selectConversation(address);
                QList<qint64> selected;
                for (const MessageRecord& r : std::as_const(store.conversation))
                    selected.append(r.rowId);
                QCOMPARE(selected, ids);
                QCOMPARE(store.messageCountOf(address), int(ids.size()));
            }
        };

        QSet<qint64> deleted;
        for (int round = 0; round < 60; ++round) {
            const int op = random.bounded(4);
            if (op == 0 && !model.empty()) {
                auto it = model.begin();
                std::advance(it, random.bounded(int(model.size())));
                const qint64 id = it->first;
                QCOMPARE(store.deleteMessage(id), 0);
                model.erase(id);
                deleted.insert(id);
            } else if (op == 1) {
                QVector<qint64> ids;
                for (int i = 0; i < 8; ++i)
                    ids.append(random.bounded(1300)); // existing or not
                QCOMPARE(store.deleteMessages(ids), 0);
                for (qint64 id : std::as_const(ids)) {
                    model.erase(id);
                    deleted.insert(id);
                }
            } else if (op == 2 && !model.empty()) {
                const QList<QByteArray> all = addresses();
                const QByteArray address = all.at(random.bounded(int(all.size())));
                store.deleteConversation(address);
                for (auto it = model.begin(); it != model.end();) {
                    if (it->second == address) {
                        deleted.insert(it->first);
                        it = model.erase(it);
                    } else {
                        ++it;
                    }
                }
            } else if (op == 3) {
                // A caller empties the records, or puts some back out of order.
                if (random.bounded(2)) {
                    store.clear();
                    model.clear();
                } else {
                    MessageRecord extra;
                    extra.rowId = 2000 + round;
                    extra.address = "extra";
                    store.messages.prepend(extra);
                    ++store.messageCount;
                    model[extra.rowId] = extra.address;
                }
            }
            QCOMPARE(g_deleteErrors, 0);
            check();
            if (QTest::currentTestFailed())
                return;
        }
        // Every row deleted is gone from the file; every record read from
        // it is still there.
        store.close();
        const QStringList inFile = fileMessageIds(db, false);
        for (const QString& id : inFile)
            QVERIFY(!deleted.contains(id.toLongLong()));
        for (const MessageRecord& r : std::as_const(store.messages))
            QVERIFY(r.rowId >= 2000 || inFile.contains(QString::number(r.rowId)));
        QVERIFY(!deleted.isEmpty());
    }
};

QTEST_GUILESS_MAIN(StoreDeletesTest)
#include "tst_storedeletes.moc"
