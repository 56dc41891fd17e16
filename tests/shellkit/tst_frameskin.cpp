// The skinned top-level frame: hosting, title, icon, closing in both
// directions, maximising, and moving and resizing by hand where the window
// system does not (the offscreen platform never does).
#include "xframeskin.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPixmap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

// A hosted window that can refuse to close, as one with unsaved work would.
class Hosted : public QMainWindow
{
public:
    bool refuse = false;
    int closeEvents = 0;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        ++closeEvents;
        if (refuse)
            event->ignore();
        else
            event->accept();
    }
};

void sendMouse(QWidget* target, QEvent::Type type, const QPoint& local, Qt::MouseButtons buttons)
{
    const QPointF global = target->mapToGlobal(QPointF(local));
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void sendMouseGlobal(QWidget* target, QEvent::Type type, const QPoint& global, Qt::MouseButtons buttons)
{
    const QPointF local = target->mapFromGlobal(QPointF(global));
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, QPointF(global), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

class FrameSkinTest : public QObject
{
    Q_OBJECT

private:
    struct Setup
    {
        xframeskin* frame;
        Hosted* child;
    };

    // Built the way the container builds it: the window first, then the
    // frame, then the window moved into the frame.
    static Setup makeFramed()
    {
        auto* child = new Hosted;
        child->setMinimumSize(300, 200);
        auto* frame = new xframeskin(nullptr);
        child->setParent(frame);
        frame->setChild(child);
        return {frame, child};
    }

    static QLabel* titleLabel(xframeskin* frame)
    {
        return frame->findChild<QLabel*>(QStringLiteral("xframeskinTitle"));
    }

    static QToolButton* button(xframeskin* frame, const char* name)
    {
        return frame->findChild<QToolButton*>(QString::fromLatin1(name));
    }

private slots:
    void childBecomesTheContent()
    {
        auto [frame, child] = makeFramed();
        QScopedPointer<xframeskin> owner(frame);
        QCOMPARE(frame->child(), child);
        QCOMPARE(child->parentWidget(), frame);
        QVERIFY(!child->isWindow());
        QVERIFY(frame->isWindow());
        QVERIFY(frame->windowFlags().testFlag(Qt::FramelessWindowHint));

        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QVERIFY(child->isVisible());
        // The content sits below the title bar, inside the frame.
        QVERIFY(frame->titleBar()->geometry().bottom() < child->geometry().top());
        QVERIFY(frame->rect().contains(child->geometry()));
        QVERIFY(button(frame, "xframeskinMin"));
        QVERIFY(button(frame, "xframeskinMax"));
        QVERIFY(button(frame, "xframeskinClose"));
    }

    void minimumSizeFollowsTheChild()
    {
        auto [frame, child] = makeFramed();
        QScopedPointer<xframeskin> owner(frame);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QVERIFY(frame->minimumSize().width() >= 300);
        QVERIFY(frame->minimumSize().height() >= 200 + frame->titleBar()->height());

        child->setMinimumSize(677, 471);
        QTRY_VERIFY(frame->minimumSize().height() >= 471 + frame->titleBar()->height());
        QVERIFY(frame->minimumSize().width() >= 677);
        QTRY_VERIFY(frame->width() >= 677);
    }

    void titleFollowsTheChild()
    {
        auto [frame, child] = makeFramed();
        QScopedPointer<xframeskin> owner(frame);
        child->setWindowTitle(QStringLiteral("Varnel Textkeep"));
        QCOMPARE(titleLabel(frame)->text(), QStringLiteral("Varnel Textkeep"));
        QCOMPARE(frame->windowTitle(), QStringLiteral("Varnel Textkeep"));

        child->setWindowTitle(QStringLiteral("<b>not markup</b>"));
        QCOMPARE(frame->windowTitle(), QStringLiteral("<b>not markup</b>"));
        QCOMPARE(titleLabel(frame)->textFormat(), Qt::PlainText);

        child->setWindowTitle(QStringLiteral("Notes[*]"));
        QCOMPARE(frame->windowTitle(), QStringLiteral("Notes"));
        child->setWindowModified(true);
        QCOMPARE(frame->windowTitle(), QStringLiteral("Notes*"));
    }

    void titleTakenWhenTheChildArrives()
    {
        auto* child = new QWidget;
        child->setWindowTitle(QStringLiteral("Already named"));
        xframeskin frame;
        frame.setChild(child);
        QCOMPARE(frame.windowTitle(), QStringLiteral("Already named"));
    }

    void iconShownInTitleBarAndAsWindowIcon()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QPixmap pixmap(48, 48);
        pixmap.fill(Qt::red);
        const QString file = dir.filePath(QStringLiteral("icon.png"));
        QVERIFY(pixmap.save(file));

        auto [frame, child] = makeFramed();
        Q_UNUSED(child);
        QScopedPointer<xframeskin> owner(frame);
        auto* iconLabel = frame->findChild<QLabel*>(QStringLiteral("xframeskinIcon"));
        QVERIFY(iconLabel);
        QVERIFY(iconLabel->isHidden());

        frame->setWindowIcon(file);
        QCOMPARE(frame->iconFile(), file);
        QVERIFY(!iconLabel->isHidden());
        QVERIFY(!iconLabel->pixmap().isNull());
        QVERIFY(!frame->windowIcon().isNull());
        QCOMPARE(frame->windowIcon().pixmap(48).toImage().pixelColor(24, 24), QColor(Qt::red));

        // A file that cannot be read leaves no broken image behind.
        frame->setWindowIcon(dir.filePath(QStringLiteral("missing.png")));
        QVERIFY(iconLabel->isHidden());
        QVERIFY(frame->windowIcon().isNull());
    }

    void closingTheChildClosesTheFrame()
    {
        auto [frame, child] = makeFramed();
        QScopedPointer<xframeskin> owner(frame);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));

        QVERIFY(child->close());
        QCOMPARE(child->closeEvents, 1);
        QVERIFY(!frame->isVisible());
        QVERIFY(child->isHidden());
    }

    void closingTheFrameAsksTheChildFirst()
    {
        auto [frame, child] = makeFramed();
        QScopedPointer<xframeskin> owner(frame);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));

        QTest::mouseClick(button(frame, "xframeskinClose"), Qt::LeftButton);
        QCOMPARE(child->closeEvents, 1);
        QVERIFY(!frame->isVisible());
    }

    void refusingChildKeepsBothOpen()
    {
        auto [frame, child] = makeFramed();
        QScopedPointer<xframeskin> owner(frame);
        child->refuse = true;
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));

        // From the frame (its button, or the window system's close)...
        QTest::mouseClick(button(frame, "xframeskinClose"), Qt::LeftButton);
        QVERIFY(!frame->close());
        // ...and from the child itself.
        QVERIFY(!child->close());
        QCOMPARE(child->closeEvents, 3);
        QVERIFY(frame->isVisible());
        QVERIFY(child->isVisible());

        child->refuse = false;
        QVERIFY(frame->close());
        QCOMPARE(child->closeEvents, 4);
        QVERIFY(!frame->isVisible());
    }

    void closingEndsTheEventLoop()
    {
        auto [frame, child] = makeFramed();
        Q_UNUSED(child);
        QScopedPointer<xframeskin> owner(frame);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QVERIFY(QGuiApplication::quitOnLastWindowClosed());

        // The frame is the program's only window: closing it must end the
        // loop on its own. The guard only keeps a failure from hanging.
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(99); });
        guard.start(60000);
        xframeskin* shown = frame;
        QTimer::singleShot(0, shown, [shown] { QTest::mouseClick(button(shown, "xframeskinClose"), Qt::LeftButton); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!frame->isVisible());
    }

    void maximiseButtonAndDoubleClickToggle()
    {
        auto [frame, child] = makeFramed();
        Q_UNUSED(child);
        QScopedPointer<xframeskin> owner(frame);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QToolButton* max = button(frame, "xframeskinMax");

        QTest::mouseClick(max, Qt::LeftButton);
        QTRY_VERIFY(frame->isMaximized());
        QCOMPARE(max->property("frameMaximized").toBool(), true);
        QCOMPARE(max->toolTip(), QStringLiteral("Restore"));

        QTest::mouseClick(max, Qt::LeftButton);
        QTRY_VERIFY(!frame->isMaximized());
        QCOMPARE(max->property("frameMaximized").toBool(), false);

        QTest::mouseDClick(titleLabel(frame), Qt::LeftButton);
        QTRY_VERIFY(frame->isMaximized());
        QTest::mouseDClick(frame->titleBar(), Qt::LeftButton, {}, QPoint(60, 10));
        QTRY_VERIFY(!frame->isMaximized());
    }

    void minimiseButtonMinimises()
    {
        auto [frame, child] = makeFramed();
        Q_UNUSED(child);
        QScopedPointer<xframeskin> owner(frame);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QTest::mouseClick(button(frame, "xframeskinMin"), Qt::LeftButton);
        QTRY_VERIFY(frame->isMinimized());
    }

    void toolWindowHintsDropButtons()
    {
        // A window that removed its minimise and maximise hints before it
        // was hosted, as a small fixed tool window does.
        auto* child = new QMainWindow;
        child->setWindowFlags(child->windowFlags() & ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        xframeskin frame;
        child->setParent(&frame);
        frame.setChild(child);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QVERIFY(!button(&frame, "xframeskinMin")->isVisible());
        QVERIFY(!button(&frame, "xframeskinMax")->isVisible());
        QVERIFY(button(&frame, "xframeskinClose")->isVisible());
        // Without the button, a double click does not maximise either.
        QTest::mouseDClick(titleLabel(&frame), Qt::LeftButton);
        QTest::qWait(0);
        QVERIFY(!frame.isMaximized());
    }

    void draggingTheTitleBarMovesTheFrame()
    {
        auto [frame, child] = makeFramed();
        Q_UNUSED(child);
        QScopedPointer<xframeskin> owner(frame);
        frame->move(100, 100);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        const QPoint start = frame->pos();

        QWidget* bar = frame->titleBar();
        const QPoint grab(80, bar->height() / 2);
        const QPoint grabGlobal = bar->mapToGlobal(grab);
        sendMouseGlobal(bar, QEvent::MouseButtonPress, grabGlobal, Qt::LeftButton);
        sendMouseGlobal(bar, QEvent::MouseMove, grabGlobal + QPoint(30, 20), Qt::LeftButton);
        sendMouseGlobal(bar, QEvent::MouseMove, grabGlobal + QPoint(60, 40), Qt::LeftButton);
        sendMouseGlobal(bar, QEvent::MouseButtonRelease, grabGlobal + QPoint(60, 40), Qt::NoButton);
        QTRY_COMPARE(frame->pos(), start + QPoint(60, 40));

        // A press without a real drag does not move anything.
        const QPoint now = frame->pos();
        sendMouse(bar, QEvent::MouseButtonPress, grab, Qt::LeftButton);
        sendMouse(bar, QEvent::MouseMove, grab + QPoint(1, 0), Qt::LeftButton);
        sendMouse(bar, QEvent::MouseButtonRelease, grab + QPoint(1, 0), Qt::NoButton);
        QCOMPARE(frame->pos(), now);
    }

    void edgesResizeWithinTheMinimum()
    {
        auto [frame, child] = makeFramed();
        Q_UNUSED(child);
        QScopedPointer<xframeskin> owner(frame);
        frame->setGeometry(100, 100, 500, 400);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        const QRect start = frame->geometry();

        // Hovering the right edge shows the horizontal resize cursor.
        const QPoint right(frame->width() - 2, frame->height() / 2);
        sendMouse(frame, QEvent::MouseMove, right, Qt::NoButton);
        QCOMPARE(frame->cursor().shape(), Qt::SizeHorCursor);
        sendMouse(frame, QEvent::MouseMove, QPoint(frame->width() - 2, frame->height() - 2), Qt::NoButton);
        QCOMPARE(frame->cursor().shape(), Qt::SizeFDiagCursor);

        // Dragging the right edge widens the frame.
        const QPoint rightGlobal = frame->mapToGlobal(right);
        sendMouseGlobal(frame, QEvent::MouseButtonPress, rightGlobal, Qt::LeftButton);
        sendMouseGlobal(frame, QEvent::MouseMove, rightGlobal + QPoint(50, 0), Qt::LeftButton);
        sendMouseGlobal(frame, QEvent::MouseButtonRelease, rightGlobal + QPoint(50, 0), Qt::NoButton);
        QTRY_COMPARE(frame->geometry(), QRect(start.topLeft(), start.size() + QSize(50, 0)));

        // Dragging the left edge far right stops at the minimum width and
        // keeps the right edge where it was.
        const QRect before = frame->geometry();
        const QPoint left(1, frame->height() / 2);
        const QPoint leftGlobal = frame->mapToGlobal(left);
        sendMouseGlobal(frame, QEvent::MouseButtonPress, leftGlobal, Qt::LeftButton);
        sendMouseGlobal(frame, QEvent::MouseMove, leftGlobal + QPoint(1000, 0), Qt::LeftButton);
        sendMouseGlobal(frame, QEvent::MouseButtonRelease, leftGlobal + QPoint(1000, 0), Qt::NoButton);
        QTRY_COMPARE(frame->width(), frame->minimumWidth());
        QCOMPARE(frame->geometry().right(), before.right());
        QVERIFY(frame->width() >= 300);
    }

    void noResizeWhileMaximised()
    {
        auto [frame, child] = makeFramed();
        Q_UNUSED(child);
        QScopedPointer<xframeskin> owner(frame);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        frame->showMaximized();
        QTRY_VERIFY(frame->isMaximized());
        sendMouse(frame, QEvent::MouseMove, QPoint(frame->width() - 1, 5), Qt::NoButton);
        QCOMPARE(frame->cursor().shape(), Qt::ArrowCursor);
    }

    void dialogLookFollowsTheObjectName()
    {
        qApp->setStyleSheet(QStringLiteral("xframeskin#dialogFrame #xframeskinTitle { color: #123456; }"));
        auto [frame, child] = makeFramed();
        Q_UNUSED(child);
        QScopedPointer<xframeskin> owner(frame);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QLabel* title = titleLabel(frame);
        QVERIFY(title->palette().color(QPalette::WindowText) != QColor(0x12, 0x34, 0x56));
        // Set after the frame is shown, as the updater does.
        frame->setObjectName(QStringLiteral("dialogFrame"));
        QCOMPARE(title->palette().color(QPalette::WindowText), QColor(0x12, 0x34, 0x56));
        qApp->setStyleSheet(QString());
    }

    void childDeletedFirstLeavesAWorkingFrame()
    {
        auto [frame, child] = makeFramed();
        QScopedPointer<xframeskin> owner(frame);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        delete child;
        QVERIFY(frame->child() == nullptr);
        QVERIFY(frame->close());
    }
};

QTEST_MAIN(FrameSkinTest)
#include "tst_frameskin.moc"
