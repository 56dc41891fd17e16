#pragma once

// Pictures of attachments (thumbnails for the chat page, pictures in
// exports), made from files the phone sent, which are not trusted: every
// path here is bounded. Pictures larger than kMaxPixels, or whose decoding
// would need more memory than kAllocationLimitMb, are refused (a tile is
// shown instead), and a damaged or truncated file gives a null image and a
// reason, never a crash. Safe to call from any thread; the chat page calls
// it on worker threads.
//
// JPEG, PNG, GIF (its first frame), WebP and TIFF come through Qt's image
// readers; HEIC and HEIF through libheif; the first frame of a video
// through libffmpegthumbnailer when the build has it.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace pictures {

constexpr qint64 kMaxPixels = 100'000'000; // 10,000 x 10,000
constexpr int kAllocationLimitMb = 256;
// Files beyond this are not read whole into memory for a thumbnail.
constexpr qint64 kMaxHeifFileBytes = 64 * 1024 * 1024;

// Whether the bytes begin as an HEIF container (HEIC, HEIF, AVIF brands).
bool looksLikeHeif(const QByteArray& head);

// The picture in data, scaled to fit bound (aspect kept; never enlarged).
QImage decodeHeif(const QByteArray& data, const QSize& bound, QString* why);

// The picture in the file at path, scaled to fit bound.
QImage decodePicture(const QString& path, const QSize& bound, QString* why);

// The first frame of the video at path, scaled to fit bound; null when
// the build has no video thumbnailer or the file gives no frame.
QImage videoFrame(const QString& path, const QSize& bound, QString* why);
bool canReadVideoFrames();

} // namespace pictures
