// libFuzzer on the updater's file naming; the checks live in fuzzentries::downloadName.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzentries::downloadName(data, size);
}
