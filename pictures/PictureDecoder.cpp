#include "PictureDecoder.h"

#include <QFile>
#include <QImageReader>

#include <libheif/heif.h>

#ifdef MSGDESK_HAVE_FFMPEGTHUMBNAILER
#include <libffmpegthumbnailer/videothumbnailerc.h>
#endif

#include <memory>

namespace pictures {

namespace {

QImage fitted(const QImage& image, const QSize& bound)
{
    if (image.isNull() || (image.width() <= bound.width() && image.height() <= bound.height()))
        return image;
    return image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

struct HeifContext
{
    heif_context* context = heif_context_alloc();
    heif_image_handle* handle = nullptr;
    heif_image* image = nullptr;
    ~HeifContext()
    {
        if (image)
            heif_image_release(image);
        if (handle)
            heif_image_handle_release(handle);
        heif_context_free(context);
    }
};

} // namespace

bool looksLikeHeif(const QByteArray& head)
{
    if (head.size() < 12 || head.mid(4, 4) != "ftyp")
        return false;
    static const QByteArray brands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1", "avif"};
    const QByteArray brand = head.mid(8, 4);
    for (const QByteArray& b : brands) {
        if (brand == b)
            return true;
    }
    return false;
}

QImage decodeHeif(const QByteArray& data, const QSize& bound, QString* why)
{
    if (data.size() > kMaxHeifFileBytes) {
        *why = QStringLiteral("the picture is too large");
        return {};
    }
    HeifContext h;
    if (!h.context) {
        *why = QStringLiteral("out of memory");
        return {};
    }
    // Refuses huge images before anything is allocated for their pixels.
    heif_context_set_maximum_image_size_limit(h.context, 10000);
    heif_error err =
        heif_context_read_from_memory_without_copy(h.context, data.constData(), size_t(data.size()), nullptr);
    if (err.code != heif_error_Ok) {
        *why = QString::fromUtf8(err.message);
        return {};
    }
    err = heif_context_get_primary_image_handle(h.context, &h.handle);
    if (err.code != heif_error_Ok) {
        *why = QString::fromUtf8(err.message);
        return {};
    }
    const qint64 width = heif_image_handle_get_width(h.handle);
    const qint64 height = heif_image_handle_get_height(h.handle);
    if (width <= 0 || height <= 0 || width * height > kMaxPixels) {
        *why = QStringLiteral("the picture is too large");
        return {};
    }
    err = heif_decode_image(h.handle, &h.image, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr);
    if (err.code != heif_error_Ok || !h.image) {
        *why = QString::fromUtf8(err.message);
        return {};
    }
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(h.image, heif_channel_interleaved, &stride);
    const int w = heif_image_get_width(h.image, heif_channel_interleaved);
    const int hgt = heif_image_get_height(h.image, heif_channel_interleaved);
    if (!plane || w <= 0 || hgt <= 0 || stride < w * 4) {
        *why = QStringLiteral("the picture cannot be decoded");
        return {};
    }
    // The plane goes with the context: the image keeps a copy.
    const QImage view(plane, w, hgt, stride, QImage::Format_RGBA8888);
    return fitted(view, bound).copy();
}

QImage decodePicture(const QString& path, const QSize& bound, QString* why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("the file cannot be read");
        return {};
    }
    const QByteArray head = file.peek(16);
    if (looksLikeHeif(head)) {
        if (file.size() > kMaxHeifFileBytes) {
            *why = QStringLiteral("the picture is too large");
            return {};
        }
        return decodeHeif(file.readAll(), bound, why);
    }
    QImageReader reader(&file);
    reader.setAllocationLimit(kAllocationLimitMb);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid()) {
        if (qint64(size.width()) * size.height() > kMaxPixels) {
            *why = QStringLiteral("the picture is too large");
            return {};
        }
        // Readers that can (JPEG) decode straight at the small size.
        if (size.width() > bound.width() || size.height() > bound.height())
            reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio));
    }
    QImage image;
    if (!reader.read(&image)) {
        *why = reader.errorString();
        return {};
    }
    return fitted(image, bound);
}

bool canReadVideoFrames()
{
#ifdef MSGDESK_HAVE_FFMPEGTHUMBNAILER
    return true;
#else
    return false;
#endif
}

QImage videoFrame(const QString& path, const QSize& bound, QString* why)
{
#ifdef MSGDESK_HAVE_FFMPEGTHUMBNAILER
    video_thumbnailer* thumbnailer = video_thumbnailer_create();
    if (!thumbnailer) {
        *why = QStringLiteral("no video thumbnailer");
        return {};
    }
    image_data* frame = video_thumbnailer_create_image_data();
    video_thumbnailer_set_size(thumbnailer, std::max(bound.width(), bound.height()), 0);
    thumbnailer->seek_percentage = 0;
    thumbnailer->overlay_film_strip = 0;
    thumbnailer->thumbnail_image_type = Rgb;
    QImage image;
    const QByteArray file = QFile::encodeName(path);
    if (video_thumbnailer_generate_thumbnail_to_buffer(thumbnailer, file.constData(), frame) == 0 &&
        frame->image_data_ptr && frame->image_data_width > 0 && frame->image_data_height > 0 &&
        frame->image_data_size >= frame->image_data_width * frame->image_data_height * 3) {
        image = QImage(frame->image_data_ptr, frame->image_data_width, frame->image_data_height,
                       frame->image_data_width * 3, QImage::Format_RGB888)
                    .copy();
    } else {
        *why = QStringLiteral("the video gives no frame");
    }
    video_thumbnailer_destroy_image_data(frame);
    video_thumbnailer_destroy(thumbnailer);
    return fitted(image, bound);
#else
    Q_UNUSED(path);
    Q_UNUSED(bound);
    *why = QStringLiteral("no video thumbnailer");
    return {};
#endif
}

} // namespace pictures
