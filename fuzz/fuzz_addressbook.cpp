// libFuzzer on both address-book readers; the checks live in fuzzentries::addressBook.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzentries::addressBook(data, size);
}
