// The "recipients" cell of a legacy multimedia message (a property list
// array) on arbitrary bytes. Besides not crashing, a number it finds must be
// text the cell holds, never longer than the cell.

#include "FuzzEntries.h"

#include "LegacyMessageTable.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace fuzzentries {

int recipients(const uint8_t* data, size_t size)
{
    const QByteArray cell(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray first = legacytable::firstRecipient(cell);
    if (first.size() > cell.size())
        std::abort();
    return 0;
}

} // namespace fuzzentries
