// The voice message durations on arbitrary bytes: unknown (-1) or a
// duration no longer than a hundred days, shown as text exactly when known;
// never a crash, a hang or an allocation by what the bytes claim.

#include "FuzzEntries.h"

#include "MediaDuration.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace fuzzentries {

int mediaDuration(const uint8_t* data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        std::abort();
    const qint64 ms = pictures::mediaDurationMs(&buffer);
    if (ms < -1 || ms > qint64(100) * 24 * 3600 * 1000)
        std::abort();
    if (pictures::durationText(ms).isEmpty() != (ms < 0))
        std::abort();
    return 0;
}

} // namespace fuzzentries
