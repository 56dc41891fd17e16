#include "xpublicPath.h"

#include <QDir>
#include <QStandardPaths>

namespace {

// Callers glue a separator and a name to the result, so it must never end
// in one, and an unknown location must not turn into a path relative to the
// working directory: the home folder stands in for it.
QString normalised(QStandardPaths::StandardLocation location)
{
    QString path = QStandardPaths::writableLocation(location);
    if (path.isEmpty())
        path = QDir::homePath();
    path = QDir::cleanPath(QDir::fromNativeSeparators(path));
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

namespace xpublicPath {

// The generic location, not the per-application one: the device backup
// folder lives under the user's shared data folder, next to other programs'.
QString appDataPath()
{
    return normalised(QStandardPaths::GenericDataLocation);
}

QString documentPath()
{
    return normalised(QStandardPaths::DocumentsLocation);
}

QString downloadPath()
{
    return normalised(QStandardPaths::DownloadLocation);
}

} // namespace xpublicPath
