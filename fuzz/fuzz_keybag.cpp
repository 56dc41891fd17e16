// libFuzzer on the key-bag parser; the checks live in fuzzentries::keyBag.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzentries::keyBag(data, size);
}
