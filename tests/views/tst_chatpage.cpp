// The chat page against stores read from fixture backup files: order of the
// bubbles and date labels, edit mode and the selection count, deleting
// selected messages and "Clear All" in the file, the Copy button, going back
// to the list, and bubbles made as the view scrolls.

#include "Frame.h"
#include "Frame1.h"
#include "BubbleFrame.h"
#include "ViewsTestSource.h"
#include "frame_page2.h"
#include "smsChartCtrl.h"
#include "xdialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using viewstest::msg;
using viewstest::Source;

namespace {

const QString kPeer = QStringLiteral("13900000001");
const QString kOther = QStringLiteral("13900000002");

// The peer's conversation: two received messages, then one sent; one more
// conversation beside it that no action here may touch.
QList<fixtures::Msg> smallConversation()
{
    return {
        msg(1, kPeer, 1262304000, QStringLiteral("first in"), true),
        msg(2, kOther, 1262304030, QStringLiteral("other"), true),
        msg(3, kPeer, 1262304060, QStringLiteral("second in"), true),
        msg(4, kPeer, 1262304120, QStringLiteral("sent reply"), false),
    };
}

QList<fixtures::Msg> longConversation(int n)
{
    QList<fixtures::Msg> list;
    for (int i = 1; i <= n; ++i)
        list.append(msg(i, kPeer, 1262304000 + 60 * i, QStringLiteral("message %1").arg(i), i % 3 != 0));
    list.append(msg(n + 1, kOther, 1262304000, QStringLiteral("other"), true));
    return list;
}

struct Page
{
    explicit Page(Source& src, const QString& address = kPeer) : page(nullptr)
    {
        page.resize(450, 500);
        page.show();
        src.store->selectConversation(address.toUtf8());
        page.loadConversation(src.store.get());
    }

    template <typename T> T* child(const char* name) { return page.findChild<T*>(QString::fromLatin1(name)); }
    QToolButton* back() { return child<QToolButton>("toolButtonMessageAndClear"); }
    QToolButton* edit() { return child<QToolButton>("pushButton_Edit"); }
    QPushButton* del() { return child<QPushButton>("pushButton_3"); }
    QLabel* header() { return child<QLabel>("iphonenumber"); }
    QList<Frame*> left() { return viewstest::visibleTopDown<Frame>(&page); }
    QList<Frame1*> right() { return viewstest::visibleTopDown<Frame1>(&page); }
    int bubbles() { return int(left().size() + right().size()); }

    frame_page2 page;
};

QToolButton* selectOf(QWidget* bubble)
{
    auto* b = bubble->findChild<QToolButton*>(QStringLiteral("itemFrame2222"));
    return b ? b : bubble->findChild<QToolButton*>(QStringLiteral("itemFrame1111"));
}

QToolButton* copyOf(QWidget* bubble)
{
    return bubble->findChild<QToolButton*>(QStringLiteral("pushButton_copyOne"));
}

QLabel* textOf(QWidget* bubble)
{
    auto* l = bubble->findChild<QLabel*>(QStringLiteral("specialButton"));
    return l ? l : bubble->findChild<QLabel*>(QStringLiteral("specialButton1"));
}

// A point on the bubble outside its text and buttons.
QPoint emptyAreaOf(QWidget* bubble)
{
    const QRect text = textOf(bubble)->geometry();
    return text.left() > 40 ? QPoint(text.left() - 10, text.center().y())
                            : QPoint(text.right() + 10, text.center().y());
}

// Bubbles and date labels in the order they are shown, top to bottom.
QList<QWidget*> layoutOrder(frame_page2& page)
{
    QList<QWidget*> order;
    for (QWidget* w : viewstest::visibleTopDown<QWidget>(&page)) {
        if (qobject_cast<Frame*>(w) || qobject_cast<Frame1*>(w) || w->objectName() == QLatin1String("dateLabel"))
            order.append(w);
    }
    return order;
}

QString textOfWidget(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w); label && label->objectName() == QLatin1String("dateLabel"))
        return label->text();
    return textOf(w)->text();
}

QScrollBar* barOf(frame_page2& page)
{
    return page.findChild<smsChartCtrl*>()->verticalScrollBar();
}

// Bubbles whose top is inside the viewport, top to bottom.
QList<BubbleFrame*> bubblesOnScreen(frame_page2& page)
{
    QWidget* viewport = page.findChild<smsChartCtrl*>()->viewport();
    QList<BubbleFrame*> out;
    for (BubbleFrame* b : viewstest::visibleTopDown<BubbleFrame>(&page)) {
        const int y = b->mapTo(viewport, QPoint()).y();
        if (y >= 0 && y < viewport->height())
            out.append(b);
    }
    return out;
}

// Walks the whole conversation from the top half a screen at a time, as a
// user paging down would, and returns each message's row id once, in the
// order seen, while `visit` sees every bubble on screen. The view is left
// at its end.
template <typename Visit> QList<qint64> walkChat(frame_page2& page, Visit visit)
{
    QScrollBar* bar = barOf(page);
    bar->setValue(0);
    QCoreApplication::processEvents();
    QList<qint64> seen;
    for (int guard = 0; guard < 1000000; ++guard) {
        for (BubbleFrame* b : bubblesOnScreen(page)) {
            visit(b);
            if (!seen.mid(std::max<qsizetype>(0, seen.size() - 50)).contains(b->rowId()))
                seen.append(b->rowId());
        }
        if (bar->value() >= bar->maximum())
            break;
        bar->setValue(bar->value() + bar->pageStep() / 2);
        QCoreApplication::processEvents();
    }
    return seen;
}

QList<qint64> walkChat(frame_page2& page)
{
    return walkChat(page, [](BubbleFrame*) {});
}

} // namespace

class ChatPageTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QLabel*>();
        viewstest::applySkin();
        shellkit::DialogSeam::activate();
    }
    void init() { shellkit::DialogSeam::reset(); }
    void cleanup() { QCOMPARE(shellkit::DialogSeam::pendingAnswers(), 0); }

    void latestAtTopEachUnderItsDate();
    void emptyConversationKeepsHeader();
    void selectionCountAndEditMode();
    void deleteSelectedFromTheFile();
    void deletingEverythingLeavesBack();
    void clearAllAnsweredYesAndNo();
    void copyButtonFollowsTextClicks();
    void backCarriesTheNumber();
    void bubblesComeAsTheViewScrolls();
    void forgottenStoreIsNeverUsed();
    void oddContentIsShownAsIs();
};

void ChatPageTest::latestAtTopEachUnderItsDate()
{
    Source src(smallConversation());
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));

    QCOMPARE(p.header()->text(), kPeer);
    QVERIFY(p.edit()->isVisible());
    QCOMPARE(p.edit()->text(), QStringLiteral("Edit"));
    QCOMPARE(p.back()->text(), QStringLiteral("Message"));
    QVERIFY(!p.del()->isVisible());

    const QList<QWidget*> order = layoutOrder(p.page);
    QCOMPARE(order.size(), 6);
    QStringList texts;
    for (QWidget* w : order)
        texts << textOfWidget(w);
    QCOMPARE(texts.at(1), QStringLiteral("sent reply"));
    QCOMPARE(texts.at(3), QStringLiteral("second in"));
    QCOMPARE(texts.at(5), QStringLiteral("first in"));
    QVERIFY(qobject_cast<Frame1*>(order[1]));
    QVERIFY(qobject_cast<Frame*>(order[3]));
    QVERIFY(qobject_cast<Frame*>(order[5]));
    // Each date label stands directly above its bubble, one line, no newline.
    for (int i = 0; i < 6; i += 2) {
        auto* date = qobject_cast<QLabel*>(order[i]);
        QVERIFY(date);
        QVERIFY2(date->text().startsWith(QStringLiteral("time:")) && !date->text().contains(QLatin1Char('\n')),
                 qPrintable(date->text()));
    }
    QCOMPARE(qobject_cast<Frame1*>(order[1])->dateLabel(), order[0]);
    QCOMPARE(qobject_cast<Frame*>(order[3])->dateLabel(), order[2]);
    QCOMPARE(qobject_cast<Frame1*>(order[1])->rowId(), 4);
    QCOMPARE(qobject_cast<Frame*>(order[5])->rowId(), 1);
    // Asia/Shanghai: 1262304120 is 2010-01-01 08:02:00 local time.
    QCOMPARE(qobject_cast<QLabel*>(order[0])->text(), QStringLiteral("time:Fri Jan 01 08:02:00 2010"));

    // Received on the left, sent on the right, as a user sees it.
    QVERIFY(textOf(order[1])->mapTo(&p.page, QPoint()).x() > textOf(order[3])->mapTo(&p.page, QPoint()).x());
    // Top to bottom on the screen as in the layout.
    for (int i = 1; i < order.size(); ++i)
        QVERIFY(order[i]->mapTo(&p.page, QPoint()).y() > order[i - 1]->mapTo(&p.page, QPoint()).y());
}

void ChatPageTest::emptyConversationKeepsHeader()
{
    Source src(smallConversation());
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));
    src.store->selectConversation("no such number");
    p.page.loadConversation(src.store.get());
    QCOMPARE(p.bubbles(), 0);
    QCOMPARE(p.header()->text(), kPeer);
    QVERIFY(!p.edit()->isVisible());
}

void ChatPageTest::selectionCountAndEditMode()
{
    Source src(smallConversation());
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));

    // Clicks while browsing select unseen; entering edit mode clears that.
    QTest::mouseClick(p.right()[0], Qt::LeftButton, {}, emptyAreaOf(p.right()[0]));
    QVERIFY(p.right()[0]->isSelected());
    QTest::mouseClick(p.edit(), Qt::LeftButton);
    QVERIFY(!p.right()[0]->isSelected());
    QCOMPARE(p.edit()->text(), QStringLiteral("Done"));
    QCOMPARE(p.back()->text(), QStringLiteral("Clear All"));
    QVERIFY(p.del()->isVisible());
    QVERIFY(!p.del()->isEnabled());
    QCOMPARE(p.del()->text(), QStringLiteral("Delete"));
    for (QWidget* b : p.page.findChildren<QFrame*>(QStringLiteral("itemFrame2222")))
        QVERIFY(selectOf(b)->isVisible());

    // Three ways to select: the select button, the text, the empty area.
    QTest::mouseClick(selectOf(p.right()[0]), Qt::LeftButton);
    QCOMPARE(p.del()->text(), QStringLiteral("Delete[1]"));
    QTest::mouseClick(textOf(p.left()[0]), Qt::LeftButton);
    QCOMPARE(p.del()->text(), QStringLiteral("Delete[2]"));
    QTest::mouseClick(p.left()[1], Qt::LeftButton, {}, emptyAreaOf(p.left()[1]));
    QCOMPARE(p.del()->text(), QStringLiteral("Delete[3]"));
    QVERIFY(p.del()->isEnabled());
    QCOMPARE(selectOf(p.left()[1])->objectName(), QStringLiteral("itemFrame1111"));

    // Deselecting all of them turns the button back.
    QTest::mouseClick(selectOf(p.right()[0]), Qt::LeftButton);
    QTest::mouseClick(selectOf(p.left()[0]), Qt::LeftButton);
    QCOMPARE(p.del()->text(), QStringLiteral("Delete[1]"));
    QTest::mouseClick(selectOf(p.left()[1]), Qt::LeftButton);
    QCOMPARE(p.del()->text(), QStringLiteral("Delete"));
    QVERIFY(!p.del()->isEnabled());

    // Done: browsing again, select buttons gone, Delete hidden.
    QTest::mouseClick(p.edit(), Qt::LeftButton);
    QCOMPARE(p.edit()->text(), QStringLiteral("Edit"));
    QCOMPARE(p.back()->text(), QStringLiteral("Message"));
    QVERIFY(!p.del()->isVisible());
    QVERIFY(!selectOf(p.left()[0])->isVisible());
    QCOMPARE(src.allRows(), 4);
}

void ChatPageTest::deleteSelectedFromTheFile()
{
    Source src(smallConversation());
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));
    QTest::mouseClick(p.edit(), Qt::LeftButton);
    QTest::mouseClick(selectOf(p.right()[0]), Qt::LeftButton);
    QTest::mouseClick(selectOf(p.left()[1]), Qt::LeftButton); // "first in"
    QTest::mouseClick(p.del(), Qt::LeftButton);

    QCOMPARE(fixtures::column(src.path, QStringLiteral("select ROWID from message order by ROWID")),
             QStringList({QStringLiteral("2"), QStringLiteral("3")}));
    QCOMPARE(p.bubbles(), 1);
    QCOMPARE(textOf(p.left()[0])->text(), QStringLiteral("second in"));
    // Their date labels went with them.
    QCOMPARE(layoutOrder(p.page).size(), 2);
    QCOMPARE(p.del()->text(), QStringLiteral("Delete"));
    QVERIFY(!p.del()->isEnabled());
    QVERIFY(p.page.isEditing());
    QCOMPARE(p.back()->text(), QStringLiteral("Clear All"));
    QVERIFY(p.edit()->isVisible());
}

void ChatPageTest::deletingEverythingLeavesBack()
{
    Source src(smallConversation());
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));
    QTest::mouseClick(p.edit(), Qt::LeftButton);
    while (p.bubbles() > 0) {
        QWidget* top = layoutOrder(p.page).at(1);
        QTest::mouseClick(selectOf(top), Qt::LeftButton);
        QCOMPARE(p.del()->text(), QStringLiteral("Delete[1]"));
        QTest::mouseClick(p.del(), Qt::LeftButton);
    }
    QCOMPARE(src.rowsFor(kPeer), 0);
    QCOMPARE(src.rowsFor(kOther), 1);
    QCOMPARE(p.back()->text(), QStringLiteral("Message"));
    QVERIFY(!p.edit()->isVisible());
    QSignalSpy back(&p.page, &frame_page2::sendToPage1);
    QTest::mouseClick(p.back(), Qt::LeftButton);
    QCOMPARE(back.count(), 1);
    QCOMPARE(back.at(0).at(0).toString(), kPeer);
    QCOMPARE(shellkit::DialogSeam::shown().size(), 0);
}

void ChatPageTest::clearAllAnsweredYesAndNo()
{
    Source src(smallConversation());
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));
    QTest::mouseClick(p.edit(), Qt::LeftButton);

    shellkit::DialogSeam::pushAnswer(1); // no
    QTest::mouseClick(p.back(), Qt::LeftButton);
    QCOMPARE(shellkit::DialogSeam::shown().size(), 1);
    QCOMPARE(shellkit::DialogSeam::shown().at(0).kind, shellkit::ShownDialog::YesNo);
    QCOMPARE(shellkit::DialogSeam::shown().at(0).title, QStringLiteral("Warning"));
    QCOMPARE(shellkit::DialogSeam::shown().at(0).text, QStringLiteral("Are you sure to Delete these messages?"));
    QCOMPARE(src.allRows(), 4);
    QCOMPARE(p.bubbles(), 3);
    QCOMPARE(p.back()->text(), QStringLiteral("Clear All"));

    // One message deleted on the page first: Clear All still runs over all of them.
    QTest::mouseClick(selectOf(p.left()[0]), Qt::LeftButton);
    QTest::mouseClick(p.del(), Qt::LeftButton);
    QCOMPARE(src.rowsFor(kPeer), 2);

    shellkit::DialogSeam::pushAnswer(0); // yes
    QTest::mouseClick(p.back(), Qt::LeftButton);
    QCOMPARE(shellkit::DialogSeam::shown().size(), 2);
    QCOMPARE(shellkit::DialogSeam::unanswered(), 0);
    QCOMPARE(src.rowsFor(kPeer), 0);
    QCOMPARE(src.rowsFor(kOther), 1);
    QCOMPARE(p.bubbles(), 0);
    QCOMPARE(layoutOrder(p.page).size(), 0);
    QVERIFY(!p.edit()->isVisible());
    QVERIFY(!p.del()->isVisible());
    QCOMPARE(p.back()->text(), QStringLiteral("Message"));

    QSignalSpy back(&p.page, &frame_page2::sendToPage1);
    QTest::mouseClick(p.back(), Qt::LeftButton);
    QCOMPARE(back.count(), 1);
    QCOMPARE(shellkit::DialogSeam::shown().size(), 2);
}

void ChatPageTest::copyButtonFollowsTextClicks()
{
    Source src(smallConversation());
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));
    p.page.activateWindow();
    QSignalSpy copies(&p.page, &frame_page2::sendOneMessage);
    Frame1* sent = p.right()[0];
    Frame* received = p.left()[0];

    QTest::mouseClick(textOf(sent), Qt::LeftButton);
    QVERIFY(copyOf(sent)->isVisible());
    QVERIFY(!copyOf(received)->isVisible());
    QTest::mouseClick(textOf(received), Qt::LeftButton);
    QVERIFY(copyOf(received)->isVisible());
    QVERIFY(!copyOf(sent)->isVisible());

    QTest::mouseClick(copyOf(received), Qt::LeftButton);
    QCOMPARE(copies.count(), 1);
    QCOMPARE(copies.at(0).at(0).value<QFrame*>(), static_cast<QFrame*>(received));
    QCOMPARE(copies.at(0).at(1).toInt(), 1);
    QCOMPARE(static_cast<Frame*>(copies.at(0).at(0).value<QFrame*>())->rowId(), 3);

    QTest::mouseClick(textOf(sent), Qt::LeftButton);
    QTest::mouseClick(copyOf(sent), Qt::LeftButton);
    QCOMPARE(copies.count(), 2);
    QCOMPARE(copies.at(1).at(1).toInt(), 2);
    QCOMPARE(static_cast<Frame1*>(copies.at(1).at(0).value<QFrame*>())->rowId(), 4);

    // A click on the page's background hides every Copy button.
    QVERIFY(copyOf(sent)->isVisible());
    QWidget* background = p.page.findChild<smsChartCtrl*>()->viewport();
    QTest::mouseClick(background, Qt::LeftButton, {}, QPoint(background->width() / 2, background->height() - 5));
    QVERIFY(!copyOf(sent)->isVisible());
    QVERIFY(!copyOf(received)->isVisible());

    // In edit mode a click on the text selects instead.
    QTest::mouseClick(p.edit(), Qt::LeftButton);
    QTest::mouseClick(textOf(sent), Qt::LeftButton);
    QVERIFY(!copyOf(sent)->isVisible());
    QVERIFY(sent->isSelected());
}

void ChatPageTest::backCarriesTheNumber()
{
    Source src(smallConversation());
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));
    // Two clicks on one bubble's empty area while browsing leave "Message" as back.
    QTest::mouseClick(p.left()[0], Qt::LeftButton, {}, emptyAreaOf(p.left()[0]));
    QTest::mouseClick(p.left()[0], Qt::LeftButton, {}, emptyAreaOf(p.left()[0]));
    QSignalSpy back(&p.page, &frame_page2::sendToPage1);
    QTest::mouseClick(p.back(), Qt::LeftButton);
    QCOMPARE(back.count(), 1);
    QCOMPARE(back.at(0).at(0).toString(), kPeer);
    QCOMPARE(p.bubbles(), 0);
    QCOMPARE(shellkit::DialogSeam::shown().size(), 0);
    QCOMPARE(src.allRows(), 4);

    // The page can open the other conversation afterwards.
    src.store->selectConversation(kOther.toUtf8());
    p.page.loadConversation(src.store.get());
    QCOMPARE(p.header()->text(), kOther);
    QTRY_COMPARE(p.bubbles(), 1);
}

void ChatPageTest::bubblesComeAsTheViewScrolls()
{
    const int n = 200;
    Source src(longConversation(n));
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));
    QCoreApplication::processEvents();
    QVERIFY2(p.bubbles() < n / 4, qPrintable(QString::number(p.bubbles())));
    QCOMPARE(textOf(layoutOrder(p.page).at(1))->text(), QStringLiteral("message %1").arg(n));

    // Bubbles shown while editing come with their select button.
    QTest::mouseClick(p.edit(), Qt::LeftButton);
    QWidget* newest = layoutOrder(p.page).at(1);
    QTest::mouseClick(selectOf(newest), Qt::LeftButton);
    int withoutSelect = 0;
    int dateMisplaced = 0;
    const QList<qint64> order = walkChat(p.page, [&](BubbleFrame* b) {
        if (!selectOf(b)->isVisible())
            ++withoutSelect;
        // Each date label stands directly above its bubble.
        QLabel* date = b->dateLabel();
        if (!date || !date->isVisible() || date->geometry().bottom() + 1 != b->geometry().top() ||
            !date->text().startsWith(QStringLiteral("time:")))
            ++dateMisplaced;
    });
    QCOMPARE(withoutSelect, 0);
    QCOMPARE(dateMisplaced, 0);
    QCOMPARE(order.size(), n);
    for (int i = 0; i < n; ++i)
        QCOMPARE(order[i], qint64(n - i));
    BubbleFrame* oldest = bubblesOnScreen(p.page).last();
    QCOMPARE(oldest->messageText(), QStringLiteral("message 1"));
    QVERIFY(selectOf(oldest)->isVisible());

    // The count covers the bubble selected at the top and the one at the end.
    QTest::mouseClick(selectOf(oldest), Qt::LeftButton);
    QCOMPARE(p.del()->text(), QStringLiteral("Delete[2]"));
    QTest::mouseClick(p.del(), Qt::LeftButton);
    QCOMPARE(src.rowsFor(kPeer), n - 2);

    // Clear All takes the whole conversation.
    shellkit::DialogSeam::pushAnswer(0);
    QTest::mouseClick(p.back(), Qt::LeftButton);
    QCOMPARE(src.rowsFor(kPeer), 0);
    QCOMPARE(src.rowsFor(kOther), 1);
    QCOMPARE(p.bubbles(), 0);

    // Going back and forth does not pile bubbles up in the page.
    for (int i = 0; i < 5; ++i) {
        src.open();
        src.store->selectConversation(kOther.toUtf8());
        p.page.loadConversation(src.store.get());
        QTest::mouseClick(p.back(), Qt::LeftButton);
    }
    QCOMPARE(p.page.findChildren<QFrame*>(QStringLiteral("itemFrame2222")).size(), 0);
    QCOMPARE(p.page.findChildren<QLabel*>(QStringLiteral("dateLabel")).size(), 0);
}

void ChatPageTest::forgottenStoreIsNeverUsed()
{
    frame_page2 page(nullptr);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    {
        Source src(smallConversation());
        src.store->selectConversation(kPeer.toUtf8());
        page.loadConversation(src.store.get());
        page.loadConversation(nullptr);
    }
    QCOMPARE(page.findChildren<QFrame*>(QStringLiteral("itemFrame2222")).size(), 0);
    QVERIFY(!page.findChild<QToolButton*>(QStringLiteral("pushButton_Edit"))->isVisible());
    // Edit mode and Clear All on an empty page with no store: asked, nothing to delete.
    page.setEditButtonVisible(true);
    QTest::mouseClick(page.findChild<QToolButton*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    shellkit::DialogSeam::pushAnswer(0);
    QTest::mouseClick(page.findChild<QToolButton*>(QStringLiteral("toolButtonMessageAndClear")), Qt::LeftButton);
    QCOMPARE(shellkit::DialogSeam::shown().size(), 1);
    QCOMPARE(page.findChild<QToolButton*>(QStringLiteral("toolButtonMessageAndClear"))->text(),
             QStringLiteral("Message"));

    page.resetEditMode();
    page.setDeleteButtonShown(true);
    QVERIFY(page.findChild<QPushButton*>(QStringLiteral("pushButton_3"))->isEnabled());
    page.setDeleteButtonShown(false);
    QVERIFY(!page.findChild<QPushButton*>(QStringLiteral("pushButton_3"))->isVisible());
}

void ChatPageTest::oddContentIsShownAsIs()
{
    const QString url = QStringLiteral("https://example.org/") + QString(300, QLatin1Char('a'));
    QList<fixtures::Msg> msgs = fixtures::sampleMessages();
    msgs << fixtures::Msg{20, kPeer, 1262305000, QStringLiteral("<b>not bold</b> &amp;"), 2}
         << fixtures::Msg{21, kPeer, 1262305060, QByteArray("bad \xff\xfe bytes"), 3}
         << fixtures::Msg{22, kPeer, 1262305120, url, 2};
    Source src(msgs);
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));
    QTRY_COMPARE(p.bubbles(), 3);

    const QList<QWidget*> order = layoutOrder(p.page);
    // Markup in a message is text, not formatting.
    QCOMPARE(textOfWidget(order[5]), QStringLiteral("<b>not bold</b> &amp;"));
    QVERIFY(textOfWidget(order[3]).startsWith(QStringLiteral("bad ")));
    // A word longer than the row is broken, not cut off at the bubble's edge.
    QCOMPARE(static_cast<Frame*>(order[1])->messageText(), url);
    QLabel* longWord = textOf(order[1]);
    QCOMPARE(longWord->text().remove(QChar(0x200B)), url);
    const QRect inside = longWord->contentsRect();
    const QRect needed = longWord->fontMetrics().boundingRect(inside, Qt::TextWordWrap, longWord->text());
    QVERIFY2(needed.width() <= inside.width(),
             qPrintable(QStringLiteral("%1 > %2").arg(needed.width()).arg(inside.width())));
    QVERIFY(longWord->height() >= needed.height());
    QVERIFY(longWord->mapTo(&p.page, QPoint(longWord->width(), 0)).x() <= p.page.width());

    // Every conversation of the sample opens, the one without an address too.
    src.store->buildConversationList();
    for (const MessageRecord& head : src.store->conversationHeads) {
        src.store->selectConversation(head.address);
        p.page.loadConversation(src.store.get());
        QVERIFY(p.edit()->isVisible());
    }
}

QTEST_MAIN(ChatPageTest)
#include "tst_chatpage.moc"
