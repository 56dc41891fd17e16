#include "MessageSearch.h"

#include "MessageSearchInternal.h"

#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <thread>
#include <vector>

namespace search {

namespace {

using internal::appendFoldedUtf8;
using internal::forEachField;
using internal::kFieldEnd;
using internal::kMessageEnd;
using internal::view;

// How often a long loop asks whether to stop.
constexpr int kStopEvery = 4096;
// Below this many messages the index is folded in one part.
constexpr int kMessagesPerPart = 65536;

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

} // namespace

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
            bytes += messages.at(i).text.size() + messages.at(i).attachmentNames.size() + 2;
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
    start(text, false, {});
}

void MessageSearch::searchIn(const QByteArray& conversation, const QString& text)
{
    start(text, true, conversation);
}

void MessageSearch::start(const QString& text, bool inConversation, const QByteArray& conversation)
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
        empty.conversation = conversation;
        empty.inConversation = inConversation;
        QMetaObject::invokeMethod(
            this, [deliver, empty] { deliver(empty); }, Qt::QueuedConnection);
        return;
    }

    std::shared_ptr<State> state = m_state;
    const quint64 data = state->dataGeneration.load();
    m_pool->start([this, state, generation, data, query, text, inConversation, conversation, deliver] {
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
        Results results = index->find(query, stopped, inConversation ? &conversation : nullptr);
        if (results.cancelled || stopped())
            return;
        results.query = text;
        results.conversation = conversation;
        results.inConversation = inConversation;
        QMetaObject::invokeMethod(
            this, [deliver, results = std::move(results)] { deliver(results); }, Qt::QueuedConnection);
    });
}

} // namespace search
