#pragma once

// A skinned top-level frame: its own title bar (icon, title, minimise,
// maximise, close), moved by dragging the title bar and resized at its
// edges. The hosted window becomes its content; the title follows the
// hosted window's title, and closing either closes both.

#include <QPointer>
#include <QWidget>

class QLabel;
class QToolButton;
class QVBoxLayout;

class xframeskin : public QWidget
{
    Q_OBJECT
public:
    explicit xframeskin(QWidget* parent = nullptr);
    ~xframeskin() override;

    void setChild(QWidget* child);
    QWidget* child() const { return m_child; }

    void setWindowIcon(const QString& iconFile);
    QString iconFile() const { return m_iconFile; }

    QWidget* titleBar() const { return m_titleBar; }

    // Width of the band along the edges in which the frame is resized.
    static int resizeBorder();

public slots:
    void toggleMaximised();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Qt::Edges edgesAt(const QPoint& pos) const;
    void updateMaximiseButton();
    void updateButtonsFromChild();
    void updateCursor(const QPoint& pos);
    void followChildTitle();
    void repolish();
    bool handleTitleBarEvent(QEvent* event);
    bool closeChildFirst();

    QPointer<QWidget> m_child;
    QWidget* m_titleBar = nullptr;
    QLabel* m_iconLabel = nullptr;
    QLabel* m_titleLabel = nullptr;
    QToolButton* m_minButton = nullptr;
    QToolButton* m_maxButton = nullptr;
    QToolButton* m_closeButton = nullptr;
    QVBoxLayout* m_layout = nullptr;
    QString m_iconFile;
    bool m_closing = false;

    // Manual move and resize, used where the window system cannot do it.
    bool m_movePending = false;
    bool m_moving = false;
    QPoint m_moveOffset;
    Qt::Edges m_resizeEdges;
    QPoint m_pressGlobal;
    QRect m_startGeometry;
};
