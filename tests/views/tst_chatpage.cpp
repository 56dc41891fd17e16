// The chat page against stores read from fixture backup files: order of the
// bubbles and date labels, edit mode and the selection count, deleting
// selected messages and "Clear All" in the file, the Copy button, going back
// to the list, and bubbles made as the view scrolls.

#include "Frame.h"
#include "Frame1.h"
#include "BubbleFrame.h"
#include "BubbleLabel.h"
#include "TextMeasure.h"
#include "ViewsTestSource.h"
#include "frame_page2.h"
#include "smsChartCtrl.h"
#include "ElidedLabel.h"
#include "xdialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QHBoxLayout>
#include <QListWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <functional>

using namespace views;
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

// A store read from nowhere, holding a conversation made here: for sizes a
// fixture file would take long to write.
struct MemoryStore
{
    explicit MemoryStore(int n, const std::function<QByteArray(int)>& text)
        : store(dir.filePath(QStringLiteral("none.db")).toUtf8())
    {
        store.conversation.reserve(n);
        for (int i = 1; i <= n; ++i) {
            MessageRecord r;
            r.rowId = i;
            r.address = kPeer.toUtf8();
            r.contactName = "NULL";
            r.text = text(i);
            r.time = 1262304000 + 60 * i;
            r.isIncoming = i % 3 != 0;
            store.conversation.append(r);
        }
    }
    QTemporaryDir dir;
    MessageStore store;
};

// Bubbles with any part inside the viewport, top to bottom.
QList<BubbleFrame*> bubblesInView(frame_page2& page)
{
    QWidget* viewport = page.findChild<smsChartCtrl*>()->viewport();
    QList<BubbleFrame*> out;
    for (BubbleFrame* b : viewstest::visibleTopDown<BubbleFrame>(&page)) {
        const int y = b->mapTo(viewport, QPoint()).y();
        if (y < viewport->height() && y + b->height() > 0)
            out.append(b);
    }
    return out;
}

// Scrolls until the message with this row id has its bubble in view.
BubbleFrame* bringIntoView(frame_page2& page, qint64 rowId)
{
    QScrollBar* bar = barOf(page);
    for (int guard = 0; guard < 2000; ++guard) {
        const QList<BubbleFrame*> shown = bubblesInView(page);
        for (BubbleFrame* b : shown)
            if (b->rowId() == rowId)
                return b;
        // Latest at the top: larger row ids are above.
        const bool below = shown.isEmpty() || shown.last()->rowId() > rowId;
        if ((below && bar->value() >= bar->maximum()) || (!below && bar->value() <= 0))
            return nullptr;
        bar->setValue(bar->value() + (below ? 1 : -1) * std::max(1, bar->pageStep() / 3));
        QCoreApplication::processEvents();
    }
    return nullptr;
}

// Height of a message's place on the page: its date label and its bubble.
int slotHeight(BubbleFrame* b)
{
    return b->geometry().bottom() - b->dateLabel()->geometry().top() + 1;
}

// A "Delete Error" report that, like a phone unplugged while the box is
// open, takes the conversation off the page.
frame_page2* g_pageToEmpty = nullptr;
int g_reports = 0;
void emptyThePage(const QString&, const QString&)
{
    ++g_reports;
    if (g_pageToEmpty)
        g_pageToEmpty->loadConversation(nullptr);
}

int darkPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
    return n;
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
    void selectionDeleteAndCopyFarOutOfView();
    void scrollBarRightBeforeAndAfterDeletes();
    void liveBubblesStayBoundedThrough20000();
    void groupSendersReactionsAndEvents();
    void hugeMessageIsDrawnEverywhere();
    void hundredThousandTinyMessages();
    void headerNeverWidensThePage();
    void deleteReportMayEmptyThePage();
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

void ChatPageTest::selectionDeleteAndCopyFarOutOfView()
{
    const int n = 2000;
    Source src(longConversation(n));
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));
    p.page.activateWindow();
    QScrollBar* bar = barOf(p.page);
    QSignalSpy copies(&p.page, &frame_page2::sendOneMessage);

    // Copy offered at the top stays with its message, not with its bubble.
    BubbleFrame* newest = bubblesOnScreen(p.page).first();
    QCOMPARE(newest->rowId(), qint64(n));
    QTest::mouseClick(textOf(newest), Qt::LeftButton);
    QVERIFY(copyOf(newest)->isVisible());
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    for (BubbleFrame* b : viewstest::visibleTopDown<BubbleFrame>(&p.page))
        QCOMPARE(copyOf(b)->isVisible(), b->rowId() == n);
    bar->setValue(0);
    QCoreApplication::processEvents();
    newest = bubblesOnScreen(p.page).first();
    QCOMPARE(newest->rowId(), qint64(n));
    QVERIFY(copyOf(newest)->isVisible());
    QTest::mouseClick(copyOf(newest), Qt::LeftButton);
    QCOMPARE(copies.count(), 1);
    QCOMPARE(qobject_cast<BubbleFrame*>(copies.at(0).at(0).value<QFrame*>())->rowId(), qint64(n));
    QWidget* background = p.page.findChild<smsChartCtrl*>()->viewport();
    QTest::mouseClick(background, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!copyOf(newest)->isVisible());

    // Selected at the top, in the middle and at the end.
    QTest::mouseClick(p.edit(), Qt::LeftButton);
    QTest::mouseClick(selectOf(bringIntoView(p.page, n)), Qt::LeftButton);
    QTest::mouseClick(selectOf(bringIntoView(p.page, 1000)), Qt::LeftButton);
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    QTest::mouseClick(selectOf(bringIntoView(p.page, 1)), Qt::LeftButton);
    QCOMPARE(p.del()->text(), QStringLiteral("Delete[3]"));

    // Back where they were, they still look selected; the others do not.
    QCOMPARE(selectOf(bringIntoView(p.page, n))->objectName(), QStringLiteral("itemFrame1111"));
    BubbleFrame* middle = bringIntoView(p.page, 1000);
    QCOMPARE(selectOf(middle)->objectName(), QStringLiteral("itemFrame1111"));
    QTest::mouseClick(selectOf(middle), Qt::LeftButton);
    QCOMPARE(p.del()->text(), QStringLiteral("Delete[2]"));
    QTest::mouseClick(p.del(), Qt::LeftButton);
    QCOMPARE(src.rowsFor(kPeer), n - 2);
    QCOMPARE(fixtures::column(src.path, QStringLiteral("select count(*) from message where ROWID in (1, %1)").arg(n)),
             QStringList{QStringLiteral("0")});
    QCOMPARE(p.del()->text(), QStringLiteral("Delete"));

    int selectedLooks = 0;
    const QList<qint64> order = walkChat(p.page, [&](BubbleFrame* b) {
        selectedLooks += b->isSelected() || selectOf(b)->objectName() == QLatin1String("itemFrame1111") ? 1 : 0;
    });
    QCOMPARE(selectedLooks, 0);
    QCOMPARE(order.size(), n - 2);
    QVERIFY(!order.contains(n) && !order.contains(1) && order.contains(1000));

    // Clear All takes every message, those never shown included.
    shellkit::DialogSeam::pushAnswer(0);
    QTest::mouseClick(p.back(), Qt::LeftButton);
    QCOMPARE(src.rowsFor(kPeer), 0);
    QCOMPARE(src.rowsFor(kOther), 1);
    QCOMPARE(p.bubbles(), 0);
}

void ChatPageTest::scrollBarRightBeforeAndAfterDeletes()
{
    const int n = 300;
    Source src(longConversation(n));
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));
    QScrollBar* bar = barOf(p.page);
    const int viewport = p.page.findChild<smsChartCtrl*>()->viewport()->height();

    // Plain one-line messages are measured exactly from the first paint on,
    // and the range is that of all of them.
    QCOMPARE(p.page.column().estimatedCount(), 0);
    QCOMPARE(qint64(bar->maximum()), p.page.column().totalHeight() - viewport);
    QCOMPARE(bar->pageStep(), viewport);
    qint64 sum = 0;
    QHash<qint64, int> heights;
    walkChat(p.page, [&](BubbleFrame* b) { heights.insert(b->rowId(), slotHeight(b)); });
    QCOMPARE(heights.size(), n);
    for (int h : std::as_const(heights))
        sum += h;
    QCOMPARE(sum, p.page.column().totalHeight());

    // Three selected above the view, two below it.
    QTest::mouseClick(p.edit(), Qt::LeftButton);
    const qint64 above[] = {250, 249, 240};
    const qint64 below[] = {20, 10};
    int aboveHeight = 0;
    int belowHeight = 0;
    for (qint64 id : above) {
        QTest::mouseClick(selectOf(bringIntoView(p.page, id)), Qt::LeftButton);
        aboveHeight += slotHeight(bringIntoView(p.page, id));
    }
    for (qint64 id : below) {
        QTest::mouseClick(selectOf(bringIntoView(p.page, id)), Qt::LeftButton);
        belowHeight += slotHeight(bringIntoView(p.page, id));
    }
    QCOMPARE(p.del()->text(), QStringLiteral("Delete[5]"));
    BubbleFrame* top = bringIntoView(p.page, 150);
    QVERIFY(top);
    QWidget* vp = p.page.findChild<smsChartCtrl*>()->viewport();
    const int y = top->mapTo(vp, QPoint()).y();
    const int value = bar->value();
    const int maximum = bar->maximum();

    QTest::mouseClick(p.del(), Qt::LeftButton);
    QCOMPARE(src.rowsFor(kPeer), n - 5);
    // The range lost what was deleted; what the user looked at stays put.
    QCOMPARE(bar->maximum(), maximum - aboveHeight - belowHeight);
    QCOMPARE(bar->value(), value - aboveHeight);
    BubbleFrame* still = nullptr;
    for (BubbleFrame* b : bubblesInView(p.page))
        if (b->rowId() == 150)
            still = b;
    QVERIFY(still);
    QCOMPARE(still->mapTo(vp, QPoint()).y(), y);
}

void ChatPageTest::liveBubblesStayBoundedThrough20000()
{
    const int n = 20000;
    MemoryStore mem(n, [](int i) {
        static const char* const texts[] = {"ok", "See you at the station at eight tomorrow.", "新年快乐！",
                                            ("A longer message that wraps over several lines in its bubble because "
                                             "it goes on and on about the weather and the trains.")};
        return QByteArray(texts[i % 4]) + ' ' + QByteArray::number(i);
    });
    frame_page2 page(nullptr);
    page.resize(450, 500);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.loadConversation(&mem.store);
    QScrollBar* bar = barOf(page);
    const qint64 firstTotal = page.column().totalHeight();

    int most = 0;
    const int steps = 300;
    for (int k = 0; k <= steps; ++k) {
        bar->setValue(int(qint64(bar->maximum()) * k / steps));
        QCoreApplication::processEvents();
        const int live = int(page.findChildren<BubbleFrame*>().size() +
                             page.findChildren<QLabel*>(QStringLiteral("dateLabel")).size());
        most = std::max(most, live);
    }
    QVERIFY2(most > 0 && most <= 150, qPrintable(QString::number(most)));
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    QCOMPARE(bubblesOnScreen(page).last()->rowId(), qint64(1));

    // The estimates of the first paint were near, and become exact while idle.
    QTRY_COMPARE_WITH_TIMEOUT(page.column().estimatedCount(), 0, 60000);
    const qint64 total = page.column().totalHeight();
    QVERIFY2(std::abs(total - firstTotal) < total / 20, qPrintable(QStringLiteral("%1 %2").arg(firstTotal).arg(total)));
    QCOMPARE(qint64(bar->maximum()), total - page.findChild<smsChartCtrl*>()->viewport()->height());
    QCOMPARE(bubblesOnScreen(page).last()->rowId(), qint64(1));
}

void ChatPageTest::groupSendersReactionsAndEvents()
{
    const QString group = QStringLiteral("chat900");
    Source src({msg(1, group, 1262304000, QStringLiteral("Hello everyone"), true),
                msg(2, group, 1262304060, QStringLiteral("Hi Anna"), false),
                msg(4, group, 1262304120, QStringLiteral("Welcome Ben"), true),
                msg(5, group, 1262304180, QStringLiteral("This message was unsent."), true),
                msg(6, group, 1262304240, QStringLiteral("Fixed the time"), false)});
    MessageStore& store = *src.store;
    ConversationInfo info;
    info.isGroup = true;
    info.displayName = "Trip";
    info.members = {"+15550001", "+15550002"};
    store.setConversationInfo(group.toUtf8(), info);
    store.setSenderName("+15550001", "Anna");
    store.addReaction(2, {10, 2000, "+15550001", {}});
    store.addReaction(2, {11, 2000, "+15550002", {}});
    ConversationEvent added;
    added.rowId = 3;
    added.kind = ConversationEvent::MemberAdded;
    added.actor = "+15550001";
    added.target = "+15550002";
    store.addEvent(group.toUtf8(), added);
    ConversationEvent left;
    left.rowId = 7;
    left.kind = ConversationEvent::MemberLeft;
    left.actor = "+15550002";
    store.addEvent(group.toUtf8(), left);

    frame_page2 page(nullptr);
    page.resize(450, 500);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    store.selectConversation(group.toUtf8());
    for (MessageRecord& r : store.conversation) {
        if (r.isIncoming)
            r.sender = r.rowId == 1 ? "+15550001" : "+15550002";
        if (r.rowId == 5)
            r.flags = MessageRecord::Unsent;
        if (r.rowId == 6)
            r.flags = MessageRecord::Edited;
    }
    page.loadConversation(&store);
    QCOMPARE(page.findChild<QLabel*>(QStringLiteral("iphonenumber"))->text(), QStringLiteral("Trip"));

    // Top to bottom: the newest event, then messages and the other event in their places.
    QStringList order;
    QHash<qint64, BubbleLabel*> labels;
    for (QWidget* w : viewstest::visibleTopDown<QWidget>(&page)) {
        if (auto* b = qobject_cast<BubbleFrame*>(w)) {
            order << QString::number(b->rowId());
            labels.insert(b->rowId(), b->findChild<BubbleLabel*>());
        } else if (w->objectName() == QLatin1String("eventLine")) {
            order << static_cast<QLabel*>(w)->text();
        }
    }
    QCOMPARE(order, QStringList({QStringLiteral("+15550002 left the conversation"), QStringLiteral("6"),
                                 QStringLiteral("5"), QStringLiteral("4"), QStringLiteral("Anna added +15550002"),
                                 QStringLiteral("2"), QStringLiteral("1")}));
    // Who sent each incoming message, by name where the book has one.
    QCOMPARE(labels[1]->content().sender, QStringLiteral("Anna"));
    QCOMPARE(labels[4]->content().sender, QStringLiteral("+15550002"));
    QVERIFY(labels[2]->content().sender.isEmpty());
    QCOMPARE(labels[2]->content().badge, QStringLiteral("\u2764\ufe0f 2"));
    QVERIFY(labels[6]->content().edited);
    QVERIFY(labels[5]->content().unsent);
    // The name line, "Edited" and the badge take room of their own.
    const int oneLine = oneLineBubbleHeight("Hi", labels[1]->look(), 1000);
    QVERIFY(oneLine > 0);
    QVERIFY(labels[1]->height() > oneLine);
    QVERIFY(labels[2]->height() > oneLine);
    QVERIFY(labels[6]->height() > oneLine);
    // An unsent message is drawn without the bubble's fill.
    const QImage unsent = labels[5]->grab().toImage();
    const QImage plain = labels[4]->grab().toImage();
    const QPoint inside(kBubbleMarginX + 4, unsent.height() / 2);
    QCOMPARE(plain.pixelColor(inside).rgb(), labels[4]->look().incoming.rgb());
    QVERIFY(unsent.pixelColor(inside).rgb() != labels[5]->look().incoming.rgb());

    // Events take no part in edit mode: the count and deletes are messages only.
    QTest::mouseClick(page.findChild<QToolButton*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    for (BubbleFrame* b : viewstest::visibleTopDown<BubbleFrame>(&page))
        QTest::mouseClick(selectOf(b), Qt::LeftButton);
    auto* del = page.findChild<QPushButton*>(QStringLiteral("pushButton_3"));
    QCOMPARE(del->text(), QStringLiteral("Delete[5]"));
    QTest::mouseClick(del, Qt::LeftButton);
    QCOMPARE(src.rowsFor(group), 0);
    const QList<QLabel*> labelsLeft = viewstest::visibleTopDown<QLabel>(&page);
    QVERIFY(std::none_of(labelsLeft.begin(), labelsLeft.end(),
                         [](QLabel* l) { return l->objectName() == QLatin1String("eventLine"); }));
    QVERIFY(!page.findChild<QToolButton*>(QStringLiteral("pushButton_Edit"))->isVisible());
}

void ChatPageTest::hugeMessageIsDrawnEverywhere()
{
    QString huge;
    huge.reserve(1 << 20);
    for (int i = 0; i < (1 << 20); ++i)
        huge += QChar(char16_t('a' + (i * 7) % 26));
    Source src({msg(1, kPeer, 1262304000, QStringLiteral("before"), false), msg(2, kPeer, 1262304060, huge, true),
                msg(3, kPeer, 1262304120, QStringLiteral("after"), false)});
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));
    QScrollBar* bar = barOf(p.page);
    QWidget* vp = p.page.findChild<smsChartCtrl*>()->viewport();

    const QList<qint64> order = walkChat(p.page);
    QCOMPARE(order, QList<qint64>({3, 2, 1}));
    BubbleFrame* big = bringIntoView(p.page, 2);
    QVERIFY(big);
    QCOMPARE(big->messageText(), huge);
    QCOMPARE(textOf(big)->text().remove(QChar(0x200B)), huge);
    // Tall enough for every character, never wider than the page.
    const TextMeasure& m = BubbleLook::standard().text;
    const qreal advance = QFontMetricsF(m.font()).horizontalAdvance(huge.left(26000)) * (huge.size() / 26000.0);
    QLabel* label = textOf(big);
    QVERIFY(label->height() >= advance / label->width() * m.lineHeight());
    QVERIFY(big->mapTo(vp, QPoint(big->width(), 0)).x() <= vp->width());

    // Wherever the view stands in it, its text is there.
    for (int percent : {5, 30, 50, 70, 95}) {
        bar->setValue(bar->maximum() * percent / 100);
        QCoreApplication::processEvents();
        const QImage shot = vp->grab(QRect(40, vp->height() / 3, 200, vp->height() / 3)).toImage();
        QVERIFY2(darkPixels(shot) > 200, qPrintable(QString::number(percent)));
    }
    QVERIFY(p.page.findChildren<BubbleFrame*>().size() <= 3);
}

void ChatPageTest::hundredThousandTinyMessages()
{
    const int n = 100000;
    MemoryStore mem(n, [](int i) { return QByteArray(1, char('a' + i % 26)); });
    frame_page2 page(nullptr);
    page.resize(450, 500);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.loadConversation(&mem.store);
    QScrollBar* bar = barOf(page);
    // One line each: every height is known at once, and all are the same.
    QCOMPARE(page.column().estimatedCount(), 0);
    const int slot = slotHeight(bubblesOnScreen(page).first());
    QCOMPARE(page.column().totalHeight(), qint64(n) * slot);

    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    QCOMPARE(bubblesOnScreen(page).last()->rowId(), qint64(1));
    QCOMPARE(bubblesOnScreen(page).last()->messageText(), QStringLiteral("b"));
    bar->setValue(bar->maximum() / 2);
    QCoreApplication::processEvents();
    const qint64 middle = bubblesOnScreen(page).first()->rowId();
    QVERIFY2(std::abs(middle - n / 2) < 50, qPrintable(QString::number(middle)));
    QVERIFY(page.findChildren<BubbleFrame*>().size() <= 80);
}

void ChatPageTest::headerNeverWidensThePage()
{
    for (int length : {32, 500}) {
        const QString number = QStringLiteral("1390000").leftJustified(length, QLatin1Char('8'));
        Source src({msg(1, number, 1262304000, QStringLiteral("hi"), true)});

        // The page beside a navigation list, as the main window has them.
        QWidget window;
        auto* row = new QHBoxLayout(&window);
        auto* list = new QListWidget(&window);
        list->setMaximumWidth(200);
        list->addItem(QStringLiteral("2010.05.01.12.30.45.sms"));
        auto* page = new frame_page2(nullptr, &window);
        row->addWidget(list);
        row->addWidget(page);
        window.resize(677, 471);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        src.store->selectConversation(number.toUtf8());
        page->loadConversation(src.store.get());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();

        auto* header = page->findChild<ElidedLabel*>(QStringLiteral("iphonenumber"));
        QCOMPARE(header->text(), number);
        QCOMPARE(list->width(), 200);
        QVERIFY(page->minimumSizeHint().width() < 300);
        QVERIFY(header->mapTo(page, QPoint(header->width(), 0)).x() <= page->width());
        // The header takes the room between the buttons and elides what does not fit.
        QVERIFY2(header->width() > page->width() / 3, qPrintable(QString::number(header->width())));
        if (length == 500)
            QVERIFY(header->isElided());
    }
}

void ChatPageTest::deleteReportMayEmptyThePage()
{
    Source src(longConversation(200));
    Page p(src);
    QVERIFY(QTest::qWaitForWindowExposed(&p.page));
    QTest::mouseClick(p.edit(), Qt::LeftButton);
    QTest::mouseClick(selectOf(bubblesOnScreen(p.page).at(0)), Qt::LeftButton);
    QTest::mouseClick(selectOf(bubblesOnScreen(p.page).at(2)), Qt::LeftButton);
    QCOMPARE(p.del()->text(), QStringLiteral("Delete[2]"));

    // Every statement fails now, and its report empties the page.
    src.store->close();
    g_pageToEmpty = &p.page;
    g_reports = 0;
    setDeleteErrorHandler(&emptyThePage);
    QTest::mouseClick(p.del(), Qt::LeftButton);
    setDeleteErrorHandler(nullptr);
    g_pageToEmpty = nullptr;
    QCOMPARE(g_reports, 1);
    QCOMPARE(p.bubbles(), 0);
    QCOMPARE(p.page.findChildren<BubbleFrame*>().size(), 0);
    QCOMPARE(src.rowsFor(kPeer), 200);

    // The page is whole afterwards: it shows the next conversation it is given.
    src.open();
    src.store->selectConversation(kPeer.toUtf8());
    p.page.loadConversation(src.store.get());
    QCOMPARE(walkChat(p.page).size(), 200);
}

QTEST_MAIN(ChatPageTest)
#include "tst_chatpage.moc"
