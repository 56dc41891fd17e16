#pragma once

// The user's well-known folders, without a trailing separator.

#include <QString>

namespace xpublicPath {
QString appDataPath();
QString documentPath();
QString downloadPath();
} // namespace xpublicPath
