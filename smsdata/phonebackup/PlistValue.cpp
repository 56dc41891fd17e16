#include "PlistValue.h"

#include <plist/plist.h>

namespace phonebackup::plistvalue {

namespace {

bool hasType(Node node, plist_type type)
{
    return node && plist_get_node_type(node) == type;
}

// libplist counts dates from 2001-01-01 00:00:00 UTC, as the format does.
const QDateTime kPlistEpoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);

} // namespace

void NodeFree::operator()(void* node) const
{
    plist_free(node);
}

Tree parse(const QByteArray& bytes)
{
    if (bytes.isEmpty() || bytes.size() > kMaxPlistBytes)
        return Tree();
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
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
