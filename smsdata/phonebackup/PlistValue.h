#pragma once

// Reading property lists (XML or binary) through libplist, and typed access
// to their values. A value of another type than asked for reads as
// nullopt, so callers can tell "missing" and "wrong type" from a value.
// Internal to the backup library.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>

namespace phonebackup::plistvalue {

// libplist's node handle (plist_t), kept opaque here.
using Node = void*;

struct NodeFree
{
    void operator()(void* node) const;
};
using Tree = std::unique_ptr<void, NodeFree>;

// Property lists larger than this are not read: the lists of a backup are
// a few kilobytes (Info.plist with its application records up to a few
// megabytes), a catalogue's file record a few hundred bytes.
constexpr qint64 kMaxPlistBytes = 16 * 1024 * 1024;
constexpr qint64 kMaxRecordBytes = 64 * 1024;

// What a list may hold before it is called damaged. Real lists nest a
// handful of levels; the bounds are checked without recursion before the
// parser (which recurses once per level and copies shared objects of a
// binary list) sees the bytes.
struct Bounds
{
    qint64 maxBytes = kMaxPlistBytes;
    int maxDepth = 256;
    // Values after shared objects of a binary list are copied out.
    qint64 maxValues = 500000;
};
// The bounds of a catalogue's file record (Manifest.db's Files.file).
constexpr Bounds kRecordBounds{kMaxRecordBytes, 256, 20000};

// Why the bytes cannot be handed to the parser ("it nests more than 256
// levels deep", ...); empty when they are within the bounds. Only XML and
// binary lists pass. Never recurses and never allocates more than a few
// bytes per object of the list.
QString checkBounds(const QByteArray& data, const Bounds& bounds = Bounds());

// Null when the bytes are not a property list or are beyond the bounds;
// *why (when given) says which.
Tree parse(const QByteArray& data, const Bounds& bounds = Bounds(), QString* why = nullptr);

bool isDict(Node node);
bool isArray(Node node);
// The value of `key` in a dictionary; null when absent or not a dictionary.
Node item(Node dict, const char* key);
Node arrayItem(Node array, quint32 index);
quint32 arraySize(Node array);

std::optional<QString> string(Node node);
std::optional<bool> boolean(Node node);
std::optional<quint64> integer(Node node);
std::optional<QByteArray> data(Node node);
std::optional<QDateTime> date(Node node);
// A keyed archive's reference to one of its objects.
std::optional<quint64> uid(Node node);

// Writers for the fixture builder: a tree to XML or binary bytes.
QByteArray toXml(Node node);
QByteArray toBinary(Node node);

} // namespace phonebackup::plistvalue
