#include "PlistValue.h"

#include <plist/plist.h>

#include <QVector>

#include <cstring>

namespace phonebackup::plistvalue {

namespace {

bool hasType(Node node, plist_type type)
{
    return node && plist_get_node_type(node) == type;
}

// libplist counts dates from 2001-01-01 00:00:00 UTC, as the format does.
const QDateTime kPlistEpoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);

QString tooDeep(int depth)
{
    return QStringLiteral("it nests more than %1 levels deep").arg(depth);
}

QString tooMany(qint64 values)
{
    return QStringLiteral("it holds more than %1 values").arg(values);
}

bool startsWith(const char* at, const char* end, const char* text)
{
    const size_t length = std::strlen(text);
    return size_t(end - at) >= length && std::memcmp(at, text, length) == 0;
}

// Moves past the next `text`; false when there is none.
bool skipPast(const char*& at, const char* end, const char* text)
{
    const size_t length = std::strlen(text);
    for (; size_t(end - at) >= length; ++at) {
        if (std::memcmp(at, text, length) == 0) {
            at += length;
            return true;
        }
    }
    return false;
}

bool endsName(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/' || c == '>';
}

// One pass over the tags: every element opened and not yet closed is a
// level. Comments, declarations and character data open none. A closing
// tag must close the element opened last, so that no run of stray closing
// tags hides how deep the elements really go.
QString checkXml(const QByteArray& data, const Bounds& bounds)
{
    const char* at = data.constData();
    const char* const end = at + data.size();
    QVector<QByteArray> open;
    qint64 elements = 0;
    while (at < end) {
        at = static_cast<const char*>(std::memchr(at, '<', size_t(end - at)));
        if (!at)
            break;
        bool closed = true;
        if (startsWith(at, end, "<!--")) {
            closed = skipPast(at, end, "-->");
        } else if (startsWith(at, end, "<![CDATA[")) {
            closed = skipPast(at, end, "]]>");
        } else if (startsWith(at, end, "<?")) {
            closed = skipPast(at, end, "?>");
        } else if (startsWith(at, end, "<!")) {
            closed = skipPast(at, end, ">");
        } else if (startsWith(at, end, "</")) {
            const char* name = at + 2;
            const char* p = name;
            while (p < end && !endsName(*p))
                ++p;
            if (open.isEmpty() || open.last() != QByteArray::fromRawData(name, p - name))
                return QStringLiteral("a closing tag does not match its opening tag");
            open.removeLast();
            closed = skipPast(at, end, ">");
        } else {
            // An opening tag, unless it closes itself; quoted values may hold '>'.
            const char* name = at + 1;
            const char* p = name;
            while (p < end && !endsName(*p))
                ++p;
            const qsizetype nameLength = p - name;
            char quote = 0;
            for (; p < end; ++p) {
                if (quote) {
                    if (*p == quote)
                        quote = 0;
                } else if (*p == '"' || *p == '\'') {
                    quote = *p;
                } else if (*p == '>') {
                    break;
                }
            }
            if (p == end) {
                closed = false;
            } else {
                if (p[-1] != '/') {
                    if (open.size() >= bounds.maxDepth)
                        return tooDeep(bounds.maxDepth);
                    open.append(QByteArray(name, nameLength));
                }
                if (++elements > bounds.maxValues)
                    return tooMany(bounds.maxValues);
                at = p + 1;
            }
        }
        if (!closed)
            return QStringLiteral("a tag is cut off");
    }
    return QString();
}

quint64 readBigEndian(const uchar* at, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | at[i];
    return value;
}

// The binary form: a header, the objects, a table of their offsets and a
// trailer. Containers refer to other objects by index, so one object may be
// reached many ways, or (in a damaged list) from itself. The walk keeps its
// own stack, takes each object once, and notes for each its depth and how
// many values it becomes when the parser copies shared objects out.
QString checkBinary(const QByteArray& data, const Bounds& bounds)
{
    const auto* const bytes = reinterpret_cast<const uchar*>(data.constData());
    const quint64 size = quint64(data.size());
    // As the parser would say of it.
    const QString damaged = QStringLiteral("it is not a property list");
    constexpr quint64 kHeader = 8;
    constexpr quint64 kTrailer = 32;
    if (size < kHeader + kTrailer + 1)
        return damaged;
    const uchar* trailer = bytes + size - kTrailer;
    const int offsetSize = trailer[6];
    const int refSize = trailer[7];
    const quint64 objectCount = readBigEndian(trailer + 8, 8);
    const quint64 top = readBigEndian(trailer + 16, 8);
    const quint64 tableOffset = readBigEndian(trailer + 24, 8);
    const quint64 objectsEnd = size - kTrailer;
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || objectCount == 0 ||
        objectCount > objectsEnd || top >= objectCount || tableOffset < kHeader || tableOffset > objectsEnd ||
        objectCount > (objectsEnd - tableOffset) / quint64(offsetSize))
        return damaged;
    if (objectCount > quint64(bounds.maxValues))
        return tooMany(bounds.maxValues);

    // Where an object's references start and how many it has (none for a
    // value); false when it does not fit in the list.
    auto children = [&](quint64 index, quint64* refs, quint64* count) {
        const quint64 offset = readBigEndian(bytes + tableOffset + index * quint64(offsetSize), offsetSize);
        if (offset < kHeader || offset >= tableOffset)
            return false;
        const uchar marker = bytes[offset];
        const int type = marker >> 4;
        *count = 0;
        if (type != 0xA && type != 0xC && type != 0xD)
            return true;
        quint64 n = marker & 0x0F;
        quint64 at = offset + 1;
        if (n == 0x0F) {
            // The count follows as an integer object of 1, 2, 4 or 8 bytes.
            if (at >= tableOffset || (bytes[at] >> 4) != 0x1 || (bytes[at] & 0x0F) > 3)
                return false;
            const int width = 1 << (bytes[at] & 0x0F);
            if (at + 1 + quint64(width) > tableOffset)
                return false;
            n = readBigEndian(bytes + at + 1, width);
            at += 1 + quint64(width);
        }
        const quint64 perEntry = type == 0xD ? 2 : 1;
        if (n > (tableOffset - at) / quint64(refSize) / perEntry)
            return false;
        *refs = at;
        *count = n * perEntry;
        return true;
    };

    enum : uchar { New, Open, Done };
    QVector<uchar> state(qsizetype(objectCount), New);
    QVector<quint16> depthOf(qsizetype(objectCount), 0);
    QVector<quint32> valuesOf(qsizetype(objectCount), 0);
    const quint64 valueCap = quint64(bounds.maxValues) + 1;
    struct Frame
    {
        quint64 index;
        quint64 refs;
        quint64 count;
        quint64 next;
        int depth;
        quint64 values;
    };
    QVector<Frame> stack;
    auto open = [&](quint64 index) {
        Frame frame{index, 0, 0, 0, 1, 1};
        if (!children(index, &frame.refs, &frame.count))
            return false;
        state[qsizetype(index)] = Open;
        stack.append(frame);
        return true;
    };
    if (!open(top))
        return damaged;
    while (!stack.isEmpty()) {
        Frame& frame = stack.last();
        if (frame.next < frame.count) {
            const quint64 child = readBigEndian(bytes + frame.refs + frame.next * quint64(refSize), refSize);
            ++frame.next;
            if (child >= objectCount)
                return damaged;
            const uchar seen = state[qsizetype(child)];
            if (seen == Open)
                return QStringLiteral("an object holds itself");
            if (seen == Done) {
                // Met again deeper down, it is copied out there as well.
                if (stack.size() + depthOf[qsizetype(child)] > bounds.maxDepth)
                    return tooDeep(bounds.maxDepth);
                frame.depth = qMax(frame.depth, 1 + depthOf[qsizetype(child)]);
                frame.values = qMin(valueCap, frame.values + valuesOf[qsizetype(child)]);
                if (frame.values >= valueCap)
                    return tooMany(bounds.maxValues);
                continue;
            }
            if (stack.size() >= bounds.maxDepth)
                return tooDeep(bounds.maxDepth);
            if (!open(child))
                return damaged;
            continue;
        }
        const Frame done = frame;
        stack.removeLast();
        state[qsizetype(done.index)] = Done;
        depthOf[qsizetype(done.index)] = quint16(done.depth);
        valuesOf[qsizetype(done.index)] = quint32(done.values);
        if (!stack.isEmpty()) {
            Frame& parent = stack.last();
            parent.depth = qMax(parent.depth, 1 + done.depth);
            parent.values = qMin(valueCap, parent.values + done.values);
            if (parent.values >= valueCap)
                return tooMany(bounds.maxValues);
        }
    }
    return QString();
}

} // namespace

QString checkBounds(const QByteArray& data, const Bounds& bounds)
{
    if (data.isEmpty())
        return QStringLiteral("it is not a property list");
    if (data.size() > bounds.maxBytes)
        return QStringLiteral("it is larger than %1 bytes").arg(bounds.maxBytes);
    if (data.startsWith("bplist00"))
        return checkBinary(data, bounds);
    // XML, perhaps after a byte order mark and blank space.
    qsizetype at = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (at < data.size() &&
           (data.at(at) == ' ' || data.at(at) == '\t' || data.at(at) == '\r' || data.at(at) == '\n'))
        ++at;
    if (at == data.size() || data.at(at) != '<')
        return QStringLiteral("it is not a property list");
    return checkXml(data, bounds);
}

void NodeFree::operator()(void* node) const
{
    plist_free(node);
}

Tree parse(const QByteArray& bytes, const Bounds& bounds, QString* why)
{
    const QString beyond = checkBounds(bytes, bounds);
    if (!beyond.isEmpty()) {
        if (why)
            *why = beyond;
        return Tree();
    }
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
    if (!root && why)
        *why = QStringLiteral("it is not a property list");
    return Tree(root);
}

bool isDict(Node node)
{
    return hasType(node, PLIST_DICT);
}

bool isArray(Node node)
{
    return hasType(node, PLIST_ARRAY);
}

Node item(Node dict, const char* key)
{
    return isDict(dict) ? plist_dict_get_item(dict, key) : nullptr;
}

Node arrayItem(Node array, quint32 index)
{
    return isArray(array) && index < plist_array_get_size(array) ? plist_array_get_item(array, index) : nullptr;
}

quint32 arraySize(Node array)
{
    return isArray(array) ? plist_array_get_size(array) : 0;
}

std::optional<QString> string(Node node)
{
    if (!hasType(node, PLIST_STRING))
        return std::nullopt;
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    if (!text)
        return QString();
    return QString::fromUtf8(text, qsizetype(qMin<uint64_t>(length, uint64_t(kMaxPlistBytes))));
}

std::optional<bool> boolean(Node node)
{
    if (!hasType(node, PLIST_BOOLEAN))
        return std::nullopt;
    uint8_t value = 0;
    plist_get_bool_val(node, &value);
    return value != 0;
}

std::optional<quint64> integer(Node node)
{
    if (!hasType(node, PLIST_UINT))
        return std::nullopt;
    uint64_t value = 0;
    plist_get_uint_val(node, &value);
    return quint64(value);
}

std::optional<QByteArray> data(Node node)
{
    if (!hasType(node, PLIST_DATA))
        return std::nullopt;
    uint64_t length = 0;
    const char* bytes = plist_get_data_ptr(node, &length);
    if (!bytes || length == 0)
        return QByteArray();
    return QByteArray(bytes, qsizetype(qMin<uint64_t>(length, uint64_t(kMaxPlistBytes))));
}

std::optional<QDateTime> date(Node node)
{
    if (!hasType(node, PLIST_DATE))
        return std::nullopt;
    int32_t seconds = 0;
    int32_t micro = 0;
    plist_get_date_val(node, &seconds, &micro);
    return kPlistEpoch.addSecs(seconds).addMSecs(micro / 1000);
}

std::optional<quint64> uid(Node node)
{
    if (!hasType(node, PLIST_UID))
        return std::nullopt;
    uint64_t value = 0;
    plist_get_uid_val(node, &value);
    return quint64(value);
}

QByteArray toXml(Node node)
{
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &out, &length);
    QByteArray bytes(out, int(length));
    plist_to_xml_free(out);
    return bytes;
}

QByteArray toBinary(Node node)
{
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_bin(node, &out, &length);
    QByteArray bytes(out, int(length));
    plist_to_bin_free(out);
    return bytes;
}

} // namespace phonebackup::plistvalue
