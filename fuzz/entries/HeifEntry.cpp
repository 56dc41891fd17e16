// The HEIC/HEIF thumbnail path on arbitrary bytes: a null image with a
// reason, or a picture within the bound, never a crash or a huge allocation.

#include "FuzzEntries.h"

#include "PictureDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace fuzzentries {

int heif(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QString why;
    const QImage image = pictures::decodeHeif(bytes, QSize(480, 360), &why);
    if (image.isNull() && why.isEmpty())
        std::abort();
    if (image.width() > 480 || image.height() > 360)
        std::abort();
    return 0;
}

} // namespace fuzzentries
