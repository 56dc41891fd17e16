#include "MarkButton.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

MarkButton::MarkButton(QWidget* parent) : QToolButton(parent) {}

void MarkButton::setColors(const QColor& fill, const QColor& ring)
{
    if (fill == m_fill && ring == m_ring)
        return;
    m_fill = fill;
    m_ring = ring;
    update();
}

void MarkButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height()) - 2.5;
    const QRectF circle((width() - side) / 2, (height() - side) / 2, side, side);
    const QPointF c = circle.center();
    QColor fill = m_fill;
    if (isDown())
        fill = fill.darker(120);
    const QString name = objectName();

    if (name == QLatin1String("toolButtonV") || name == QLatin1String("toolButtonH")) {
        p.setPen(QPen(fill.darker(115), 1));
        p.setBrush(fill);
        p.drawEllipse(circle);
        // The bar lies flat while Delete is not offered and stands up when it is.
        const qreal len = side * 0.55;
        const qreal thick = std::max<qreal>(2, side * 0.14);
        const QRectF bar = name == QLatin1String("toolButtonV")
                               ? QRectF(c.x() - len / 2, c.y() - thick / 2, len, thick)
                               : QRectF(c.x() - thick / 2, c.y() - len / 2, thick, len);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(bar, thick / 2, thick / 2);
        return;
    }

    if (name == QLatin1String("itemFrame1111")) {
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawEllipse(circle);
        QPainterPath tick;
        tick.moveTo(c.x() - side * 0.24, c.y() + side * 0.02);
        tick.lineTo(c.x() - side * 0.07, c.y() + side * 0.19);
        tick.lineTo(c.x() + side * 0.25, c.y() - side * 0.16);
        p.setPen(QPen(Qt::white, std::max<qreal>(1.5, side * 0.11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    } else {
        p.setPen(QPen(isDown() ? m_ring.darker(130) : m_ring, 1.5));
        p.setBrush(Qt::white);
        p.drawEllipse(circle.adjusted(0.75, 0.75, -0.75, -0.75));
    }
}
