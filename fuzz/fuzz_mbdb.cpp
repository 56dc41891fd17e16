// libFuzzer on the Manifest.mbdb parser; the checks live in fuzzentries::mbdb.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzentries::mbdb(data, size);
}
