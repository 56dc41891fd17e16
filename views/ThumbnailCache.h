#pragma once

// Thumbnails of the attachments on the chat page, made on worker threads
// and kept in a memory cache with a bound; and the play times of voice
// messages, read from their headers on the same threads. Only what the page asks for is
// made, and the page asks only for the bubbles it shows (the visible part
// and a margin). Files are located on the GUI thread through the source's
// AttachmentFiles (which is not thread-safe); decoding runs on the pool.
// Nothing is written to disk: what comes out of an encrypted backup stays
// in memory or in the source's own private folder.

#include "Attachment.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QThreadPool>

class AttachmentFiles;

namespace views {

class ThumbnailCache : public QObject
{
    Q_OBJECT
public:
    // Thumbnails fit this box.
    static QSize bound() { return {480, 360}; }

    explicit ThumbnailCache(QObject* parent = nullptr);
    ~ThumbnailCache() override;

    // The source whose files are read; null for none. Clears the cache.
    void setFiles(AttachmentFiles* files);
    AttachmentFiles* files() const { return m_files; }

    enum class State { Pending, Ready, Failed, Missing };
    // The thumbnail when it is made; otherwise starts making it (once) and
    // returns a null image with *state Pending, or says it cannot be had.
    QImage thumbnail(const AttachmentRecord& attachment, State* state);
    bool isPresent(const AttachmentRecord& attachment);
    // The play time of a voice message in milliseconds once it is read;
    // otherwise starts reading it (once) and returns -1 with *state
    // Pending. Ready with -1: the file does not tell.
    qint64 duration(const AttachmentRecord& attachment, State* state);

    // Bytes the cache may hold (default 64 MB).
    void setMemoryBound(qint64 bytes);
    qint64 memoryUsed() const { return m_cache.totalCost(); }
    int pendingCount() const { return int(m_pending.size()); }
    // Waits for the running decodes (tests, and before the source goes).
    void waitForDone();

signals:
    // A thumbnail or a duration was made (or failed).
    void thumbnailReady(const QByteArray& key);

private:
    struct Job
    {
        QByteArray key;
        QString path;
        AttachmentRecord::Kind kind;
    };
    // Queues the work on a's file (a thumbnail, or a voice message's
    // duration) for the worker threads; false when the file cannot be had.
    bool enqueue(const AttachmentRecord& a, const QByteArray& key);
    void startJobs();
    void finished(int generation, const Job& job, const QImage& image, qint64 durationMs);

    // Waiting decodes, newest last. The newest are what is on screen now:
    // they go first, and the oldest are dropped beyond kMaxWaiting (asked
    // again should they come back into view).
    static constexpr int kMaxWaiting = 32;
    QList<Job> m_waiting;
    int m_running = 0;

    AttachmentFiles* m_files = nullptr;
    QThreadPool m_pool;
    QCache<QByteArray, QImage> m_cache;
    QSet<QByteArray> m_pending;
    QSet<QByteArray> m_failed;
    QHash<QByteArray, bool> m_present;
    QHash<QByteArray, qint64> m_durations;
    int m_generation = 0;
};

} // namespace views
