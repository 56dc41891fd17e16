// How long voice messages play, from their headers: Core Audio files (the
// packet table, before or after the data; constant-rate data up to the end),
// MPEG-4 movie headers of both versions, AMR narrow and wide band by frame
// count; damaged, truncated and hostile headers (unknown, never a hang);
// the text a tile shows; and the fuzz entry on random and truncated input.

#include "FuzzEntries.h"
#include "MediaDuration.h"

#include <QBuffer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>

using namespace pictures;

namespace {

QByteArray be32(quint32 v)
{
    return QByteArray(1, char(v >> 24)) + char(v >> 16) + char(v >> 8) + char(v);
}

QByteArray be64(quint64 v)
{
    return be32(quint32(v >> 32)) + be32(quint32(v));
}

QByteArray cafChunk(const char* type, const QByteArray& body, qint64 size = -2)
{
    return QByteArray(type, 4) + be64(quint64(size == -2 ? body.size() : size)) + body;
}

QByteArray cafDesc(double rate, quint32 bytesPerPacket, quint32 framesPerPacket)
{
    quint64 bits = 0;
    std::memcpy(&bits, &rate, sizeof bits);
    return cafChunk("desc", be64(bits) + QByteArray("aac ") + be32(0) + be32(bytesPerPacket) + be32(framesPerPacket) +
                                be32(1) + be32(0));
}

QByteArray cafPakt(qint64 packets, qint64 validFrames)
{
    return cafChunk("pakt", be64(quint64(packets)) + be64(quint64(validFrames)) + be32(2112) + be32(0) +
                                QByteArray(int(packets), '\x06'));
}

// A voice message as the phone records it: AAC at 24 kHz, the packet table
// before the data.
QByteArray cafVoice(qint64 validFrames)
{
    const qint64 packets = (validFrames + 2112 + 1023) / 1024;
    return QByteArray("caff\x00\x01\x00\x00", 8) + cafDesc(24000, 0, 1024) + cafChunk("kuki", QByteArray(39, 'k')) +
           cafPakt(packets, validFrames) + cafChunk("data", be32(1) + QByteArray(int(packets) * 6, 'd'));
}

QByteArray box(const char* type, const QByteArray& body)
{
    return be32(quint32(8 + body.size())) + QByteArray(type, 4) + body;
}

QByteArray mvhd0(quint32 scale, quint32 duration)
{
    return box("mvhd", QByteArray(4, '\0') + be32(1) + be32(2) + be32(scale) + be32(duration) + QByteArray(80, '\0'));
}

QByteArray mvhd1(quint32 scale, quint64 duration)
{
    return box("mvhd",
               QByteArray("\x01\0\0\0", 4) + be64(1) + be64(2) + be32(scale) + be64(duration) + QByteArray(80, '\0'));
}

// An M4A with its movie box after the media data, as recorders write them.
QByteArray m4a(const QByteArray& header, bool largeData = false)
{
    const QByteArray ftyp = box("ftyp", QByteArray("M4A ") + be32(0) + QByteArray("M4A mp42isom"));
    const QByteArray media(3000, 'm');
    const QByteArray mdat =
        largeData ? be32(1) + QByteArray("mdat") + be64(16 + quint64(media.size())) + media : box("mdat", media);
    return ftyp + mdat + box("moov", box("udta", QByteArray(20, 'u')) + header + box("trak", QByteArray(40, 't')));
}

QByteArray amr(bool wide, int frames, int type)
{
    static const int narrow[] = {12, 13, 15, 17, 19, 20, 26, 31, 5};
    static const int wideSizes[] = {17, 23, 32, 36, 40, 46, 50, 58, 60, 5};
    QByteArray bytes = wide ? QByteArray("#!AMR-WB\n") : QByteArray("#!AMR\n");
    for (int i = 0; i < frames; ++i) {
        // Silence (no data, FT 15) now and then: a frame of its own, 20 ms too.
        const int ft = i % 10 == 9 ? 15 : type;
        bytes += char((ft << 3) | 0x04);
        if (ft != 15)
            bytes += QByteArray(wide ? wideSizes[ft] : narrow[ft], char(i));
    }
    return bytes;
}

qint64 durationOf(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // A reader left positioned anywhere.
    buffer.seek(bytes.size() / 2);
    return mediaDurationMs(&buffer);
}

void feed(const QByteArray& bytes)
{
    fuzzentries::mediaDuration(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

} // namespace

class MediaDurationTest : public QObject
{
    Q_OBJECT

private slots:
    void coreAudio();
    void mpeg4();
    void amrFrames();
    void damagedAndHostileHeaders();
    void filesAndText();
    void randomAndTruncatedInput();
};

void MediaDurationTest::coreAudio()
{
    QCOMPARE(durationOf(cafVoice(168000)), 7000);
    QCOMPARE(durationOf(cafVoice(24000 * 75 + 12000)), 75500);

    // The packet table after the data (a known data size leads past it).
    const QByteArray head("caff\x00\x01\x00\x00", 8);
    const QByteArray data = cafChunk("data", be32(1) + QByteArray(600, 'd'));
    QCOMPARE(durationOf(head + cafDesc(24000, 0, 1024) + data + cafPakt(100, 48000)), 2000);
    // No count of valid frames: packets times frames per packet.
    QCOMPARE(durationOf(head + cafDesc(8000, 0, 160) + cafPakt(150, 0) + data), 3000);
    // Constant rate (PCM, two bytes a frame) without a table, data up to
    // the end of the file, and with its own size.
    const QByteArray pcm = be32(0) + QByteArray(16000, 'p');
    QCOMPARE(durationOf(head + cafDesc(8000, 2, 1) + cafChunk("data", pcm, -1)), 1000);
    QCOMPARE(durationOf(head + cafDesc(8000, 2, 1) + cafChunk("data", pcm) + cafChunk("free", QByteArray(9, 'f'))),
             1000);
    // Without a description there is no rate to go by.
    QCOMPARE(durationOf(head + cafPakt(100, 48000) + data), -1);
}

void MediaDurationTest::mpeg4()
{
    QCOMPARE(durationOf(m4a(mvhd0(600, 4200))), 7000);
    QCOMPARE(durationOf(m4a(mvhd1(44100, 44100ULL * 3723), true)), 3723000);
    // A movie box first, as in files prepared for streaming.
    QCOMPARE(durationOf(box("moov", mvhd0(1000, 12345)) + box("mdat", QByteArray(100, 'x'))), 12345);
    // A duration not known when the file was written, a zero time scale,
    // and no movie header at all.
    QCOMPARE(durationOf(m4a(mvhd0(600, 0xffffffffu))), -1);
    QCOMPARE(durationOf(m4a(mvhd1(600, ~quint64(0)))), -1);
    QCOMPARE(durationOf(m4a(mvhd0(0, 4200))), -1);
    QCOMPARE(durationOf(m4a(box("free", QByteArray(16, 'f')))), -1);
}

void MediaDurationTest::amrFrames()
{
    QCOMPARE(durationOf(amr(false, 350, 7)), 7000);
    QCOMPARE(durationOf(amr(false, 50, 0)), 1000);
    QCOMPARE(durationOf(amr(true, 250, 8)), 5000);
    QCOMPARE(durationOf(amr(true, 1, 2)), 20);
    // Frames across the reader's blocks of 64 KB: 12,000 frames of 32 bytes
    // (a few of them silent).
    QCOMPARE(durationOf(amr(false, 12000, 7)), 240000);
    // A last frame cut short does not count.
    QCOMPARE(durationOf(amr(false, 351, 7).chopped(5)), 7000);
    QCOMPARE(durationOf(QByteArray("#!AMR\n")), 0);
    // Multi-channel AMR is not read.
    QCOMPARE(durationOf(QByteArray("#!AMR_MC1.0\n") + QByteArray(400, '\x3c')), -1);
}

void MediaDurationTest::damagedAndHostileHeaders()
{
    const QByteArray head("caff\x00\x01\x00\x00", 8);
    // Sizes that point far beyond the file, or backwards.
    QCOMPARE(durationOf(head + cafDesc(24000, 0, 1024) + cafChunk("kuki", QByteArray(8, 'k'), 1LL << 62) +
                        cafPakt(10, 24000)),
             -1);
    QCOMPARE(durationOf(head + cafDesc(24000, 0, 1024) + cafChunk("free", QByteArray(), -7) + cafPakt(10, 24000)), -1);
    // Rates that are no rates, and counts that would be years.
    QCOMPARE(durationOf(head + cafDesc(0, 0, 1024) + cafPakt(10, 24000)), -1);
    QCOMPARE(durationOf(head + cafDesc(std::nan(""), 0, 1024) + cafPakt(10, 24000)), -1);
    QCOMPARE(durationOf(head + cafDesc(-8000, 0, 1024) + cafPakt(10, 24000)), -1);
    QCOMPARE(durationOf(head + cafDesc(1e-300, 0, 1024) + cafPakt(10, 24000)), -1);
    QCOMPARE(durationOf(head + cafDesc(8000, 0, 1024) + cafPakt(10, std::numeric_limits<qint64>::max())), -1);
    // Thousands of empty chunks or boxes: the reader gives up after a few.
    QByteArray empties = head;
    for (int i = 0; i < 5000; ++i)
        empties += cafChunk("free", QByteArray());
    QCOMPARE(durationOf(empties + cafDesc(24000, 0, 1024) + cafPakt(10, 24000)), -1);
    QByteArray boxes;
    for (int i = 0; i < 5000; ++i)
        boxes += box("free", QByteArray());
    QCOMPARE(durationOf(boxes + box("moov", mvhd0(600, 600))), -1);
    // Boxes whose size is smaller than their header, or 64-bit sizes past
    // the end; a movie header cut short.
    QCOMPARE(durationOf(be32(3) + QByteArray("ftyp") + box("moov", mvhd0(600, 600))), -1);
    QCOMPARE(durationOf(be32(1) + QByteArray("mdat") + be64(~quint64(0) >> 1) + box("moov", mvhd0(600, 600))), -1);
    QCOMPARE(durationOf(box("ftyp", QByteArray(8, 'f')) + box("moov", box("mvhd", QByteArray(10, '\0')))), -1);
    // Not media at all.
    QCOMPARE(durationOf(QByteArray()), -1);
    QCOMPARE(durationOf(QByteArray("\x89PNG\r\n\x1a\n") + QByteArray(100, 'p')), -1);
    QCOMPARE(durationOf(QByteArray("%PDF-1.7\n") + QByteArray(100, 'p')), -1);
    // A device that is not open, or none.
    QProcess process;
    QCOMPARE(mediaDurationMs(&process), -1);
    QCOMPARE(mediaDurationMs(static_cast<QIODevice*>(nullptr)), -1);
}

void MediaDurationTest::filesAndText()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString voice = dir.filePath(QStringLiteral("Audio Message.caf"));
    QFile f(voice);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(cafVoice(168000));
    f.close();
    QCOMPARE(mediaDurationMs(voice), 7000);
    QCOMPARE(mediaDurationMs(dir.filePath(QStringLiteral("no such file"))), -1);

    // An AMR file beyond the bound is unknown rather than read through.
    const QString big = dir.filePath(QStringLiteral("long.amr"));
    QFile b(big);
    QVERIFY(b.open(QIODevice::WriteOnly));
    b.write("#!AMR\n");
    b.resize(kAmrCountLimit + 1);
    b.close();
    QCOMPARE(mediaDurationMs(big), -1);

    QCOMPARE(durationText(7000), QStringLiteral("0:07"));
    QCOMPARE(durationText(6500), QStringLiteral("0:07"));
    QCOMPARE(durationText(0), QStringLiteral("0:00"));
    QCOMPARE(durationText(59499), QStringLiteral("0:59"));
    QCOMPARE(durationText(59500), QStringLiteral("1:00"));
    QCOMPARE(durationText(765000), QStringLiteral("12:45"));
    QCOMPARE(durationText(3723000), QStringLiteral("1:02:03"));
    QVERIFY(durationText(-1).isEmpty());
}

void MediaDurationTest::randomAndTruncatedInput()
{
    const QList<QByteArray> samples = {cafVoice(168000), m4a(mvhd0(600, 4200)), m4a(mvhd1(600, 4200), true),
                                       amr(false, 40, 7), amr(true, 40, 8)};
    QRandomGenerator rnd(7);
    for (const QByteArray& sample : samples) {
        // Every cut of the file; a cut never claims more than the whole.
        const qint64 whole = durationOf(sample);
        QVERIFY(whole > 0);
        for (int cut = 0; cut < sample.size(); ++cut) {
            feed(sample.left(cut));
            QVERIFY(durationOf(sample.left(cut)) <= whole);
        }
        for (int round = 0; round < 300; ++round) {
            QByteArray flipped = sample;
            for (int k = 0; k < 6; ++k)
                flipped[int(rnd.bounded(quint32(flipped.size())))] = char(rnd.bounded(256));
            feed(flipped);
            QByteArray noise = sample.left(12);
            const int extra = int(rnd.bounded(600));
            for (int i = 0; i < extra; ++i)
                noise.append(char(rnd.bounded(256)));
            feed(noise);
        }
    }
}

QTEST_MAIN(MediaDurationTest)
#include "tst_mediaduration.moc"
