#pragma once

// Counts the paint events of one window and the widgets in it, so that a
// bench can wait for what a person would see.

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

namespace benchsupport {

class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget* window) : m_window(window) { qApp->installEventFilter(this); }

    // Processes events until something of the window was painted; false
    // when nothing was within ten seconds.
    bool waitForPaint()
    {
        const int before = m_paints;
        QElapsedTimer guard;
        guard.start();
        while (m_paints == before && guard.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return m_paints != before;
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && o->isWidgetType() && static_cast<QWidget*>(o)->window() == m_window)
            ++m_paints;
        return false;
    }

private:
    QWidget* m_window;
    int m_paints = 0;
};

} // namespace benchsupport
