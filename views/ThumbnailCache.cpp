#include "ThumbnailCache.h"

#include "AttachmentFiles.h"
#include "MediaDuration.h"
#include "PictureDecoder.h"

namespace views {

namespace {

QByteArray keyOf(const AttachmentRecord& a)
{
    return a.relativePath;
}

} // namespace

ThumbnailCache::ThumbnailCache(QObject* parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(2);
    setMemoryBound(64 * 1024 * 1024);
}

ThumbnailCache::~ThumbnailCache()
{
    m_pool.clear();
    m_pool.waitForDone();
}

void ThumbnailCache::setFiles(AttachmentFiles* files)
{
    // Decodes of the earlier source still running report into nothing.
    ++m_generation;
    m_pool.clear();
    m_pool.waitForDone();
    m_waiting.clear();
    m_running = 0;
    m_files = files;
    m_cache.clear();
    m_pending.clear();
    m_failed.clear();
    m_present.clear();
    m_durations.clear();
}

void ThumbnailCache::setMemoryBound(qint64 bytes)
{
    m_cache.setMaxCost(qsizetype(bytes));
}

void ThumbnailCache::waitForDone()
{
    m_pool.waitForDone();
}

bool ThumbnailCache::isPresent(const AttachmentRecord& a)
{
    if (!m_files || a.relativePath.isEmpty())
        return false;
    const auto known = m_present.constFind(keyOf(a));
    if (known != m_present.cend())
        return *known;
    const bool present = m_files->isPresent(a);
    m_present.insert(keyOf(a), present);
    return present;
}

QImage ThumbnailCache::thumbnail(const AttachmentRecord& a, State* state)
{
    const QByteArray key = keyOf(a);
    if (const QImage* image = m_cache.object(key)) {
        *state = State::Ready;
        return *image;
    }
    if (!isPresent(a)) {
        *state = State::Missing;
        return {};
    }
    const AttachmentRecord::Kind kind = a.kind();
    if (m_failed.contains(key) || kind == AttachmentRecord::Kind::Voice || kind == AttachmentRecord::Kind::File ||
        (kind == AttachmentRecord::Kind::Video && !pictures::canReadVideoFrames())) {
        *state = State::Failed;
        return {};
    }
    *state = State::Pending;
    if (m_pending.contains(key))
        return {};
    if (!enqueue(a, key)) {
        m_failed.insert(key);
        *state = State::Failed;
    }
    return {};
}

qint64 ThumbnailCache::duration(const AttachmentRecord& a, State* state)
{
    const QByteArray key = keyOf(a);
    const auto known = m_durations.constFind(key);
    if (known != m_durations.cend()) {
        *state = State::Ready;
        return *known;
    }
    if (!isPresent(a)) {
        *state = State::Missing;
        return -1;
    }
    if (a.kind() != AttachmentRecord::Kind::Voice) {
        *state = State::Failed;
        return -1;
    }
    *state = State::Pending;
    if (m_pending.contains(key))
        return -1;
    if (!enqueue(a, key)) {
        m_durations.insert(key, -1);
        *state = State::Ready;
    }
    return -1;
}

bool ThumbnailCache::enqueue(const AttachmentRecord& a, const QByteArray& key)
{
    QString why;
    const QString path = m_files->localFile(a, &why);
    if (path.isEmpty())
        return false;
    m_pending.insert(key);
    m_waiting.append({key, path, a.kind()});
    while (m_waiting.size() > kMaxWaiting)
        m_pending.remove(m_waiting.takeFirst().key);
    startJobs();
    return true;
}

void ThumbnailCache::startJobs()
{
    const int generation = m_generation;
    while (m_running < m_pool.maxThreadCount() && !m_waiting.isEmpty()) {
        const Job job = m_waiting.takeLast();
        ++m_running;
        // The destructor waits for the pool, so `this` outlives every task;
        // a result posted after it is gone is dropped with its receiver.
        m_pool.start([this, generation, job] {
            QString ignored;
            QImage image;
            qint64 ms = -1;
            if (job.kind == AttachmentRecord::Kind::Voice)
                ms = pictures::mediaDurationMs(job.path);
            else if (job.kind == AttachmentRecord::Kind::Video)
                image = pictures::videoFrame(job.path, bound(), &ignored);
            else
                image = pictures::decodePicture(job.path, bound(), &ignored);
            QMetaObject::invokeMethod(
                this, [this, generation, job, image, ms] { finished(generation, job, image, ms); },
                Qt::QueuedConnection);
        });
    }
}

void ThumbnailCache::finished(int generation, const Job& job, const QImage& image, qint64 durationMs)
{
    if (generation != m_generation)
        return;
    --m_running;
    startJobs();
    const QByteArray& key = job.key;
    m_pending.remove(key);
    if (job.kind == AttachmentRecord::Kind::Voice)
        m_durations.insert(key, durationMs);
    else if (image.isNull())
        m_failed.insert(key);
    else
        m_cache.insert(key, new QImage(image), qsizetype(qMax<qint64>(1, image.sizeInBytes())));
    emit thumbnailReady(key);
}

} // namespace views
