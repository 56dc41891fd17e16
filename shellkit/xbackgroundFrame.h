#pragma once

// The frame drawn behind a frameless, translucent dialog: a rounded panel
// with a title bar (icon and title) that shows whether the dialog's window
// is active, and through which the dialog is dragged. It is a child of the
// dialog, kept below its other children and as large as the dialog.

#include <QWidget>

class xbackgroundFrame : public QWidget
{
    Q_OBJECT
public:
    explicit xbackgroundFrame(QWidget* dialog);

    // Fed the dialog's resize and window-title-change events.
    void handleEvent(QEvent* event);
    void enableTitleBar(bool active);
    bool isTitleBarActive() const { return m_active; }

    void setWindowIcon(const QString& iconFile);

    static int titleBarHeight();
    // The title bar's area in the frame's coordinates.
    QRect titleBarRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap m_icon;
    bool m_active = true;
    QPoint m_dragOffset;
    QPoint m_pressGlobal;
    bool m_pressed = false;
    bool m_dragging = false;
};
