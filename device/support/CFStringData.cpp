#include "CFStringData.h"

#include <cstdlib>
#include <cstring>

namespace {

// Guards against foreign pointers: a wrong handle gives a quiet null, not a crash
// in the middle of a read.
constexpr std::uint32_t kMagic = 0x43465354; // "CFST"

struct Layout
{
    std::uint32_t magic;
    long utf16Length;
    std::size_t size;
    char bytes[1];
};

// Counts UTF-16 units of UTF-8 text; -1 when the bytes are not valid UTF-8.
long countUtf16(const unsigned char* s, std::size_t n)
{
    long units = 0;
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        std::size_t extra = 0;
        std::uint32_t code = 0;
        if (c < 0x80) {
            code = c;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            code = c & 0x07;
        } else {
            return -1;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            if (i + k >= n || (s[i + k] & 0xC0) != 0x80)
                return -1;
            code = (code << 6) | (s[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode are invalid.
        if ((extra == 1 && code < 0x80) || (extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000) ||
            (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
            return -1;
        }
        units += code >= 0x10000 ? 2 : 1;
        i += extra + 1;
    }
    return units;
}

CFStringRef make(const std::string& utf8, long units)
{
    auto* p = static_cast<Layout*>(std::malloc(sizeof(Layout) + utf8.size()));
    if (!p)
        return nullptr;
    p->magic = kMagic;
    p->utf16Length = units;
    p->size = utf8.size();
    std::memcpy(p->bytes, utf8.data(), utf8.size());
    p->bytes[utf8.size()] = '\0';
    return reinterpret_cast<CFStringRef>(p);
}

const Layout* layout(CFStringRef string)
{
    const auto* p = reinterpret_cast<const Layout*>(string);
    return (p && p->magic == kMagic) ? p : nullptr;
}

} // namespace

namespace cfstring {

CFStringRef create(const char* text, CFStringEncoding encoding)
{
    if (!text)
        return nullptr;
    std::string utf8;
    if (encoding == kCFStringEncodingUTF8) {
        utf8 = text;
    } else {
        // Single-byte text: every byte is one character.
        for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
            if (*c < 0x80) {
                utf8 += static_cast<char>(*c);
            } else {
                utf8 += static_cast<char>(0xC0 | (*c >> 6));
                utf8 += static_cast<char>(0x80 | (*c & 0x3F));
            }
        }
    }
    return fromUtf8(utf8);
}

CFStringRef fromUtf8(const std::string& utf8)
{
    const long units = countUtf16(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size());
    return units < 0 ? nullptr : make(utf8, units);
}

const char* utf8(CFStringRef string)
{
    const Layout* p = layout(string);
    return p ? p->bytes : nullptr;
}

long utf16Length(CFStringRef string)
{
    const Layout* p = layout(string);
    return p ? p->utf16Length : 0;
}

void release(const void* string)
{
    auto* p = const_cast<Layout*>(layout(static_cast<CFStringRef>(string)));
    if (p) {
        p->magic = 0;
        std::free(p);
    }
}

} // namespace cfstring
