// The Manifest.mbdb parser on arbitrary bytes: it never reads past the end,
// and what it accepts survives being written out and read again.

#include "FuzzEntries.h"

#include "MbdbCatalogue.h"

#include <cstdint>
#include <cstdlib>

namespace fuzzentries {

int mbdb(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const std::optional<QVector<phonebackup::MbdbRecord>> records = phonebackup::parseMbdb(bytes, &error);
    if (!records) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    const std::optional<QVector<phonebackup::MbdbRecord>> again =
        phonebackup::parseMbdb(phonebackup::serializeMbdb(*records));
    if (!again || again->size() != records->size())
        std::abort();
    for (int i = 0; i < records->size(); ++i) {
        if (again->at(i).size != records->at(i).size || again->at(i).mode != records->at(i).mode ||
            again->at(i).encryptionKey != records->at(i).encryptionKey)
            std::abort();
    }
    return 0;
}

} // namespace fuzzentries
