#pragma once

// Pictures for the demo phone's attachments: small landscapes drawn from a
// seed (sky, sun, hills, a lake), so that the same seed always gives the
// same picture. Encoded as JPEG or PNG by Qt, as HEIC by libheif's HEVC
// encoder when the build has one (hasHeicEncoder()).

#include <QByteArray>

namespace demodata {

enum class PictureFormat { Jpeg, Png, Heic };

bool hasHeicEncoder();

// The encoded picture; empty when the format cannot be written here.
QByteArray demoPicture(quint32 seed, PictureFormat format);

} // namespace demodata
