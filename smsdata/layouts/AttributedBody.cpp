#include "AttributedBody.h"

#include <QByteArrayView>

namespace attributedbody {

namespace {

// What follows the class name before the length: 0x01, a class-reference
// byte (it differs between files), 0x84, 0x01 and the string type code '+'.
bool typeMarkerAt(const uchar* p, qsizetype at, qsizetype size)
{
    return at + 5 <= size && p[at] == 0x01 && p[at + 2] == 0x84 && p[at + 3] == 0x01 && p[at + 4] == 0x2b;
}

// The text that follows a class name ending at `at`, or false when the bytes
// there are not a complete string of the stream.
bool textAfter(QByteArrayView blob, qsizetype at, QByteArrayView* out)
{
    const auto* p = reinterpret_cast<const uchar*>(blob.constData());
    const qsizetype size = blob.size();
    if (!typeMarkerAt(p, at, size))
        return false;
    qsizetype pos = at + 5;
    if (pos >= size)
        return false;
    const uchar tag = p[pos++];
    quint64 length = 0;
    if (tag < 0x80) {
        length = tag;
    } else if (tag == 0x81 || tag == 0x82) {
        const int width = tag == 0x81 ? 2 : 4;
        if (size - pos < width)
            return false;
        for (int i = 0; i < width; ++i)
            length |= quint64(p[pos + i]) << (8 * i);
        pos += width;
    } else {
        return false;
    }
    if (length > quint64(size - pos))
        return false;
    *out = blob.sliced(pos, qsizetype(length));
    return true;
}

} // namespace

QByteArray decode(const QByteArray& blob)
{
    // A copy of its own: the blob may be SQLite's buffer, valid only for now.
    return textIn(blob).toByteArray();
}

QByteArrayView textIn(QByteArrayView blob)
{
    static const QByteArrayView magic("\x04\x0bstreamtyped", 13);
    if (!blob.startsWith(magic))
        return {};
    // The first string object of the stream is the text; later class names
    // belong to the attributes. A name that is not followed by a complete
    // string (a damaged stream, or the name inside some other value) is
    // passed over.
    static const QByteArrayView names[] = {QByteArrayView("NSString"), QByteArrayView("NSMutableString")};
    qsizetype from = magic.size();
    while (from < blob.size()) {
        qsizetype found = -1;
        qsizetype nameSize = 0;
        for (const QByteArrayView& name : names) {
            const qsizetype at = blob.indexOf(name, from);
            if (at >= 0 && (found < 0 || at < found)) {
                found = at;
                nameSize = name.size();
            }
        }
        if (found < 0)
            return {};
        QByteArrayView text;
        if (textAfter(blob, found + nameSize, &text))
            return text;
        from = found + 1;
    }
    return {};
}

} // namespace attributedbody
