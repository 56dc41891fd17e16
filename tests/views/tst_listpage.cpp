// The conversation list page against stores read from fixture backup files:
// what the rows show, edit mode, deleting conversations, reuse of rows and
// rows made as the list scrolls.

#include "ViewsTestSource.h"
#include "frame_page1.h"
#include "messageframe.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>
#include <QToolButton>

using viewstest::msg;
using viewstest::Source;

namespace {

// Three conversations: A has the latest message, then B, then C.
QList<fixtures::Msg> threeConversations()
{
    return {
        msg(1, QStringLiteral("10010"), 1000, QStringLiteral("C first"), true),
        msg(2, QStringLiteral("13900000002"), 1100, QStringLiteral("B first"), true),
        msg(3, QStringLiteral("10010"), 1200, QStringLiteral("C last"), false),
        msg(4, QStringLiteral("13900000001"), 1300, QStringLiteral("A only"), true),
        msg(5, QStringLiteral("13900000002"), 1400, QStringLiteral("B last"), false),
        msg(6, QStringLiteral("13900000001"), 1500, QStringLiteral("A last"), true),
    };
}

QList<QPair<QVariant, QVariant>> threeContacts()
{
    return {{QStringLiteral("Alice"), QStringLiteral("13900000001")},
            {QStringLiteral("Bob"), QStringLiteral("13900000002")}};
}

QString numberOf(int i)
{
    return QStringLiteral("1500000%1").arg(i, 4, 10, QLatin1Char('0'));
}

QList<fixtures::Msg> manyConversations(int n)
{
    QList<fixtures::Msg> list;
    for (int i = 1; i <= n; ++i)
        list.append(msg(i, numberOf(i), 1000 + i, QStringLiteral("message %1").arg(i), i % 2 == 0));
    return list;
}

QList<messageframe*> visibleRows(frame_page1& page)
{
    return viewstest::visibleTopDown<messageframe>(&page);
}

QString nameOf(messageframe* row)
{
    return row->findChild<QLabel*>(QStringLiteral("label"))->text();
}

QString textOf(messageframe* row)
{
    return row->findChild<QLabel*>(QStringLiteral("label_2"))->text();
}

QToolButton* minusOf(messageframe* row)
{
    auto* b = row->findChild<QToolButton*>(QStringLiteral("toolButtonV"));
    return b ? b : row->findChild<QToolButton*>(QStringLiteral("toolButtonH"));
}

QToolButton* deleteOf(messageframe* row)
{
    return row->findChild<QToolButton*>(QStringLiteral("toolButton_2"));
}

QLabel* chevronOf(messageframe* row)
{
    return row->findChild<QLabel*>(QStringLiteral("label_4"));
}

void clickRow(messageframe* row)
{
    QTest::mouseClick(row->findChild<QLabel*>(QStringLiteral("label_2")), Qt::LeftButton);
}

QScrollBar* barOf(frame_page1& page)
{
    return page.findChild<QScrollArea*>(QStringLiteral("scrollArea"))->verticalScrollBar();
}

// Rows whose top is inside the viewport, top to bottom.
QList<messageframe*> rowsOnScreen(frame_page1& page)
{
    QWidget* viewport = page.findChild<QScrollArea*>(QStringLiteral("scrollArea"))->viewport();
    QList<messageframe*> out;
    for (messageframe* row : visibleRows(page)) {
        const int y = row->mapTo(viewport, QPoint()).y();
        if (y >= 0 && y < viewport->height())
            out.append(row);
    }
    return out;
}

// Walks the whole list from the top a screen at a time, as a user paging
// down would, and returns each conversation's number once, in the order
// seen, while `visit` sees every row on screen. The list is left at its end.
template <typename Visit> QStringList walkList(frame_page1& page, Visit visit)
{
    QScrollBar* bar = barOf(page);
    bar->setValue(0);
    QCoreApplication::processEvents();
    QStringList seen;
    for (int guard = 0; guard < 100000; ++guard) {
        for (messageframe* row : rowsOnScreen(page)) {
            visit(row);
            if (seen.isEmpty() || !seen.mid(std::max<qsizetype>(0, seen.size() - 50)).contains(row->number()))
                seen.append(row->number());
        }
        if (bar->value() >= bar->maximum())
            break;
        bar->setValue(bar->value() + bar->pageStep() / 2);
        QCoreApplication::processEvents();
    }
    return seen;
}

// Scrolls until the conversation's row is on screen.
messageframe* bringIntoView(frame_page1& page, const QString& number)
{
    QScrollBar* bar = barOf(page);
    for (int guard = 0; guard < 2000; ++guard) {
        const QList<messageframe*> shown = rowsOnScreen(page);
        for (messageframe* row : shown)
            if (row->number() == number)
                return row;
        // Latest at the top: numbers of later conversations are above.
        const bool below = shown.isEmpty() || shown.last()->number() > number;
        if ((below && bar->value() >= bar->maximum()) || (!below && bar->value() <= 0))
            return nullptr;
        bar->setValue(bar->value() + (below ? 1 : -1) * std::max(1, bar->pageStep() / 3));
        QCoreApplication::processEvents();
    }
    return nullptr;
}

// A store read from nowhere with n conversations made here.
struct MemoryStore
{
    explicit MemoryStore(int n, const QByteArray& name = QByteArray())
        : store(dir.filePath(QStringLiteral("none.db")).toUtf8())
    {
        for (int i = n; i >= 1; --i) {
            MessageRecord r;
            r.rowId = i;
            r.address = numberOf(i).toUtf8();
            r.contactName = name.isEmpty() ? QByteArray("NULL") : name + ' ' + QByteArray::number(i);
            r.text = i % 5 ? QByteArray("message ") + QByteArray::number(i)
                           : QByteArray("A longer message that wraps over two lines or more in its row because it "
                                        "goes on about the weather and the trains.");
            r.time = 1262304000 + i;
            store.conversationHeads.append(r);
        }
    }
    QTemporaryDir dir;
    MessageStore store;
};

} // namespace

class ListPageTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { viewstest::applySkin(); }

    void emptyOrMissingStoreShowsNothing();
    void rowsShowConversationsLatestFirst();
    void clickOpensOnlyWhileBrowsing();
    void editModeTransitions();
    void deleteConversationFromTheFile();
    void rowsAreReusedNotPiledUp();
    void rowsComeAsTheListScrolls();
    void forgottenStoreIsNeverUsed();
    void longNameAndTextStayInsideTheRow();
    void liveRowsStayBoundedThrough20000();
    void editStateFarOutOfView();
    void namesOf500CharactersStayWhole();
};

void ListPageTest::emptyOrMissingStoreShowsNothing()
{
    Source empty({});
    frame_page1 page(empty.store.get());
    page.resize(500, 400);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto* edit = page.findChild<QPushButton*>(QStringLiteral("pushButton_Edit"));
    QVERIFY(visibleRows(page).isEmpty());
    QVERIFY(!edit->isVisible());

    frame_page1 none(nullptr);
    none.show();
    QVERIFY(QTest::qWaitForWindowExposed(&none));
    QVERIFY(visibleRows(none).isEmpty());
    QVERIFY(!none.findChild<QPushButton*>(QStringLiteral("pushButton_Edit"))->isVisible());
    // Still usable afterwards.
    Source three(threeConversations(), threeContacts());
    none.showConversations(three.store.get());
    QCOMPARE(visibleRows(none).size(), 3);
    none.showConversations(nullptr);
    QVERIFY(visibleRows(none).isEmpty());
    QVERIFY(!none.findChild<QPushButton*>(QStringLiteral("pushButton_Edit"))->isVisible());
}

void ListPageTest::rowsShowConversationsLatestFirst()
{
    Source src(threeConversations(), threeContacts());
    frame_page1 page(src.store.get());
    page.resize(500, 400);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    const QList<messageframe*> rows = visibleRows(page);
    QCOMPARE(rows.size(), 3);
    // Backup contacts have no last name; the name is shown without the blank before it.
    QCOMPARE(nameOf(rows[0]), QStringLiteral("Alice"));
    QCOMPARE(textOf(rows[0]), QStringLiteral("A last"));
    QCOMPARE(nameOf(rows[1]), QStringLiteral("Bob"));
    QCOMPARE(textOf(rows[1]), QStringLiteral("B last"));
    // No contact: the number stands for the name.
    QCOMPARE(nameOf(rows[2]), QStringLiteral("10010"));
    QCOMPARE(textOf(rows[2]), QStringLiteral("C last"));
    const QString time = rows[0]->findChild<QLabel*>(QStringLiteral("label_3"))->text();
    QVERIFY2(time.startsWith(QStringLiteral("time:")) && !time.endsWith(QLatin1Char('\n')), qPrintable(time));
    QVERIFY(page.findChild<QPushButton*>(QStringLiteral("pushButton_Edit"))->isVisible());
    for (messageframe* row : rows) {
        QVERIFY(chevronOf(row)->isVisible());
        QVERIFY(!minusOf(row)->isVisible());
        QVERIFY(!deleteOf(row)->isVisible());
    }
}

void ListPageTest::clickOpensOnlyWhileBrowsing()
{
    Source src(threeConversations(), threeContacts());
    frame_page1 page(src.store.get());
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QSignalSpy opened(&page, &frame_page1::sendMessageClick);

    src.store->selectConversation("10010");
    QVERIFY(!src.store->conversation.isEmpty());
    clickRow(visibleRows(page)[1]);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("13900000002"));
    QVERIFY(src.store->conversation.isEmpty());

    QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    QVERIFY(page.isEditing());
    src.store->selectConversation("10010");
    clickRow(visibleRows(page)[0]);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(src.store->conversation.size(), 2);
}

void ListPageTest::editModeTransitions()
{
    Source src(threeConversations(), threeContacts());
    frame_page1 page(src.store.get());
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto* edit = page.findChild<QPushButton*>(QStringLiteral("pushButton_Edit"));
    QSignalSpy modes(&page, &frame_page1::sendIsEdit);
    messageframe* row = visibleRows(page)[0];

    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(edit->text(), QStringLiteral("&Done"));
    QCOMPARE(modes.count(), 1);
    QCOMPARE(modes.at(0).at(0).toBool(), true);
    for (messageframe* r : visibleRows(page)) {
        QVERIFY(minusOf(r)->isVisible());
        QCOMPARE(minusOf(r)->objectName(), QStringLiteral("toolButtonV"));
        QVERIFY(!chevronOf(r)->isVisible());
        QVERIFY(!deleteOf(r)->isVisible());
    }

    const QImage upright = minusOf(row)->grab().toImage();
    QTest::mouseClick(minusOf(row), Qt::LeftButton);
    QCOMPARE(minusOf(row)->objectName(), QStringLiteral("toolButtonH"));
    QVERIFY(deleteOf(row)->isVisible());
    // The turned look is really drawn, not only named.
    QVERIFY(minusOf(row)->grab().toImage() != upright);
    QTest::mouseClick(minusOf(row), Qt::LeftButton);
    QCOMPARE(minusOf(row)->objectName(), QStringLiteral("toolButtonV"));
    QVERIFY(!deleteOf(row)->isVisible());
    QCOMPARE(minusOf(row)->grab().toImage(), upright);

    // Minus pressed, Done, Edit again: upright, no Delete, and one press offers it.
    QTest::mouseClick(minusOf(row), Qt::LeftButton);
    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(edit->text(), QStringLiteral("&Edit"));
    QVERIFY(!minusOf(row)->isVisible());
    QVERIFY(!deleteOf(row)->isVisible());
    QVERIFY(chevronOf(row)->isVisible());
    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(minusOf(row)->objectName(), QStringLiteral("toolButtonV"));
    QVERIFY(!deleteOf(row)->isVisible());
    QTest::mouseClick(minusOf(row), Qt::LeftButton);
    QVERIFY(deleteOf(row)->isVisible());

    // resetEditMode only relabels the button and lets row clicks through again.
    page.resetEditMode();
    QCOMPARE(edit->text(), QStringLiteral("Edit"));
    QVERIFY(!page.isEditing());
    page.setEditButtonVisible(false);
    QVERIFY(!edit->isVisible());
}

void ListPageTest::deleteConversationFromTheFile()
{
    Source src(threeConversations(), threeContacts());
    frame_page1 page(src.store.get());
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);

    messageframe* bob = visibleRows(page)[1];
    QCOMPARE(nameOf(bob), QStringLiteral("Bob"));
    QTest::mouseClick(minusOf(bob), Qt::LeftButton);
    QTest::mouseClick(deleteOf(bob), Qt::LeftButton);

    QCOMPARE(src.rowsFor(QStringLiteral("13900000002")), 0);
    QCOMPARE(src.rowsFor(QStringLiteral("13900000001")), 2);
    QCOMPARE(src.rowsFor(QStringLiteral("10010")), 2);
    QVERIFY(!bob->isVisible());
    QCOMPARE(visibleRows(page).size(), 2);
    QVERIFY(page.isEditing());

    // Open the last one and come back the way the main window does.
    QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    QSignalSpy opened(&page, &frame_page1::sendMessageClick);
    clickRow(visibleRows(page)[1]);
    QCOMPARE(opened.takeFirst().at(0).toString(), QStringLiteral("10010"));
    src.store->buildConversationList();
    page.refreshRows();

    const QList<messageframe*> rows = visibleRows(page);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(nameOf(rows[0]), QStringLiteral("Alice"));
    QCOMPARE(nameOf(rows[1]), QStringLiteral("10010"));
    QVERIFY(chevronOf(rows[1])->isVisible());
    QVERIFY(!deleteOf(rows[1])->isVisible());
    clickRow(rows[0]);
    clickRow(rows[1]);
    QCOMPARE(opened.count(), 2);
    QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("13900000001"));
    QCOMPARE(opened.at(1).at(0).toString(), QStringLiteral("10010"));

    // The file holds what the page shows, also for a fresh reader.
    src.open();
    QCOMPARE(src.store->conversationHeads.size(), 2);
}

void ListPageTest::rowsAreReusedNotPiledUp()
{
    Source three(threeConversations(), threeContacts(), QStringLiteral("a.sms"));
    Source two({msg(1, QStringLiteral("20001"), 10, QStringLiteral("x"), true),
                msg(2, QStringLiteral("20002"), 20, QStringLiteral("y"), false)},
               {}, QStringLiteral("b.sms"));
    frame_page1 page(nullptr);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    page.showConversations(three.store.get());
    page.showConversations(two.store.get());
    QList<messageframe*> rows = visibleRows(page);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(nameOf(rows[0]), QStringLiteral("20002"));
    QCOMPARE(nameOf(rows[1]), QStringLiteral("20001"));

    // Switching sources back and forth keeps the number of row widgets bounded.
    for (int i = 0; i < 20; ++i) {
        page.showConversations(three.store.get());
        page.showConversations(two.store.get());
    }
    QCOMPARE(page.findChildren<messageframe*>().size(), 3);

    page.showConversations(three.store.get());
    page.refreshRows();
    rows = visibleRows(page);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(nameOf(rows[0]), QStringLiteral("Alice"));
    QCOMPARE(nameOf(rows[2]), QStringLiteral("10010"));

    // A row reused while editing joins edit mode; Done puts every row back.
    QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    page.refreshRows();
    for (messageframe* r : visibleRows(page))
        QVERIFY(minusOf(r)->isVisible());
    // Showing a source again starts in browsing mode with the button saying so.
    page.showConversations(two.store.get());
    QVERIFY(!page.isEditing());
    QCOMPARE(page.findChild<QPushButton*>(QStringLiteral("pushButton_Edit"))->text(), QStringLiteral("&Edit"));
    for (messageframe* r : visibleRows(page)) {
        QVERIFY(!minusOf(r)->isVisible());
        QVERIFY(chevronOf(r)->isVisible());
    }

    page.removeAll();
    QVERIFY(visibleRows(page).isEmpty());
}

void ListPageTest::rowsComeAsTheListScrolls()
{
    const int n = 400;
    Source src(manyConversations(n));
    frame_page1 page(nullptr);
    page.resize(500, 400);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.showConversations(src.store.get());
    QCoreApplication::processEvents();

    QCOMPARE(page.conversationCount(), n);
    const int made = int(page.findChildren<messageframe*>().size());
    QVERIFY2(made < n / 4, qPrintable(QString::number(made)));
    QCOMPARE(nameOf(visibleRows(page).first()), numberOf(n));

    // Rows shown while editing show the minus button, all the way down.
    QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    int withoutMinus = 0;
    const QStringList order = walkList(page, [&](messageframe* row) {
        if (!minusOf(row)->isVisible() || chevronOf(row)->isVisible())
            ++withoutMinus;
    });
    QCOMPARE(withoutMinus, 0);
    QCOMPARE(order.size(), n);
    for (int i = 0; i < n; ++i)
        QCOMPARE(order[i], numberOf(n - i));
    // Rows above the view are kept as well as those below it, and no more.
    QVERIFY2(
        page.findChildren<messageframe*>().size() <= 2 * made,
        qPrintable(QStringLiteral("%1 rows, %2 at first").arg(page.findChildren<messageframe*>().size()).arg(made)));

    // Deleting the oldest conversation, shown last, acts on the file.
    messageframe* last = rowsOnScreen(page).last();
    QCOMPARE(nameOf(last), numberOf(1));
    QTest::mouseClick(minusOf(last), Qt::LeftButton);
    QTest::mouseClick(deleteOf(last), Qt::LeftButton);
    QCOMPARE(src.rowsFor(numberOf(1)), 0);
    QCOMPARE(src.allRows(), n - 1);
}

void ListPageTest::forgottenStoreIsNeverUsed()
{
    frame_page1 page(nullptr);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    {
        Source src(threeConversations(), threeContacts());
        page.showConversations(src.store.get());
        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
        page.showConversations(nullptr);
    }
    // The store is gone; nothing on the page may reach for it.
    page.refreshRows();
    QVERIFY(visibleRows(page).isEmpty());
    QSignalSpy opened(&page, &frame_page1::sendMessageClick);
    for (messageframe* row : page.findChildren<messageframe*>())
        emit row->selClicked(QStringLiteral("10010"));
    QCOMPARE(opened.count(), 3);

    {
        Source src(threeConversations(), threeContacts());
        page.showConversations(src.store.get());
        page.removeAll();
    }
    page.refreshRows();
    QVERIFY(visibleRows(page).isEmpty());
}

void ListPageTest::longNameAndTextStayInsideTheRow()
{
    const QString name = QStringLiteral("Maximiliane Alexandra Theodora von und zu Hohenberg-Wittelsbach");
    const QString text = QStringLiteral("https://example.org/") + QString(400, QLatin1Char('b'));
    Source src({msg(1, QStringLiteral("13900000009"), 1000, text, true)}, {{name, QStringLiteral("13900000009")}});
    frame_page1 page(src.store.get());
    page.resize(360, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QTRY_COMPARE(visibleRows(page).size(), 1);
    messageframe* row = visibleRows(page).first();

    const int right = page.findChild<QScrollArea*>(QStringLiteral("scrollArea"))->viewport()->width();
    for (const char* labelName : {"label", "label_2", "label_3"}) {
        QLabel* label = row->findChild<QLabel*>(QString::fromLatin1(labelName));
        QVERIFY2(label->mapTo(row, QPoint(label->width(), 0)).x() <= right, labelName);
        const QRect inside = label->contentsRect();
        const QRect needed = label->fontMetrics().boundingRect(inside, Qt::TextWordWrap, label->text());
        QVERIFY2(needed.width() <= inside.width(), labelName);
        QVERIFY2(needed.height() <= label->height(), labelName);
    }
    // The preview is cut short with an ellipsis; the name is whole.
    QVERIFY(textOf(row).endsWith(QChar(0x2026)));
    QCOMPARE(nameOf(row).remove(QChar(0x200B)).trimmed(), name);
}

void ListPageTest::liveRowsStayBoundedThrough20000()
{
    const int n = 20000;
    MemoryStore mem(n);
    frame_page1 page(nullptr);
    page.resize(500, 400);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.showConversations(&mem.store);
    QScrollBar* bar = barOf(page);

    int most = 0;
    const int steps = 300;
    for (int k = 0; k <= steps; ++k) {
        bar->setValue(int(qint64(bar->maximum()) * k / steps));
        QCoreApplication::processEvents();
        most = std::max(most, int(page.findChildren<messageframe*>().size()));
    }
    QVERIFY2(most > 0 && most <= 60, qPrintable(QString::number(most)));
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    QCOMPARE(rowsOnScreen(page).last()->number(), numberOf(1));
    QTRY_COMPARE_WITH_TIMEOUT(page.column().estimatedCount(), 0, 60000);
    QCOMPARE(qint64(bar->maximum()),
             page.column().totalHeight() -
                 page.findChild<QScrollArea*>(QStringLiteral("scrollArea"))->viewport()->height());
    QCOMPARE(rowsOnScreen(page).last()->number(), numberOf(1));
}

void ListPageTest::editStateFarOutOfView()
{
    const int n = 400;
    Source src(manyConversations(n));
    frame_page1 page(src.store.get());
    page.resize(500, 400);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QScrollBar* bar = barOf(page);
    auto* edit = page.findChild<QPushButton*>(QStringLiteral("pushButton_Edit"));
    QTest::mouseClick(edit, Qt::LeftButton);

    // "Delete" offered at the top and at the end.
    QTest::mouseClick(minusOf(bringIntoView(page, numberOf(n))), Qt::LeftButton);
    int offeredOnTheWay = 0;
    walkList(page, [&](messageframe* row) {
        if (row->number() != numberOf(n) && (deleteOf(row)->isVisible() || row->isDeleteOffered() ||
                                             minusOf(row)->objectName() != QLatin1String("toolButtonV")))
            ++offeredOnTheWay;
    });
    QCOMPARE(offeredOnTheWay, 0);
    messageframe* oldest = bringIntoView(page, numberOf(1));
    QTest::mouseClick(minusOf(oldest), Qt::LeftButton);
    QVERIFY(deleteOf(oldest)->isVisible());

    // Back at the top the offer is still there; deleting it takes its row's
    // height from the range and leaves the next row where it was.
    messageframe* newest = bringIntoView(page, numberOf(n));
    QCOMPARE(minusOf(newest)->objectName(), QStringLiteral("toolButtonH"));
    QVERIFY(deleteOf(newest)->isVisible());
    bar->setValue(0);
    QCoreApplication::processEvents();
    const int height = newest->height();
    const int maximum = bar->maximum();
    QTest::mouseClick(deleteOf(newest), Qt::LeftButton);
    QCOMPARE(src.rowsFor(numberOf(n)), 0);
    QCOMPARE(bar->maximum(), maximum - height);
    QCOMPARE(rowsOnScreen(page).first()->number(), numberOf(n - 1));
    QCOMPARE(rowsOnScreen(page).first()->y(), 0);

    oldest = bringIntoView(page, numberOf(1));
    QCOMPARE(minusOf(oldest)->objectName(), QStringLiteral("toolButtonH"));
    QTest::mouseClick(deleteOf(oldest), Qt::LeftButton);
    QCOMPARE(src.rowsFor(numberOf(1)), 0);
    QCOMPARE(src.allRows(), n - 2);

    // Done and Edit again: every row upright, wherever it is.
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::mouseClick(edit, Qt::LeftButton);
    int turned = 0;
    const QStringList order = walkList(
        page, [&](messageframe* row) { turned += row->isDeleteOffered() || deleteOf(row)->isVisible() ? 1 : 0; });
    QCOMPARE(turned, 0);
    QCOMPARE(order.size(), n - 2);
}

void ListPageTest::namesOf500CharactersStayWhole()
{
    QByteArray name;
    while (name.size() < 490)
        name += "Maximiliane Alexandra Theodora ";
    name.truncate(490);
    MemoryStore mem(300, name);
    frame_page1 page(nullptr);
    page.resize(500, 400);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.showConversations(&mem.store);
    int cutShort = 0;
    const int right = page.findChild<QScrollArea*>(QStringLiteral("scrollArea"))->viewport()->width();
    const QStringList order = walkList(page, [&](messageframe* row) {
        QLabel* label = row->findChild<QLabel*>(QStringLiteral("label"));
        const QRect needed = label->fontMetrics().boundingRect(label->contentsRect(), Qt::TextWordWrap, label->text());
        if (needed.height() > label->height() || label->mapTo(row, QPoint(label->width(), 0)).x() > right ||
            !nameOf(row).remove(QChar(0x200B)).startsWith(QString::fromLatin1(name)))
            ++cutShort;
    });
    QCOMPARE(cutShort, 0);
    QCOMPARE(order.size(), 300);
    QVERIFY(page.findChildren<messageframe*>().size() <= 30);
}

QTEST_MAIN(ListPageTest)
#include "tst_listpage.moc"
