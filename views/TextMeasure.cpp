#include "TextMeasure.h"

#include <QFontMetricsF>
#include <QTextLayout>

#include <cmath>

namespace views {

namespace {

bool isSpace(char32_t c)
{
    return c == ' ' || c == '\t' || c == 0x3000;
}

bool isForcedBreak(char32_t c)
{
    return c == '\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// Ideographs, kana, hangul and full-width forms may break on either side.
bool breaksAround(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

bool breaksAfter(char32_t c)
{
    return c == 0x200B || c == '-';
}

// Share of the line that the greedy lines of a long text may fill: shaping
// (kerning, ligatures, fallback fonts) rarely makes a line wider than its
// advances add up to, and this keeps those few inside the line.
constexpr qreal kWrapShare = 0.96;

} // namespace

QString breakableText(const QString& text)
{
    // Most messages have no long run; leave them as they are, unshared.
    // A zero-width space is a break already, which keeps this idempotent.
    auto breaks = [](QChar c) { return c.isSpace() || c.unicode() == 0x200B; };
    int run = 0;
    bool needed = false;
    for (const QChar c : text) {
        run = breaks(c) ? 0 : run + 1;
        if (run > kLongestRun) {
            needed = true;
            break;
        }
    }
    if (!needed)
        return text;

    QString out;
    out.reserve(text.size() + text.size() / kLongestRun);
    run = 0;
    for (const QChar c : text) {
        if (breaks(c)) {
            run = 0;
        } else if (run >= kLongestRun && !c.isLowSurrogate() && !c.isMark()) {
            out += QChar(0x200B);
            run = 0;
        }
        out += c;
        if (!breaks(c))
            ++run;
    }
    return out;
}

QString clippedText(const QString& text, int maxChars)
{
    if (text.size() <= maxChars)
        return text;
    int cut = maxChars;
    while (cut > 0 && (text.at(cut).isLowSurrogate() || text.at(cut).isMark()))
        --cut;
    return text.left(cut) + QChar(0x2026);
}

TextMeasure::TextMeasure(const QFont& font)
{
    setFont(font);
}

TextMeasure::~TextMeasure() = default;

void TextMeasure::setFont(const QFont& font)
{
    m_font = font;
    m_ascii.fill(-1.f);
    m_other.clear();
    m_lineHeight = layout(QStringLiteral("x"), 1000).height;
}

qreal TextMeasure::advance(char32_t c) const
{
    if (c < 128) {
        float& a = m_ascii[c];
        if (a < 0)
            a = float(QFontMetricsF(m_font).horizontalAdvance(QChar(c)));
        return a;
    }
    auto it = m_other.constFind(c);
    if (it != m_other.constEnd())
        return *it;
    // Measured as a string, so that characters from fallback fonts and
    // those outside the basic plane get their real advance.
    const qreal a = QFontMetricsF(m_font).horizontalAdvance(QString::fromUcs4(&c, 1));
    m_other.insert(c, float(a));
    return a;
}

TextShape TextMeasure::estimate(const QString& text, int width, bool* exact) const
{
    if (exact) {
        *exact = false;
        bool plain = true;
        for (const QChar c : text) {
            if (c.unicode() < 0x20 || c.unicode() > 0x7E) {
                plain = false;
                break;
            }
        }
        if (plain) {
            qreal w = 0;
            for (const QChar c : text)
                w += advance(c.unicode());
            // Room for rounding and kerning: then QTextLayout makes it one line too.
            if (w + 4 <= width) {
                *exact = true;
                return {int(std::ceil(w)), m_lineHeight, 1};
            }
        }
    }
    return greedy(text, width, 1.0, nullptr);
}

bool TextMeasure::fitsOneLine(const QByteArray& utf8, int width) const
{
    qreal w = 0;
    int run = 0;
    for (const char ch : utf8) {
        const uchar c = uchar(ch);
        if (c < 0x20 || c > 0x7E)
            return false;
        // A long run would be shown with breaks put into it.
        run = c == ' ' ? 0 : run + 1;
        if (run > kLongestRun)
            return false;
        w += advance(c);
    }
    return w + 4 <= width;
}

TextShape TextMeasure::wrap(const QString& text, int width, QVector<int>* starts) const
{
    return greedy(text, width, kWrapShare, starts);
}

TextShape TextMeasure::greedy(const QString& text, int width, qreal share, QVector<int>* starts) const
{
    const qreal avail = std::max<qreal>(1, width * share);
    TextShape shape;
    qreal widest = 0;
    int lineStart = 0;
    qreal lineW = 0;    // advance of the line so far, trailing spaces included
    qreal contentW = 0; // up to its last character that is not a space
    int breakAt = -1;   // where the line may end, when it has such a place
    qreal breakW = 0;   // content width up to there
    qreal tailW = 0;    // advance of what follows that place

    auto endLine = [&](qreal w, int nextStart) {
        widest = std::max(widest, w);
        ++shape.lines;
        if (starts)
            starts->append(lineStart);
        lineStart = nextStart;
    };

    if (starts)
        starts->clear();
    const int n = int(text.size());
    for (int i = 0; i < n;) {
        char32_t c = text.at(i).unicode();
        int len = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            len = 2;
        }
        if (isForcedBreak(c)) {
            endLine(contentW, i + len);
            lineW = contentW = tailW = 0;
            breakAt = -1;
            i += len;
            continue;
        }
        if (c == '\r') {
            i += len;
            continue;
        }
        const qreal a = advance(c);
        if (isSpace(c)) {
            lineW += a;
            breakAt = i + len;
            breakW = contentW;
            tailW = 0;
            i += len;
            continue;
        }
        if (breaksAround(c) && i > lineStart) {
            breakAt = i;
            breakW = contentW;
            tailW = 0;
        }
        if (lineW + a > avail && i > lineStart) {
            if (breakAt > lineStart) {
                endLine(breakW, breakAt);
                lineW = contentW = tailW;
            } else {
                endLine(contentW, i);
                lineW = contentW = 0;
            }
            breakAt = -1;
            tailW = 0;
        }
        lineW += a;
        contentW = lineW;
        tailW += a;
        if (breaksAfter(c) || breaksAround(c)) {
            breakAt = i + len;
            breakW = contentW;
            tailW = 0;
        }
        i += len;
    }
    endLine(contentW, n);
    shape.width = int(std::ceil(widest));
    shape.height = shape.lines * m_lineHeight;
    return shape;
}

QString TextMeasure::layoutText(const QString& text)
{
    if (!text.contains(QLatin1Char('\n')))
        return text;
    QString out = text;
    out.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return out;
}

TextShape TextMeasure::layout(const QString& text, int width, QTextLayout* keep) const
{
    QTextLayout local;
    QTextLayout& lay = keep ? *keep : local;
    lay.setText(layoutText(text));
    lay.setFont(m_font);
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    lay.setTextOption(option);
    lay.setCacheEnabled(keep != nullptr);

    TextShape shape;
    qreal y = 0;
    qreal widest = 0;
    lay.beginLayout();
    for (QTextLine line = lay.createLine(); line.isValid(); line = lay.createLine()) {
        line.setLineWidth(std::max(1, width));
        line.setPosition(QPointF(0, y));
        y += line.height();
        widest = std::max(widest, line.naturalTextWidth());
        ++shape.lines;
    }
    lay.endLayout();
    shape.width = int(std::ceil(widest));
    shape.height = int(std::ceil(y));
    return shape;
}

} // namespace views
