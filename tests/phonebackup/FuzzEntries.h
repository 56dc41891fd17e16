#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int fuzzMbdbEntry(const uint8_t* data, size_t size);
extern "C" int fuzzKeyBagEntry(const uint8_t* data, size_t size);
extern "C" int fuzzBackupLookupEntry(const uint8_t* data, size_t size);
extern "C" int fuzzPlistEntry(const uint8_t* data, size_t size);
