#include "MessageSearch.h"

#include <QMutex>
#include <QMutexLocker>
#include <QStringDecoder>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <thread>
#include <vector>

namespace search {

namespace {

// Separates the fields of one message in the index, and ends a message.
// Folded text holds neither: every white space became a blank, and NUL too.
constexpr char kFieldEnd = '\n';
constexpr char kMessageEnd = '\0';

// How often a long loop asks whether to stop.
constexpr int kStopEvery = 4096;
// Below this many messages the index is folded in one part.
constexpr int kMessagesPerPart = 65536;

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

// The canonical decomposition of one code point, passed on code point by
// code point. Done per code point, not per text as a normal form would, so
// that a shown text and its folded form line up character by character.
template <typename Sink> void decompose(char32_t c, const Sink& sink)
{
    if (c < 0xC0 || QChar::decompositionTag(c) != QChar::Canonical) {
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

// Folds UTF-8 bytes onto out; buffer is scratch room kept between calls,
// so that a million texts do not cost a million allocations. Invalid bytes
// become U+FFFD as QString::fromUtf8 makes them.
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

// What is searched of a message, field by field; the index walks a million
// messages, so without a list made for each.
template <typename Visit> void forEachField(const MessageRecord& message, const Visit& visit)
{
    // Attachment names join here as fields of their own once messages carry them.
    visit(message.text);
}

qsizetype findIn(std::string_view haystack, std::string_view needle, qsizetype from)
{
#ifdef __GLIBC__
    // The C library's search is several times faster on long texts.
    const void* at = memmem(haystack.data() + from, haystack.size() - size_t(from), needle.data(), needle.size());
    return at ? static_cast<const char*>(at) - haystack.data() : -1;
#else
    const auto at = haystack.find(needle, size_t(from));
    return at == std::string_view::npos ? -1 : qsizetype(at);
#endif
}

std::string_view view(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), size_t(bytes.size()));
}

bool isQuote(QChar c)
{
    // Phones type the curly ones.
    return c == QLatin1Char('"') || c == QChar(0x201C) || c == QChar(0x201D) || c == QChar(0x201E);
}

} // namespace

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

// ------------------------------------------------------------------ Index

std::shared_ptr<const Index> Index::build(const QVector<MessageRecord>& messages, const StopCheck& stop)
{
    std::shared_ptr<Index> index(new Index);
    const int n = int(messages.size());
    // A large file is folded in parts side by side; a part of its own for
    // each processor, up to four.
    const int parts = n >= kMessagesPerPart ? std::clamp(QThread::idealThreadCount(), 1, 4) : 1;
    index->m_parts.resize(parts);
    std::atomic<bool> stopped{false};
    auto fold = [&](int k) {
        Part& part = index->m_parts[k];
        part.first = int(qint64(n) * k / parts);
        const int last = int(qint64(n) * (k + 1) / parts);
        qsizetype bytes = 0;
        for (int i = part.first; i < last; ++i)
            bytes += messages.at(i).text.size() + 2;
        part.folded.reserve(bytes);
        part.offsets.reserve(last - part.first + 1);
        std::vector<QChar> scratch;
        for (int i = part.first; i < last; ++i) {
            if (i % kStopEvery == 0 && (stopped.load() || (stop && stop()))) {
                stopped.store(true);
                return;
            }
            part.offsets.append(part.folded.size());
            forEachField(messages.at(i), [&](const QByteArray& field) {
                appendFoldedUtf8(field, part.folded, scratch);
                part.folded += kFieldEnd;
            });
            part.folded += kMessageEnd;
        }
        part.offsets.append(part.folded.size());
        part.folded.squeeze();
    };
    std::vector<std::thread> helpers;
    for (int k = 1; k < parts; ++k)
        helpers.emplace_back(fold, k);
    fold(0);

    // Meanwhile what the hits carry.
    index->m_rowIds.reserve(n);
    index->m_times.reserve(n);
    index->m_conversations.reserve(n);
    QHash<QByteArray, int> conversationOf;
    QByteArray lastAddress;
    int lastConversation = -1;
    for (const MessageRecord& m : messages) {
        index->m_rowIds.append(m.rowId);
        index->m_times.append(m.time);
        // Messages come in runs of one conversation.
        if (lastConversation < 0 || m.address != lastAddress) {
            auto it = conversationOf.find(m.address);
            if (it == conversationOf.end()) {
                it = conversationOf.insert(m.address, int(index->m_addresses.size()));
                index->m_addresses.append(m.address);
            }
            lastConversation = *it;
            lastAddress = m.address;
        }
        index->m_conversations.append(lastConversation);
    }
    for (std::thread& t : helpers)
        t.join();
    if (stopped.load())
        return nullptr;
    return index;
}

qint64 Index::memoryBytes() const
{
    qint64 bytes = m_rowIds.capacity() * qint64(sizeof(qint64)) + m_times.capacity() * qint64(sizeof(qint64)) +
                   m_conversations.capacity() * qint64(sizeof(int));
    // The keys' bytes are the store's own, shared.
    bytes += m_addresses.capacity() * qint64(sizeof(QByteArray));
    for (const Part& part : m_parts)
        bytes += part.folded.capacity() + part.offsets.capacity() * qint64(sizeof(qint64));
    return bytes;
}

Results Index::find(const Query& query, const StopCheck& stop, const QByteArray* conversation) const
{
    Results results;
    if (query.isEmpty() || m_rowIds.isEmpty())
        return results;
    int only = -1;
    if (conversation) {
        only = int(m_addresses.indexOf(*conversation));
        if (only < 0)
            return results;
    }

    const std::string_view first = view(query.terms().first());
    const auto& terms = query.terms();
    QVector<int> found;
    int checks = 0;
    for (const Part& part : m_parts) {
        const std::string_view hay = view(part.folded);
        qsizetype from = 0;
        while (from < qsizetype(hay.size())) {
            if (stop && ++checks % kStopEvery == 0 && stop()) {
                results.cancelled = true;
                return results;
            }
            const qsizetype at = findIn(hay, first, from);
            if (at < 0)
                break;
            // The message that holds it: the last one that begins at or before it.
            const auto next = std::upper_bound(part.offsets.cbegin(), part.offsets.cend(), at);
            const int local = int(next - part.offsets.cbegin()) - 1;
            const qsizetype begin = part.offsets.at(local);
            const qsizetype end = part.offsets.at(local + 1);
            from = end;
            const int message = part.first + local;
            if (only >= 0 && m_conversations.at(message) != only)
                continue;
            const std::string_view text = hay.substr(size_t(begin), size_t(end - begin));
            bool all = true;
            for (qsizetype t = 1; t < terms.size() && all; ++t)
                all = text.find(view(terms.at(t))) != std::string_view::npos;
            if (all)
                found.append(message);
        }
    }

    // Newest first; the same time, the higher row id first. Files keep
    // their rows in time order as a rule, so the hits, taken backwards,
    // mostly are in order already and the sort has little to do.
    results.hits.reserve(found.size());
    for (auto it = found.crbegin(); it != found.crend(); ++it)
        results.hits.append(Hit{m_rowIds.at(*it), m_times.at(*it), m_conversations.at(*it)});
    const auto newer = [](const Hit& a, const Hit& b) {
        return a.time != b.time ? a.time > b.time : a.rowId > b.rowId;
    };
    if (!std::is_sorted(results.hits.cbegin(), results.hits.cend(), newer))
        std::stable_sort(results.hits.begin(), results.hits.end(), newer);

    results.addresses = m_addresses;
    QVector<int> groupOf(m_addresses.size(), -1);
    for (int hit = 0; hit < results.hits.size(); ++hit) {
        const int c = results.hits.at(hit).conversation;
        if (groupOf.at(c) < 0) {
            groupOf[c] = int(results.groups.size());
            results.groups.append(Group{c, {}});
        }
        results.groups[groupOf.at(c)].hits.append(hit);
    }
    return results;
}

// ------------------------------------------------------------ MessageSearch

struct MessageSearch::State
{
    QMutex mutex;
    // Kept until the index is built from it, then let go, so that the
    // store's own array is not held shared longer than needed.
    QVector<MessageRecord> messages;
    std::shared_ptr<const Index> index;
    std::atomic<quint64> dataGeneration{0};
    std::atomic<quint64> latest{0};

    // Out of line: inlined into the worker's lambda, gcc 12 takes the
    // atomic loads for writes into nothing (-Wstringop-overflow).
    Q_NEVER_INLINE bool isLatest(quint64 generation) const { return latest.load() == generation; }
    Q_NEVER_INLINE bool holds(quint64 data) const { return dataGeneration.load() == data; }
};

MessageSearch::MessageSearch(QObject* parent) : QObject(parent), m_state(std::make_shared<State>())
{
    qRegisterMetaType<search::Results>();
    m_pool = new QThreadPool(this);
    // One query at a time: a newer one waits for the older to notice that it
    // is cancelled, and never competes with it for the index.
    m_pool->setMaxThreadCount(1);
}

MessageSearch::~MessageSearch()
{
    m_state->dataGeneration.fetch_add(1);
    m_state->latest.store(~quint64(0));
    m_pool->waitForDone();
}

void MessageSearch::setMessages(const QVector<MessageRecord>& messages)
{
    {
        QMutexLocker lock(&m_state->mutex);
        m_state->dataGeneration.fetch_add(1);
        m_state->messages = messages;
        m_state->index.reset();
    }
    cancel();
}

void MessageSearch::clear()
{
    setMessages({});
}

void MessageSearch::cancel()
{
    m_state->latest.store(++m_generation);
    m_pending = false;
}

void MessageSearch::waitForIdle()
{
    m_pool->waitForDone();
}

void MessageSearch::search(const QString& text)
{
    const quint64 generation = ++m_generation;
    m_state->latest.store(generation);
    m_pending = true;
    const Query query = Query::parse(text);
    auto deliver = [this, generation](Results results) {
        if (generation != m_generation)
            return;
        m_pending = false;
        emit resultsReady(results);
    };
    if (query.isEmpty()) {
        Results empty;
        empty.query = text;
        QMetaObject::invokeMethod(
            this, [deliver, empty] { deliver(empty); }, Qt::QueuedConnection);
        return;
    }

    std::shared_ptr<State> state = m_state;
    const quint64 data = state->dataGeneration.load();
    m_pool->start([this, state, generation, data, query, text, deliver] {
        const StopCheck stopped = [&] { return !state->isLatest(generation); };
        if (stopped())
            return;
        std::shared_ptr<const Index> index;
        QVector<MessageRecord> messages;
        {
            QMutexLocker lock(&state->mutex);
            if (!state->holds(data))
                return;
            index = state->index;
            if (!index)
                messages = state->messages;
        }
        if (!index) {
            // A newer query does not stop the build (it needs the index as
            // well); only new messages do.
            index = Index::build(messages, [&] { return !state->holds(data); });
            QMutexLocker lock(&state->mutex);
            if (!index || !state->holds(data))
                return;
            state->index = index;
            state->messages.clear();
        }
        messages.clear();
        Results results = index->find(query, stopped);
        if (results.cancelled || stopped())
            return;
        results.query = text;
        QMetaObject::invokeMethod(
            this, [deliver, results = std::move(results)] { deliver(results); }, Qt::QueuedConnection);
    });
}

} // namespace search
