// libFuzzer on the "recipients" cell of a legacy multimedia message; the checks live in fuzzentries::recipients.

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzentries::recipients(data, size);
}
