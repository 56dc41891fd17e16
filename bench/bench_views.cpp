// Times the conversation views offscreen with the default skin: a list of
// 2,000 conversations and a conversation of 5,000 messages until their first
// paint, scrolling each to its very end, and 20 round trips between two
// conversations with the growth of the process's resident memory.

#include "MessageStore.h"
#include "frame_page1.h"
#include "frame_page2.h"
#include "messageframe.h"
#include "smsChartCtrl.h"
#include "xresourceMgr.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

constexpr int listSize = 2000;
constexpr int chatSize = 5000;
constexpr int roundTrips = 20;

// Resident memory of this process in kB, 0 where /proc is not there.
long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

MessageRecord record(qint64 rowId, const QByteArray& address, const QByteArray& text, bool incoming)
{
    MessageRecord r;
    r.rowId = rowId;
    r.address = address;
    r.contactName = rowId % 3 ? QByteArray("NULL") : "Contact " + QByteArray::number(rowId);
    r.text = text;
    r.time = 1262304120; // time:Fri Jan 01 08:02:00 2010 in Asia/Shanghai
    r.isIncoming = incoming;
    return r;
}

QByteArray sampleText(int i)
{
    static const QByteArray texts[] = {
        "ok",
        "See you at the station at eight tomorrow, and bring the tickets please.",
        "\xe6\x96\xb0\xe5\xb9\xb4\xe5\xbf\xab\xe4\xb9\x90\xef\xbc\x81",
        "A longer message that wraps over several lines in its bubble because it goes on and on about the "
        "weather, the trains, the people on them and what everybody had for lunch on the way home.",
    };
    return texts[i % 4];
}

// Counts paint events of one widget.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget* w) { w->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void waitForPaint(PaintWatch& watch)
{
    const int before = watch.paints;
    QElapsedTimer guard;
    guard.start();
    while (watch.paints == before && guard.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

double ms(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    xresourceMgr skins;
    static const char* const names[] = {"default", nullptr};
    skins.registerSkin(names);
    skins.setSkin(QStringLiteral("default"));

    // A path that does not exist reads as empty; the records are made here.
    MessageStore store(dir.filePath(QStringLiteral("none.db")).toUtf8());
    for (int i = listSize; i >= 1; --i)
        store.conversationHeads.append(
            record(i, "1380000" + QByteArray::number(i).rightJustified(4, '0'), sampleText(i), i % 2));
    QVector<MessageRecord> big;
    QVector<MessageRecord> small;
    for (int i = 1; i <= chatSize; ++i)
        big.append(record(i, "13800001111", sampleText(i) + ' ' + QByteArray::number(i), i % 3 != 0));
    for (int i = 1; i <= 300; ++i)
        small.append(record(chatSize + i, "13800002222", sampleText(i), i % 2));

    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::printf("conversation views, offscreen, default skin\n");

    // The list page.
    {
        frame_page1 page(nullptr);
        page.resize(700, 500);
        auto* area = page.findChild<QScrollArea*>(QStringLiteral("scrollArea"));
        PaintWatch watch(area->widget());
        QElapsedTimer t;
        t.start();
        page.showConversations(&store);
        page.show();
        waitForPaint(watch);
        std::printf("list of %d conversations, first paint: %8.1f ms (%d rows made)\n", listSize, ms(t),
                    page.filledRowCount());
        t.restart();
        QScrollBar* bar = area->verticalScrollBar();
        while (page.filledRowCount() < page.conversationCount()) {
            bar->setValue(bar->maximum());
            QCoreApplication::processEvents();
        }
        bar->setValue(bar->maximum());
        waitForPaint(watch);
        const QList<messageframe*> rows = page.findChildren<messageframe*>();
        std::printf("  scrolled to the end:             %8.1f ms (%lld rows, last \"%s\")\n", ms(t),
                    qlonglong(rows.size()),
                    qPrintable(rows.last()->findChild<QLabel*>(QStringLiteral("label"))->text()));
    }

    // The chat page.
    frame_page2 page(nullptr);
    page.resize(700, 500);
    auto* ctrl = page.findChild<smsChartCtrl*>();
    PaintWatch watch(ctrl->widget());
    page.show();
    waitForPaint(watch);
    {
        store.conversation = big;
        QElapsedTimer t;
        t.start();
        page.loadConversation(&store);
        waitForPaint(watch);
        std::printf("chat of %d messages, first paint:  %8.1f ms (%d left to make)\n", chatSize, ms(t),
                    page.pendingBubbleCount());
    }

    // Round trips: back to the list, open the other one, paint, and again.
    auto back = [&page] { page.findChild<QToolButton*>(QStringLiteral("toolButtonMessageAndClear"))->click(); };
    auto open = [&](const QVector<MessageRecord>& conversation) {
        back();
        store.conversation = conversation;
        page.loadConversation(&store);
        waitForPaint(watch);
    };
    open(small);
    open(big);
    {
        const long before = residentKb();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < roundTrips; ++i) {
            open(small);
            open(big);
        }
        const long after = residentKb();
        std::printf("%d round trips (%d and 300 messages): %8.1f ms, resident %ld kB -> %ld kB (%+ld kB)\n", roundTrips,
                    chatSize, ms(t), before, after, after - before);
    }

    // The big conversation is open: scroll it to its very end.
    {
        QElapsedTimer t;
        t.start();
        QScrollBar* bar = ctrl->verticalScrollBar();
        while (page.pendingBubbleCount() > 0) {
            bar->setValue(bar->maximum());
            QCoreApplication::processEvents();
        }
        bar->setValue(bar->maximum());
        waitForPaint(watch);
        // The last block, its last widget: the oldest message.
        QLayout* last = ctrl->bubbleLayout->itemAt(ctrl->bubbleLayout->count() - 2)->widget()->layout();
        QWidget* oldest = last->itemAt(last->count() - 1)->widget();
        std::printf("chat scrolled to the end:          %8.1f ms (last bubble \"%s\"), resident %ld kB\n", ms(t),
                    qPrintable(oldest->findChild<QLabel*>()->text()), residentKb());
    }
    return 0;
}
