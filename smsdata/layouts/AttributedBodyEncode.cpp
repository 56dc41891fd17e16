#include "AttributedBody.h"

namespace attributedbody {

QByteArray encode(const QByteArray& text)
{
    QByteArray blob =
        QByteArrayLiteral("\x04\x0bstreamtyped\x81\xe8\x03\x84\x01\x40\x84\x84\x84\x12NSAttributedString"
                          "\x00\x84\x84\x08NSObject\x00\x85\x92\x84\x84\x84\x08NSString\x01\x94\x84\x01\x2b");
    const quint64 n = quint64(text.size());
    if (n < 0x80) {
        blob += char(n);
    } else if (n <= 0xffff) {
        blob += '\x81';
        blob += char(n & 0xff);
        blob += char((n >> 8) & 0xff);
    } else {
        blob += '\x82';
        for (int i = 0; i < 4; ++i)
            blob += char((n >> (8 * i)) & 0xff);
    }
    blob += text;
    // What follows the text in a real stream: the attribute runs, closed.
    blob += QByteArrayLiteral("\x86\x84\x02iI\x01");
    blob += char(text.size() > 0x7f ? 0x7f : text.size());
    blob += QByteArrayLiteral("\x92\x84\x84\x84\x0cNSDictionary\x00\x94\x84\x01i\x00\x86\x86");
    return blob;
}

} // namespace attributedbody
