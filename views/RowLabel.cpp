#include "RowLabel.h"

#include <QFontMetrics>

RowLabel::RowLabel(QWidget* parent) : QLabel(parent) {}

QSize RowLabel::lineSize(const QFont& font, const QString& text)
{
    return QFontMetrics(font).boundingRect(0, 0, 2000, 2000, Qt::AlignLeft, text).size();
}

QSize RowLabel::sizeHint() const
{
    const QMargins m = contentsMargins();
    const QSize extra(m.left() + m.right() + 2 * margin(), m.top() + m.bottom() + 2 * margin());
    if (wordWrap())
        return QSize(0, fontMetrics().height()) + extra;
    if (m_measured != text() || m_measuredFont != font() || !m_hint.isValid()) {
        m_measured = text();
        m_measuredFont = font();
        m_hint = lineSize(font(), text());
    }
    return m_hint + extra;
}

QSize RowLabel::minimumSizeHint() const
{
    return sizeHint();
}
