#include "BubbleLabel.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

using namespace views;

BubbleLabel::BubbleLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setFont(m_look->text.font());
}

void BubbleLabel::setOutgoing(bool outgoing)
{
    m_outgoing = outgoing;
    update();
}

void BubbleLabel::setLook(const BubbleLook* look)
{
    if (!look)
        look = &BubbleLook::standard();
    if (look == m_look)
        return;
    m_look = look;
    // The font is the look's, so that the label's metrics are those it is drawn with.
    setFont(m_look->text.font());
    m_cap = -1;
    update();
}

void BubbleLabel::setContent(const BubbleContent& content)
{
    m_content = content;
    setText(content.text);
    m_cap = -1;
    update();
}

QSize BubbleLabel::fitTo(int cap)
{
    if (cap != m_cap || font() != m_look->text.font()) {
        if (font() != m_look->text.font())
            setFont(m_look->text.font());
        m_lines.clear();
        m_shape = measureBubble(m_content, *m_look, cap, Measure::Exact, &m_layout, &m_lines);
        m_cap = cap;
        setFixedSize(m_shape.width, m_shape.height);
        update();
    }
    return QSize(m_shape.width, m_shape.height);
}

QSize BubbleLabel::sizeHint() const
{
    // Never QLabel's own: it would lay out the whole text for every query.
    return QSize(m_shape.width, m_shape.height);
}

QSize BubbleLabel::minimumSizeHint() const
{
    return sizeHint();
}

int BubbleLabel::heightForWidth(int width) const
{
    Q_UNUSED(width)
    return m_shape.height;
}

void BubbleLabel::paintEvent(QPaintEvent* event)
{
    if (m_cap < 0 || m_shape.height <= 0)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const BubbleLook& look = *m_look;
    const int hang = m_shape.badgeHeight > 0 ? m_shape.badgeHeight - kBadgeOverlap : 0;
    const QRectF bubble(kBubbleMarginX + 0.5, kBubbleMarginY + 0.5, width() - 2 * kBubbleMarginX - 1.0,
                        height() - 2 * kBubbleMarginY - hang - 1.0);
    if (m_content.unsent) {
        p.setPen(QPen(look.meta, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(m_outgoing ? look.outgoing : look.incoming);
    }
    p.drawRoundedRect(bubble, look.radius, look.radius);

    const int x = kBubbleMarginX + kBubblePadX;
    const int inner = std::max(1, width() - 2 * x);
    int y = kBubbleMarginY + kBubblePadY;
    if (m_shape.senderHeight > 0) {
        p.setFont(look.sender.font());
        p.setPen(look.senderColor(m_content.senderTone));
        const QString name = QFontMetrics(look.sender.font()).elidedText(m_content.sender, Qt::ElideRight, inner);
        p.drawText(QRect(x, y, inner, look.sender.lineHeight()), Qt::AlignLeft | Qt::AlignVCenter, name);
        y += m_shape.senderHeight;
    }

    QColor ink = m_outgoing ? look.outgoingText : look.incomingText;
    if (m_content.unsent)
        ink = look.meta;
    p.setPen(ink);
    p.setFont(m_content.unsent ? look.note.font() : look.text.font());
    drawText(p, x, y, event->rect());
    y += m_shape.textHeight;

    if (m_shape.editedHeight > 0) {
        QColor faint = m_outgoing ? look.outgoingText : look.meta;
        if (m_outgoing)
            faint.setAlpha(190);
        p.setPen(faint);
        p.setFont(look.small.font());
        p.drawText(QRect(x, y + 1, inner, look.small.lineHeight()), Qt::AlignRight | Qt::AlignVCenter,
                   QCoreApplication::translate("BubbleFrame", "Edited"));
    }

    if (m_shape.badgeHeight > 0) {
        const qreal bx = m_outgoing ? bubble.left() + look.radius : bubble.right() - look.radius - m_shape.badgeWidth;
        const QRectF badge(bx, bubble.bottom() - kBadgeOverlap, m_shape.badgeWidth, m_shape.badgeHeight);
        p.setPen(QPen(look.badgeBorder, 1));
        p.setBrush(look.badge);
        p.drawRoundedRect(badge, badge.height() / 2, badge.height() / 2);
        p.setPen(look.incomingText);
        qreal x = badge.left() + kBadgePadX;
        for (const auto& [emoji, count] : badgeParts(m_content.badge)) {
            const int w = look.emoji.estimate(emoji, 100000).width;
            p.setFont(look.emoji.font());
            p.drawText(QRectF(x, badge.top(), w + 4, badge.height()), Qt::AlignLeft | Qt::AlignVCenter, emoji);
            x += w;
            if (!count.isEmpty()) {
                x += kBadgeCountGap;
                const int cw = look.small.estimate(count, 100000).width;
                p.setFont(look.small.font());
                p.drawText(QRectF(x, badge.top(), cw + 4, badge.height()), Qt::AlignLeft | Qt::AlignVCenter, count);
                x += cw;
            }
            x += kBadgeGap;
        }
    }
}

void BubbleLabel::drawText(QPainter& p, int x, int y, const QRect& clip)
{
    if (m_lines.isEmpty()) {
        m_layout.draw(&p, QPointF(x, y), {}, clip);
        return;
    }
    // A huge text: only the lines in the part being painted are shaped.
    const int lh = std::max(1, m_content.unsent ? m_look->note.lineHeight() : m_look->text.lineHeight());
    const int ascent = QFontMetrics(p.font()).ascent();
    const int n = int(m_lines.size());
    const int firstLine = std::clamp((clip.top() - y) / lh, 0, n);
    const int lastLine = std::clamp((clip.bottom() - y) / lh + 1, 0, n);
    for (int k = firstLine; k < lastLine; ++k) {
        const int start = m_lines[k];
        const int end = k + 1 < n ? m_lines[k + 1] : int(m_content.text.size());
        QString line = m_content.text.mid(start, end - start);
        while (!line.isEmpty() && (line.back() == QLatin1Char('\n') || line.back() == QLatin1Char('\r')))
            line.chop(1);
        p.drawText(QPointF(x, y + k * lh + ascent), line);
    }
}
