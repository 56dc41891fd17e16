// The main window's navigation list on a backup folder of fixture files:
// start-up, switching sources, the header row, the phone row without a
// phone, opening a conversation and deleting from it, the context menu,
// opening and removing backups, and BackUp without a phone.

#include "DialogDriver.h"
#include "MainWindowHarness.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

using harness::Window;

class NavigationTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startUpListsBackupsInNameOrder();
    void missingBackupFolderIsCreated();
    void choosingBackupShowsItsConversations();
    void headerRowKeepsTheSourceOnDisplay();
    void headerRowWithNothingOnDisplayClearsSelection();
    void rowOnDisplayIsNotReloaded();
    void phoneRowWithoutPhone();
    void deleteOnChatPageReachesListAndFile();
    void clearAllEmptiesTheConversation();
    void contextMenuOpensBackupFromElsewhere();
    void removeAsksFirst();
    void removeSourceOnDisplayLeavesNothingBehind();
    void removeFileListedTwice();
    void nonAsciiFileNameIsListedAndRemoved();
    void removePhoneRow();
    void backUpWithoutPhone();
    void vanishedBackupIsReported();
    void failedDeleteIsShown();
    void damagedBackupShowsNothingAndStaysAsItIs();
};

void NavigationTest::init()
{
    harness::resetSeams();
    harness::seedBackupFolder();
}

void NavigationTest::cleanup()
{
    QCOMPARE(shellkit::DialogSeam::pendingAnswers(), 0);
    QCOMPARE(shellkit::DialogSeam::unanswered(), 0);
}

void NavigationTest::startUpListsBackupsInNameOrder()
{
    Window win;
    QStringList expected{QStringLiteral("iPhone Lost"), QStringLiteral("BACKUP FILES")};
    expected += harness::backupNames();
    QCOMPARE(win.rowTexts(), expected);
    QVERIFY(!(win.list()->item(1)->flags() & Qt::ItemIsSelectable));
    QCOMPARE(win.list()->currentRow(), -1);
    QCOMPARE(win.page(), 0);
    QVERIFY(win.w->findChild<QLabel*>(QStringLiteral("startNoDevice")));
    QCOMPARE(win.w->findChild<QLabel*>(QStringLiteral("label"))->text(),
             QStringLiteral("SMS:0\nContact:0\niPhone Serial:No device"));
    QCOMPARE(win.w->findChild<QPushButton*>(QStringLiteral("pushButtonBACKUP"))->toolTip(),
             QStringLiteral("BackUp iPhone SMS to Computer"));
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());
}

void NavigationTest::missingBackupFolderIsCreated()
{
    QVERIFY(QDir(harness::backupFolder()).removeRecursively());
    Window win;
    QVERIFY(QFileInfo(harness::backupFolder()).isDir());
    QCOMPARE(win.list()->count(), 2);
}

void NavigationTest::choosingBackupShowsItsConversations()
{
    Window win;
    win.list()->setCurrentRow(2);
    QCOMPARE(win.page(), 1);
    // Latest conversation first; names come from the backup's own contacts.
    QTRY_COMPARE(win.conversationNames(), QStringList({QStringLiteral("Anna Lee"), QStringLiteral("Pat O'Neil")}));

    win.list()->setCurrentRow(3);
    QCOMPARE(win.page(), 1);
    QTRY_COMPARE(win.conversationNames(), QStringList{QStringLiteral("Bob")});
    win.list()->setCurrentRow(4);
    QTRY_COMPARE(win.conversationNames(), QStringList{QStringLiteral("10010")});
}

void NavigationTest::headerRowKeepsTheSourceOnDisplay()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    win.list()->setCurrentRow(1);
    QCOMPARE(win.list()->currentRow(), 2);
    QCOMPARE(win.page(), 1);

    // The loaded messages are all still there: a conversation opened now
    // shows every message of it.
    win.openConversation(1);
    QTRY_COMPARE(win.bubbleTexts(), QStringList({QStringLiteral("hello"), QStringLiteral("yes")}));
}

void NavigationTest::headerRowWithNothingOnDisplayClearsSelection()
{
    Window win;
    win.list()->setCurrentRow(1);
    QCOMPARE(win.list()->currentRow(), -1);
    QVERIFY(win.list()->selectedItems().isEmpty());
    QCOMPARE(win.page(), 0);
}

void NavigationTest::rowOnDisplayIsNotReloaded()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    // The file is replaced behind the window's back ...
    fixtures::makeBackupFile(harness::backupPath(0),
                             {{1, QStringLiteral("999"), 9000, QStringLiteral("new"), 2},
                              {2, QStringLiteral("998"), 9100, QStringLiteral("newer"), 2},
                              {3, QStringLiteral("997"), 9200, QStringLiteral("newest"), 2}},
                             {});
    // ... choosing the header puts the selection back on row 2 without a reload.
    win.list()->setCurrentRow(1);
    QCOMPARE(win.list()->currentRow(), 2);
    QCOMPARE(win.conversationRows().size(), 2);
    // Another source and back: now it is read again.
    win.list()->setCurrentRow(3);
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationNames(),
                 QStringList({QStringLiteral("997"), QStringLiteral("998"), QStringLiteral("999")}));
}

void NavigationTest::phoneRowWithoutPhone()
{
    Window win;
    win.list()->setCurrentRow(0);
    QCOMPARE(win.page(), 0);
    QCOMPARE(win.list()->currentRow(), 0);

    win.list()->setCurrentRow(2);
    QCOMPARE(win.page(), 1);
    win.openConversation(0);
    // Leaving the chat page for the phone row shows the start page again.
    win.list()->setCurrentRow(0);
    QCOMPARE(win.page(), 0);
    QCOMPARE(win.list()->currentRow(), 0);
    win.list()->setCurrentRow(2);
    QCOMPARE(win.page(), 1);
    QTRY_COMPARE(win.conversationRows().size(), 2);
}

void NavigationTest::deleteOnChatPageReachesListAndFile()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    win.openConversation(0); // Anna Lee: "are you there?" and "你好 😀"

    QWidget* chat = win.chatPage();
    QTRY_COMPARE(win.bubbleTexts(), QStringList({QStringLiteral("are you there?"), QStringLiteral("你好 😀")}));
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    QFrame* bubble = nullptr;
    const auto frames = chat->findChildren<QFrame*>();
    for (QFrame* f : frames) {
        auto* text = f->findChild<QLabel*>(QStringLiteral("specialButton"));
        if (f->inherits("Frame") && text && text->text() == QStringLiteral("are you there?"))
            bubble = f;
    }
    QVERIFY(bubble);
    auto* select = bubble->findChild<QToolButton*>(QStringLiteral("itemFrame2222"));
    QVERIFY(select);
    QTRY_VERIFY(select->isVisible());
    QTest::mouseClick(select, Qt::LeftButton);
    auto* deleteButton = chat->findChild<QPushButton*>(QStringLiteral("pushButton_3"));
    QTRY_VERIFY(deleteButton->isEnabled());
    QTest::mouseClick(deleteButton, Qt::LeftButton);

    QCOMPARE(fixtures::column(harness::backupPath(0), QStringLiteral("select text from message order by rowid")),
             QStringList({QStringLiteral("hello"), QStringLiteral("yes"), QStringLiteral("你好 😀")}));

    // Done, then back to the list: still two conversations, Anna's latest on top.
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("toolButtonMessageAndClear")), Qt::LeftButton);
    QTRY_COMPARE(win.page(), 1);
    QTRY_COMPARE(win.conversationNames(), QStringList({QStringLiteral("Anna Lee"), QStringLiteral("Pat O'Neil")}));
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());
}

void NavigationTest::clearAllEmptiesTheConversation()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    win.openConversation(1); // Pat O'Neil, 10086
    QWidget* chat = win.chatPage();
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    shellkit::DialogSeam::pushAnswer(0); // yes, delete them
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("toolButtonMessageAndClear")), Qt::LeftButton);
    QCOMPARE(fixtures::column(harness::backupPath(0), QStringLiteral("select address from message order by rowid")),
             QStringList({QStringLiteral("138-0000-1111"), QStringLiteral("13800001111")}));
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("toolButtonMessageAndClear")), Qt::LeftButton);
    QTRY_COMPARE(win.page(), 1);
    QTRY_COMPARE(win.conversationNames(), QStringList{QStringLiteral("Anna Lee")});
}

void NavigationTest::contextMenuOpensBackupFromElsewhere()
{
    QTemporaryDir elsewhere;
    const QString outside = elsewhere.filePath(QStringLiteral("friend.sms"));
    fixtures::makeBackupFile(outside, {{1, QStringLiteral("4321"), 100, QStringLiteral("from afar"), 2}}, {});

    Window win;
    for (int round = 0; round < 2; ++round) {
        QStringList menuTexts;
        QString title;
        QString filters;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY2(menu, "no context menu");
            const auto actions = menu->actions();
            for (QAction* a : actions)
                menuTexts << a->text();
            driver::answerFileDialog(outside, &title, &filters);
            actions.first()->trigger();
            menu->close();
        });
        QWidget* viewport = win.list()->viewport();
        const QPoint at = win.list()->visualItemRect(win.list()->item(2)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
        QTRY_COMPARE(win.list()->count(), 6 + round + 1);
        QCOMPARE(menuTexts, QStringList({QStringLiteral("Open"), QStringLiteral("Remove")}));
        QCOMPARE(title, QStringLiteral("Open a BackUp"));
        QCOMPARE(filters, QStringLiteral("sms(*.sms)"));
    }
    // Opening the same file twice gives two rows; the newest is shown.
    QCOMPARE(win.rowTexts().mid(6), QStringList({QStringLiteral("friend.sms"), QStringLiteral("friend.sms")}));
    QCOMPARE(win.list()->currentRow(), 7);
    QTRY_COMPARE(win.conversationNames(), QStringList{QStringLiteral("4321")});
    // Nothing was copied into the backup folder.
    QVERIFY(!QFile::exists(harness::backupFolder() + QStringLiteral("/friend.sms")));

    // Cancelling the file dialog adds nothing.
    driver::answerFileDialog(QString());
    win.w->findChild<QAction*>(QStringLiteral("actionOpne"))->trigger();
    QCOMPARE(win.list()->count(), 8);
}

void NavigationTest::removeAsksFirst()
{
    Window win;
    win.list()->setCurrentRow(3);
    QAction* remove = win.w->findChild<QAction*>(QStringLiteral("actionDelete"));

    shellkit::DialogSeam::pushAnswer(1); // cancel
    remove->trigger();
    QVERIFY(QFile::exists(harness::backupPath(1)));
    QCOMPARE(win.list()->count(), 6);

    shellkit::DialogSeam::pushAnswer(0); // confirm
    remove->trigger();
    QVERIFY(!QFile::exists(harness::backupPath(1)));
    QCOMPARE(win.rowTexts().mid(2),
             QStringList({harness::backupNames().at(0), harness::backupNames().at(2), harness::backupNames().at(3)}));
    QCOMPARE(harness::shownTexts(), QStringList({QStringLiteral("Warning: Are you sure to do this?"),
                                                 QStringLiteral("Warning: Are you sure to do this?")}));
    // Rows and files still belong together after the removal.
    win.list()->setCurrentRow(3);
    QTRY_COMPARE(win.conversationNames(), QStringList{QStringLiteral("10010")});
    win.list()->setCurrentRow(4);
    QTRY_COMPARE(win.conversationNames(), QStringList{QStringLiteral("777")});
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    // The other files are untouched.
    QVERIFY(QFile::exists(harness::backupPath(0)) && QFile::exists(harness::backupPath(2)));
}

void NavigationTest::removeSourceOnDisplayLeavesNothingBehind()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    win.openConversation(0);

    shellkit::DialogSeam::pushAnswer(0);
    win.w->findChild<QAction*>(QStringLiteral("actionDelete"))->trigger();
    QVERIFY(!QFile::exists(harness::backupPath(0)));
    QCOMPARE(win.page(), 0);
    QCOMPARE(win.list()->currentRow(), -1);
    QCOMPARE(win.list()->count(), 5);
    // Nothing is on display any more: the header clears the selection, the
    // next row loads its own file, and Copy has nothing to write.
    win.list()->setCurrentRow(1);
    QCOMPARE(win.list()->currentRow(), -1);
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationNames(), QStringList{QStringLiteral("Bob")});
}

void NavigationTest::removeFileListedTwice()
{
    Window win;
    // The first backup listed a second time, through the file dialog.
    driver::answerFileDialog(harness::backupPath(0));
    win.w->findChild<QAction*>(QStringLiteral("actionOpne"))->trigger();
    QCOMPARE(win.list()->count(), 7);
    QCOMPARE(win.list()->currentRow(), 6);
    win.list()->setCurrentRow(3);

    win.list()->setCurrentRow(2);
    shellkit::DialogSeam::pushAnswer(0);
    win.w->findChild<QAction*>(QStringLiteral("actionDelete"))->trigger();
    QVERIFY(!QFile::exists(harness::backupPath(0)));
    // Both rows of the file went; no row points at the deleted file.
    QCOMPARE(win.rowTexts().mid(2), harness::backupNames().mid(1));
    for (int row = 2; row < win.list()->count(); ++row) {
        win.list()->setCurrentRow(row);
        QTRY_COMPARE(win.conversationRows().size(), 1);
    }
}

void NavigationTest::nonAsciiFileNameIsListedAndRemoved()
{
    QTemporaryDir elsewhere;
    const QString outside = elsewhere.filePath(QStringLiteral("短信 Zoë.sms"));
    fixtures::makeBackupFile(outside, {{1, QStringLiteral("4321"), 100, QStringLiteral("from afar"), 2}}, {});
    Window win;
    driver::answerFileDialog(outside);
    win.w->findChild<QAction*>(QStringLiteral("actionOpne"))->trigger();
    QCOMPARE(win.list()->item(6)->text(), QStringLiteral("短信 Zoë.sms"));
    QTRY_COMPARE(win.conversationNames(), QStringList{QStringLiteral("4321")});

    shellkit::DialogSeam::pushAnswer(0);
    win.w->findChild<QAction*>(QStringLiteral("actionDelete"))->trigger();
    QVERIFY(!QFile::exists(outside));
    QCOMPARE(win.list()->count(), 6);
}

void NavigationTest::removePhoneRow()
{
    Window win;
    win.list()->setCurrentRow(0);
    shellkit::DialogSeam::pushAnswer(0);
    win.w->findChild<QAction*>(QStringLiteral("actionDelete"))->trigger();
    QCOMPARE(win.list()->item(0)->text(), QStringLiteral("iPhone Lost"));
    QCOMPARE(win.list()->count(), 6);
    for (int i = 0; i < 4; ++i)
        QVERIFY(QFile::exists(harness::backupPath(i)));

    // BackUp then refuses: no phone.
    shellkit::DialogSeam::pushAnswer(0);
    QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("pushButtonBACKUP")), Qt::LeftButton);
    QCOMPARE(harness::shownTexts().last(),
             QStringLiteral("Information: Please make sure that iPhone has been connected."));
}

void NavigationTest::backUpWithoutPhone()
{
    Window win;
    win.list()->setCurrentRow(2);
    shellkit::DialogSeam::pushAnswer(0);
    shellkit::DialogSeam::pushAnswer(0);
    QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("pushButtonBACKUP")), Qt::LeftButton);
    win.w->findChild<QAction*>(QStringLiteral("actionBackUp"))->trigger();
    QCOMPARE(harness::shownTexts(),
             QStringList({QStringLiteral("Information: Please make sure that iPhone has been connected."),
                          QStringLiteral("Information: Please make sure that iPhone has been connected.")}));
    QCOMPARE(win.list()->count(), 6);
    QCOMPARE(QDir(harness::backupFolder()).entryList({QStringLiteral("*.sms")}, QDir::Files).size(), 4);
}

void NavigationTest::vanishedBackupIsReported()
{
    Window win;
    QVERIFY(QFile::remove(harness::backupPath(2)));
    shellkit::DialogSeam::pushAnswer(0);
    win.list()->setCurrentRow(4);
    QCOMPARE(shellkit::DialogSeam::shown().size(), 1);
    QCOMPARE(shellkit::DialogSeam::shown().first().title, QStringLiteral("Warning"));
    QVERIFY(shellkit::DialogSeam::shown().first().text.contains(harness::backupPath(2)));
    QCOMPARE(win.page(), 1);
    QCOMPARE(win.conversationRows().size(), 0);
    // Reading it did not bring an empty file into being.
    QVERIFY(!QFile::exists(harness::backupPath(2)));
}

void NavigationTest::failedDeleteIsShown()
{
    // A backup whose message table refuses deletes.
    QCOMPARE(fixtures::exec(harness::backupPath(2), QStringLiteral("create trigger keep before delete on message "
                                                                   "begin select raise(abort, 'kept'); end")),
             0);
    Window win;
    win.list()->setCurrentRow(4);
    QTRY_COMPARE(win.conversationRows().size(), 1);
    win.openConversation(0);
    QWidget* chat = win.chatPage();
    QTRY_COMPARE(win.bubbleTexts(), QStringList{QStringLiteral("Welcome")});
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    shellkit::DialogSeam::pushAnswer(0); // yes, clear all
    shellkit::DialogSeam::pushAnswer(0); // the error box
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("toolButtonMessageAndClear")), Qt::LeftButton);
    // The box comes once the delete has returned.
    QTRY_COMPARE(harness::shownTexts().last(), QStringLiteral("Error: Delete Error"));
    QCOMPARE(fixtures::column(harness::backupPath(2), QStringLiteral("select text from message")),
             QStringList{QStringLiteral("Welcome")});
}

void NavigationTest::damagedBackupShowsNothingAndStaysAsItIs()
{
    const QByteArray garbage = QByteArray("SQLite format 3") + QByteArray(600, '\xff');
    {
        QFile f(harness::backupPath(3));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(garbage);
    }
    Window win;
    win.list()->setCurrentRow(5);
    QCOMPARE(win.page(), 1);
    QCOMPARE(win.conversationRows().size(), 0);
    QFile f(harness::backupPath(3));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), garbage);
    // The other sources still work.
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
}

int main(int argc, char** argv)
{
    const auto home = harness::useTemporaryHome();
    QApplication app(argc, argv);
    NavigationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_navigation.moc"
