#pragma once

// What the files of the message search share: how the index lays out a
// message, what of it is searched, and the folding of UTF-8.

#include "MessageRecord.h"

#include <QByteArray>

#include <string_view>
#include <vector>

namespace search::internal {

// Separates the fields of one message in the index, and ends a message.
// Folded text holds neither: every white space became a blank, and NUL too.
constexpr char kFieldEnd = '\n';
constexpr char kMessageEnd = '\0';

// Folds UTF-8 bytes onto out; buffer is scratch room kept between calls,
// so that a million texts do not cost a million allocations. Invalid bytes
// become U+FFFD as QString::fromUtf8 makes them.
void appendFoldedUtf8(QByteArrayView utf8, QByteArray& out, std::vector<QChar>& buffer);

// What is searched of a message, field by field; the index walks a million
// messages, so without a list made for each.
template <typename Visit> void forEachField(const MessageRecord& message, const Visit& visit)
{
    visit(message.text);
    // Each attachment's name is a field of its own.
    const QByteArray& names = message.attachmentNames;
    for (qsizetype from = 0; from < names.size();) {
        qsizetype end = names.indexOf(kFieldEnd, from);
        if (end < 0)
            end = names.size();
        visit(QByteArray::fromRawData(names.constData() + from, end - from));
        from = end + 1;
    }
}

// The bytes as the standard library searches them.
inline std::string_view view(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), size_t(bytes.size()));
}

} // namespace search::internal
