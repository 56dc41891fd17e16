#include "Fixtures.h"
#include "MessageStore.h"
#include "ModernFixtures.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sqlite3.h>

using modernfixtures::Schema;

Q_DECLARE_METATYPE(modernfixtures::Schema)

namespace {

QList<qint64> rowIds(const QVector<MessageRecord>& records)
{
    QList<qint64> ids;
    for (const MessageRecord& r : records)
        ids.append(r.rowId);
    return ids;
}

const MessageRecord& recordOf(MessageStore& store, qint64 rowId)
{
    static const MessageRecord none;
    const MessageRecord* record = store.message(rowId);
    return record ? *record : none;
}

constexpr qint64 sampleBase = 1577836800; // 2020-01-01 00:00 UTC

int g_deleteErrors = 0;
void countDeleteError(const QString&, const QString&)
{
    ++g_deleteErrors;
}

} // namespace

class ModernStoreTest : public QObject
{
    Q_OBJECT

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString sampleDb(Schema schema)
    {
        return modernfixtures::makeModernDb(path(QStringLiteral("sms.db")), modernfixtures::sample(schema), schema);
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        setDeleteErrorHandler(&countDeleteError);
    }
    void init() { g_deleteErrors = 0; }
    void cleanup() { closeLastMessageDatabase(); }

    void readsMessagesOfEveryVersion_data()
    {
        QTest::addColumn<Schema>("schema");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QList<qint64>>("records");
        QTest::addColumn<QList<qint64>>("heads");
        const QList<qint64> common{1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 18, 21, 22, 23};
        QTest::newRow("ios9") << Schema::Ios9 << 38 << common << QList<qint64>{23, 22, 21, 18, 16, 9, 7, 2};
        QTest::newRow("ios13") << Schema::Ios13 << 68 << common << QList<qint64>{23, 22, 21, 18, 16, 9, 7, 2};
        QTest::newRow("ios17") << Schema::Ios17 << 71
                               << QList<qint64>{1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 18, 19, 20, 21, 22, 23}
                               << QList<qint64>{23, 22, 21, 20, 18, 16, 9, 7};
    }
    void readsMessagesOfEveryVersion()
    {
        QFETCH(Schema, schema);
        QFETCH(int, columns);
        QFETCH(QList<qint64>, records);
        QFETCH(QList<qint64>, heads);
        MessageStore store(sampleDb(schema).toUtf8());
        QCOMPARE(store.layout(), MessageLayout::Modern);
        QCOMPARE(store.columnCount, columns);
        // Reactions and group events are no messages and are not counted.
        QCOMPARE(rowIds(store.messages), records);
        QCOMPARE(store.messageCount, int(records.size()));

        // The chat's identifier keys the conversation: a phone number, an
        // e-mail address, a short code, an alphanumeric sender or a group.
        QCOMPARE(recordOf(store, 1).address, QByteArray("+12095981933"));
        QCOMPARE(recordOf(store, 3).address, QByteArray("anna@example.org"));
        QCOMPARE(recordOf(store, 6).address, QByteArray("40404"));
        QCOMPARE(recordOf(store, 7).address, QByteArray("telma"));
        QCOMPARE(recordOf(store, 8).address, QByteArray("chat123456789"));
        QCOMPARE(recordOf(store, 16).address, QByteArray("chat987654321"));
        // A message in no chat takes its handle's id.
        QCOMPARE(recordOf(store, 18).address, QByteArray("+447700900123"));
        QCOMPARE(recordOf(store, 23).address, QByteArray("+15550001111"));

        // One person over SMS and iMessage: two chats, one conversation.
        store.selectConversation("+12095981933");
        QCOMPARE(rowIds(store.conversation).mid(0, 2), QList<qint64>({1, 2}));
        store.buildConversationList();
        QCOMPARE(rowIds(store.conversationHeads), heads);
        QCOMPARE(store.messageCountOf("anna@example.org"), 4);

        // Direction and sender: incoming messages carry their sender's handle.
        QVERIFY(recordOf(store, 1).isIncoming);
        QCOMPARE(recordOf(store, 1).sender, QByteArray("+12095981933"));
        QVERIFY(!recordOf(store, 2).isIncoming);
        QVERIFY(recordOf(store, 2).sender.isEmpty());
        QCOMPARE(recordOf(store, 8).sender, QByteArray("+447700900123"));
        QVERIFY(!recordOf(store, 9).isIncoming);
        QVERIFY(recordOf(store, 9).sender.isEmpty());
        QCOMPARE(recordOf(store, 16).sender, QByteArray("+12095981933"));
    }

    void textsFromEveryPlace_data()
    {
        QTest::addColumn<Schema>("schema");
        QTest::newRow("ios9") << Schema::Ios9;
        QTest::newRow("ios13") << Schema::Ios13;
    }
    void textsFromEveryPlace()
    {
        QFETCH(Schema, schema);
        MessageStore store(sampleDb(schema).toUtf8());
        QCOMPARE(recordOf(store, 1).text, QByteArray("Hi over SMS"));
        // NULL or empty text: the attributed body's text, of any length.
        QCOMPARE(recordOf(store, 3).text, QByteArray("Short body"));
        QCOMPARE(recordOf(store, 4).text, modernfixtures::longBody200());
        QCOMPARE(recordOf(store, 5).text.size(), 70000);
        QCOMPARE(recordOf(store, 5).text, modernfixtures::longBody70000());
        // Attachments in their join order; the file name when there is no
        // transfer name; an attachment-only message shows its name.
        QCOMPARE(recordOf(store, 9).text, QByteArray("Me! [IMG_0042.HEIC] and [voice-note.caf]"));
        QCOMPARE(recordOf(store, 21).text, QByteArray("[map.png]"));
        // NULL everywhere.
        const MessageRecord& empty = recordOf(store, 22);
        QCOMPARE(empty.rowId, 22);
        QVERIFY(empty.text.isEmpty());
        QCOMPARE(empty.time, 0);
        QVERIFY(empty.isIncoming);
        QVERIFY(empty.sender.isEmpty());
        QCOMPARE(empty.address, QByteArray("40404"));
    }

    void datesInSecondsAndNanosecondsInOneFile()
    {
        MessageStore store(sampleDb(Schema::Ios13).toUtf8());
        // Odd rows are stored in seconds, even ones in nanoseconds.
        QCOMPARE(recordOf(store, 1).time, sampleBase + 60);
        QCOMPARE(recordOf(store, 2).time, sampleBase + 120);
        QCOMPARE(recordOf(store, 9).time, sampleBase + 540);
        QCOMPARE(recordOf(store, 16).time, sampleBase + 960);
        QCOMPARE(recordOf(store, 1).timeText(), QByteArray("time:Wed Jan 01 08:01:00 2020\n"));
        QCOMPARE(recordOf(store, 2).timeText(), QByteArray("time:Wed Jan 01 08:02:00 2020\n"));
        // 0 is unset.
        QCOMPARE(recordOf(store, 6).time, 0);
        QCOMPARE(recordOf(store, 6).timeText(), QByteArray("time:Thu Jan 01 08:00:00 1970\n"));
    }

    void dateConversionRules_data()
    {
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<qint64>("unix");
        QTest::newRow("unset") << qint64(0) << qint64(0);
        QTest::newRow("one second") << qint64(1) << qint64(978307201);
        QTest::newRow("seconds at the threshold") << qint64(1000000000000) << qint64(978307200 + 1000000000000);
        QTest::newRow("nanoseconds just above") << qint64(1000000000001) << qint64(978307200 + 1000);
        QTest::newRow("nanoseconds of 2020") << modernfixtures::appleNanoseconds(sampleBase) << sampleBase;
        QTest::newRow("before 1970 is the epoch") << qint64(-2000000000) << qint64(0);
        QTest::newRow("largest") << std::numeric_limits<qint64>::max()
                                 << std::numeric_limits<qint64>::max() / 1000000000 + 978307200;
    }
    void dateConversionRules()
    {
        QFETCH(qint64, stored);
        QFETCH(qint64, unix);
        Q_UNUSED(unix)
        modernfixtures::Database d;
        d.handles = {{1, QStringLiteral("+12095981933"), QStringLiteral("SMS"), QVariant()}};
        modernfixtures::Message m;
        m.rowId = 1;
        m.text = QStringLiteral("x");
        m.handle = 1;
        m.date = stored;
        d.messages = {m};
        MessageStore store(modernfixtures::makeModernDb(path(QStringLiteral("date.db")), d, Schema::Ios13).toUtf8());
        QCOMPARE(store.messages.size(), 1);
        QCOMPARE(store.messages.at(0).time, unix);
        QVERIFY(store.messages.at(0).timeText().startsWith("time:"));
    }

    void reactionsNetOfTheirRemovals()
    {
        MessageStore store(sampleDb(Schema::Ios13).toUtf8());
        const QVector<Reaction> onEight = store.reactionsTo(8);
        QCOMPARE(onEight.size(), 1);
        QCOMPARE(onEight.at(0).rowId, 10);
        QCOMPARE(onEight.at(0).kind, 2000);
        QCOMPARE(onEight.at(0).sender, QByteArray("+8613800138000"));
        // The like from +44 was taken back; the laugh names its target as "bp:".
        const QVector<Reaction> onNine = store.reactionsTo(9);
        QCOMPARE(onNine.size(), 1);
        QCOMPARE(onNine.at(0).rowId, 13);
        QCOMPARE(onNine.at(0).kind, 2003);
        QVERIFY(store.reactionsTo(1).isEmpty());
        // A removal matches only the same kind from the same sender.
        modernfixtures::Database d = modernfixtures::sample(Schema::Ios13);
        for (modernfixtures::Message& m : d.messages) {
            if (m.rowId == 12)
                m.handle = 7; // someone else takes back a like they never gave
        }
        MessageStore other(modernfixtures::makeModernDb(path(QStringLiteral("other.db")), d, Schema::Ios13).toUtf8());
        QCOMPARE(other.reactionsTo(9).size(), 2);
        QCOMPARE(other.reactionsTo(9).at(0).rowId, 11);
    }

    void groupsTheirNamesMembersAndEvents()
    {
        MessageStore store(sampleDb(Schema::Ios13).toUtf8());
        const ConversationInfo* named = store.conversationInfo("chat123456789");
        QVERIFY(named);
        QVERIFY(named->isGroup);
        QCOMPARE(named->displayName, QByteArray("Climbing"));
        QCOMPARE(named->members, QVector<QByteArray>({"anna@example.org", "+447700900123", "+8613800138000"}));
        const ConversationInfo* unnamed = store.conversationInfo("chat987654321");
        QVERIFY(unnamed);
        QVERIFY(unnamed->isGroup);
        QVERIFY(unnamed->displayName.isEmpty());
        QCOMPARE(unnamed->members, QVector<QByteArray>({"+12095981933", "+447700900123"}));
        QVERIFY(!store.conversationInfo("+12095981933"));

        const QVector<ConversationEvent> events = store.eventsOf("chat123456789");
        QCOMPARE(events.size(), 2);
        QCOMPARE(events.at(0).rowId, 14);
        QCOMPARE(events.at(0).kind, ConversationEvent::MemberAdded);
        QCOMPARE(events.at(0).actor, QByteArray("+447700900123"));
        QCOMPARE(events.at(0).target, QByteArray("+8613800138000"));
        QCOMPARE(events.at(0).time, sampleBase + 14 * 60);
        QCOMPARE(events.at(1).kind, ConversationEvent::Renamed);
        QVERIFY(events.at(1).actor.isEmpty());
        QCOMPARE(events.at(1).title, QByteArray("Climbing crew"));
        const QVector<ConversationEvent> left = store.eventsOf("chat987654321");
        QCOMPARE(left.size(), 1);
        QCOMPARE(left.at(0).kind, ConversationEvent::MemberLeft);

        QCOMPARE(store.handleCountry("+12095981933"), QByteArray("us"));
        QCOMPARE(store.handleCountry("+447700900123"), QByteArray("gb"));
        QVERIFY(store.handleCountry("anna@example.org").isEmpty());
    }

    void editedAndUnsentMessages()
    {
        MessageStore store(sampleDb(Schema::Ios17).toUtf8());
        QCOMPARE(recordOf(store, 19).text, QByteArray("Edited text"));
        QCOMPARE(recordOf(store, 19).flags, quint8(MessageRecord::Edited));
        QCOMPARE(recordOf(store, 20).text, QByteArray("This message was unsent."));
        QCOMPARE(recordOf(store, 20).flags, quint8(MessageRecord::Unsent));
        QCOMPARE(recordOf(store, 1).flags, quint8(0));
    }

    void reducedFileWithMessageAndHandleOnly()
    {
        const Schema schema = Schema::Reduced;
        MessageStore store(
            modernfixtures::makeModernDb(path(QStringLiteral("reduced.db")), modernfixtures::sample(schema), schema)
                .toUtf8());
        QCOMPARE(store.layout(), MessageLayout::Modern);
        QCOMPARE(store.messages.size(), 14);
        // Without chats every message is keyed by its handle.
        QCOMPARE(recordOf(store, 8).address, QByteArray("+447700900123"));
        QCOMPARE(recordOf(store, 3).address, QByteArray("anna@example.org"));
        QCOMPARE(recordOf(store, 3).text, QByteArray("Short body"));
        QVERIFY(recordOf(store, 9).address.isEmpty());
        // Without attachments the placeholders stay.
        QCOMPARE(recordOf(store, 9).text, QByteArray("Me! \xef\xbf\xbc and \xef\xbf\xbc"));
        QVERIFY(!store.conversationInfo("chat123456789"));
        store.buildConversationList();
        QCOMPARE(store.conversationHeads.size(), 7);
    }

    void nullAndOddCellsInEveryTable()
    {
        const QString file = path(QStringLiteral("odd.db"));
        QCOMPARE(
            fixtures::exec(
                file, QStringLiteral(
                          "create table message (ROWID integer primary key, guid, text, attributedBody, handle_id, "
                          "is_from_me, date, item_type, associated_message_type, associated_message_guid);"
                          "insert into message values (1, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);"
                          "insert into message values (2, 'g2', x'00ff', x'0102', 'h', 'yes', 'soon', 'x', 2000, NULL);"
                          "insert into message values (3, 'g3', 7, 'not a blob', 99, 1, 1.5e9, NULL, 3000, 'p:');"
                          "insert into message values (4, 'g4', NULL, x'040b73747265616d7479706564', 1, 0, -1, 0, "
                          "NULL, NULL);"
                          "create table handle (ROWID integer primary key, id, country);"
                          "insert into handle values (1, NULL, NULL);"
                          "create table chat (ROWID integer primary key, chat_identifier, style, display_name);"
                          "insert into chat values (1, NULL, 'x', NULL);"
                          "insert into chat values (2, 'chat1', 43, NULL);"
                          "create table chat_message_join (chat_id, message_id);"
                          "insert into chat_message_join values (NULL, NULL);"
                          "insert into chat_message_join values (1, 3);"
                          "insert into chat_message_join values ('2', 4);"
                          "create table chat_handle_join (chat_id, handle_id);"
                          "insert into chat_handle_join values (2, NULL);"
                          "create table message_attachment_join (message_id, attachment_id);"
                          "insert into message_attachment_join values (3, 42);")),
            SQLITE_OK);
        MessageStore store(file.toUtf8());
        QCOMPARE(store.layout(), MessageLayout::Modern);
        // Row 2 reacts to nothing it names: not a message, and shown on none.
        QCOMPARE(rowIds(store.messages), QList<qint64>({1, 4}));
        QVERIFY(store.messages.at(0).text.isEmpty());
        QVERIFY(store.messages.at(0).address.isEmpty());
        // A body that is only the header holds no text.
        QVERIFY(store.messages.at(1).text.isEmpty());
        QCOMPARE(store.messages.at(1).address, QByteArray("chat1"));
        QVERIFY(store.conversationInfo("chat1"));
        QVERIFY(store.conversationInfo("chat1")->members.isEmpty());
        store.buildConversationList();
        QCOMPARE(store.conversationHeads.size(), 2);
    }

    void readReportsProgressAndMayRunOnAWorkerThread_data()
    {
        QTest::addColumn<bool>("modern");
        QTest::newRow("legacy") << false;
        QTest::newRow("modern") << true;
    }
    void readReportsProgressAndMayRunOnAWorkerThread()
    {
        QFETCH(bool, modern);
        constexpr int count = 20000;
        const QString file = path(QStringLiteral("progress.db"));
        if (modern) {
            modernfixtures::Database d;
            d.handles = {{1, QStringLiteral("+12095981933"), QStringLiteral("SMS"), QVariant()}};
            d.chats = {{1, QStringLiteral("+12095981933"), 45, QVariant(), {1}}};
            for (int i = 1; i <= count; ++i) {
                modernfixtures::Message m;
                m.rowId = i;
                m.text = QStringLiteral("message %1").arg(i);
                m.handle = 1;
                m.chats = {1};
                d.messages.append(m);
            }
            modernfixtures::makeModernDb(file, d, Schema::Ios13);
        } else {
            QList<fixtures::Msg> messages;
            for (int i = 1; i <= count; ++i)
                messages.append({i, QStringLiteral("10086"), i, QStringLiteral("message %1").arg(i), 2});
            fixtures::makeMessageDb(file, messages);
        }

        QList<QPair<qint64, qint64>> calls;
        bool onWorker = true;
        QThread* const gui = QThread::currentThread();
        ReadOptions options;
        options.progress = [&](qint64 done, qint64 total) {
            calls.append({done, total});
            onWorker = onWorker && QThread::currentThread() != gui;
        };
        std::unique_ptr<MessageStore> store;
        std::unique_ptr<QThread> worker(
            QThread::create([&] { store = std::make_unique<MessageStore>(file.toUtf8(), options); }));
        worker->start();
        QVERIFY(worker->wait(120000));

        QVERIFY(onWorker);
        QVERIFY(calls.size() >= 3);
        QCOMPARE(calls.constFirst(), qMakePair(qint64(0), qint64(count)));
        QCOMPARE(calls.constLast(), qMakePair(qint64(count), qint64(count)));
        for (int i = 1; i < calls.size(); ++i)
            QVERIFY(calls.at(i).first >= calls.at(i - 1).first);

        // Used from here on like any other store.
        QCOMPARE(store->messageCount, count);
        QCOMPARE(lastMessageDatabase() != nullptr, true);
        store->selectConversation(store->messages.at(0).address);
        QCOMPARE(store->conversation.size(), count);
        QCOMPARE(store->deleteMessages({1, 2, 3}), 0);
        QCOMPARE(store->messageCount, count - 3);
        QCOMPARE(fixtures::column(file, QStringLiteral("select count(*) from message")),
                 QStringList({QString::number(count - 3)}));
    }

    void neitherLayoutReadsAsEmpty_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("no message table") << QStringLiteral("create table other (a);");
        QTest::newRow("address without flags")
            << QStringLiteral("create table message (ROWID integer primary key, address, date, text); "
                              "insert into message values (1, '10086', 5, 'x');");
        QTest::newRow("handle_id without is_from_me")
            << QStringLiteral("create table message (ROWID integer primary key, handle_id, text); "
                              "insert into message values (1, 1, 'x');");
        QTest::newRow("without rowid") << QStringLiteral(
            "create table message (address primary key, date, text, flags) without rowid; "
            "insert into message values ('10086', 5, 'x', 2);");
    }
    void neitherLayoutReadsAsEmpty()
    {
        QFETCH(QString, sql);
        const QString file = path(QStringLiteral("neither.db"));
        QFile::remove(file);
        QCOMPARE(fixtures::exec(file, sql), SQLITE_OK);
        MessageStore store(file.toUtf8());
        QVERIFY(store.isOpen());
        QCOMPARE(store.layout(), MessageLayout::Unknown);
        QVERIFY(store.messages.isEmpty());
        QCOMPARE(store.messageCount, 0);
        // Nothing can be deleted from a table the store does not understand.
        QVERIFY(store.deleteMessage(1) != SQLITE_OK);
        QCOMPARE(g_deleteErrors, 1);
    }
};

QTEST_GUILESS_MAIN(ModernStoreTest)
#include "tst_modernstore.moc"
