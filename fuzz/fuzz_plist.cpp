// libFuzzer on the property-list readers of a backup folder; the checks live in fuzzentries::plist.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzentries::plist(data, size);
}
