#include "DemoPictures.h"

#include <QBuffer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#ifdef MSGDESK_HAVE_LIBHEIF
#include <libheif/heif.h>
#endif

#include <cstring>

namespace demodata {

namespace {

// A small generator of its own, so that pictures do not disturb the demo
// data's main sequence.
struct Lcg
{
    quint32 state;
    quint32 next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    int between(int low, int high) { return low + int(next() % quint32(high - low + 1)); }
};

QImage landscape(quint32 seed)
{
    Lcg rnd{seed ^ 0x9e3779b9u};
    const bool portrait = rnd.next() % 3 == 0;
    const int width = portrait ? 360 : 480;
    const int height = portrait ? 480 : 360;
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const int hue = rnd.between(180, 230);
    const bool evening = rnd.next() % 3 == 0;
    QLinearGradient sky(0, 0, 0, height * 0.6);
    sky.setColorAt(0, QColor::fromHsv(evening ? rnd.between(0, 30) : hue, 160, 230));
    sky.setColorAt(1, QColor::fromHsv(evening ? rnd.between(30, 50) : hue, 60, 255));
    p.fillRect(image.rect(), sky);

    const int sunX = rnd.between(width / 6, width * 5 / 6);
    const int sunY = rnd.between(height / 10, height / 3);
    p.setPen(Qt::NoPen);
    p.setBrush(evening ? QColor(255, 150, 60) : QColor(255, 236, 150));
    p.drawEllipse(QPoint(sunX, sunY), width / 12, width / 12);

    for (int layer = 0; layer < 3; ++layer) {
        QPainterPath hills;
        const int base = height * (45 + layer * 12) / 100;
        hills.moveTo(0, height);
        hills.lineTo(0, base);
        for (int x = 0; x <= width; x += width / 6)
            hills.lineTo(x, base - rnd.between(0, height / 5));
        hills.lineTo(width, height);
        hills.closeSubpath();
        p.setBrush(QColor::fromHsv(rnd.between(90, 140), 120 + layer * 30, 170 - layer * 40));
        p.drawPath(hills);
    }
    if (rnd.next() % 2 == 0) {
        QLinearGradient lake(0, height * 0.8, 0, height);
        lake.setColorAt(0, QColor::fromHsv(hue, 140, 200));
        lake.setColorAt(1, QColor::fromHsv(hue, 200, 120));
        p.setBrush(lake);
        p.drawEllipse(QRect(-width / 4, height * 82 / 100, width * 3 / 2, height / 2));
    }
    p.end();
    return image;
}

#ifdef MSGDESK_HAVE_LIBHEIF
heif_error writeToArray(heif_context*, const void* data, size_t size, void* userdata)
{
    static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data), qsizetype(size));
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

QByteArray encodeHeic(const QImage& source)
{
    const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    QByteArray out;
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    bool ok =
        heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code == heif_error_Ok &&
        heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image).code ==
            heif_error_Ok &&
        heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8).code == heif_error_Ok;
    if (ok) {
        int stride = 0;
        uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < rgb.height(); ++y)
            std::memcpy(plane + y * stride, rgb.constScanLine(y), size_t(rgb.width()) * 3);
        heif_encoder_set_lossy_quality(encoder, 60);
        heif_encoder_set_parameter(encoder, "preset", "ultrafast");
        ok = heif_context_encode_image(context, image, encoder, nullptr, nullptr).code == heif_error_Ok;
    }
    if (ok) {
        heif_writer writer{};
        writer.writer_api_version = 1;
        writer.write = &writeToArray;
        ok = heif_context_write(context, &writer, &out).code == heif_error_Ok;
    }
    if (image)
        heif_image_release(image);
    if (encoder)
        heif_encoder_release(encoder);
    heif_context_free(context);
    return ok ? out : QByteArray();
}
#endif

} // namespace

bool hasHeicEncoder()
{
#ifdef MSGDESK_HAVE_LIBHEIF
    const heif_encoder_descriptor* descriptors[1] = {};
    return heif_get_encoder_descriptors(heif_compression_HEVC, nullptr, descriptors, 1) > 0;
#else
    return false;
#endif
}

QByteArray demoPicture(quint32 seed, PictureFormat format)
{
    const QImage image = landscape(seed);
    if (format == PictureFormat::Heic) {
#ifdef MSGDESK_HAVE_LIBHEIF
        return encodeHeic(image);
#else
        return {};
#endif
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format == PictureFormat::Png ? "PNG" : "JPEG", format == PictureFormat::Png ? -1 : 80);
    return bytes;
}

} // namespace demodata
