#include "ElidedLabel.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace {

// A header is at most this wide by preference, however long its text.
constexpr int kPreferredChars = 16;
// More of a text than any screen shows on one line; the rest is never measured.
constexpr int kShownChars = 1000;

} // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Preferred, sizePolicy().verticalPolicy());
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    const QMargins m = contentsMargins();
    return QSize(fm.horizontalAdvance(QChar(0x2026)) + m.left() + m.right(), fm.height() + m.top() + m.bottom());
}

QSize ElidedLabel::sizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    const QMargins m = contentsMargins();
    // Measures at most a header's worth of the text, not all of it.
    const int w = fm.horizontalAdvance(text().left(kPreferredChars * 2));
    return QSize(std::min(w, fm.averageCharWidth() * kPreferredChars) + m.left() + m.right() + 1,
                 fm.height() + m.top() + m.bottom());
}

bool ElidedLabel::isElided() const
{
    return text().size() > kShownChars || fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

bool ElidedLabel::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        if (isElided())
            QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(e);
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = contentsRect();
    const QString shown = fontMetrics().elidedText(text().left(kShownChars), Qt::ElideRight, r.width());
    style()->drawItemText(&p, r, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}
