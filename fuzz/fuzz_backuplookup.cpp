// libFuzzer on the backup lookup; the checks live in fuzzentries::backupLookup.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzentries::backupLookup(data, size);
}
