#include "MediaDuration.h"

#include <QFile>
#include <QIODevice>

#include <cmath>
#include <cstring>

namespace pictures {

namespace {

// Chunks or boxes looked at before giving up; real files have a handful.
constexpr int kMaxHeaders = 64;
// Longest duration believed: beyond it a header is taken for damaged.
constexpr double kLongestMs = 100.0 * 24 * 3600 * 1000;

QByteArray readAt(QIODevice* device, qint64 offset, int length)
{
    if (offset < 0 || !device->seek(offset))
        return {};
    return device->read(length);
}

quint32 be32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (quint32(u[0]) << 24) | (quint32(u[1]) << 16) | (quint32(u[2]) << 8) | quint32(u[3]);
}

quint64 be64(const char* p)
{
    return (quint64(be32(p)) << 32) | be32(p + 4);
}

qint64 toMs(double seconds)
{
    const double ms = seconds * 1000.0;
    if (!std::isfinite(ms) || ms < 0 || ms > kLongestMs)
        return -1;
    return qint64(std::llround(ms));
}

// Core Audio: "caff", version, flags, then chunks of type, 64-bit size and data.
qint64 cafDuration(QIODevice* device, qint64 fileSize)
{
    double sampleRate = 0;
    quint32 bytesPerPacket = 0;
    quint32 framesPerPacket = 0;
    qint64 validFrames = -1;
    qint64 packets = -1;
    qint64 dataBytes = -1;
    qint64 at = 8;
    for (int n = 0; n < kMaxHeaders && at + 12 <= fileSize; ++n) {
        const QByteArray head = readAt(device, at, 12);
        if (head.size() < 12)
            break;
        const QByteArray type = head.left(4);
        const qint64 size = qint64(be64(head.constData() + 4));
        const qint64 body = at + 12;
        if (type == "desc" && size >= 32) {
            const QByteArray d = readAt(device, body, 32);
            if (d.size() < 32)
                break;
            const quint64 bits = be64(d.constData());
            std::memcpy(&sampleRate, &bits, sizeof sampleRate);
            bytesPerPacket = be32(d.constData() + 16);
            framesPerPacket = be32(d.constData() + 20);
        } else if (type == "pakt" && size >= 24) {
            const QByteArray d = readAt(device, body, 24);
            if (d.size() < 24)
                break;
            packets = qint64(be64(d.constData()));
            validFrames = qint64(be64(d.constData() + 8));
        } else if (type == "data") {
            // The size -1 stands for "up to the end of the file"; the chunk
            // opens with a 4-byte edit count.
            const qint64 bytes = size == -1 ? fileSize - body : size;
            dataBytes = bytes >= 4 ? bytes - 4 : -1;
            if (size == -1)
                break;
        }
        if (size < 0 || size > fileSize - body)
            break;
        at = body + size;
    }
    if (!(sampleRate > 0) || !std::isfinite(sampleRate))
        return -1;
    if (validFrames > 0)
        return toMs(double(validFrames) / sampleRate);
    if (packets > 0 && framesPerPacket > 0)
        return toMs(double(packets) * framesPerPacket / sampleRate);
    if (dataBytes >= 0 && bytesPerPacket > 0 && framesPerPacket > 0)
        return toMs(double(dataBytes / bytesPerPacket) * framesPerPacket / sampleRate);
    return -1;
}

struct Box
{
    QByteArray type;
    qint64 body = 0; // where its content starts
    qint64 end = 0;  // where the next box starts
};

// The box at `at` within [at, limit): 32-bit size, or 1 and a 64-bit size
// after the type, or 0 for "up to the end".
bool readBox(QIODevice* device, qint64 at, qint64 limit, Box* box)
{
    if (at + 8 > limit)
        return false;
    const QByteArray head = readAt(device, at, 16);
    if (head.size() < 8)
        return false;
    qint64 size = be32(head.constData());
    box->type = head.mid(4, 4);
    box->body = at + 8;
    if (size == 1) {
        if (head.size() < 16)
            return false;
        const quint64 large = be64(head.constData() + 8);
        if (large > quint64(limit - at))
            return false;
        size = qint64(large);
        box->body = at + 16;
    } else if (size == 0) {
        size = limit - at;
    }
    if (size < box->body - at || size > limit - at)
        return false;
    box->end = at + size;
    return true;
}

// MPEG-4: the movie header inside the movie box.
qint64 mp4Duration(QIODevice* device, qint64 fileSize)
{
    Box box;
    qint64 at = 0;
    int looked = 0;
    while (looked++ < kMaxHeaders && readBox(device, at, fileSize, &box)) {
        if (box.type == "moov") {
            Box inner;
            qint64 in = box.body;
            while (looked++ < kMaxHeaders && readBox(device, in, box.end, &inner)) {
                if (inner.type == "mvhd") {
                    const QByteArray d = readAt(device, inner.body, 32);
                    const bool v1 = !d.isEmpty() && d.at(0) == 1;
                    const int need = v1 ? 32 : 20;
                    if (d.size() < need || inner.end - inner.body < need)
                        return -1;
                    const quint32 scale = be32(d.constData() + (v1 ? 20 : 12));
                    const quint64 duration = v1 ? be64(d.constData() + 24) : be32(d.constData() + 16);
                    // All ones: the duration was not known when it was written.
                    if (scale == 0 || duration == (v1 ? ~quint64(0) : quint64(0xffffffffu)))
                        return -1;
                    return toMs(double(duration) / scale);
                }
                in = inner.end;
            }
            return -1;
        }
        at = box.end;
    }
    return -1;
}

bool looksLikeMp4(const QByteArray& head)
{
    if (head.size() < 8)
        return false;
    static const char* const firstBoxes[] = {"ftyp", "moov", "mdat", "wide", "free", "skip"};
    const QByteArray type = head.mid(4, 4);
    for (const char* t : firstBoxes) {
        if (type == t)
            return true;
    }
    return false;
}

// AMR storage format: the magic line, then frames of a header byte (its
// bits 3 to 6 the frame type) and that type's payload, 20 ms each.
qint64 amrDuration(QIODevice* device, qint64 fileSize, bool wideBand, qint64 start)
{
    static const int narrow[16] = {12, 13, 15, 17, 19, 20, 26, 31, 5, 6, 5, 5, 0, 0, 0, 0};
    static const int wide[16] = {17, 23, 32, 36, 40, 46, 50, 58, 60, 5, 0, 0, 0, 0, 0, 0};
    const int* payload = wideBand ? wide : narrow;
    if (fileSize > kAmrCountLimit || !device->seek(start))
        return -1;
    qint64 frames = 0;
    qint64 skip = 0; // payload bytes still to pass, perhaps in the next block
    constexpr int kBlock = 64 * 1024;
    for (qint64 at = start; at < fileSize;) {
        const QByteArray block = device->read(kBlock);
        if (block.isEmpty())
            break;
        qint64 i = skip;
        while (i < block.size()) {
            const int type = (quint8(block.at(i)) >> 3) & 0x0f;
            i += 1 + payload[type];
            // Only frames that are there to the end count.
            if (at + i <= fileSize)
                ++frames;
        }
        skip = i - block.size();
        at += block.size();
    }
    return frames * 20;
}

} // namespace

qint64 mediaDurationMs(QIODevice* device)
{
    if (!device || !device->isOpen() || device->isSequential())
        return -1;
    const qint64 size = device->size();
    const QByteArray head = readAt(device, 0, 16);
    if (head.startsWith("caff"))
        return cafDuration(device, size);
    if (head.startsWith("#!AMR\n"))
        return amrDuration(device, size, false, 6);
    if (head.startsWith("#!AMR-WB\n"))
        return amrDuration(device, size, true, 9);
    if (looksLikeMp4(head))
        return mp4Duration(device, size);
    return -1;
}

qint64 mediaDurationMs(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return mediaDurationMs(&file);
}

QString durationText(qint64 ms)
{
    if (ms < 0)
        return {};
    const qint64 seconds = (ms + 500) / 1000;
    const qint64 h = seconds / 3600;
    const qint64 m = seconds / 60 % 60;
    const qint64 s = seconds % 60;
    const QLatin1Char zero('0');
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, zero).arg(s, 2, 10, zero);
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, zero);
}

} // namespace pictures
