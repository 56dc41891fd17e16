// libFuzzer on the search query parser and folding; the checks live in fuzzentries::search.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzentries::search(data, size);
}
