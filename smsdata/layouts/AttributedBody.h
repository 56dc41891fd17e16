#pragma once

// The serialised attributed string ("typedstream") in which modern phones
// keep a message's text in message.attributedBody, often with the text
// column left NULL. The stream begins with 0x04 0x0B "streamtyped"; the
// plain text follows the class name "NSString": five bytes (0x01, a
// class-reference byte, 0x84, 0x01, 0x2B '+'), a length (one byte below
// 0x80; or 0x81 and two bytes little-endian; or 0x82 and four bytes
// little-endian), then that many bytes of UTF-8.

#include <QByteArray>
#include <QByteArrayView>

namespace attributedbody {

// The UTF-8 text of a blob; empty for a blob that is malformed, truncated
// or hostile. Never reads outside `blob`.
QByteArray decode(const QByteArray& blob);
// The same text as a part of blob itself, without a copy.
QByteArrayView textIn(QByteArrayView blob);

// A blob holding `text` as the phone writes it, for the demo data and tests.
QByteArray encode(const QByteArray& text);

} // namespace attributedbody
