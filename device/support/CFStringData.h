#pragma once

// The string values that the device-support libraries pass around in place
// of CoreFoundation strings: UTF-8 bytes with their length in UTF-16 units.
// Linked into each support library with hidden symbols, so each keeps its own
// copy and the libraries agree only on the memory layout.

#include "MobileDeviceApi.h"

#include <string>

namespace cfstring {

// Null for text that is not valid in the given encoding, as CoreFoundation does.
CFStringRef create(const char* text, CFStringEncoding encoding);
CFStringRef fromUtf8(const std::string& utf8);
// The UTF-8 bytes, or null for a pointer that is not one of these strings.
const char* utf8(CFStringRef string);
long utf16Length(CFStringRef string);
void release(const void* string);

} // namespace cfstring
