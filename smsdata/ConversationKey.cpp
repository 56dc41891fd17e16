#include "ConversationKey.h"

namespace conversationkey {

namespace {

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// The length of the valid UTF-8 character at `at` that is no control
// character; 0 when there is none.
int printableCharacterAt(const QByteArray& key, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return i < key.size() ? uchar(key.at(i)) : 0; };
    const uchar lead = byte(at);
    int length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        length = 1;
        c = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        const uchar next = byte(at + i);
        if ((next & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past the last character.
    if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF) ||
        isControl(c))
        return 0;
    return length;
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

QString toText(const QByteArray& key)
{
    bool plain = !key.contains('\\');
    for (qsizetype at = 0; plain && at < key.size();) {
        const int length = printableCharacterAt(key, at);
        plain = length > 0;
        at += length;
    }
    if (plain)
        return QString::fromUtf8(key);

    QByteArray text;
    for (qsizetype at = 0; at < key.size();) {
        if (key.at(at) == '\\') {
            text += "\\\\";
            ++at;
            continue;
        }
        const int length = printableCharacterAt(key, at);
        if (length > 0) {
            text += key.mid(at, length);
            at += length;
            continue;
        }
        static const char digits[] = "0123456789ABCDEF";
        const uchar byte = uchar(key.at(at));
        text += "\\x";
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
        ++at;
    }
    return QString::fromUtf8(text);
}

QByteArray fromText(const QString& text)
{
    QByteArray key;
    const QByteArray utf8 = text.toUtf8();
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text.at(at);
        if (c != QLatin1Char('\\')) {
            if (c.isHighSurrogate() && at + 1 < text.size()) {
                key += QString(text.mid(at, 2)).toUtf8();
                ++at;
            } else {
                key += QString(c).toUtf8();
            }
            continue;
        }
        if (at + 1 < text.size() && text.at(at + 1) == QLatin1Char('\\')) {
            key += '\\';
            ++at;
            continue;
        }
        if (at + 3 < text.size() && text.at(at + 1) == QLatin1Char('x')) {
            const int high = hexValue(text.at(at + 2));
            const int low = hexValue(text.at(at + 3));
            if (high >= 0 && low >= 0) {
                key += char(high << 4 | low);
                at += 3;
                continue;
            }
        }
        // Not an escape written by toText: the text means itself.
        return utf8;
    }
    return key;
}

} // namespace conversationkey
