// Finding messages: the folding of case, accents and white space, terms in
// any order, phrases, scripts without spaces, emoji, texts only in
// attributedBody, hostile queries and bytes, the order of the hits, and the
// worker that runs the queries (cancelling, stale results, new messages).

#include "Fixtures.h"
#include "MessageSearch.h"
#include "MessageStore.h"
#include "ModernFixtures.h"

#include "FuzzEntries.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace search;

namespace {

void feedEntry(const QByteArray& bytes)
{
    std::vector<uint8_t> exact(bytes.cbegin(), bytes.cend());
    fuzzentries::search(exact.data(), exact.size());
}

MessageRecord message(qint64 rowId, const QByteArray& address, qint64 time, const QString& text)
{
    MessageRecord m;
    m.rowId = rowId;
    m.address = address;
    m.time = time;
    m.text = text.toUtf8();
    return m;
}

QVector<qint64> rowsOf(const Results& r)
{
    QVector<qint64> rows;
    for (const Hit& h : r.hits)
        rows.append(h.rowId);
    return rows;
}

QVector<qint64> find(const QVector<MessageRecord>& messages, const QString& query)
{
    return rowsOf(Index::build(messages)->find(Query::parse(query)));
}

} // namespace

class MessageSearchTest : public QObject
{
    Q_OBJECT
private slots:
    void foldsCaseAccentsAndSpace_data();
    void foldsCaseAccentsAndSpace();
    void matches_data();
    void matches();
    void emptyAndHostileQueries();
    void indexAgreesWithTheMatcher();
    void hitsNewestFirstAndGrouped();
    void largeFileFoldedInParts();
    void onlyOneConversation();
    void spansMarkWhatMatched();
    void textsOnlyInAttributedBody();
    void attachmentNamesOfBothLayouts();
    void invalidUtf8InTheDatabase();
    void workerReportsTheNewestQueryOnly();
    void searchWithinOneConversation();
    void newMessagesDropOldResults();
    void randomAndTruncatedInput();
};

void MessageSearchTest::foldsCaseAccentsAndSpace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");
    QTest::newRow("case") << QStringLiteral("CaFe") << QStringLiteral("cafe");
    QTest::newRow("precomposed accent") << QStringLiteral("Café") << QStringLiteral("cafe");
    QTest::newRow("combining accent") << QStringLiteral("Cafe\u0301") << QStringLiteral("cafe");
    QTest::newRow("french") << QStringLiteral("crème brûlée") << QStringLiteral("creme brulee");
    QTest::newRow("greek capitals") << QStringLiteral("ΆΘΗΝΑ") << QStringLiteral("αθηνα");
    QTest::newRow("white space runs") << QStringLiteral("a \t\n\r b\u00a0\u3000c") << QStringLiteral("a b c");
    QTest::newRow("nul") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << QStringLiteral("a b");
    QTest::newRow("chinese unchanged") << QStringLiteral("我们明天见") << QStringLiteral("我们明天见");
    QTest::newRow("emoji unchanged") << QStringLiteral("ok 😀👍🏽") << QStringLiteral("ok 😀👍🏽");
    QTest::newRow("full width") << QStringLiteral("ＡＢＣ ｆｕｌｌ １２") << QStringLiteral("abc full 12");
    QTest::newRow("half width katakana") << QStringLiteral("ｶﾀｶﾅ") << QStringLiteral("カタカナ");
    QTest::newRow("ligatures") << QStringLiteral("ﬁnal ﬂow Ĳ") << QStringLiteral("final flow ij");
    QTest::newRow("micro sign") << QStringLiteral("5µg") << QStringLiteral("5μg");
    // Circled, superscript and fraction forms keep their own look.
    QTest::newRow("other forms kept") << QStringLiteral("① x² ½") << QStringLiteral("① x² ½");
}

void MessageSearchTest::foldsCaseAccentsAndSpace()
{
    QFETCH(QString, text);
    QFETCH(QString, folded);
    QCOMPARE(foldText(text), folded);
    // The byte form, with its shortcut for ASCII, agrees.
    QCOMPARE(foldUtf8(text.toUtf8()), folded.toUtf8());
}

void MessageSearchTest::matches_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("match");
    const QString cafe = QStringLiteral("Meet me at the Café at 5");
    QTest::newRow("plain") << cafe << QStringLiteral("cafe") << true;
    QTest::newRow("upper query") << cafe << QStringLiteral("CAFE") << true;
    QTest::newRow("accent in query") << QStringLiteral("cafe") << QStringLiteral("Café") << true;
    QTest::newRow("substring") << cafe << QStringLiteral("caf") << true;
    QTest::newRow("words in any order") << QStringLiteral("crème brûlée") << QStringLiteral("brulee creme") << true;
    QTest::newRow("every word needed") << cafe << QStringLiteral("cafe tea") << false;
    QTest::newRow("phrase") << cafe << QStringLiteral("\"the cafe\"") << true;
    QTest::newRow("phrase in order only") << cafe << QStringLiteral("\"cafe the\"") << false;
    QTest::newRow("phrase across a line break")
        << QStringLiteral("the\ncafe") << QStringLiteral("\"the  cafe\"") << true;
    QTest::newRow("curly quotes") << cafe << QStringLiteral("“at the”") << true;
    QTest::newRow("phrase and word") << cafe << QStringLiteral("5 \"meet me\"") << true;
    QTest::newRow("unclosed quote") << cafe << QStringLiteral("\"at 5") << true;
    QTest::newRow("chinese substring") << QStringLiteral("我们明天见") << QStringLiteral("明天") << true;
    QTest::newRow("chinese missing") << QStringLiteral("我们明天见") << QStringLiteral("后天") << false;
    QTest::newRow("japanese") << QStringLiteral("明日東京で会いましょう") << QStringLiteral("東京で") << true;
    QTest::newRow("emoji") << QStringLiteral("party 🎉 tonight") << QStringLiteral("🎉") << true;
    QTest::newRow("other emoji") << QStringLiteral("party 🎉 tonight") << QStringLiteral("🎈") << false;
    QTest::newRow("nothing in an empty text") << QString() << QStringLiteral("a") << false;
    QTest::newRow("full width text") << QStringLiteral("ＡＢＣ Ｃａｆé") << QStringLiteral("abc cafe") << true;
    QTest::newRow("full width query") << QStringLiteral("abc") << QStringLiteral("ＡＢＣ") << true;
    QTest::newRow("ligature") << QStringLiteral("the ﬁnal offer") << QStringLiteral("final") << true;
}

void MessageSearchTest::matches()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    QFETCH(bool, match);
    const MessageRecord m = message(1, "a", 1, text);
    QCOMPARE(Query::parse(query).matches(m), match);
    QCOMPARE(find({m}, query).size(), match ? 1 : 0);
}

void MessageSearchTest::emptyAndHostileQueries()
{
    const QVector<MessageRecord> messages = {message(1, "a", 1, QStringLiteral("hello there")),
                                             message(2, "a", 2, QStringLiteral("x"))};
    for (const QString& q : {QString(), QStringLiteral("   \t\n"), QStringLiteral("\"\""), QStringLiteral("\" \"")}) {
        QVERIFY2(Query::parse(q).isEmpty(), qPrintable(q));
        QVERIFY(find(messages, q).isEmpty());
    }
    // Terms inside others add nothing; repeated ones count once.
    QCOMPARE(Query::parse(QStringLiteral("the there THERE")).terms(), QVector<QByteArray>{"there"});

    // A query of 10,000 characters: one long word finds nothing, and many
    // short ones are only as many as are different.
    const QString longWord(10000, QLatin1Char('h'));
    QVERIFY(find(messages, longWord).isEmpty());
    QString manyWords;
    for (int i = 0; i < 5000; ++i)
        manyWords += QStringLiteral("x ");
    QCOMPARE(manyWords.size(), 10000);
    QCOMPARE(Query::parse(manyWords).terms().size(), 1);
    QCOMPARE(find(messages, manyWords), QVector<qint64>{2});
}

void MessageSearchTest::indexAgreesWithTheMatcher()
{
    // Texts that end where the next begins must not make a match between
    // two messages.
    QVector<MessageRecord> messages;
    const QStringList texts = {QStringLiteral("abc"),
                               QStringLiteral("def"),
                               QStringLiteral("ÀBC déf"),
                               QStringLiteral("c d"),
                               QString(),
                               QStringLiteral("我们明天见"),
                               QStringLiteral("ab\ncd"),
                               QStringLiteral("xyzabc"),
                               QStringLiteral("abcabc")};
    for (int i = 0; i < texts.size(); ++i)
        messages.append(message(i + 1, "k", i, texts.at(i)));
    for (const QString& q :
         {QStringLiteral("abc"), QStringLiteral("cd"), QStringLiteral("\"c d\""), QStringLiteral("c def"),
          QStringLiteral("bc de"), QStringLiteral("明天"), QStringLiteral("abc def")}) {
        QVector<qint64> expected;
        const Query query = Query::parse(q);
        for (const MessageRecord& m : std::as_const(messages)) {
            if (query.matches(m))
                expected.prepend(m.rowId); // newest first
        }
        QCOMPARE(find(messages, q), expected);
    }
    QCOMPARE(find(messages, QStringLiteral("cd")), QVector<qint64>{7});
    QCOMPARE(find(messages, QStringLiteral("\"c d\"")), (QVector<qint64>{4, 3}));
    QVERIFY(find(messages, QStringLiteral("abcdef")).isEmpty());
    QVERIFY(find(messages, QStringLiteral("\"def c\"")).isEmpty());
}

void MessageSearchTest::hitsNewestFirstAndGrouped()
{
    // Stored in row order, which is not time order.
    const QVector<MessageRecord> messages = {
        message(1, "anna", 500, QStringLiteral("lunch?")),    message(2, "ben", 100, QStringLiteral("lunch!")),
        message(3, "anna", 300, QStringLiteral("no lunch")),  message(4, "cara", 900, QStringLiteral("dinner")),
        message(5, "ben", 700, QStringLiteral("Lunch at 1")), message(6, "ben", 700, QStringLiteral("lunch 2")),
    };
    const Results r = Index::build(messages)->find(Query::parse(QStringLiteral("lunch")));
    // The same time: the higher row id first.
    QCOMPARE(rowsOf(r), (QVector<qint64>{6, 5, 1, 3, 2}));
    QCOMPARE(r.groups.size(), 2);
    QCOMPARE(r.addresses.at(r.groups.at(0).conversation), QByteArray("ben"));
    QCOMPARE(r.groups.at(0).hits, (QVector<int>{0, 1, 4}));
    QCOMPARE(r.addresses.at(r.groups.at(1).conversation), QByteArray("anna"));
    QCOMPARE(r.groups.at(1).hits, (QVector<int>{2, 3}));
}

void MessageSearchTest::largeFileFoldedInParts()
{
    // Enough messages for the index to fold them in parts side by side; the
    // parts' seams must not show in what is found.
    constexpr int n = 150001;
    QVector<MessageRecord> messages;
    messages.reserve(n);
    for (int i = 0; i < n; ++i)
        messages.append(message(i + 1, "k" + QByteArray::number(i % 7), i,
                                QStringLiteral("Note #%1# %2").arg(i).arg(i % 2 ? QStringLiteral("été") : QString())));
    const auto index = Index::build(messages);
    QCOMPARE(index->size(), n);
    const Results all = index->find(Query::parse(QStringLiteral("note")));
    QCOMPARE(all.hits.size(), n);
    QCOMPARE(all.hits.first().rowId, qint64(n));
    QCOMPARE(all.hits.last().rowId, qint64(1));
    QCOMPARE(all.groups.size(), 7);
    QCOMPARE(index->find(Query::parse(QStringLiteral("ete"))).hits.size(), n / 2);
    for (int i : {0, 1, n / 4, n / 3, n / 2, 2 * n / 3, 3 * n / 4, n - 1}) {
        const QString one = QStringLiteral("#%1#").arg(i);
        QCOMPARE(rowsOf(index->find(Query::parse(one))), QVector<qint64>{i + 1});
    }
    // Stopped at once, it gives nothing.
    QVERIFY(!Index::build(messages, [] { return true; }));
}

void MessageSearchTest::onlyOneConversation()
{
    const QVector<MessageRecord> messages = {message(1, "anna", 1, QStringLiteral("tea")),
                                             message(2, "ben", 2, QStringLiteral("tea"))};
    const auto index = Index::build(messages);
    const QByteArray ben("ben");
    const QByteArray nobody("nobody");
    QCOMPARE(rowsOf(index->find(Query::parse(QStringLiteral("tea")), {}, &ben)), QVector<qint64>{2});
    QVERIFY(index->find(Query::parse(QStringLiteral("tea")), {}, &nobody).hits.isEmpty());
}

void MessageSearchTest::spansMarkWhatMatched()
{
    const QString text = QStringLiteral("Crème Brûlée at the CAFÉ, café!");
    const QVector<Span> spans = Query::parse(QStringLiteral("brulee cafe")).spansIn(text);
    QCOMPARE(spans, (QVector<Span>{{6, 6}, {20, 4}, {26, 4}}));
    QCOMPARE(text.mid(6, 6), QStringLiteral("Brûlée"));

    // A decomposed accent stays inside the span; a character outside the
    // basic plane counts as the two it is made of.
    const QString decomposed = QStringLiteral("😀 Cafe\u0301 ok");
    QCOMPARE(Query::parse(QStringLiteral("café")).spansIn(decomposed), (QVector<Span>{{3, 5}}));
    // Overlapping terms make one span.
    QCOMPARE(Query::parse(QStringLiteral("abc bcd")).spansIn(QStringLiteral("xabcdx")), (QVector<Span>{{1, 4}}));
    QVERIFY(Query::parse(QStringLiteral("zzz")).spansIn(text).isEmpty());

    // A character that decomposes into several is marked whole: "ﬁ" is one
    // character of the text, "ＡＢＣ" three.
    QCOMPARE(Query::parse(QStringLiteral("final")).spansIn(QStringLiteral("the ﬁnal")), (QVector<Span>{{4, 4}}));
    QCOMPARE(Query::parse(QStringLiteral("fin")).spansIn(QStringLiteral("ﬁn")), (QVector<Span>{{0, 2}}));
    QCOMPARE(Query::parse(QStringLiteral("bc")).spansIn(QStringLiteral("xＡＢＣ")), (QVector<Span>{{2, 2}}));
}

void MessageSearchTest::textsOnlyInAttributedBody()
{
    using namespace modernfixtures;
    QTemporaryDir dir;
    Database db;
    db.handles = {{1, QStringLiteral("+12095981933"), QStringLiteral("iMessage"), QStringLiteral("us")}};
    db.chats = {{1, QStringLiteral("+12095981933"), 45, QVariant(), {1}}};
    const qint64 ns = 1000000000LL;
    db.messages = {Message{10, QVariant(), body("Sólo en el cuerpo"), 1, 0, 700000000 * ns, {1}, {}, {}, {}},
                   Message{11, QStringLiteral("plain text"), QVariant(), 1, 1, 700000060 * ns, {1}, {}, {}, {}}};
    const QString path = makeModernDb(dir.filePath(QStringLiteral("sms.db")), db, Schema::Ios17);
    MessageStore store(path.toUtf8(), StoreAccess::ReadOnly);
    QCOMPARE(store.messages.size(), 2);
    QCOMPARE(find(store.messages, QStringLiteral("solo cuerpo")), QVector<qint64>{10});
    QCOMPARE(find(store.messages, QStringLiteral("plain")), QVector<qint64>{11});
}

void MessageSearchTest::attachmentNamesOfBothLayouts()
{
    using namespace modernfixtures;
    QTemporaryDir dir;
    Database db;
    db.handles = {{1, QStringLiteral("+12095981933"), QStringLiteral("iMessage"), QStringLiteral("us")}};
    db.chats = {{1, QStringLiteral("+12095981933"), 45, QVariant(), {1}}};
    auto attachment = [](qint64 rowId, const QString& name, const QString& file) {
        Attachment a;
        a.rowId = rowId;
        a.transferName = name.isEmpty() ? QVariant() : QVariant(name);
        a.filename = QStringLiteral("~/Library/SMS/Attachments/ab/0%1/G/").arg(rowId) + file;
        return a;
    };
    // A picture in its placeholder, a file sent with a text that has no
    // placeholder for it, a name known only from its file, a name with a
    // line break, and a message taken back with its file.
    db.attachments = {attachment(1, QStringLiteral("IMG_3918.HEIC"), QStringLiteral("IMG_3918.HEIC")),
                      attachment(2, QStringLiteral("invoice.pdf"), QStringLiteral("invoice.pdf")),
                      attachment(3, QString(), QStringLiteral("Audio Message.caf")),
                      attachment(4, QStringLiteral("two\nlines.txt"), QStringLiteral("x.txt")),
                      attachment(5, QStringLiteral("gone.jpg"), QStringLiteral("gone.jpg"))};
    const qint64 ns = 1000000000LL;
    auto msg = [&](qint64 rowId, const QString& text, QList<qint64> files, QVariantMap columns = {}) {
        return Message{rowId, text, QVariant(), 1, 0, (700000000 + rowId * 60) * ns, {1}, files, columns, {}};
    };
    db.messages = {msg(10, QStringLiteral("\uFFFC"), {1}),
                   msg(11, QStringLiteral("Here is the bill"), {2}),
                   msg(12, QString(), {3}),
                   msg(13, QStringLiteral("notes"), {4}),
                   msg(14, QString(), {5}, {{QStringLiteral("date_retracted"), 1}}),
                   msg(15, QStringLiteral("my invoice went out"), {})};
    const QString path = makeModernDb(dir.filePath(QStringLiteral("sms.db")), db, Schema::Ios17);
    MessageStore store(path.toUtf8(), StoreAccess::ReadOnly);
    QCOMPARE(store.messages.size(), 6);
    QCOMPARE(store.message(11)->text, QByteArray("Here is the bill"));
    QCOMPARE(find(store.messages, QStringLiteral("IMG_3918")), QVector<qint64>{10});
    QCOMPARE(find(store.messages, QStringLiteral("invoice.pdf")), QVector<qint64>{11});
    QCOMPARE(find(store.messages, QStringLiteral("invoice")), (QVector<qint64>{15, 11}));
    QCOMPARE(find(store.messages, QStringLiteral("bill invoice")), QVector<qint64>{11});
    QCOMPARE(find(store.messages, QStringLiteral("audio message")), QVector<qint64>{12});
    QCOMPARE(find(store.messages, QStringLiteral("\"two lines\"")), QVector<qint64>{13});
    QVERIFY(find(store.messages, QStringLiteral("gone")).isEmpty());
    // Each name is a field of its own: a phrase never runs from the text
    // into a name.
    QVERIFY(find(store.messages, QStringLiteral("\"bill invoice\"")).isEmpty());
    QCOMPARE(searchableFields(*store.message(11)), (QVector<QByteArray>{"Here is the bill", "invoice.pdf"}));
    // The names that tell why a message matched: those that hold a term
    // its text does not.
    QCOMPARE(Query::parse(QStringLiteral("INVOICE")).namesBeyondText(*store.message(11)),
             QStringList{QStringLiteral("invoice.pdf")});
    QCOMPARE(Query::parse(QStringLiteral("bill pdf")).namesBeyondText(*store.message(11)),
             QStringList{QStringLiteral("invoice.pdf")});
    QVERIFY(Query::parse(QStringLiteral("bill")).namesBeyondText(*store.message(11)).isEmpty());
    QVERIFY(Query::parse(QStringLiteral("the")).namesBeyondText(*store.message(11)).isEmpty());
    // The picture's name is in its text already.
    QVERIFY(Query::parse(QStringLiteral("img_3918")).namesBeyondText(*store.message(10)).isEmpty());
    QVERIFY(Query::parse(QStringLiteral("invoice")).namesBeyondText(*store.message(15)).isEmpty());
    // The matcher of one conversation agrees with the index.
    store.selectConversation("+12095981933");
    QCOMPARE(matchingRows(store.conversation, Query::parse(QStringLiteral("pdf"))), QVector<qint64>{11});

    // Legacy: the parts of a multimedia message whose row has a text of
    // its own.
    const QString legacy = dir.filePath(QStringLiteral("legacy.db"));
    fixtures::makeMessageDb(legacy,
                            {{1, QStringLiteral("13800138000"), 1262304000, QStringLiteral("Our holiday"), 2},
                             {2, QStringLiteral("13800138000"), 1262304060, QStringLiteral("no parts"), 2}},
                            fixtures::SmsSchema::Ios5);
    QCOMPARE(fixtures::exec(legacy, QStringLiteral("insert into msg_pieces (message_id, part_id, content_type, data, "
                                                   "content_loc) values (1, 1, 'image/jpeg', NULL, 'IMG_3766.jpg')")),
             0);
    MessageStore old(legacy.toUtf8(), StoreAccess::ReadOnly);
    QCOMPARE(old.message(1)->text, QByteArray("Our holiday"));
    QCOMPARE(find(old.messages, QStringLiteral("img_3766 holiday")), QVector<qint64>{1});
}

void MessageSearchTest::invalidUtf8InTheDatabase()
{
    QTemporaryDir dir;
    const QString path =
        fixtures::makeMessageDb(dir.filePath(QStringLiteral("sms.db")),
                                {{1, QStringLiteral("10086"), 1262304000, QByteArray("bad \xff\xfe bytes caf\xc3"), 2},
                                 {2, QStringLiteral("10086"), 1262304060, QByteArray("\xc3\xa9t\xc3\xa9 \x80"), 2},
                                 {3, QStringLiteral("10086"), 1262304120, QVariant(), 2}});
    MessageStore store(path.toUtf8(), StoreAccess::ReadOnly);
    QCOMPARE(store.messages.size(), 3);
    QCOMPARE(find(store.messages, QStringLiteral("bytes")), QVector<qint64>{1});
    QCOMPARE(find(store.messages, QStringLiteral("ete")), QVector<qint64>{2});
    // The replacement character stands for what could not be read.
    QCOMPARE(find(store.messages, QStringLiteral("\uFFFD")), (QVector<qint64>{2, 1}));
    const Query q = Query::parse(QStringLiteral("bytes"));
    QCOMPARE(q.spansIn(QString::fromUtf8(store.message(1)->text)).size(), 1);
}

void MessageSearchTest::workerReportsTheNewestQueryOnly()
{
    QVector<MessageRecord> messages;
    for (int i = 0; i < 20000; ++i)
        messages.append(message(i + 1, "k" + QByteArray::number(i % 50), i,
                                i % 2 ? QStringLiteral("apple pie %1").arg(i) : QStringLiteral("banana %1").arg(i)));
    MessageSearch engine;
    QSignalSpy spy(&engine, &MessageSearch::resultsReady);
    engine.setMessages(messages);
    // Typed one after the other: only the last is answered.
    engine.search(QStringLiteral("a"));
    engine.search(QStringLiteral("ap"));
    engine.search(QStringLiteral("banana"));
    QVERIFY(engine.isBusy());
    QTRY_COMPARE(spy.count(), 1);
    const Results r = spy.takeFirst().at(0).value<Results>();
    QCOMPARE(r.query, QStringLiteral("banana"));
    QCOMPARE(r.hits.size(), 10000);
    QVERIFY(!engine.isBusy());
    engine.waitForIdle();
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 0);

    // An empty query answers with nothing, and cancels one that runs.
    engine.search(QStringLiteral("apple"));
    engine.search(QString());
    QTRY_COMPARE(spy.count(), 1);
    QVERIFY(spy.takeFirst().at(0).value<Results>().hits.isEmpty());
    engine.waitForIdle();
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 0);

    // A cancelled query reports nothing.
    engine.search(QStringLiteral("apple"));
    engine.cancel();
    engine.waitForIdle();
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 0);
}

void MessageSearchTest::searchWithinOneConversation()
{
    QVector<MessageRecord> messages;
    for (int i = 0; i < 20000; ++i)
        messages.append(message(i + 1, "k" + QByteArray::number(i % 4), i, QStringLiteral("tea %1").arg(i)));
    MessageSearch engine;
    QSignalSpy spy(&engine, &MessageSearch::resultsReady);
    engine.setMessages(messages);
    // Only the newest query is answered, also when the older were for the
    // whole set or for another conversation.
    engine.search(QStringLiteral("tea"));
    engine.searchIn("k1", QStringLiteral("tea"));
    engine.searchIn("k2", QStringLiteral("tea 1"));
    QTRY_COMPARE(spy.count(), 1);
    const Results r = spy.takeFirst().at(0).value<Results>();
    QVERIFY(r.inConversation);
    QCOMPARE(r.conversation, QByteArray("k2"));
    QCOMPARE(r.query, QStringLiteral("tea 1"));
    QVERIFY(!r.hits.isEmpty());
    for (const Hit& h : r.hits)
        QCOMPARE(r.addresses.at(h.conversation), QByteArray("k2"));
    QCOMPARE(r.hits.first().rowId, qint64(19999)); // "tea 19998", the newest of k2
    engine.waitForIdle();
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 0);

    // A search of everything after one within: the older is dropped.
    engine.searchIn("k3", QStringLiteral("tea"));
    engine.search(QStringLiteral("tea 7"));
    QTRY_COMPARE(spy.count(), 1);
    QVERIFY(!spy.takeFirst().at(0).value<Results>().inConversation);
    // An unknown conversation and an empty query answer with nothing.
    engine.searchIn("nobody", QStringLiteral("tea"));
    QTRY_COMPARE(spy.count(), 1);
    QVERIFY(spy.takeFirst().at(0).value<Results>().hits.isEmpty());
    engine.searchIn("k1", QString());
    QTRY_COMPARE(spy.count(), 1);
    const Results empty = spy.takeFirst().at(0).value<Results>();
    QVERIFY(empty.inConversation && empty.hits.isEmpty());
}

void MessageSearchTest::newMessagesDropOldResults()
{
    MessageSearch engine;
    QSignalSpy spy(&engine, &MessageSearch::resultsReady);
    engine.setMessages({message(1, "a", 1, QStringLiteral("old text"))});
    engine.search(QStringLiteral("text"));
    // The messages change before the answer is in: it is not shown.
    engine.setMessages({message(7, "b", 2, QStringLiteral("new text")), message(8, "b", 3, QStringLiteral("x"))});
    engine.waitForIdle();
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 0);
    engine.search(QStringLiteral("text"));
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(rowsOf(spy.takeFirst().at(0).value<Results>()), QVector<qint64>{7});

    engine.clear();
    engine.search(QStringLiteral("text"));
    QTRY_COMPARE(spy.count(), 1);
    QVERIFY(spy.takeFirst().at(0).value<Results>().hits.isEmpty());
}

void MessageSearchTest::randomAndTruncatedInput()
{
    const QByteArray sample =
        QStringLiteral("cafe \"crème brûlée\" 明天 😀\nCrème Brûlée au café, 我们明天见 😀 e\u0301").toUtf8();
    for (qsizetype n = 0; n <= sample.size(); ++n)
        feedEntry(sample.left(n));
    QRandomGenerator random(17);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes(random.bounded(1, 64), Qt::Uninitialized);
        for (char& b : bytes) {
            // Mostly bytes of UTF-8 sequences, blanks, quotes and line ends.
            const quint32 pick = random.bounded(8);
            b = pick == 0 ? '"' : pick == 1 ? ' ' : pick == 2 ? '\n' : char(random.bounded(256));
        }
        // The entry aborts on any fault it checks for.
        feedEntry(bytes);
    }
}

QTEST_GUILESS_MAIN(MessageSearchTest)
#include "tst_messagesearch.moc"
