// The first frame of a real video: a QuickTime movie of two Motion-JPEG
// frames, written here box by box (no encoder program needed), decoded
// through the video thumbnailer; the frame keeps the movie's aspect within
// the bound, and damaged or cut movies give no frame and a reason. Skipped
// where the build has no video thumbnailer.

#include "PictureDecoder.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace pictures;

namespace {

QByteArray be16(quint16 v)
{
    return QByteArray(1, char(v >> 8)) + char(v);
}

QByteArray be32(quint32 v)
{
    return be16(quint16(v >> 16)) + be16(quint16(v));
}

QByteArray box(const char* type, const QByteArray& body)
{
    return be32(quint32(8 + body.size())) + QByteArray(type, 4) + body;
}

QByteArray fullBox(const char* type, quint32 flags, const QByteArray& body)
{
    return box(type, be32(flags) + body);
}

QByteArray unitMatrix()
{
    return be32(0x10000) + be32(0) + be32(0) + be32(0) + be32(0x10000) + be32(0) + be32(0) + be32(0) + be32(0x40000000);
}

QByteArray jpegFrame(const QSize& size, const QColor& color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

// A QuickTime movie as a phone's camera leaves it (media first, then the
// movie box), one frame a second, Motion-JPEG.
QByteArray movie(const QSize& size, const QList<QColor>& colors)
{
    const quint32 scale = 600;
    const quint32 duration = scale * quint32(colors.size());
    QList<QByteArray> frames;
    for (const QColor& c : colors)
        frames.append(jpegFrame(size, c));
    const QByteArray ftyp = box("ftyp", QByteArray("qt  ") + be32(0x200) + QByteArray("qt  "));
    const QByteArray mdat = box("mdat", frames.join());
    const quint32 firstFrame = quint32(ftyp.size() + 8);

    const QByteArray mvhd = fullBox("mvhd", 0,
                                    be32(0) + be32(0) + be32(scale) + be32(duration) + be32(0x10000) + be16(0x100) +
                                        QByteArray(10, '\0') + unitMatrix() + QByteArray(24, '\0') + be32(2));
    const QByteArray tkhd = fullBox("tkhd", 3,
                                    be32(0) + be32(0) + be32(1) + be32(0) + be32(duration) + QByteArray(8, '\0') +
                                        be16(0) + be16(0) + be16(0) + be16(0) + unitMatrix() +
                                        be32(quint32(size.width()) << 16) + be32(quint32(size.height()) << 16));
    const QByteArray mdhd = fullBox("mdhd", 0, be32(0) + be32(0) + be32(scale) + be32(duration) + be16(0) + be16(0));
    const QByteArray hdlr = fullBox("hdlr", 0, QByteArray("mhlrvide") + be32(0) + be32(0) + be32(0) + QByteArray(1, 0));
    const QByteArray vmhd = fullBox("vmhd", 1, be16(0x40) + QByteArray(6, '\0'));
    const QByteArray dinf = box("dinf", fullBox("dref", 0, be32(1) + fullBox("alis", 1, QByteArray())));

    QByteArray compressor(32, '\0');
    compressor[0] = 10;
    compressor.replace(1, 10, "Photo JPEG");
    const QByteArray entry =
        box("jpeg", QByteArray(6, '\0') + be16(1) + be16(0) + be16(0) + be32(0) + be32(0) + be32(0x200) +
                        be16(quint16(size.width())) + be16(quint16(size.height())) + be32(72 << 16) + be32(72 << 16) +
                        be32(0) + be16(1) + compressor + be16(24) + be16(0xffff));
    const QByteArray stsd = fullBox("stsd", 0, be32(1) + entry);
    const QByteArray stts = fullBox("stts", 0, be32(1) + be32(quint32(frames.size())) + be32(scale));
    const QByteArray stsc = fullBox("stsc", 0, be32(1) + be32(1) + be32(quint32(frames.size())) + be32(1));
    QByteArray sizes;
    for (const QByteArray& f : frames)
        sizes += be32(quint32(f.size()));
    const QByteArray stsz = fullBox("stsz", 0, be32(0) + be32(quint32(frames.size())) + sizes);
    const QByteArray stco = fullBox("stco", 0, be32(1) + be32(firstFrame));
    const QByteArray stbl = box("stbl", stsd + stts + stsc + stsz + stco);
    const QByteArray minf = box("minf", vmhd + dinf + stbl);
    const QByteArray trak = box("trak", tkhd + box("mdia", mdhd + hdlr + minf));
    return ftyp + mdat + box("moov", mvhd + trak);
}

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

} // namespace

class VideoFramesTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void firstFrameOfAMovie();
    void damagedMoviesGiveNoFrame();
};

void VideoFramesTest::init()
{
    if (!canReadVideoFrames())
        QSKIP("this build has no video thumbnailer");
}

void VideoFramesTest::firstFrameOfAMovie()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QSize bound(480, 360);
    // Wide, as filmed holding the phone sideways, and tall.
    const QString wide = write(dir, QStringLiteral("IMG_1208.MOV"), movie(QSize(640, 360), {Qt::red, Qt::blue}));
    QString why;
    const QImage frame = videoFrame(wide, bound, &why);
    QVERIFY2(!frame.isNull(), qPrintable(why));
    QVERIFY(frame.width() <= bound.width() && frame.height() <= bound.height());
    QVERIFY2(qAbs(frame.width() * 9 - frame.height() * 16) <= 16 * 2,
             qPrintable(QStringLiteral("%1x%2").arg(frame.width()).arg(frame.height())));
    // The first frame's colour, not the second's.
    const QColor middle = frame.pixelColor(frame.width() / 2, frame.height() / 2);
    QVERIFY2(middle.red() > 200 && middle.blue() < 60, qPrintable(middle.name()));

    const QString tall = write(dir, QStringLiteral("IMG_1209.MOV"), movie(QSize(180, 320), {Qt::green}));
    const QImage upright = videoFrame(tall, bound, &why);
    QVERIFY2(!upright.isNull(), qPrintable(why));
    QVERIFY(upright.height() > upright.width());
    QVERIFY(upright.width() <= bound.width() && upright.height() <= bound.height());
}

void VideoFramesTest::damagedMoviesGiveNoFrame()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray whole = movie(QSize(320, 180), {Qt::red});
    const QList<QByteArray> damaged = {
        whole.left(40), // cut inside the first frame
        QByteArray("\0\0\0\x14"
                   "ftypqt  ",
                   12) +
            QByteArray(3000, 'x'), // a header and noise, as the demo's stand-ins
        QByteArray(),
    };
    for (int i = 0; i < damaged.size(); ++i) {
        const QString path = write(dir, QStringLiteral("broken%1.MOV").arg(i), damaged.at(i));
        QString why;
        QVERIFY2(videoFrame(path, QSize(480, 360), &why).isNull(), qPrintable(QString::number(i)));
        QVERIFY(!why.isEmpty());
    }
    QString why;
    QVERIFY(videoFrame(dir.filePath(QStringLiteral("no such movie.MOV")), QSize(480, 360), &why).isNull());
    QVERIFY(!why.isEmpty());
}

QTEST_MAIN(VideoFramesTest)
#include "tst_videoframes.moc"
