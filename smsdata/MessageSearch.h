#pragma once

// Finding messages by what they say, for the window and the command line
// alike.
//
// A message matches a query when every term of the query occurs in it, in
// any order, as a substring, after both have been folded: decomposed,
// stripped of combining marks (accents), case-folded, with every run of
// white space made one blank. So "cafe" finds "Café" and "CAFE", "brulee
// creme" finds "crème brûlée", and "明天" finds "我们明天见" (scripts written
// without spaces need no word breaks). A part of the query in double quotes
// is one term, blanks included.
//
// What is searched of a message is searchableFields(): its text (for a
// modern file that is also the text decoded from its attributedBody) and
// the name of each of its attachments ("IMG_3918.HEIC", "invoice.pdf").
// The fields are kept apart, so a term never matches across two of them.
//
// The Index is a folded copy of every message's fields in one buffer; it is
// built once per loaded store and then answers each query by one pass over
// the buffer. MessageSearch runs the build and the queries on a worker
// thread, cancels a query when a newer one comes, and reports only the
// results of the newest.

#include "MessageRecord.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>

class QThreadPool;

namespace search {

// The folded form of a text (see above). Decomposition is canonical, plus
// the full-, half-width and plain compatibility forms ("ＡＢＣ" is "abc",
// "ﬁnal" is "final"), done code point by code point.
QString foldText(QStringView text);
// The same for UTF-8 bytes, as UTF-8; invalid bytes fold to U+FFFD.
QByteArray foldUtf8(QByteArrayView utf8);

// Where the terms of a query stand in a text, in characters of that text.
struct Span
{
    int start = 0;
    int length = 0;
    bool operator==(const Span& o) const { return start == o.start && length == o.length; }
};

class Query
{
public:
    Query() = default;
    static Query parse(const QString& text);

    bool isEmpty() const { return m_terms.isEmpty(); }
    // Folded terms as UTF-8, longest first, none contained in another.
    const QVector<QByteArray>& terms() const { return m_terms; }

    // Whether every term occurs in the folded bytes of one field set.
    bool matchesFolded(QByteArrayView folded) const;
    // Whether the message matches.
    bool matches(const MessageRecord& message) const;
    // The parts of text that the terms match, in text order, overlapping
    // ones merged; for marking them where the text is shown.
    QVector<Span> spansIn(const QString& text) const;
    // The names of the message's attachments that hold a term its text
    // does not: what made it match when its text shows no reason, in the
    // message's order. Empty when the text holds every term.
    QStringList namesBeyondText(const MessageRecord& message) const;

private:
    QVector<QByteArray> m_terms;
};

// What is searched of a message, one entry per field.
QVector<QByteArray> searchableFields(const MessageRecord& message);

struct Hit
{
    qint64 rowId = 0;
    qint64 time = 0;
    int conversation = 0; // index into Results::addresses
};

struct Group
{
    int conversation = 0;
    QVector<int> hits; // indexes into Results::hits, newest first
};

struct Results
{
    QString query;
    // Every hit, newest first (the same time: the higher row id first).
    QVector<Hit> hits;
    // The hits by conversation; the conversation of the newest hit first.
    QVector<Group> groups;
    QVector<QByteArray> addresses;
    // The conversation searched when the query was for one (searchIn).
    QByteArray conversation;
    bool inConversation = false;
    bool cancelled = false;
};

// Tells a long run to stop; may be called from any thread.
using StopCheck = std::function<bool()>;

class Index
{
public:
    // Folds every message; null when stopped before the end.
    static std::shared_ptr<const Index> build(const QVector<MessageRecord>& messages, const StopCheck& stop = {});

    // The matching messages. With a conversation key, of that conversation only.
    Results find(const Query& query, const StopCheck& stop = {}, const QByteArray* conversation = nullptr) const;

    int size() const { return int(m_rowIds.size()); }
    // Bytes the index holds.
    qint64 memoryBytes() const;

private:
    Index() = default;

    // The folded texts in a few parts, folded side by side on a large file.
    struct Part
    {
        int first = 0;           // the part's first message
        QByteArray folded;       // each message's folded fields, each followed by '\0'
        QVector<qint64> offsets; // where each message begins in folded, plus the end
    };
    QVector<Part> m_parts;
    QVector<qint64> m_rowIds;
    QVector<qint64> m_times;
    QVector<int> m_conversations;
    QVector<QByteArray> m_addresses;
};

// The matching row ids among records, in their order.
QVector<qint64> matchingRows(const QVector<MessageRecord>& records, const Query& query);

// Runs queries on a worker thread against a snapshot of a store's messages.
// The index is built by the first query after setMessages.
class MessageSearch : public QObject
{
    Q_OBJECT
public:
    explicit MessageSearch(QObject* parent = nullptr);
    ~MessageSearch() override;

    // A new set of messages (an implicitly shared copy; the store may go on
    // changing its own). Results of queries on the old set are dropped.
    void setMessages(const QVector<MessageRecord>& messages);
    void clear();

    // Starts a query; an older one still running is cancelled, and only
    // the newest query's results are reported. An empty query reports empty
    // results at once (still through the event loop).
    void search(const QString& query);
    // The same within one conversation (by its key): its hits only, and
    // the results tell which conversation they are of. It cancels and is
    // cancelled by search() alike.
    void searchIn(const QByteArray& conversation, const QString& query);
    // Cancels the query that runs; nothing more is reported.
    void cancel();
    bool isBusy() const { return m_pending; }
    // Waits until no query runs (for the program's end and for tests).
    void waitForIdle();

signals:
    void resultsReady(const search::Results& results);

private:
    void start(const QString& text, bool inConversation, const QByteArray& conversation);

    struct State;
    std::shared_ptr<State> m_state;
    QThreadPool* m_pool = nullptr;
    quint64 m_generation = 0;
    bool m_pending = false;
};

} // namespace search

Q_DECLARE_METATYPE(search::Results)
