// The window's search on a backup: typing shows the results page, a click
// lands on the message in its chat, Escape goes back, finding within a
// conversation steps through its matches, the conversation list is filtered
// by name or number, and the backup file stays as it was.

#include "BackupBuilder.h"
#include "BackupChooser.h"
#include "DialogDriver.h"
#include "MainWindowHarness.h"
#include "ModernFixtures.h"
#include "PhoneBackup.h"
#include "SearchField.h"
#include "SearchResultsPage.h"
#include "frame_page2.h"

#include <QCryptographicHash>
#include <QSignalSpy>
#include <QListView>
#include <QTreeWidget>
#include <QScrollArea>

using harness::Window;

namespace {

// Anna: a long conversation with "filler" messages between three about a
// café; Pat: two; an unknown number: one.
QList<fixtures::Msg> searchMessages()
{
    QList<fixtures::Msg> list;
    int row = 1;
    auto add = [&](const QString& address, const QString& text, int flags) {
        list.append({row, address, 1000 + row * 60, text, flags});
        ++row;
    };
    add(QStringLiteral("13800001111"), QStringLiteral("Café at noon?"), 2);
    for (int i = 0; i < 15; ++i)
        add(QStringLiteral("13800001111"),
            QStringLiteral("filler %1 with a longer line of text to fill the row").arg(i), i % 2 ? 2 : 3);
    add(QStringLiteral("10086"), QStringLiteral("crème brûlée tonight"), 2);
    add(QStringLiteral("13800001111"), QStringLiteral("see you at the café"), 3);
    for (int i = 15; i < 30; ++i)
        add(QStringLiteral("13800001111"),
            QStringLiteral("filler %1 with a longer line of text to fill the row").arg(i), i % 2 ? 2 : 3);
    add(QStringLiteral("10086"), QStringLiteral("我们明天见"), 2);
    add(QStringLiteral("5551234"), QStringLiteral("nothing to see"), 2);
    add(QStringLiteral("13800001111"), QStringLiteral("CAFE closed today"), 2);
    return list;
}

QByteArray digest(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

} // namespace

class SearchTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typingShowsGroupedResults();
    void emptyAndBlankQueriesShowNothing();
    void clickLandsOnTheMessage();
    void escapeGoesBackToWhereTheUserWas();
    void findWithinTheConversation();
    void staleFindInChatIsDropped();
    void leadIsCutOnlyWhenTheMatchIsOutOfSight();
    void filtersConversationsByNameOrNumber();
    void ctrlFFocusesTheField();
    void anotherSourceEndsTheSearch();
    void phoneBackupIsSearchedAlike();

private:
    SearchField* field(const Window& win) const
    {
        return win.w->findChild<SearchField*>(QStringLiteral("searchField"));
    }
    SearchResultsPage* results(const Window& win) const
    {
        return win.w->findChild<SearchResultsPage*>(QStringLiteral("searchResultsPage"));
    }
    frame_page2* chat(const Window& win) const { return qobject_cast<frame_page2*>(win.chatPage()); }
    QListView* view(const Window& win) const { return win.w->findChild<QListView*>(QStringLiteral("searchResults")); }
    // The texts of the result rows, top to bottom.
    QStringList rowTexts(const Window& win) const
    {
        QStringList texts;
        QAbstractItemModel* model = view(win)->model();
        for (int r = 0; r < model->rowCount(); ++r)
            texts << model->index(r, 0).data().toString();
        return texts;
    }
    void clickRow(const Window& win, const QString& text)
    {
        QAbstractItemModel* model = view(win)->model();
        const int row = int(rowTexts(win).indexOf(text));
        QVERIFY2(row >= 0, qPrintable(text));
        const QModelIndex index = model->index(row, 0);
        view(win)->scrollTo(index);
        QTRY_VERIFY(view(win)->visualRect(index).isValid());
        QTest::mouseClick(view(win)->viewport(), Qt::LeftButton, {}, view(win)->visualRect(index).center());
    }
    void openBackup(Window& win)
    {
        // Shortcuts reach only the active window.
        win.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(win.w.get()));
        win.list()->setCurrentRow(2);
        QTRY_COMPARE(win.conversationRows().size(), 3);
    }
    void type(const Window& win, const QString& text)
    {
        field(win)->setFocus();
        const bool latin1 = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
        // Beyond Latin-1 text comes from an input method, all at once.
        if (latin1)
            QTest::keyClicks(field(win), text);
        else
            field(win)->insert(text);
    }
    // The bubble the chat page marks as found, when one is on screen.
    QWidget* markedBubble(const Window& win) const
    {
        const auto frames = win.chatPage()->findChildren<QFrame*>();
        for (QFrame* f : frames) {
            if (f->property("found").toBool() && f->isVisible())
                return f;
        }
        return nullptr;
    }
    bool inView(const Window& win, QWidget* w) const
    {
        auto* area = win.chatPage()->findChild<QScrollArea*>(QStringLiteral("scrollArea"));
        const QRect box(w->mapTo(area->viewport(), QPoint()), w->size());
        return area->viewport()->rect().intersects(box);
    }

    // The attachment names a hit row shows after its text; "-" when no row has text.
    QStringList namesShown(const Window& win, const QString& text) const
    {
        const int row = int(rowTexts(win).indexOf(text));
        if (row < 0)
            return {QStringLiteral("-")};
        return view(win)->model()->index(row, 0).data(Qt::UserRole + 5).toStringList();
    }
    // Pixels of the mark's colour in the row of index as painted.
    int markedPixels(const Window& win, const QModelIndex& index, const QColor& mark) const
    {
        const QImage image = view(win)->viewport()->grab(view(win)->visualRect(index)).toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y).rgb() == mark.rgb();
        }
        return n;
    }

    QByteArray m_before;
};

void SearchTest::init()
{
    harness::resetSeams();
    harness::seedBackupFolder();
    fixtures::makeBackupFile(harness::backupPath(0), searchMessages(), harness::mainContacts());
    m_before = digest(harness::backupPath(0));
}

void SearchTest::cleanup()
{
    // Searching never changes the source.
    QCOMPARE(digest(harness::backupPath(0)), m_before);
    QCOMPARE(shellkit::DialogSeam::pendingAnswers(), 0);
    QCOMPARE(shellkit::DialogSeam::unanswered(), 0);
}

void SearchTest::typingShowsGroupedResults()
{
    Window win;
    openBackup(win);
    QVERIFY(field(win));
    QCOMPARE(field(win)->placeholderText(), QStringLiteral("Search messages"));
    type(win, QStringLiteral("CAFE"));
    QTRY_COMPARE(win.stack()->currentWidget(), results(win));
    QTRY_COMPARE(results(win)->hitCount(), 3);
    QCOMPARE(results(win)->summary(), QStringLiteral("3 messages in 1 conversation"));
    // One group, newest first, with its count.
    QCOMPARE(rowTexts(win),
             (QStringList{QStringLiteral("Messages"), QStringLiteral("Anna Lee"), QStringLiteral("CAFE closed today"),
                          QStringLiteral("see you at the café"), QStringLiteral("Café at noon?")}));
    QCOMPARE(view(win)->model()->index(1, 0).data(Qt::UserRole + 2).toString(), QStringLiteral("3 messages"));

    // More typed: the newer query's results replace the older ones.
    type(win, QStringLiteral(" closed"));
    QTRY_COMPARE(results(win)->hitCount(), 1);
    QCOMPARE(rowTexts(win).last(), QStringLiteral("CAFE closed today"));

    // Accents, several words, and a script without spaces.
    field(win)->clear();
    type(win, QStringLiteral("brulee creme"));
    QTRY_COMPARE(rowTexts(win).value(2), QStringLiteral("crème brûlée tonight"));
    field(win)->selectAll();
    type(win, QStringLiteral("明天"));
    QTRY_COMPARE(rowTexts(win).value(2), QStringLiteral("我们明天见"));
    QCOMPARE(results(win)->hitCount(), 1);

    field(win)->selectAll();
    type(win, QStringLiteral("xylophone"));
    QTRY_COMPARE(results(win)->summary(), QStringLiteral("No messages found"));
    QCOMPARE(results(win)->hitCount(), 0);
}

void SearchTest::emptyAndBlankQueriesShowNothing()
{
    Window win;
    openBackup(win);
    type(win, QStringLiteral("   "));
    // Typed blanks are no query: the list stays.
    QCOMPARE(win.page(), 1);
    QTest::keyClick(field(win), Qt::Key_Return);
    QCOMPARE(win.page(), 1);
    QCOMPARE(results(win)->hitCount(), 0);
}

void SearchTest::clickLandsOnTheMessage()
{
    Window win;
    openBackup(win);
    type(win, QStringLiteral("cafe"));
    QTRY_COMPARE(results(win)->hitCount(), 3);
    clickRow(win, QStringLiteral("see you at the café"));
    QTRY_COMPARE(win.page(), 2);
    // The message is marked and in sight, between the fillers around it.
    QCOMPARE(chat(win)->markedMessage(), qint64(18));
    QTRY_VERIFY(markedBubble(win));
    QCOMPARE(markedBubble(win)->property("found").toBool(), true);
    QTRY_VERIFY(inView(win, markedBubble(win)));
    QVERIFY(win.bubbleTexts().contains(QStringLiteral("see you at the café")));
    // The field tells where it stands among the matches of this chat, newest first.
    QTRY_COMPARE(field(win)->countText(), QStringLiteral("2 of 3"));
    QCOMPARE(chat(win)->markedMessage(), qint64(18));
    // The mark is for a moment only.
    QTRY_COMPARE_WITH_TIMEOUT(chat(win)->markedMessage(), qint64(0), 10000);
    QTRY_VERIFY(!markedBubble(win));
}

void SearchTest::escapeGoesBackToWhereTheUserWas()
{
    Window win;
    openBackup(win);
    type(win, QStringLiteral("filler"));
    QTRY_COMPARE(win.stack()->currentWidget(), results(win));
    QTest::keyClick(field(win), Qt::Key_Escape);
    QCOMPARE(win.page(), 1);
    QVERIFY(field(win)->text().isEmpty());
    QCOMPARE(results(win)->hitCount(), 0);

    // Escape from the results list itself.
    type(win, QStringLiteral("tonight"));
    QTRY_COMPARE(results(win)->hitCount(), 1);
    view(win)->setFocus();
    QTest::keyClick(view(win), Qt::Key_Escape);
    QCOMPARE(win.page(), 1);
    QVERIFY(field(win)->text().isEmpty());

    // The clear button empties the field: the same as Escape.
    type(win, QStringLiteral("tonight"));
    QTRY_COMPARE(results(win)->hitCount(), 1);
    field(win)->clear();
    QCOMPARE(win.page(), 1);

    // In a chat reached from the results, Escape clears the find and stays.
    type(win, QStringLiteral("cafe"));
    QTRY_COMPARE(results(win)->hitCount(), 3);
    clickRow(win, QStringLiteral("Café at noon?"));
    QTRY_COMPARE(win.page(), 2);
    QTest::keyClick(field(win), Qt::Key_Escape);
    QCOMPARE(win.page(), 2);
    QVERIFY(field(win)->text().isEmpty());
    QVERIFY(field(win)->countText().isEmpty());
    QCOMPARE(chat(win)->markedMessage(), qint64(0));
}

void SearchTest::findWithinTheConversation()
{
    Window win;
    openBackup(win);
    win.openConversation(0); // Anna: the newest conversation
    type(win, QStringLiteral("FILLER"));
    QTRY_COMPARE(field(win)->countText(), QStringLiteral("1 of 30"));
    QCOMPARE(win.page(), 2);
    // The newest filler first: row 33 holds "filler 29".
    QCOMPARE(chat(win)->markedMessage(), qint64(33));

    QTest::keyClick(field(win), Qt::Key_Return);
    QCOMPARE(field(win)->countText(), QStringLiteral("2 of 30"));
    QCOMPARE(chat(win)->markedMessage(), qint64(32));
    QTest::keyClick(field(win), Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(field(win)->countText(), QStringLiteral("1 of 30"));
    // Back past the first is the last.
    QTest::keyClick(field(win), Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(field(win)->countText(), QStringLiteral("30 of 30"));
    QCOMPARE(chat(win)->markedMessage(), qint64(2)); // "filler 0", the oldest
    QTRY_VERIFY(markedBubble(win));
    QTRY_VERIFY(inView(win, markedBubble(win)));
    // F3 and Shift+F3 work wherever the focus is in the window.
    win.chatPage()->setFocus();
    QTest::keyClick(win.w.get(), Qt::Key_F3);
    QCOMPARE(field(win)->countText(), QStringLiteral("1 of 30"));
    QTest::keyClick(win.w.get(), Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(field(win)->countText(), QStringLiteral("30 of 30"));

    // A narrower query counts again; one that matches nothing says so.
    field(win)->setFocus();
    QTest::keyClicks(field(win), QStringLiteral(" 2"));
    QTRY_COMPARE(field(win)->countText(), QStringLiteral("1 of 12")); // 2, 12, 20..29
    field(win)->selectAll();
    QTest::keyClicks(field(win), QStringLiteral("brulee"));
    QTRY_COMPARE(field(win)->countText(), QStringLiteral("0 of 0"));
    QCOMPARE(chat(win)->markedMessage(), qint64(0));

    // Back to the list: the find is over.
    field(win)->selectAll();
    QTest::keyClicks(field(win), QStringLiteral("cafe"));
    QTRY_COMPARE(field(win)->countText(), QStringLiteral("1 of 3"));
    QTest::mouseClick(win.chatPage()->findChild<QWidget*>(QStringLiteral("toolButtonMessageAndClear")), Qt::LeftButton);
    QTRY_COMPARE(win.page(), 1);
    QVERIFY(field(win)->text().isEmpty());
    QVERIFY(field(win)->countText().isEmpty());
}

void SearchTest::staleFindInChatIsDropped()
{
    Window win;
    openBackup(win);
    win.openConversation(0);
    auto* engine = win.w->findChild<search::MessageSearch*>(QStringLiteral("messageSearch"));
    QVERIFY(engine);
    QSignalSpy answers(engine, &search::MessageSearch::resultsReady);
    field(win)->setFocus();
    field(win)->setText(QStringLiteral("filler"));
    // Enter runs the query at once; then the text changes before its answer is in.
    QTest::keyClick(field(win), Qt::Key_Return);
    field(win)->setText(QStringLiteral("filler 1"));
    engine->waitForIdle();
    QCoreApplication::processEvents();
    // The answer for "filler" (1 of 30, the newest at row 33) is not shown.
    QVERIFY(field(win)->countText() != QStringLiteral("1 of 30"));
    QVERIFY(chat(win)->markedMessage() != qint64(33));
    // The field's own query is: 1, 10..19, 21; the newest "filler 21" is row 25.
    QTRY_COMPARE(field(win)->countText(), QStringLiteral("1 of 12"));
    QCOMPARE(chat(win)->markedMessage(), qint64(25));
    QVERIFY(!answers.isEmpty());
}

void SearchTest::leadIsCutOnlyWhenTheMatchIsOutOfSight()
{
    const QFontMetrics metrics(QApplication::font());
    const search::Query cafe = search::Query::parse(QStringLiteral("cafe"));
    // A short text whose match comes late is shown whole when it fits.
    const QString text = QStringLiteral("We could meet later\nat the little café");
    QVector<search::Span> spans = cafe.spansIn(text);
    QCOMPARE(spans.first().start, 34);
    QCOMPARE(SearchResultsPage::shownText(text, &spans, metrics, metrics.horizontalAdvance(text) + 4),
             QStringLiteral("We could meet later at the little café"));
    QCOMPARE(spans.first().start, 34);

    // A long one is cut at the start of a word, some lead and the match in sight.
    const QString longText = QStringLiteral("lorem ipsum dolorem ").repeated(20) + QStringLiteral("at the café now");
    const int width = metrics.horizontalAdvance(QLatin1Char('x')) * 40;
    spans = cafe.spansIn(longText);
    QString shown = SearchResultsPage::shownText(longText, &spans, metrics, width);
    QVERIFY2(shown.startsWith(QStringLiteral("…")), qPrintable(shown));
    const QString rest = shown.mid(1);
    QVERIFY(longText.endsWith(rest));
    QCOMPARE(longText.at(longText.size() - rest.size() - 1), QLatin1Char(' '));
    QVERIFY(!rest.startsWith(QLatin1Char(' ')));
    QCOMPARE(shown.mid(spans.first().start, spans.first().length), QStringLiteral("café"));
    QVERIFY(spans.first().start > 4);
    QVERIFY(metrics.horizontalAdvance(shown.left(spans.first().start + spans.first().length)) <= width);

    // A script without spaces is cut at any character.
    const QString cjk = QStringLiteral("我们明天见面吧").repeated(30) + QStringLiteral("去咖啡馆");
    spans = search::Query::parse(QStringLiteral("咖啡")).spansIn(cjk);
    shown = SearchResultsPage::shownText(cjk, &spans, metrics, width);
    QVERIFY2(shown.startsWith(QStringLiteral("…")), qPrintable(shown));
    QCOMPARE(shown.mid(spans.first().start, 2), QStringLiteral("咖啡"));
    QVERIFY(spans.first().start > 2);
    QVERIFY(metrics.horizontalAdvance(shown.left(spans.first().start + 2)) <= width);
}

void SearchTest::filtersConversationsByNameOrNumber()
{
    Window win;
    openBackup(win);
    type(win, QStringLiteral("anna"));
    QTRY_COMPARE(win.stack()->currentWidget(), results(win));
    QTRY_COMPARE(results(win)->conversationCount(), 1);
    QCOMPARE(rowTexts(win).mid(0, 2), (QStringList{QStringLiteral("Conversations"), QStringLiteral("Anna Lee")}));
    // No message matched, but the page is not empty: the summary says what it shows.
    QCOMPARE(results(win)->summary(), QStringLiteral("1 conversation"));
    QCOMPARE(results(win)->hitCount(), 0);

    // A number however it is typed.
    field(win)->selectAll();
    type(win, QStringLiteral("138 0000-1111"));
    QTRY_COMPARE(rowTexts(win).value(1), QStringLiteral("Anna Lee"));
    QCOMPARE(results(win)->conversationCount(), 1);
    field(win)->selectAll();
    type(win, QStringLiteral("555"));
    QTRY_COMPARE(rowTexts(win).value(1), QStringLiteral("5551234"));
    QCOMPARE(results(win)->conversationCount(), 1);

    // A click on a conversation opens it; the search is over.
    field(win)->selectAll();
    type(win, QStringLiteral("pat"));
    QTRY_COMPARE(rowTexts(win).value(1), QStringLiteral("Pat O'Neil"));
    clickRow(win, QStringLiteral("Pat O'Neil"));
    QTRY_COMPARE(win.page(), 2);
    QTRY_COMPARE(win.bubbleTexts(),
                 (QStringList{QStringLiteral("crème brûlée tonight"), QStringLiteral("我们明天见")}));
    QVERIFY(field(win)->text().isEmpty());
}

void SearchTest::ctrlFFocusesTheField()
{
    Window win;
    openBackup(win);
    win.list()->setFocus();
    QTest::keyClick(win.w.get(), Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(field(win)->hasFocus());
}

void SearchTest::anotherSourceEndsTheSearch()
{
    Window win;
    openBackup(win);
    type(win, QStringLiteral("cafe"));
    QTRY_COMPARE(results(win)->hitCount(), 3);
    win.list()->setCurrentRow(3);
    QTRY_COMPARE(win.conversationNames(), QStringList{QStringLiteral("Bob")});
    QCOMPARE(win.page(), 1);
    QVERIFY(field(win)->text().isEmpty());
    QCOMPARE(results(win)->hitCount(), 0);
    // The new source is searched.
    type(win, QStringLiteral("moved"));
    QTRY_COMPARE(results(win)->hitCount(), 1);
    QCOMPARE(rowTexts(win).value(1), QStringLiteral("Bob"));
}

void SearchTest::phoneBackupIsSearchedAlike()
{
    // A current phone's backup whose incoming text is only in attributedBody.
    using namespace modernfixtures;
    QTemporaryDir dir;
    Database db;
    db.handles = {{1, QStringLiteral("+34655443322"), QStringLiteral("iMessage"), QStringLiteral("es")}};
    db.chats = {{1, QStringLiteral("+34655443322"), 45, QVariant(), {1}}};
    const qint64 ns = 1000000000LL;
    // The thanks come with a file whose name is in no text.
    Attachment bill;
    bill.rowId = 1;
    bill.transferName = QStringLiteral("factura.pdf");
    bill.filename = QStringLiteral("~/Library/SMS/Attachments/ab/01/G/factura.pdf");
    db.attachments = {bill};
    db.messages = {Message{10, QVariant(), body("Mi dirección: Calle Mayor 5"), 1, 0, 700000000 * ns, {1}, {}, {}, {}},
                   Message{11, QStringLiteral("gracias"), QVariant(), 1, 1, 700000060 * ns, {1}, {1}, {}, {}}};
    const QString sms = makeModernDb(dir.filePath(QStringLiteral("sms.db")), db, Schema::Ios17);
    QFile file(sms);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString folder =
        QDir::homePath() + QStringLiteral("/.local/share/Apple Computer/MobileSync/Backup/00008110-SEARCH");
    backupbuilder::Options options;
    options.device.deviceName = QStringLiteral("Lucía's iPhone");
    QString error;
    const QString book = fixtures::makeAddressBook(
        dir.filePath(QStringLiteral("book.sqlitedb")),
        {{QStringLiteral("Lucía"), QStringLiteral("Martínez"), {{3, QStringLiteral("+34 655 44 33 22")}}}},
        fixtures::BookSchema::Ios15);
    QFile bookFile(book);
    QVERIFY(bookFile.open(QIODevice::ReadOnly));
    QVERIFY2(
        backupbuilder::writeBackup(
            folder,
            {{phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kMessagesPath, file.readAll()},
             {phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kAddressBookPath, bookFile.readAll()}},
            options, &error),
        qPrintable(error));
    const QByteArray before = fixtures::folderDigest(folder);

    Window win;
    win.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(win.w.get()));
    driver::whenModal(
        [](QWidget* modal) { return modal->findChild<QWidget*>(QStringLiteral("backupList")) != nullptr; },
        [](QWidget* modal) {
            QMetaObject::invokeMethod(
                modal,
                [modal] {
                    auto* list = modal->findChild<QTreeWidget*>(QStringLiteral("backupList"));
                    list->setCurrentItem(list->topLevelItem(0));
                    driver::click(modal, QStringLiteral("openButton"));
                },
                Qt::QueuedConnection);
        });
    win.w->openPhoneBackup();
    QTRY_COMPARE(win.conversationRows().size(), 1);
    QVERIFY2(shellkit::DialogSeam::shown().isEmpty(), qPrintable(harness::shownTexts().join(QLatin1Char('|'))));

    type(win, QStringLiteral("calle mayor"));
    QTRY_COMPARE(results(win)->hitCount(), 1);
    QCOMPARE(rowTexts(win).last(), QStringLiteral("Mi dirección: Calle Mayor 5"));
    // Found by an attachment's name: the row shows the name after the text,
    // its match marked.
    field(win)->selectAll();
    type(win, QStringLiteral("FACTURA"));
    QTRY_VERIFY(rowTexts(win).contains(QStringLiteral("gracias")));
    QCOMPARE(results(win)->hitCount(), 1);
    const QModelIndex hit = view(win)->model()->index(rowTexts(win).indexOf(QStringLiteral("gracias")), 0);
    QVERIFY(hit.isValid());
    QCOMPARE(namesShown(win, QStringLiteral("gracias")), QStringList{QStringLiteral("factura.pdf")});
    const QColor mark(255, 0, 255);
    results(win)->setMarkColor(mark);
    view(win)->scrollTo(hit);
    QTRY_VERIFY(view(win)->visualRect(hit).isValid());
    QTRY_VERIFY(markedPixels(win, hit, mark) > 20);
    // The text itself holds the match: no name follows.
    field(win)->selectAll();
    type(win, QStringLiteral("gracias"));
    QTRY_COMPARE(results(win)->summary(), QStringLiteral("1 message in 1 conversation"));
    QTRY_COMPARE(namesShown(win, QStringLiteral("gracias")), QStringList());

    field(win)->selectAll();
    type(win, QStringLiteral("calle mayor"));
    QTRY_COMPARE(rowTexts(win).last(), QStringLiteral("Mi dirección: Calle Mayor 5"));
    clickRow(win, QStringLiteral("Mi dirección: Calle Mayor 5"));
    QTRY_COMPARE(win.page(), 2);
    QCOMPARE(chat(win)->markedMessage(), qint64(10));
    QTRY_COMPARE(field(win)->countText(), QStringLiteral("1 of 1"));

    // The phone's backup is only read.
    QCOMPARE(fixtures::folderDigest(folder), before);
}

int main(int argc, char** argv)
{
    const auto home = harness::useTemporaryHome();
    QApplication app(argc, argv);
    SearchTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_search.moc"
