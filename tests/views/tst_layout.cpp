// How the views know heights without widgets: the height index, the text
// estimates and their claims of exactness, the models of a bubble and of a
// row against the real widgets, texts of any shape (random, huge), and the
// chat page's items for groups (senders, reactions, events).

#include "BubbleLabel.h"
#include "ConversationItems.h"
#include "Frame.h"
#include "Frame1.h"
#include "HeightIndex.h"
#include "ReactionText.h"
#include "TextMeasure.h"
#include "ViewsTestSource.h"
#include "messageframe.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QRandomGenerator>
#include <QTest>
#include <QTextLayout>
#include <QToolButton>
#include <QVBoxLayout>

using namespace views;

namespace {

QString randomWords(QRandomGenerator& rng, int words)
{
    static const char* const pool[] = {"a",   "to",    "the", "station", "tickets", "tomorrow,", "weather", "everybody",
                                       "ok.", "lunch", "M",   "WWWW",    "iii",     "see-you",   "home",    "Saturday"};
    QStringList out;
    for (int i = 0; i < words; ++i)
        out.append(QString::fromLatin1(pool[rng.bounded(int(sizeof pool / sizeof pool[0]))]));
    return out.join(QLatin1Char(' '));
}

// Any code units at all: lone surrogates, marks, joiners, controls, RTL.
QString randomUnits(QRandomGenerator& rng, int n)
{
    static const char16_t odd[] = {0xD83D, 0xDE00, 0xDC00, 0x0301, 0x200D, 0x200B, 0x05D0, 0x0627,
                                   0x4E2D, 0xFFFC, 0x000A, 0x0009, 0x0000, 0xFEFF, 0x2028, 0x0020};
    QString s;
    for (int i = 0; i < n; ++i) {
        if (rng.bounded(3) == 0)
            s += QChar(odd[rng.bounded(int(sizeof odd / sizeof odd[0]))]);
        else
            s += QChar(char16_t(rng.bounded(0x20, 0x3000)));
    }
    return s;
}

BubbleContent shown(const QString& text)
{
    BubbleContent c;
    c.text = breakableText(text);
    return c;
}

} // namespace

class LayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { viewstest::applySkin(); }

    void heightIndexAgreesWithSums();
    void estimatesClaimExactnessOnlyWhenExact();
    void estimatesAreCloseToTheLayout();
    void hugeTextLinesCoverEverythingAndFit();
    void anyTextMeasuresWithoutHarm();
    void bubbleModelIsWhatTheBubbleTakes();
    void rowModelIsWhatTheRowTakes();
    void groupEventsSendersAndReactions();
    void eventsAndBadgesReadAsSentences();
    void attachmentNamesLeaveTheBubble();
};

void LayoutTest::heightIndexAgreesWithSums()
{
    QRandomGenerator rng(11);
    for (int n : {0, 1, 2, 7, 64, 1000}) {
        QVector<int> h(n);
        for (int& v : h)
            v = rng.bounded(4) == 0 ? 0 : rng.bounded(1, 300);
        HeightIndex index;
        index.reset(h);
        for (int round = 0; round < 3; ++round) {
            qint64 sum = 0;
            for (int i = 0; i < n; ++i) {
                QCOMPARE(index.top(i), sum);
                sum += h[i];
            }
            QCOMPARE(index.total(), sum);
            for (int k = 0; k < 200 && n > 0; ++k) {
                const qint64 y = rng.bounded(int(sum + 50));
                // The item covering y: the last with top <= y and some height, else the last.
                int expect = n - 1;
                qint64 top = 0;
                for (int i = 0; i < n; ++i) {
                    if (top + h[i] > y) {
                        expect = i;
                        break;
                    }
                    top += h[i];
                }
                QCOMPARE(index.itemAt(y), expect);
            }
            // Changed heights are seen by every later top.
            for (int k = 0; k < 20 && n > 0; ++k) {
                const int i = rng.bounded(n);
                h[i] = rng.bounded(3) == 0 ? 0 : rng.bounded(1, 500);
                index.setHeight(i, h[i]);
            }
        }
        if (n == 0)
            QCOMPARE(index.itemAt(0), -1);
    }
}

void LayoutTest::estimatesClaimExactnessOnlyWhenExact()
{
    QRandomGenerator rng(5);
    TextMeasure m(BubbleLook::standard().text.font());
    int claimed = 0;
    for (int k = 0; k < 600; ++k) {
        const QString text = randomWords(rng, rng.bounded(1, 30));
        const int width = rng.bounded(40, 700);
        bool exact = false;
        const TextShape quick = m.estimate(text, width, &exact);
        const TextShape real = m.layout(text, width);
        if (exact) {
            ++claimed;
            QCOMPARE(real.lines, 1);
            QCOMPARE(quick.height, real.height);
        }
        // The bytes as stored say the same as the text.
        if (m.fitsOneLine(text.toUtf8(), width)) {
            QCOMPARE(real.lines, 1);
            QCOMPARE(m.lineHeight(), real.height);
        }
    }
    QVERIFY2(claimed > 100, qPrintable(QString::number(claimed)));
    // Not plain ASCII, or a run that gets breaks: never claimed.
    bool exact = true;
    m.estimate(QStringLiteral("新年快乐"), 1000, &exact);
    QVERIFY(!exact);
    QVERIFY(!m.fitsOneLine(QByteArray("caf\xc3\xa9"), 1000));
    QVERIFY(!m.fitsOneLine(QByteArray(40, 'x'), 10000));
    QVERIFY(!m.fitsOneLine("line\nbreak", 1000));
}

void LayoutTest::estimatesAreCloseToTheLayout()
{
    QRandomGenerator rng(9);
    TextMeasure m(BubbleLook::standard().text.font());
    int off = 0;
    const int n = 400;
    for (int k = 0; k < n; ++k) {
        QString text = randomWords(rng, rng.bounded(1, 80));
        if (k % 5 == 0)
            text += QStringLiteral("\n") + randomWords(rng, 5);
        if (k % 7 == 0)
            text += QStringLiteral(" 新年快乐，大家好");
        const int width = rng.bounded(80, 600);
        const TextShape quick = m.estimate(breakableText(text), width);
        const TextShape real = m.layout(breakableText(text), width);
        QVERIFY(quick.lines >= 1);
        if (std::abs(quick.lines - real.lines) > 1)
            ++off;
    }
    // An estimate may miss by a line now and then, never by more in most.
    QVERIFY2(off <= n / 50, qPrintable(QString::number(off)));
}

void LayoutTest::hugeTextLinesCoverEverythingAndFit()
{
    QRandomGenerator rng(3);
    QString text;
    text.reserve(1 << 20);
    for (int i = 0; i < (1 << 20); ++i)
        text += QChar(char16_t('a' + rng.bounded(26)));
    const QString shownText = breakableText(text);
    QCOMPARE(QString(shownText).remove(QChar(0x200B)), text);

    const TextMeasure& m = BubbleLook::standard().text;
    const int width = 300;
    QVector<int> starts;
    const TextShape shape = m.wrap(shownText, width, &starts);
    QCOMPARE(shape.lines, starts.size());
    QCOMPARE(starts.first(), 0);
    for (int i = 1; i < starts.size(); ++i)
        QVERIFY(starts[i] > starts[i - 1]);
    QVERIFY(starts.last() < shownText.size());
    QCOMPARE(shape.height, shape.lines * m.lineHeight());
    // As shaped when painted, no line is wider than the bubble's text.
    const QFontMetricsF fm(m.font());
    for (int i = 0; i < starts.size(); i += 997) {
        const int end = i + 1 < starts.size() ? starts[i + 1] : int(shownText.size());
        QVERIFY2(fm.horizontalAdvance(shownText.mid(starts[i], end - starts[i])) <= width,
                 qPrintable(QString::number(i)));
    }
    // And the lines are filled: breaks come every kLongestRun characters, so
    // a line holds whole runs, never a few characters.
    const qreal total = fm.horizontalAdvance(text.left(20000)) * (text.size() / 20000.0);
    QVERIFY2(shape.lines <= int(total / (width * 0.6)) + 2, qPrintable(QString::number(shape.lines)));

    // The bubble that shows it is as tall as all its lines.
    const BubbleShape bubble = measureBubble(shown(text), BubbleLook::standard(), 360, Measure::Quick);
    QVERIFY(bubble.exact);
    QVERIFY(bubble.height >= shape.lines / 2 * m.lineHeight());
}

void LayoutTest::anyTextMeasuresWithoutHarm()
{
    QRandomGenerator rng(17);
    const TextMeasure& m = BubbleLook::standard().text;
    for (int k = 0; k < 300; ++k) {
        const QString text = randomUnits(rng, rng.bounded(0, 400));
        const int width = rng.bounded(1, 500);
        const QString shownText = breakableText(text);
        QCOMPARE(breakableText(shownText), shownText);
        const TextShape quick = m.estimate(shownText, width);
        const TextShape real = m.layout(shownText, width);
        QVector<int> starts;
        const TextShape lines = m.wrap(shownText, width, &starts);
        QVERIFY(quick.lines >= 1 && real.lines >= 1 && lines.lines >= 1);
        QVERIFY(quick.height > 0 && real.height > 0);
        for (int i = 1; i < starts.size(); ++i)
            QVERIFY(starts[i] > starts[i - 1] && starts[i] <= shownText.size());
        QVERIFY(m.fitsOneLine(text.toUtf8(), width) == false || real.lines == 1);
        // Cut anywhere, a text keeps its surrogate pairs whole.
        const QString cut = clippedText(text, rng.bounded(0, 50));
        if (cut != text) {
            QVERIFY(cut.endsWith(QChar(0x2026)));
            const int kept = int(cut.size()) - 1;
            QVERIFY(kept <= 50);
            QVERIFY(kept == 0 || !(text.at(kept - 1).isHighSurrogate() && text.at(kept).isLowSurrogate()));
        }
    }
}

void LayoutTest::bubbleModelIsWhatTheBubbleTakes()
{
    const BubbleLook& look = BubbleLook::standard();
    QList<BubbleContent> contents;
    contents << shown(QStringLiteral("ok")) << shown(QString())
             << shown(QStringLiteral("A longer message that wraps over several lines in its bubble because it goes "
                                     "on and on about the weather and the trains."))
             << shown(QStringLiteral("two\nlines\n\nand a gap")) << shown(QStringLiteral("新年快乐 😀👍 ça va?"))
             << shown(QStringLiteral("https://example.org/") + QString(300, QLatin1Char('a')))
             << shown(QString(kHugeText + 500, QLatin1Char('b')));
    BubbleContent group = shown(QStringLiteral("from the group"));
    group.sender = QStringLiteral("Anna Berg");
    BubbleContent reacted = shown(QStringLiteral("hi"));
    reacted.badge = QStringLiteral("\u2764\ufe0f 2  \U0001F44D");
    BubbleContent edited = shown(QStringLiteral("fixed typo"));
    edited.edited = true;
    BubbleContent unsent = shown(QStringLiteral("This message was unsent."));
    unsent.unsent = true;
    contents << group << reacted << edited << unsent;
    // Beside attachments: a few words, nothing at all (no bubble), and a
    // group sender's name with a reaction over a picture.
    BubbleContent caption = shown(QStringLiteral("Look at this"));
    caption.besideAttachments = true;
    BubbleContent pictureOnly = shown(QString());
    pictureOnly.besideAttachments = true;
    BubbleContent groupPicture = pictureOnly;
    groupPicture.sender = QStringLiteral("Anna Berg");
    groupPicture.badge = QStringLiteral("\U0001F44D");
    contents << caption << pictureOnly << groupPicture;
    const int emptyBubble = measureBubble(shown(QString()), look, bubbleCap(450, false), Measure::Exact).height;
    QVERIFY(emptyBubble > 0); // a message without text and attachments keeps its bubble
    QCOMPARE(measureBubble(pictureOnly, look, bubbleCap(450, false), Measure::Quick).height, 0);
    QCOMPARE(measureBubble(pictureOnly, look, bubbleCap(450, false), Measure::Exact).height, 0);
    const BubbleShape named = measureBubble(groupPicture, look, bubbleCap(450, false), Measure::Exact);
    QCOMPARE(named.textHeight, 0);
    QVERIFY(named.senderHeight > 0 && named.badgeHeight > 0 && named.height > 0);

    for (bool outgoing : {false, true}) {
        for (int width : {260, 450, 700}) {
            for (bool editing : {false, true}) {
                for (const BubbleContent& c : contents) {
                    QWidget host;
                    host.resize(width, 400);
                    BubbleFrame* bubble = outgoing ? static_cast<BubbleFrame*>(new Frame1(&host))
                                                   : static_cast<BubbleFrame*>(new Frame(&host));
                    bubble->setEditMode(editing);
                    bubble->setContent(c.text, c);
                    const int model = std::max(
                        editing ? 20 : 0, measureBubble(c, look, bubbleCap(width, editing), Measure::Exact).height);
                    const int h = bubble->prepare(width);
                    QCOMPARE(h, model);
                    bool exact = false;
                    const BubbleShape quick = measureBubble(c, look, bubbleCap(width, editing), Measure::Quick);
                    exact = quick.exact;
                    if (exact)
                        QCOMPARE(std::max(editing ? 20 : 0, quick.height), model);
                    if (c.sender.isEmpty() && c.badge.isEmpty() && !c.edited && !c.unsent && !c.besideAttachments) {
                        const int one = oneLineBubbleHeight(c.text.toUtf8(), look, bubbleCap(width, editing));
                        if (one > 0)
                            QCOMPARE(std::max(editing ? 20 : 0, one), model);
                    }

                    // Laid out at that height, the text label is whole inside the bubble and the row.
                    bubble->setGeometry(0, 0, width, h);
                    bubble->show();
                    host.show();
                    QVERIFY(QTest::qWaitForWindowExposed(&host));
                    bubble->layout()->activate();
                    auto* label = bubble->findChild<BubbleLabel*>();
                    QVERIFY(label);
                    const QRect r = label->geometry();
                    QVERIFY2(
                        r.top() >= 0 && r.bottom() < h && r.left() >= 0 && r.right() < width,
                        qPrintable(QStringLiteral("%1 in %2x%3").arg(QString::number(r.height())).arg(width).arg(h)));
                    if (outgoing)
                        QVERIFY(r.right() >= width - 2);
                    else
                        QVERIFY(r.left() <= (editing ? 22 : 2));
                }
            }
        }
    }
}

void LayoutTest::rowModelIsWhatTheRowTakes()
{
    const QString time = QStringLiteral("time:Fri Jan 01 08:02:00 2010");
    const QList<QPair<QString, QString>> texts = {
        {QStringLiteral("Alice"), QStringLiteral("ok")},
        {QStringLiteral("13900000001"), QString()},
        {QStringLiteral("李雷"), QStringLiteral("新年快乐！")},
        {QString(500, QLatin1Char('N')), QStringLiteral("a text")},
        {QStringLiteral("Maximiliane Alexandra Theodora von und zu Hohenberg-Wittelsbach"),
         QStringLiteral("A longer message that wraps over several lines in its row because it goes on and on about "
                        "the weather, the trains and the people on them.")},
        {QStringLiteral("Bob"), QStringLiteral("https://example.org/") + QString(140, QLatin1Char('b'))},
    };
    for (int width : {300, 500, 800}) {
        for (int mode = 0; mode < 3; ++mode) {
            const bool editing = mode > 0;
            const bool offered = mode == 2;
            for (const auto& [name, text] : texts) {
                messageframe row;
                row.setContents(name, time, text);
                row.deleteButtonState(editing);
                row.setDeleteOffered(offered);
                const RowMetrics m = row.metrics();
                RowTexts t;
                t.name = breakableText(name);
                t.time = time;
                t.text = text;
                const int model = rowHeight(m, t, width, editing, offered, Measure::Exact);
                QCOMPARE(row.heightForWidth(width), model);
                bool exact = false;
                const int quick = rowHeight(m, t, width, editing, offered, Measure::Quick, &exact);
                if (exact)
                    QCOMPARE(quick, model);
                if (const int one = oneLineRowHeight(m, name.toUtf8(), text.toUtf8(), width, editing, offered))
                    QCOMPARE(one, model);

                // At that height every label has what it needs.
                row.resize(width, model);
                row.show();
                QVERIFY(QTest::qWaitForWindowExposed(&row));
                row.layout()->activate();
                for (QLabel* label : row.findChildren<QLabel*>()) {
                    if (!label->isVisible() || !label->wordWrap())
                        continue;
                    QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                             qPrintable(label->objectName() + QLatin1Char(' ') + name.left(20)));
                }
            }
        }
    }
}

void LayoutTest::groupEventsSendersAndReactions()
{
    viewstest::Source src({viewstest::msg(10, QStringLiteral("chat42"), 1000, QStringLiteral("hello all"), true),
                           viewstest::msg(20, QStringLiteral("chat42"), 1100, QStringLiteral("hi Anna"), false),
                           viewstest::msg(30, QStringLiteral("chat42"), 1200, QStringLiteral("who is Ben?"), true)});
    MessageStore& store = *src.store;
    ConversationInfo info;
    info.isGroup = true;
    info.members = {"+15550001", "ben@example.org", "+15550003"};
    store.setConversationInfo("chat42", info);
    store.setSenderName("+15550001", "Anna");
    store.addReaction(10, {101, 2000, "+15550003", {}});
    store.addReaction(10, {102, 2000, {}, {}});
    store.addReaction(10, {103, 2001, "+15550001", {}});
    ConversationEvent added;
    added.rowId = 15;
    added.kind = ConversationEvent::MemberAdded;
    added.actor = "+15550001";
    added.target = "ben@example.org";
    ConversationEvent renamed;
    renamed.rowId = 25;
    renamed.kind = ConversationEvent::Renamed;
    renamed.title = "Trip";
    ConversationEvent first; // no row id: placed by its time, before everything
    first.time = 10;
    first.kind = ConversationEvent::MemberLeft;
    first.actor = "+15550003";
    store.addEvent("chat42", added);
    store.addEvent("chat42", renamed);
    store.addEvent("chat42", first);

    store.selectConversation("chat42");
    for (MessageRecord& r : store.conversation) {
        if (r.rowId == 10)
            r.sender = "+15550001";
        if (r.rowId == 30) {
            r.sender = "+15550003";
            r.flags = MessageRecord::Edited;
        }
    }
    ConversationItems items;
    items.load(store.conversation, &store);
    QVERIFY(items.isGroup());
    // No name of its own: the members, by name where there is one.
    QCOMPARE(items.header(), QStringLiteral("Anna, ben@example.org, +15550003"));

    // Latest at the top; each event where the conversation has it.
    QStringList order;
    for (int i = 0; i < items.count(); ++i)
        order << (items.isMessage(i) ? QString::number(items.record(i).rowId) : items.eventText(i));
    QCOMPARE(order, QStringList({QStringLiteral("30"), QStringLiteral("You named the conversation \u201cTrip\u201d"),
                                 QStringLiteral("20"), QStringLiteral("Anna added ben@example.org"),
                                 QStringLiteral("10"), QStringLiteral("+15550003 left the conversation")}));

    const BubbleContent newest = items.contentOf(0);
    QCOMPARE(newest.sender, QStringLiteral("+15550003"));
    QVERIFY(newest.edited);
    QVERIFY(!items.isPlain(0));
    const int sent = 2;
    QVERIFY(items.contentOf(sent).sender.isEmpty());
    QVERIFY(items.isPlain(sent));
    const BubbleContent oldest = items.contentOf(4);
    QCOMPARE(oldest.sender, QStringLiteral("Anna"));
    QCOMPARE(oldest.badge, QStringLiteral("\u2764\ufe0f 2  ") + QString::fromUtf8("\xf0\x9f\x91\x8d"));

    // Selection and deletes count messages only.
    items.setSelected(1, true);
    QCOMPARE(items.selectedCount(), 0);
    items.setSelected(0, true);
    items.setSelected(4, true);
    QCOMPARE(items.selectedCount(), 2);
    items.setGone(0);
    QCOMPARE(items.selectedCount(), 1);
    QCOMPARE(items.messagesLeft(), 2);
    items.clearSelection();
    QCOMPARE(items.selectedCount(), 0);

    // The group's own name wins.
    info.displayName = "Trip";
    store.setConversationInfo("chat42", info);
    items.load(store.conversation, &store);
    QCOMPARE(items.header(), QStringLiteral("Trip"));
    // Without the store's knowledge, a conversation is plain.
    items.load(store.conversation, nullptr);
    QVERIFY(!items.isGroup());
    QCOMPARE(items.header(), QStringLiteral("chat42"));
    QCOMPARE(items.count(), 3);
}

void LayoutTest::eventsAndBadgesReadAsSentences()
{
    ConversationEvent e;
    e.kind = ConversationEvent::MemberAdded;
    QCOMPARE(describeEvent(e, QStringLiteral("Anna"), QStringLiteral("Ben")), QStringLiteral("Anna added Ben"));
    QCOMPARE(describeEvent(e, QString(), QStringLiteral("Ben")), QStringLiteral("You added Ben"));
    QCOMPARE(describeEvent(e, QStringLiteral("Anna"), QString()), QStringLiteral("Anna added you"));
    e.kind = ConversationEvent::MemberRemoved;
    QCOMPARE(describeEvent(e, QStringLiteral("Anna"), QStringLiteral("Ben")), QStringLiteral("Anna removed Ben"));
    e.kind = ConversationEvent::Renamed;
    e.title = "Trip";
    QCOMPARE(describeEvent(e, QStringLiteral("Ben"), QString()),
             QStringLiteral("Ben named the conversation \u201cTrip\u201d"));
    e.title.clear();
    QCOMPARE(describeEvent(e, QStringLiteral("Ben"), QString()), QStringLiteral("Ben removed the conversation's name"));
    e.kind = ConversationEvent::MemberLeft;
    QCOMPARE(describeEvent(e, QStringLiteral("Carl"), QString()), QStringLiteral("Carl left the conversation"));
    QCOMPARE(describeEvent(e, QString(), QString()), QStringLiteral("You left the conversation"));
    e.kind = ConversationEvent::Other;
    QCOMPARE(describeEvent(e, QStringLiteral("Carl"), QString()), QStringLiteral("Carl changed the conversation"));

    QCOMPARE(reactiontext::badge({}), QString());
    QCOMPARE(reactiontext::badge({{1, 2003, "a", {}},
                                  {2, 2005, "b", {}},
                                  {3, 2003, "c", {}},
                                  {4, 2999, "d", {}},
                                  {5, 2006, "e", "\xf0\x9f\x8e\x89"}}),
             QString::fromUtf8("\xf0\x9f\x98\x82 2  \xe2\x9d\x93  \xf0\x9f\x8e\x89"));
    QCOMPARE(reactiontext::emoji(2004, QString()), QStringLiteral("\u203c\ufe0f"));
    QCOMPARE(reactiontext::emoji(3000, QString()), QString());
}

void LayoutTest::attachmentNamesLeaveTheBubble()
{
    viewstest::Source src(
        {viewstest::msg(1, QStringLiteral("+15550001"), 1000, QStringLiteral("[IMG_3918.HEIC]"), true),
         viewstest::msg(2, QStringLiteral("+15550001"), 1100,
                        QStringLiteral("Here it is [IMG_3919.JPG] and the ticket [ticket.pdf]"), false),
         viewstest::msg(3, QStringLiteral("+15550001"), 1200, QStringLiteral("[not a file]"), true)});
    MessageStore& store = *src.store;
    auto add = [&store](qint64 rowId, const char* name, const char* mime) {
        AttachmentRecord a;
        a.name = name;
        a.mimeType = mime;
        store.addAttachment(rowId, a);
    };
    add(1, "IMG_3918.HEIC", "image/heic");
    add(2, "IMG_3919.JPG", "image/jpeg");
    add(2, "ticket.pdf", "application/pdf");
    store.selectConversation("+15550001");
    ConversationItems items;
    items.load(store.conversation, &store);
    QCOMPARE(items.count(), 3);

    // Latest at the top: a text without attachments is left as it is.
    QVERIFY(items.isPlain(0));
    QVERIFY(!items.contentOf(0).besideAttachments);
    QCOMPARE(items.contentOf(0).text, QStringLiteral("[not a file]"));
    QVERIFY(!items.isPlain(1));
    QVERIFY(items.contentOf(1).besideAttachments);
    QCOMPARE(items.contentOf(1).text, QStringLiteral("Here it is and the ticket"));
    QCOMPARE(items.contentOf(2).text, QString());
    // The message itself keeps its text: copies, search and exports use it.
    QCOMPARE(items.messageText(2), QStringLiteral("[IMG_3918.HEIC]"));
    QCOMPARE(store.conversation.at(0).text, QByteArray("[IMG_3918.HEIC]"));

    // A picture alone takes no bubble; with words it takes their bubble.
    const BubbleLook& look = BubbleLook::standard();
    for (int width : {300, 600}) {
        for (bool outgoing : {false, true}) {
            QWidget host;
            host.resize(width, 300);
            BubbleFrame* bubble =
                outgoing ? static_cast<BubbleFrame*>(new Frame1(&host)) : static_cast<BubbleFrame*>(new Frame(&host));
            bubble->setContent(items.messageText(2), items.contentOf(2));
            QCOMPARE(bubble->prepare(width), 0);
            bubble->setContent(items.messageText(1), items.contentOf(1));
            const int h = bubble->prepare(width);
            QCOMPARE(h, measureBubble(items.contentOf(1), look, bubbleCap(width, false), Measure::Exact).height);
            QCOMPARE(h, measureBubble(shown(QStringLiteral("Here it is and the ticket")), look, bubbleCap(width, false),
                                      Measure::Exact)
                            .height);
        }
    }
    // Without the store, nothing is known of attachments.
    items.load(store.conversation, nullptr);
    QVERIFY(items.isPlain(2));
    QCOMPARE(items.contentOf(2).text, QStringLiteral("[IMG_3918.HEIC]"));
}

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
