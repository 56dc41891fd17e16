// libFuzzer on the HEIC/HEIF thumbnail path; the checks live in fuzzentries::heif.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzentries::heif(data, size);
}
