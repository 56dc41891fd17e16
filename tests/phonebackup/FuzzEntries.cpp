// The fuzz targets' entries, renamed so that one test program can hold them
// all and feed them random and truncated input without libFuzzer.
#define LLVMFuzzerTestOneInput fuzzMbdbEntry
#include "../../fuzz/fuzz_mbdb.cpp"
#undef LLVMFuzzerTestOneInput

#define LLVMFuzzerTestOneInput fuzzKeyBagEntry
#include "../../fuzz/fuzz_keybag.cpp"
#undef LLVMFuzzerTestOneInput

#define LLVMFuzzerTestOneInput fuzzBackupLookupEntry
#include "../../fuzz/fuzz_backuplookup.cpp"
#undef LLVMFuzzerTestOneInput

#define LLVMFuzzerTestOneInput fuzzPlistEntry
#include "../../fuzz/fuzz_plist.cpp"
#undef LLVMFuzzerTestOneInput
