// Times the conversation views offscreen with the default skin, against a
// plain QListView of the same rows as the yardstick: chats of 1,000, 5,000
// and 20,000 messages, lists of 2,000 and 20,000 conversations, and the bad
// inputs (one message of 1 MB of text without a space, a conversation of
// 100,000 one-character messages, a list where every name is 500
// characters). For each: the first paint, scrolling to the end the way a
// user drags the scroll bar (200 steps, each painted before the next), the
// longest single step on the GUI thread, and the peak memory of the process.
//
// The "photo" case is a chat of 20,000 messages of which 5,000 carry a
// photo (1600 x 1200 JPEG files), decoded into thumbnails on worker threads
// while the page scrolls; its memory goal allows for the thumbnail cache.
//
// Last, what one bubble and one row widget cost to make, fill and paint,
// with the skin and with no style sheet at all (bench_views --widgets MODE).
//
// Each case runs in a fresh child process (bench_views --case NAME VIEW),
// so that its peak memory is its own; the parent prints the figures and one
// line per goal ending in "met" or "MISSED".

#include "AttachmentFiles.h"
#include "BubbleFrame.h"
#include "Frame.h"
#include "MessageStore.h"
#include "frame_page1.h"
#include "frame_page2.h"
#include "messageframe.h"
#include "PaintWatch.h"
#include "smsChartCtrl.h"
#include "xresourceMgr.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QListView>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringListModel>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kSteps = 200;
constexpr double kFirstPaintGoalMs = 150;
constexpr double kScrollRatioGoal = 1.5;
constexpr double kPeakGoalMb = 150;
constexpr double kStepGoalMs = 100;
constexpr double kPhotoPeakGoalMb = 250;
constexpr int kPhotoFiles = 40;

struct Case
{
    const char* name;
    bool chat;
    int count;
    bool badInput; // measured for its longest step; a QListView has no answer to compare with
    const char* what;
};

const Case kCases[] = {
    {"chat1000", true, 1000, false, "chat of 1,000 messages"},
    {"chat5000", true, 5000, false, "chat of 5,000 messages"},
    {"chat20000", true, 20000, false, "chat of 20,000 messages"},
    {"photo", true, 20000, false, "chat of 20,000 messages, 5,000 of them photos"},
    {"list2000", false, 2000, false, "list of 2,000 conversations"},
    {"list20000", false, 20000, false, "list of 20,000 conversations"},
    {"huge", true, 3, true, "chat with one message of 1 MB without spaces"},
    {"tiny100k", true, 100000, true, "chat of 100,000 one-character messages"},
    {"names500", false, 2000, true, "list of 2,000 conversations, names of 500 characters"},
};

// Peak resident memory of this process in kB, 0 where /proc is not there.
long peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
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

MessageRecord record(qint64 rowId, const QByteArray& address, const QByteArray& text, bool incoming)
{
    MessageRecord r;
    r.rowId = rowId;
    r.address = address;
    r.contactName = rowId % 3 ? QByteArray("NULL") : "Contact " + QByteArray::number(rowId);
    r.text = text;
    r.time = 1262304120 + rowId * 60;
    r.isIncoming = incoming;
    return r;
}

QByteArray hugeText()
{
    QByteArray text(1 << 20, 'a');
    QRandomGenerator rng(7);
    for (char& c : text)
        c = char('a' + rng.bounded(26));
    return text;
}

// The photo case's files: a few real JPEGs that the 5,000 attachments
// name in turn, each under a path of its own, so every one is decoded.
class PhotoFiles : public AttachmentFiles
{
public:
    explicit PhotoFiles(const QString& folder) : m_folder(folder)
    {
        for (int i = 0; i < kPhotoFiles; ++i) {
            QImage image(1600, 1200, QImage::Format_RGB32);
            image.fill(QColor::fromHsv((i * 37) % 360, 120, 220));
            QPainter p(&image);
            p.setBrush(QColor::fromHsv((i * 91) % 360, 200, 120));
            p.drawEllipse(QPoint(400 + i * 20, 600), 300, 300);
            p.end();
            image.save(fileOf(i), "JPEG", 85);
        }
    }
    bool isPresent(const AttachmentRecord&) override { return true; }
    QString localFile(const AttachmentRecord& a, QString*) override { return fileOf(int(a.bytes % kPhotoFiles)); }

private:
    QString fileOf(int i) const { return m_folder + QStringLiteral("/photo%1.jpg").arg(i); }
    QString m_folder;
};

void fillStore(MessageStore& store, const Case& c)
{
    const QByteArray name = c.name;
    if (name == "photo") {
        for (int i = 1; i <= c.count; ++i) {
            store.conversation.append(record(i, "13800001111", sampleText(i) + ' ' + QByteArray::number(i), i % 3));
            if (i % 4 != 0)
                continue;
            AttachmentRecord a;
            a.name = "IMG_" + QByteArray::number(i) + ".JPG";
            a.mimeType = "image/jpeg";
            a.bytes = i;
            a.relativePath = "Library/SMS/Attachments/00/00/" + QByteArray::number(i) + "/" + a.name;
            store.addAttachment(i, a);
        }
        return;
    }
    if (c.chat) {
        for (int i = 1; i <= c.count; ++i) {
            QByteArray text;
            if (name == "huge")
                text = i == 2 ? hugeText() : sampleText(i);
            else if (name == "tiny100k")
                text = QByteArray(1, char('a' + i % 26));
            else
                text = sampleText(i) + ' ' + QByteArray::number(i);
            store.conversation.append(record(i, "13800001111", text, i % 3 != 0));
        }
        return;
    }
    for (int i = c.count; i >= 1; --i) {
        MessageRecord r = record(i, "1380000" + QByteArray::number(i).rightJustified(5, '0'), sampleText(i), i % 2);
        if (name == "names500") {
            QByteArray n = "Name " + QByteArray::number(i) + ' ';
            while (n.size() < 500)
                n += "Maximiliane Alexandra Theodora ";
            r.contactName = n.left(500);
        }
        store.conversationHeads.append(r);
    }
}

// The same rows as plain strings, for the yardstick.
QStringList plainRows(const MessageStore& store, bool chat)
{
    QStringList rows;
    if (chat) {
        for (const MessageRecord& r : store.conversation)
            rows.prepend(QString::fromUtf8(r.text));
        return rows;
    }
    for (const MessageRecord& r : store.conversationHeads) {
        const QString name = r.contactName == "NULL" ? QString::fromUtf8(r.address) : QString::fromUtf8(r.contactName);
        rows.append(name + QStringLiteral("  ") + QString::fromUtf8(r.timeText()).trimmed() + QLatin1Char('\n') +
                    QString::fromUtf8(r.text.left(640)));
    }
    return rows;
}

using benchsupport::PaintWatch;

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

struct Figures
{
    double firstPaint = 0;
    double scroll = 0;
    double longestStep = 0;
    long peak = 0;
    int widgets = 0;
    QString last;
};

// Drags the bar from top to bottom in kSteps steps, each painted.
void scrollThrough(QScrollBar* bar, PaintWatch& watch, Figures& f)
{
    QElapsedTimer all;
    all.start();
    for (int k = 1; k <= kSteps; ++k) {
        QElapsedTimer step;
        step.start();
        // The range may still change as estimates become exact; aim at the end as it is now.
        const int target =
            k == kSteps ? bar->maximum() : bar->value() + (bar->maximum() - bar->value()) / (kSteps - k + 1);
        bar->setValue(target);
        watch.waitForPaint();
        f.longestStep = std::max(f.longestStep, ms(step.nsecsElapsed()));
    }
    // The estimates may have moved the end while the last steps were made.
    while (bar->value() < bar->maximum()) {
        QElapsedTimer step;
        step.start();
        bar->setValue(bar->maximum());
        watch.waitForPaint();
        f.longestStep = std::max(f.longestStep, ms(step.nsecsElapsed()));
    }
    f.scroll = ms(all.nsecsElapsed());
}

Figures runPage(const Case& c, MessageStore& store, AttachmentFiles* files)
{
    Figures f;
    QWidget* page = nullptr;
    QScrollBar* bar = nullptr;
    std::function<void()> load;
    std::unique_ptr<frame_page1> list;
    std::unique_ptr<frame_page2> chat;
    if (c.chat) {
        chat = std::make_unique<frame_page2>(nullptr);
        page = chat.get();
        bar = chat->findChild<smsChartCtrl*>()->verticalScrollBar();
        load = [&] {
            chat->setAttachmentFiles(files);
            chat->loadConversation(&store);
        };
    } else {
        list = std::make_unique<frame_page1>(nullptr);
        page = list.get();
        bar = list->findChild<QScrollArea*>(QStringLiteral("scrollArea"))->verticalScrollBar();
        load = [&] { list->showConversations(&store); };
    }
    page->resize(700, 500);
    PaintWatch watch(page);
    page->show();
    watch.waitForPaint();

    QElapsedTimer t;
    t.start();
    load();
    watch.waitForPaint();
    f.firstPaint = ms(t.nsecsElapsed());
    f.longestStep = f.firstPaint;
    scrollThrough(bar, watch, f);
    f.peak = peakKb();
    if (c.chat) {
        f.widgets = int(page->findChildren<BubbleFrame*>().size());
        QList<BubbleFrame*> shown;
        for (BubbleFrame* b : page->findChildren<BubbleFrame*>())
            if (b->isVisible())
                shown.append(b);
        std::sort(shown.begin(), shown.end(), [](BubbleFrame* a, BubbleFrame* b) { return a->y() < b->y(); });
        if (!shown.isEmpty())
            f.last = shown.last()->messageText().left(20);
    } else {
        f.widgets = int(page->findChildren<messageframe*>().size());
        QList<messageframe*> shown;
        for (messageframe* r : page->findChildren<messageframe*>())
            if (r->isVisible())
                shown.append(r);
        std::sort(shown.begin(), shown.end(), [](messageframe* a, messageframe* b) { return a->y() < b->y(); });
        if (!shown.isEmpty())
            f.last = shown.last()->number();
    }
    return f;
}

Figures runYardstick(const Case& c, MessageStore& store)
{
    Figures f;
    QListView view;
    view.resize(700, 500);
    view.setWordWrap(true);
    view.setUniformItemSizes(false);
    PaintWatch watch(&view);
    view.show();
    watch.waitForPaint();

    QElapsedTimer t;
    t.start();
    QStringListModel model(plainRows(store, c.chat));
    view.setModel(&model);
    watch.waitForPaint();
    f.firstPaint = ms(t.nsecsElapsed());
    f.longestStep = f.firstPaint;
    scrollThrough(view.verticalScrollBar(), watch, f);
    f.peak = peakKb();
    f.widgets = 1;
    f.last = model.index(model.rowCount() - 1).data().toString().left(20);
    return f;
}

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

// Makes count bubbles (or rows) on a shown canvas, fills and paints them.
int runWidgets(bool skin)
{
    constexpr int count = 300;
    xresourceMgr skins;
    if (skin) {
        static const char* const names[] = {"default", nullptr};
        skins.registerSkin(names);
        skins.setSkin(QStringLiteral("default"));
    }
    for (bool rows : {false, true}) {
        QWidget canvas;
        canvas.resize(700, 500);
        PaintWatch watch(&canvas);
        canvas.show();
        watch.waitForPaint();
        const long before = residentKb();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < count; ++i) {
            QWidget* w = nullptr;
            if (rows) {
                auto* row = new messageframe(&canvas);
                row->setContents(QStringLiteral("Contact %1").arg(i), QStringLiteral("time:Fri Jan 01 08:02:00 2010"),
                                 QString::fromUtf8(sampleText(i)));
                w = row;
            } else {
                auto* bubble = new Frame(&canvas);
                bubble->setMessageText(QString::fromUtf8(sampleText(i)));
                w = bubble;
            }
            w->setGeometry(0, (i % 10) * 50, 700, 50);
            w->show();
            if (i % 10 == 9)
                watch.waitForPaint();
        }
        const double each = ms(t.nsecsElapsed()) / count;
        const double kib = double(residentKb() - before) / count;
        std::printf("RESULT %s %.3f %.1f\n", rows ? "row" : "bubble", each, kib);
    }
    return 0;
}

const Case* findCase(const QByteArray& name)
{
    for (const Case& c : kCases)
        if (name == c.name)
            return &c;
    return nullptr;
}

int runChild(const Case& c, bool yardstick)
{
    QTemporaryDir dir;
    xresourceMgr skins;
    static const char* const names[] = {"default", nullptr};
    skins.registerSkin(names);
    skins.setSkin(QStringLiteral("default"));
    // A path that does not exist reads as empty; the records are made here.
    MessageStore store(dir.filePath(QStringLiteral("none.db")).toUtf8());
    fillStore(store, c);
    std::unique_ptr<PhotoFiles> photos;
    if (QByteArray(c.name) == "photo" && !yardstick)
        photos = std::make_unique<PhotoFiles>(dir.path());
    const Figures f = yardstick ? runYardstick(c, store) : runPage(c, store, photos.get());
    std::printf("RESULT %.2f %.2f %.2f %ld %d %s\n", f.firstPaint, f.scroll, f.longestStep, f.peak, f.widgets,
                qPrintable(QString(f.last).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    return 0;
}

bool childFigures(const QString& self, const Case& c, const char* view, Figures* f)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(self, {QStringLiteral("--case"), QString::fromLatin1(c.name), QString::fromLatin1(view)});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return false;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        if (!line.startsWith("RESULT "))
            continue;
        const QList<QByteArray> p = line.mid(7).split(' ');
        if (p.size() < 5)
            return false;
        f->firstPaint = p[0].toDouble();
        f->scroll = p[1].toDouble();
        f->longestStep = p[2].toDouble();
        f->peak = p[3].toLong();
        f->widgets = p[4].toInt();
        f->last = QString::fromUtf8(line.mid(7).split(' ').mid(5).join(' '));
        return true;
    }
    return false;
}

const char* verdict(bool ok)
{
    return ok ? "met" : "MISSED";
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && QByteArray(argv[1]) == "--widgets") {
        QApplication app(argc, argv);
        return runWidgets(QByteArray(argv[2]) == "skin");
    }
    if (argc == 4 && QByteArray(argv[1]) == "--case") {
        QApplication app(argc, argv);
        const Case* c = findCase(argv[2]);
        if (!c)
            return 2;
        return runChild(*c, QByteArray(argv[3]) == "listview");
    }

    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::printf("conversation views, offscreen, default skin, %d painted scroll-bar steps to the end\n", kSteps);
    std::printf("each case and its QListView yardstick in a fresh process of its own\n\n");
    int missed = 0;
    const QStringList only = app.arguments().mid(1);
    for (const Case& c : kCases) {
        if (!only.isEmpty() && !only.contains(QString::fromLatin1(c.name)))
            continue;
        Figures page;
        Figures view;
        // A QListView of word-wrapped rows lays out a 1 MB row for minutes;
        // the bad inputs have only the goal of their longest step.
        if (!childFigures(self, c, "page", &page) || (!c.badInput && !childFigures(self, c, "listview", &view))) {
            std::printf("%s: a child process failed\n", c.what);
            ++missed;
            continue;
        }
        const double ratio = view.scroll > 0 ? page.scroll / view.scroll : 0;
        std::printf("%s\n", c.what);
        std::printf("  page:     first paint %8.1f ms, to the end %8.1f ms, longest step %6.1f ms, peak %6.1f MB, "
                    "%d row/bubble widgets, last \"%s\"\n",
                    page.firstPaint, page.scroll, page.longestStep, page.peak / 1024.0, page.widgets,
                    qPrintable(page.last));
        if (!c.badInput)
            std::printf("  QListView first paint %8.1f ms, to the end %8.1f ms, longest step %6.1f ms, peak %6.1f MB\n",
                        view.firstPaint, view.scroll, view.longestStep, view.peak / 1024.0);

        if (!c.badInput) {
            const bool paintOk = page.firstPaint <= kFirstPaintGoalMs;
            const bool scrollOk = ratio <= kScrollRatioGoal;
            // The photo case's goal lines name it, so they can be told apart.
            const char* label = QByteArray(c.name) == "photo" ? "photo " : "";
            std::printf("  goal: %sfirst paint <= %.0f ms: %.1f ms: %s\n", label, kFirstPaintGoalMs, page.firstPaint,
                        verdict(paintOk));
            std::printf("  goal: %sto the end within %.1fx the QListView: %.2fx: %s\n", label, kScrollRatioGoal, ratio,
                        verdict(scrollOk));
            missed += paintOk ? 0 : 1;
            missed += scrollOk ? 0 : 1;
            if (c.count >= 20000) {
                const double peakGoal = *label ? kPhotoPeakGoalMb : kPeakGoalMb;
                const bool peakOk = page.peak / 1024.0 <= peakGoal;
                std::printf("  goal: %speak memory <= %.0f MB: %.1f MB: %s\n", label, peakGoal, page.peak / 1024.0,
                            verdict(peakOk));
                missed += peakOk ? 0 : 1;
            }
        }
        const bool stepOk = page.longestStep <= kStepGoalMs;
        std::printf("  goal: %sno step over %.0f ms on the GUI thread: longest %.1f ms: %s\n",
                    QByteArray(c.name) == "photo" ? "photo " : "", kStepGoalMs, page.longestStep, verdict(stepOk));
        missed += stepOk ? 0 : 1;
    }
    if (only.isEmpty() || only.contains(QStringLiteral("widgets"))) {
        std::printf("one widget made, filled and painted (300 of each, resident memory per widget)\n");
        for (const char* mode : {"skin", "plain"}) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(self, {QStringLiteral("--widgets"), QString::fromLatin1(mode)});
            child.waitForFinished(-1);
            for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
                const QList<QByteArray> p = line.split(' ');
                if (p.size() == 4 && p[0] == "RESULT")
                    std::printf("  %-6s %s: %6.3f ms, %6.1f KiB\n", p[1].constData(),
                                qstrcmp(mode, "skin") == 0 ? "with the skin    " : "without any sheet", p[2].toDouble(),
                                p[3].toDouble());
            }
        }
    }
    std::printf("\n%d goal(s) missed\n", missed);
    return 0;
}
