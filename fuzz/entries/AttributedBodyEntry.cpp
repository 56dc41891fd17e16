// The attributedBody decoder on arbitrary bytes. Besides not crashing, the
// text must be a part of the blob, and encoding it and decoding again must
// give it back.

#include "FuzzEntries.h"

#include "AttributedBody.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace fuzzentries {

int attributedBody(const uint8_t* data, size_t size)
{
    const QByteArray blob = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray text = attributedbody::decode(blob);
    if (text.size() > blob.size() || (!text.isEmpty() && !blob.contains(text)))
        std::abort();
    if (attributedbody::decode(attributedbody::encode(text)) != text)
        std::abort();
    return 0;
}

} // namespace fuzzentries
