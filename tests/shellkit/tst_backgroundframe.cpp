// The frame drawn behind frameless dialogs.
#include "xbackgroundFrame.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QTemporaryDir>
#include <QTest>

namespace {

QColor titleBarColour(xbackgroundFrame& frame)
{
    QImage image(frame.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    frame.render(&image);
    // Somewhere in the middle of the title bar, away from icon and text.
    const QRect bar = frame.titleBarRect();
    return image.pixelColor(bar.right() - 20, bar.top() + 4);
}

} // namespace

class BackgroundFrameTest : public QObject
{
    Q_OBJECT

private slots:
    void coversTheDialogAndStaysBelow()
    {
        QDialog dialog;
        auto* label = new QLabel(QStringLiteral("content"), &dialog);
        dialog.resize(420, 310);
        xbackgroundFrame frame(&dialog);
        QCOMPARE(frame.parentWidget(), &dialog);
        QCOMPARE(frame.geometry(), dialog.rect());
        // Made after the label, yet below it.
        const QObjectList children = dialog.children();
        QVERIFY(children.indexOf(&frame) < children.indexOf(label));
    }

    void followsResizeEvents()
    {
        QDialog dialog;
        dialog.resize(400, 300);
        xbackgroundFrame frame(&dialog);
        QResizeEvent resize(QSize(640, 480), QSize(400, 300));
        frame.handleEvent(&resize);
        QCOMPARE(frame.geometry(), QRect(0, 0, 640, 480));
        // Other events are ignored, a null event as well.
        QEvent other(QEvent::FocusIn);
        frame.handleEvent(&other);
        frame.handleEvent(nullptr);
        QCOMPARE(frame.geometry(), QRect(0, 0, 640, 480));
        QCOMPARE(frame.titleBarRect().width(), 640 - 8);
    }

    void titleBarLooksDifferentWhenInactive()
    {
        QDialog dialog;
        dialog.resize(400, 300);
        dialog.setWindowTitle(QStringLiteral("Warning"));
        xbackgroundFrame frame(&dialog);
        frame.resize(dialog.size());
        QVERIFY(frame.isTitleBarActive());
        const QColor active = titleBarColour(frame);
        frame.enableTitleBar(false);
        QVERIFY(!frame.isTitleBarActive());
        const QColor inactive = titleBarColour(frame);
        QVERIFY2(active != inactive, qPrintable(active.name() + QLatin1Char(' ') + inactive.name()));
        frame.enableTitleBar(true);
        QCOMPARE(titleBarColour(frame), active);
        QVERIFY(active.alpha() == 255);
    }

    void titleAndIconArePainted()
    {
        QTemporaryDir dir;
        QPixmap icon(32, 32);
        icon.fill(QColor(0, 200, 0));
        const QString file = dir.filePath(QStringLiteral("i.png"));
        QVERIFY(icon.save(file));

        QDialog dialog;
        dialog.resize(400, 300);
        xbackgroundFrame frame(&dialog);
        frame.resize(dialog.size());

        auto paint = [&frame]() {
            QImage image(frame.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            frame.render(&image);
            return image.copy(frame.titleBarRect());
        };
        const QImage plain = paint();
        dialog.setWindowTitle(QStringLiteral("Varnel Textkeep"));
        QCOMPARE(frame.titleBarRect().height(), xbackgroundFrame::titleBarHeight() + 6);
        const QImage titled = paint();
        QVERIFY(plain != titled);

        frame.setWindowIcon(file);
        const QImage withIcon = paint();
        bool green = false;
        for (int x = 0; x < 60 && !green; ++x) {
            for (int y = 0; y < withIcon.height() && !green; ++y)
                green = withIcon.pixelColor(x, y) == QColor(0, 200, 0);
        }
        QVERIFY(green);
    }

    void draggingTheTitleBarMovesTheDialog()
    {
        QDialog dialog(nullptr, Qt::Window | Qt::FramelessWindowHint);
        dialog.setGeometry(50, 60, 400, 300);
        xbackgroundFrame frame(&dialog);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QPoint start = dialog.pos();
        const QPoint grab = frame.mapToGlobal(QPoint(100, 15));
        auto send = [&frame](QEvent::Type type, const QPoint& global, Qt::MouseButtons buttons) {
            QMouseEvent e(type, frame.mapFromGlobal(QPointF(global)), QPointF(global),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
            QApplication::sendEvent(&frame, &e);
        };
        send(QEvent::MouseButtonPress, grab, Qt::LeftButton);
        send(QEvent::MouseMove, grab + QPoint(25, 10), Qt::LeftButton);
        send(QEvent::MouseMove, grab + QPoint(40, 30), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, grab + QPoint(40, 30), Qt::NoButton);
        QTRY_COMPARE(dialog.pos(), start + QPoint(40, 30));

        // Below the title bar the panel does not drag.
        const QPoint body = frame.mapToGlobal(QPoint(100, 200));
        const QPoint now = dialog.pos();
        send(QEvent::MouseButtonPress, body, Qt::LeftButton);
        send(QEvent::MouseMove, body + QPoint(40, 30), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, body + QPoint(40, 30), Qt::NoButton);
        QCOMPARE(dialog.pos(), now);
    }
};

QTEST_MAIN(BackgroundFrameTest)
#include "tst_backgroundframe.moc"
