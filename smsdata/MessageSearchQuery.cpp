// Folding texts for the search, and queries: parsing them, matching messages
// and finding where their terms stand in a text.
#include "MessageSearch.h"

#include "MessageSearchInternal.h"

#include <QStringDecoder>

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace search {

namespace {

using internal::appendFoldedUtf8;
using internal::forEachField;
using internal::kFieldEnd;
using internal::view;

bool isAscii(const char* data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    }
    return true;
}

bool isAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The folded form of ASCII text, appended to out: the same as foldText
// gives, without the detour through UTF-16.
void appendFoldedAscii(const char* data, qsizetype size, QByteArray& out)
{
    bool blank = !out.isEmpty() && out.back() == ' ';
    for (qsizetype i = 0; i < size; ++i) {
        char c = data[i];
        if (isAsciiSpace(c) || c == '\0') {
            if (!blank)
                out.append(' ');
            blank = true;
            continue;
        }
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        out.append(c);
        blank = false;
    }
}

bool isDropped(char32_t c)
{
    return QChar::category(c) == QChar::Mark_NonSpacing;
}

bool isBlank(char32_t c)
{
    return c == 0 || QChar::isSpace(c);
}

// Folds one decomposed code point into out; blank tells whether out ends in
// a blank already.
void appendFoldedCodePoint(char32_t c, QString& out, bool& blank)
{
    if (isDropped(c))
        return;
    if (isBlank(c)) {
        if (!blank)
            out.append(QLatin1Char(' '));
        blank = true;
        return;
    }
    const char32_t folded = QChar::toCaseFolded(c);
    if (QChar::requiresSurrogates(folded)) {
        out.append(QChar(QChar::highSurrogate(folded)));
        out.append(QChar(QChar::lowSurrogate(folded)));
    } else {
        out.append(QChar(char16_t(folded)));
    }
    blank = false;
}

// Whether a decomposition of this kind is followed: the canonical ones
// (accents), full- and half-width forms ("ＡＢＣ" is "ABC") and the plain
// compatibility ones (the ligature "ﬁ" is "fi"). Circled, superscript,
// font and other variants keep their own look.
bool isFolded(QChar::Decomposition tag)
{
    return tag == QChar::Canonical || tag == QChar::Wide || tag == QChar::Narrow || tag == QChar::Compat;
}

// The decomposition of one code point, passed on code point by code point.
// Done per code point, not per text as a normal form would, so that a shown
// text and its folded form line up character by character.
template <typename Sink> void decompose(char32_t c, const Sink& sink)
{
    // Below U+00A0 nothing decomposes.
    if (c < 0xA0 || !isFolded(QChar::decompositionTag(c))) {
        sink(c);
        return;
    }
    const QString parts = QChar::decomposition(c);
    for (char32_t d : parts.toUcs4())
        decompose(d, sink);
}

// Each code point of text with where it begins and ends; a lone surrogate
// stands for itself.
template <typename Visit> void forEachCodePoint(QStringView text, const Visit& visit)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype start = i;
        char32_t c = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        ++i;
        visit(c, start, i);
    }
}

void appendUtf8(char32_t c, QByteArray& out)
{
    char bytes[4];
    int n = 0;
    if (c < 0x80) {
        bytes[n++] = char(c);
    } else if (c < 0x800) {
        bytes[n++] = char(0xC0 | (c >> 6));
        bytes[n++] = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes[n++] = char(0xE0 | (c >> 12));
        bytes[n++] = char(0x80 | ((c >> 6) & 0x3F));
        bytes[n++] = char(0x80 | (c & 0x3F));
    } else {
        bytes[n++] = char(0xF0 | (c >> 18));
        bytes[n++] = char(0x80 | ((c >> 12) & 0x3F));
        bytes[n++] = char(0x80 | ((c >> 6) & 0x3F));
        bytes[n++] = char(0x80 | (c & 0x3F));
    }
    out.append(bytes, n);
}

// Han ideographs: no decomposition, no case, no mark, no space. Most
// non-Latin texts are made of them, so they skip the lookups.
bool isHan(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF);
}

// One code point folded onto out as UTF-8; blank tells whether out ends in
// a blank already.
void appendFoldedCodePointUtf8(char32_t c, QByteArray& out, bool& blank)
{
    if (isHan(c)) {
        appendUtf8(c, out);
        blank = false;
        return;
    }
    decompose(c, [&](char32_t d) {
        if (isDropped(d))
            return;
        if (isBlank(d)) {
            if (!blank)
                out.append(' ');
            blank = true;
            return;
        }
        appendUtf8(QChar::toCaseFolded(d), out);
        blank = false;
    });
}

// The folded form of text (as foldText gives it) appended to out as UTF-8.
void appendFoldedText(QStringView text, QByteArray& out)
{
    bool blank = !out.isEmpty() && out.back() == ' ';
    forEachCodePoint(text, [&](char32_t c, qsizetype, qsizetype) { appendFoldedCodePointUtf8(c, out, blank); });
}

// Decodes well-formed UTF-8 and folds it onto out; false, with out as it
// was, at the first byte that is not: such text goes the way of
// QString::fromUtf8, whose replacement characters the window shows.
bool appendFoldedWellFormed(QByteArrayView utf8, QByteArray& out)
{
    const qsizetype start = out.size();
    bool blank = !out.isEmpty() && out.back() == ' ';
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.constData());
    const auto* end = p + utf8.size();
    while (p < end) {
        const unsigned char b = *p;
        char32_t c = 0;
        int more = 0;
        char32_t least = 0;
        if (b < 0x80) {
            c = b;
        } else if (b >= 0xC2 && b <= 0xDF) {
            c = b & 0x1F;
            more = 1;
            least = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            c = b & 0x0F;
            more = 2;
            least = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            c = b & 0x07;
            more = 3;
            least = 0x10000;
        } else {
            out.truncate(start);
            return false;
        }
        if (end - p <= more) {
            if (more > 0) {
                out.truncate(start);
                return false;
            }
        }
        for (int k = 1; k <= more; ++k) {
            if ((p[k] & 0xC0) != 0x80) {
                out.truncate(start);
                return false;
            }
            c = (c << 6) | (p[k] & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out.truncate(start);
            return false;
        }
        p += more + 1;
        appendFoldedCodePointUtf8(c, out, blank);
    }
    return true;
}

bool isQuote(QChar c)
{
    // Phones type the curly ones.
    return c == QLatin1Char('"') || c == QChar(0x201C) || c == QChar(0x201D) || c == QChar(0x201E);
}

} // namespace

namespace internal {

void appendFoldedUtf8(QByteArrayView utf8, QByteArray& out, std::vector<QChar>& buffer)
{
    if (isAscii(utf8.constData(), utf8.size())) {
        appendFoldedAscii(utf8.constData(), utf8.size(), out);
        return;
    }
    if (appendFoldedWellFormed(utf8, out))
        return;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // UTF-16 never needs more units than UTF-8 has bytes.
    buffer.resize(size_t(utf8.size()) + 1);
    const QChar* end = decoder.appendToBuffer(buffer.data(), utf8);
    appendFoldedText(QStringView(buffer.data(), end - buffer.data()), out);
}

} // namespace internal

QString foldText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    bool blank = false;
    forEachCodePoint(text, [&](char32_t c, qsizetype, qsizetype) {
        decompose(c, [&](char32_t d) { appendFoldedCodePoint(d, out, blank); });
    });
    return out;
}

QByteArray foldUtf8(QByteArrayView utf8)
{
    QByteArray out;
    out.reserve(utf8.size());
    std::vector<QChar> buffer;
    appendFoldedUtf8(utf8, out, buffer);
    return out;
}

// ------------------------------------------------------------------ Query

Query Query::parse(const QString& text)
{
    QStringList parts;
    QString word;
    bool quoted = false;
    auto flush = [&] {
        if (!word.isEmpty())
            parts.append(word);
        word.clear();
    };
    for (QChar c : text) {
        if (isQuote(c)) {
            flush();
            quoted = !quoted;
        } else if (!quoted && (c.isSpace() || c.isNull())) {
            flush();
        } else {
            word.append(c);
        }
    }
    flush();

    QVector<QByteArray> terms;
    for (const QString& part : std::as_const(parts)) {
        const QByteArray folded = foldText(part).trimmed().toUtf8();
        if (!folded.isEmpty() && !terms.contains(folded))
            terms.append(folded);
    }
    // Longest first: the longest term is the rarest as a rule, and the index
    // looks for it first. A term inside another adds nothing.
    std::stable_sort(terms.begin(), terms.end(),
                     [](const QByteArray& a, const QByteArray& b) { return a.size() > b.size(); });
    Query q;
    for (const QByteArray& t : std::as_const(terms)) {
        const bool implied = std::any_of(q.m_terms.cbegin(), q.m_terms.cend(),
                                         [&](const QByteArray& longer) { return longer.contains(t); });
        if (!implied)
            q.m_terms.append(t);
    }
    return q;
}

bool Query::matchesFolded(QByteArrayView folded) const
{
    if (m_terms.isEmpty())
        return false;
    const std::string_view hay(folded.constData(), size_t(folded.size()));
    return std::all_of(m_terms.cbegin(), m_terms.cend(),
                       [&](const QByteArray& t) { return hay.find(view(t)) != std::string_view::npos; });
}

bool Query::matches(const MessageRecord& message) const
{
    QByteArray folded;
    std::vector<QChar> scratch;
    forEachField(message, [&](const QByteArray& field) {
        appendFoldedUtf8(field, folded, scratch);
        folded += kFieldEnd;
    });
    return matchesFolded(folded);
}

QVector<Span> Query::spansIn(const QString& text) const
{
    if (m_terms.isEmpty() || text.isEmpty())
        return {};
    // Fold code point by code point, remembering where in text each folded
    // character came from.
    QString folded;
    QVector<int> from;
    QVector<int> to;
    folded.reserve(text.size());
    bool blank = false;
    forEachCodePoint(text, [&](char32_t c, qsizetype start, qsizetype end) {
        const qsizetype before = folded.size();
        decompose(c, [&](char32_t d) { appendFoldedCodePoint(d, folded, blank); });
        for (qsizetype k = before; k < folded.size(); ++k) {
            from.append(int(start));
            to.append(int(end));
        }
        // A combining mark that folds away belongs to the letter before it.
        if (folded.size() == before && !to.isEmpty() && isDropped(c))
            to.last() = int(end);
    });

    QVector<Span> spans;
    for (const QByteArray& term : m_terms) {
        const QString t = QString::fromUtf8(term);
        for (qsizetype at = folded.indexOf(t); at >= 0; at = folded.indexOf(t, at + 1)) {
            const int s = from.at(at);
            const int e = to.at(at + t.size() - 1);
            spans.append({s, e - s});
        }
    }
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
    QVector<Span> merged;
    for (const Span& s : std::as_const(spans)) {
        if (!merged.isEmpty() && s.start <= merged.back().start + merged.back().length) {
            Span& last = merged.back();
            last.length = std::max(last.start + last.length, s.start + s.length) - last.start;
        } else {
            merged.append(s);
        }
    }
    return merged;
}

QStringList Query::namesBeyondText(const MessageRecord& message) const
{
    QStringList names;
    if (m_terms.isEmpty() || message.attachmentNames.isEmpty())
        return names;
    const QByteArray text = foldUtf8(message.text);
    QVector<QByteArray> missing;
    for (const QByteArray& t : m_terms) {
        if (!text.contains(t))
            missing.append(t);
    }
    if (missing.isEmpty())
        return names;
    bool isText = true;
    forEachField(message, [&](const QByteArray& field) {
        if (std::exchange(isText, false))
            return;
        const QByteArray folded = foldUtf8(field);
        if (std::any_of(missing.cbegin(), missing.cend(), [&](const QByteArray& t) { return folded.contains(t); }))
            names.append(QString::fromUtf8(field));
    });
    return names;
}

QVector<QByteArray> searchableFields(const MessageRecord& message)
{
    QVector<QByteArray> fields;
    forEachField(message, [&](const QByteArray& field) { fields.append(field); });
    return fields;
}

QVector<qint64> matchingRows(const QVector<MessageRecord>& records, const Query& query)
{
    QVector<qint64> rows;
    if (query.isEmpty())
        return rows;
    for (const MessageRecord& r : records) {
        if (query.matches(r))
            rows.append(r.rowId);
    }
    return rows;
}

} // namespace search
