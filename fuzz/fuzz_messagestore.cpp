// libFuzzer on the message store; the checks live in fuzzentries::messageStore.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzentries::messageStore(data, size);
}
