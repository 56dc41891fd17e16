// Windows side of the platform layer.
#include "xplatform.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

bool openInTextEditor(const QString& path)
{
    if (path.isEmpty())
        return false;
    if (const shellkit::Launcher* launcher = shellkit::detail::testLauncher())
        return (*launcher)(QStringLiteral("editor"), path);
    return QProcess::startDetached(QStringLiteral("notepad.exe"), {QDir::toNativeSeparators(path)});
}

QString deviceToolsFolder()
{
    const QSettings key(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Apple Inc.\\Apple Mobile Device Support"),
                        QSettings::NativeFormat);
    return shellkit::detail::asFolderPath(key.value(QStringLiteral("InstallDir")).toString());
}
