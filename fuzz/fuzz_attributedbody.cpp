// libFuzzer on the attributedBody decoder; the checks live in fuzzentries::attributedBody.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzentries::attributedBody(data, size);
}
