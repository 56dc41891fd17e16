#pragma once

// Measuring plain text for the views without widgets. A conversation holds
// tens of thousands of messages, and laying out each one with QTextLayout
// (shaping every glyph) costs about as much as showing it; so the views
// estimate what is off screen with a greedy wrap over advances measured
// once per character, and lay out exactly what is on screen or near it.

#include <QFont>
#include <QHash>
#include <QString>
#include <QVector>

#include <array>
#include <memory>

class QTextLayout;

namespace views {

// Longest run of characters without a break opportunity that is shown as
// it is; longer runs get a zero-width space every so many characters.
constexpr int kLongestRun = 30;

// The text with a zero-width space after every kLongestRun characters of a
// run without spaces, so that a long web address or a row of digits wraps
// wherever a label wraps instead of running past its edge. Surrogate pairs
// and combining marks stay together.
QString breakableText(const QString& text);

// At most maxChars of text, cut at a character boundary, with "…" when cut.
QString clippedText(const QString& text, int maxChars);

struct TextShape
{
    int width = 0;  // widest line, rounded up
    int height = 0; // all lines, rounded up
    int lines = 0;
};

class TextMeasure
{
public:
    explicit TextMeasure(const QFont& font = QFont());
    ~TextMeasure();
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    void setFont(const QFont& font);
    const QFont& font() const { return m_font; }
    // Height of one line of text in the font's own glyphs.
    int lineHeight() const { return m_lineHeight; }

    // A quick shape from the greedy wrap. When the text is one line of
    // characters the font itself holds, with room to spare, the height is
    // exact and *exact is set.
    TextShape estimate(const QString& text, int width, bool* exact = nullptr) const;

    // Whether UTF-8 text is plain ASCII that is sure to be one line at the
    // width: then its height is lineHeight() without any text made from it.
    bool fitsOneLine(const QByteArray& utf8, int width) const;

    // The greedy wrap itself, one start offset per line. Texts too long to
    // shape whole are shown by these lines, each shaped when painted; the
    // lines leave a little room, so that shaping never makes one too wide.
    TextShape wrap(const QString& text, int width, QVector<int>* starts) const;

    // The exact shape as QTextLayout lays the text out, breaking at word
    // boundaries or, for a word longer than the line, anywhere. With keep,
    // the laid-out lines stay there for painting.
    TextShape layout(const QString& text, int width, QTextLayout* keep = nullptr) const;

    // The text as QTextLayout takes it: line feeds become line separators.
    static QString layoutText(const QString& text);

private:
    qreal advance(char32_t c) const;
    TextShape greedy(const QString& text, int width, qreal share, QVector<int>* starts) const;

    QFont m_font;
    int m_lineHeight = 0;
    mutable std::array<float, 128> m_ascii{};
    mutable QHash<char32_t, float> m_other;
};

} // namespace views
