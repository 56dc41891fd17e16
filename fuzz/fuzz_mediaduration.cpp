// libFuzzer on the voice message durations; the checks live in fuzzentries::mediaDuration.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzentries::mediaDuration(data, size);
}
