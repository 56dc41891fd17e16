#include "xbackgroundFrame.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QWindow>

namespace {

constexpr int kTitleBarHeight = 30;
// The dialog container keeps 10 pixels around its content; the panel sits
// inside that band, leaving room for a soft shadow outside it.
constexpr int kShadow = 4;
constexpr qreal kRadius = 8.0;
constexpr int kIconSize = 16;

const QColor kPanel(0xf7, 0xf8, 0xfa);
const QColor kPanelBorder(0xc4, 0xca, 0xd3);
const QColor kTitleActive(0x23, 0x27, 0x2e);
const QColor kTitleInactive(0x7b, 0x82, 0x8c);
const QColor kTitleTextActive(0xf2, 0xf4, 0xf7);
const QColor kTitleTextInactive(0xe1, 0xe4, 0xe8);

} // namespace

xbackgroundFrame::xbackgroundFrame(QWidget* dialog) : QWidget(dialog)
{
    setObjectName(QStringLiteral("xbackgroundFrame"));
    if (dialog)
        setGeometry(dialog->rect());
    // Made after the dialog's own children, so it has to be sent back once.
    lower();
    show();
}

int xbackgroundFrame::titleBarHeight()
{
    return kTitleBarHeight;
}

QRect xbackgroundFrame::titleBarRect() const
{
    return QRect(kShadow, kShadow, width() - 2 * kShadow, kTitleBarHeight + (10 - kShadow));
}

void xbackgroundFrame::handleEvent(QEvent* event)
{
    if (!event)
        return;
    switch (event->type()) {
    case QEvent::Resize:
        setGeometry(QRect(QPoint(0, 0), static_cast<QResizeEvent*>(event)->size()));
        lower();
        break;
    case QEvent::WindowTitleChange:
        update();
        break;
    default:
        break;
    }
}

void xbackgroundFrame::enableTitleBar(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    update();
}

void xbackgroundFrame::setWindowIcon(const QString& iconFile)
{
    m_icon = QPixmap(iconFile);
    update();
}

void xbackgroundFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);

    const QRectF panel = QRectF(rect()).adjusted(kShadow, kShadow, -kShadow, -kShadow);

    // A few widening, fading outlines make a soft shadow without a blur.
    for (int i = kShadow; i > 0; --i) {
        QColor shade(0, 0, 0, 10 + 8 * (kShadow - i));
        painter.setPen(QPen(shade, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(panel.adjusted(-i + 0.5, -i + 0.5, i - 0.5, i - 0.5), kRadius + i, kRadius + i);
    }

    QPainterPath panelPath;
    panelPath.addRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), kRadius, kRadius);
    painter.setPen(QPen(kPanelBorder, 1.0));
    painter.setBrush(kPanel);
    painter.drawPath(panelPath);

    // The title bar is the panel's top band, clipped to its rounded corners.
    const QRectF bar = QRectF(titleBarRect()).adjusted(0.5, 0.5, -0.5, 0);
    painter.save();
    painter.setClipPath(panelPath);
    painter.fillRect(bar, m_active ? kTitleActive : kTitleInactive);
    painter.restore();

    int textLeft = static_cast<int>(bar.left()) + 12;
    if (!m_icon.isNull()) {
        const QRect iconRect(textLeft, static_cast<int>(bar.center().y()) - kIconSize / 2, kIconSize, kIconSize);
        painter.drawPixmap(iconRect, m_icon);
        textLeft = iconRect.right() + 9;
    }

    const QString title = parentWidget() ? parentWidget()->windowTitle() : windowTitle();
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(m_active ? kTitleTextActive : kTitleTextInactive);
    const QRect textRect(textLeft, static_cast<int>(bar.top()), static_cast<int>(bar.right()) - textLeft - 10,
                         static_cast<int>(bar.height()));
    const QString shown = painter.fontMetrics().elidedText(title, Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, shown);
}

void xbackgroundFrame::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !titleBarRect().contains(event->position().toPoint())) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_dragging = false;
    m_pressGlobal = event->globalPosition().toPoint();
    m_dragOffset = m_pressGlobal - window()->pos();
    event->accept();
}

void xbackgroundFrame::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint global = event->globalPosition().toPoint();
    if (!m_dragging) {
        if ((global - m_pressGlobal).manhattanLength() < QApplication::startDragDistance())
            return;
        // The window system moves the window where it can; otherwise it
        // follows the pointer by hand.
        QWindow* handle = window()->windowHandle();
        if (handle && handle->startSystemMove()) {
            m_pressed = false;
            return;
        }
        m_dragging = true;
    }
    window()->move(global - m_dragOffset);
    event->accept();
}

void xbackgroundFrame::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressed = false;
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}
