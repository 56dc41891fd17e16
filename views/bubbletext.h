#pragma once

#include <QFontMetrics>
#include <QLabel>

#include <algorithm>

namespace views {

// Share of the row that a bubble's text may take before it wraps.
constexpr double kBubbleShare = 0.72;

// Longest run of characters without a break opportunity that a label gets
// to show as it is.
constexpr int kLongestRun = 30;

// The text with a zero-width space after every kLongestRun characters of a
// run without spaces. A label wraps only where a line may break, so a long
// web address or a row of digits would otherwise run past the label's edge
// and be cut off. Surrogate pairs and combining marks stay together.
inline QString breakableText(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / kLongestRun);
    int run = 0;
    for (const QChar c : text) {
        if (c.isSpace()) {
            run = 0;
        } else if (run >= kLongestRun && !c.isLowSurrogate() && !c.isMark()) {
            out += QChar(0x200B);
            run = 0;
        }
        out += c;
        if (!c.isSpace())
            ++run;
    }
    return out;
}

// Width of the label's text laid out without wrapping, margins included
// (the skin's padding arrives as contents margins).
inline int naturalTextWidth(QLabel* label)
{
    // The skin sets the label's font and padding when it is polished.
    label->ensurePolished();
    const QFontMetrics fm = label->fontMetrics();
    int widest = 0;
    for (const QString& line : label->text().split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    const QMargins m = label->contentsMargins();
    // QLabel may indent its text by half an "x" and rounds glyph widths up
    // when it wraps; one "x" of slack keeps a line that fits from wrapping.
    return widest + m.left() + m.right() + fm.horizontalAdvance(QLatin1Char('x'));
}

// A bubble is as wide as its text up to a share of the row, and wraps
// beyond it. The label's own size hint would wrap a long text into a
// narrow, tall block.
inline void fitBubbleText(QLabel* label, int rowWidth, int& naturalCache)
{
    if (naturalCache < 0)
        naturalCache = naturalTextWidth(label);
    const int cap = std::max(40, int(rowWidth * kBubbleShare));
    label->setMinimumWidth(std::min(naturalCache, cap));
    label->setMaximumWidth(cap);
}

} // namespace views
