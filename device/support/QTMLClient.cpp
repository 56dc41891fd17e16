// libQTMLClient: the three string functions msgdesk converts device text
// with, over the string values of the device-support libraries.

#include "CFStringData.h"
#include "Export.h"

#include <cstring>

MSGDESK_EXPORT CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* text, CFStringEncoding encoding)
{
    return cfstring::create(text, encoding);
}

MSGDESK_EXPORT long CFStringGetLength(CFStringRef string)
{
    return cfstring::utf16Length(string);
}

// Fails, as CoreFoundation does, when the buffer cannot take the whole text
// and its terminator; only UTF-8 output is offered.
MSGDESK_EXPORT unsigned char CFStringGetCString(CFStringRef string, char* buffer, long bufferSize,
                                                CFStringEncoding encoding)
{
    const char* text = cfstring::utf8(string);
    if (!text || !buffer || bufferSize <= 0 || encoding != kCFStringEncodingUTF8)
        return 0;
    const std::size_t length = std::strlen(text);
    if (length + 1 > static_cast<std::size_t>(bufferSize))
        return 0;
    std::memcpy(buffer, text, length + 1);
    return 1;
}

MSGDESK_EXPORT void CFRelease(const void* object)
{
    cfstring::release(object);
}
