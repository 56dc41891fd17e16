// Shows the conversation views on a fixture backup file so that a person
// can look at them: views_demo <folder> writes list.png, chat.png (a
// conversation with one person), chat-copy.png (a Copy button offered),
// chat-edit.png (two bubbles selected), group.png (a group with senders,
// reactions, events, an edited and an unsent message) and list-edit.png
// there; views_demo without arguments keeps the pages open side by side.

#include "Frame.h"
#include "Frame1.h"
#include "ViewsTestSource.h"
#include "frame_page1.h"
#include "frame_page2.h"

#include <QDir>
#include <QLabel>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using viewstest::msg;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    viewstest::applySkin();
    qputenv("MSGDESK_TEST_DATA", MSGDESK_TEST_DATA_DIR);

    const QString peer = QStringLiteral("13912345678");
    int t = 1262304000;
    QList<fixtures::Msg> msgs = {
        msg(1, QStringLiteral("10086"), t, QStringLiteral("您的话费余额为 12.50 元。"), true),
        msg(2, peer, t += 600, QStringLiteral("Are we still on for Saturday?"), true),
        msg(3, peer, t += 60, QStringLiteral("Yes!"), false),
        msg(4, QStringLiteral("13800138000"), t += 60, QStringLiteral("新年快乐！"), true),
        msg(5, peer, t += 60,
            QStringLiteral("Great. I will bring the map and some sandwiches. We should leave early, before the "
                           "traffic starts, so let's meet at the station at seven and take the first train "
                           "out of town."),
            true),
        msg(6, peer, t += 60, QStringLiteral("ok"), false),
        msg(7, QStringLiteral("95555"), t += 60, QStringLiteral("Your code is 4711"), true),
        msg(8, peer, t += 60, QStringLiteral("See you there 😀👍\nDon't forget the tickets."), true),
        msg(9, peer, t += 60, QStringLiteral("I won't. Café at the corner first? Ça va?"), false),
        msg(10, peer, t += 60,
            QStringLiteral("Timetable: https://example.org/timetables/regional/line-7/saturday-morning-departures"
                           "-from-central-station.html"),
            true),
    };
    // A group of three, as a modern phone records it.
    const QString group = QStringLiteral("chat493817");
    msgs << msg(20, group, t + 60, QStringLiteral("Who is coming on Saturday?"), true)
         << msg(21, group, t + 120, QStringLiteral("Me! I will bring the map."), false)
         << msg(23, group, t + 180, QStringLiteral("Count me in, I can drive if we need a second car."), true)
         << msg(24, group, t + 240, QStringLiteral("Ben, we leave at seven"), true)
         << msg(25, group, t + 300, QStringLiteral("This message was unsent."), true)
         << msg(26, group, t + 360, QStringLiteral("Seven sharp, see you all at the station 🚉"), false);
    viewstest::Source src(
        msgs, {{QStringLiteral("Anna Berg"), peer}, {QStringLiteral("李雷"), QStringLiteral("13800138000")}});
    MessageStore& store = *src.store;
    ConversationInfo info;
    info.isGroup = true;
    info.displayName = "Trip to the lake";
    info.members = {"+15550101", "+15550102"};
    store.setConversationInfo(group.toUtf8(), info);
    store.setSenderName("+15550101", "Anna Berg");
    store.setSenderName("+15550102", "Ben Stone");
    store.addReaction(21, {90, 2000, "+15550101", {}});
    store.addReaction(21, {91, 2000, "+15550102", {}});
    store.addReaction(23, {92, 2001, {}, {}});
    ConversationEvent added;
    added.rowId = 22;
    added.kind = ConversationEvent::MemberAdded;
    added.actor = "+15550101";
    added.target = "+15550102";
    store.addEvent(group.toUtf8(), added);
    ConversationEvent named;
    named.rowId = 19;
    named.kind = ConversationEvent::Renamed;
    named.actor = "+15550101";
    named.title = "Trip to the lake";
    store.addEvent(group.toUtf8(), named);
    for (MessageRecord& head : store.conversationHeads)
        if (head.address == group.toUtf8())
            head.contactName = info.displayName;

    frame_page1 list(src.store.get());
    list.setWindowTitle(QStringLiteral("Conversations"));
    list.resize(700, 500);
    src.store->selectConversation(peer.toUtf8());
    frame_page2 chat(src.store.get());
    chat.setWindowTitle(QStringLiteral("Chat"));
    chat.resize(700, 500);
    chat.loadConversation(src.store.get());

    if (argc < 2) {
        list.move(0, 0);
        chat.move(720, 0);
        list.show();
        chat.show();
        return app.exec();
    }

    const QDir out(QString::fromLocal8Bit(argv[1]));
    list.show();
    chat.show();
    if (!QTest::qWaitForWindowExposed(&list) || !QTest::qWaitForWindowExposed(&chat))
        return 1;
    QTest::qWait(200);
    list.grab().save(out.filePath(QStringLiteral("list.png")));
    chat.grab().save(out.filePath(QStringLiteral("chat.png")));

    // A click on a message's text offers its Copy button.
    if (auto* text = chat.findChild<QLabel*>(QStringLiteral("specialButton")))
        QTest::mouseClick(text, Qt::LeftButton);
    QTest::qWait(100);
    chat.grab().save(out.filePath(QStringLiteral("chat-copy.png")));

    chat.findChild<QToolButton*>(QStringLiteral("pushButton_Edit"))->click();
    QTest::qWait(50);
    const QList<Frame1*> sent = chat.findChildren<Frame1*>();
    const QList<Frame*> received = chat.findChildren<Frame*>();
    if (sent.isEmpty() || received.isEmpty())
        return 1;
    QTest::mouseClick(sent.first()->findChild<QToolButton*>(QStringLiteral("itemFrame2222")), Qt::LeftButton);
    QTest::mouseClick(received.first()->findChild<QToolButton*>(QStringLiteral("itemFrame2222")), Qt::LeftButton);
    QTest::qWait(100);
    chat.grab().save(out.filePath(QStringLiteral("chat-edit.png")));

    // The group, as the main window opens it.
    chat.findChild<QToolButton*>(QStringLiteral("pushButton_Edit"))->click();
    store.selectConversation(group.toUtf8());
    for (MessageRecord& r : store.conversation) {
        if (r.isIncoming)
            r.sender = r.rowId == 23 ? "+15550102" : "+15550101";
        if (r.rowId == 25)
            r.flags = MessageRecord::Unsent;
        if (r.rowId == 26)
            r.flags = MessageRecord::Edited;
    }
    chat.loadConversation(&store);
    QTest::qWait(100);
    chat.grab().save(out.filePath(QStringLiteral("group.png")));

    list.findChild<QPushButton*>(QStringLiteral("pushButton_Edit"))->click();
    QTest::qWait(50);
    const QList<QToolButton*> minus = list.findChildren<QToolButton*>(QStringLiteral("toolButtonV"));
    if (!minus.isEmpty())
        minus.first()->click();
    QTest::qWait(100);
    list.grab().save(out.filePath(QStringLiteral("list-edit.png")));
    return 0;
}
