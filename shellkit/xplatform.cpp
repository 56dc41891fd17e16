#include "xplatform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {

shellkit::Launcher& launcherSlot()
{
    static shellkit::Launcher launcher;
    return launcher;
}

} // namespace

namespace shellkit {

void setLauncherForTests(Launcher launcher)
{
    launcherSlot() = std::move(launcher);
}

namespace detail {

const Launcher* testLauncher()
{
    const Launcher& launcher = launcherSlot();
    return launcher ? &launcher : nullptr;
}

bool openWithDesktop(const QString& path)
{
    if (const Launcher* launcher = testLauncher())
        return (*launcher)(QStringLiteral("opener"), path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString asFolderPath(const QString& folder)
{
    if (folder.isEmpty())
        return {};
    QString path = QDir::fromNativeSeparators(folder);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

} // namespace detail
} // namespace shellkit

bool openInViewer(const QString& path)
{
    if (path.isEmpty())
        return false;
    return shellkit::detail::openWithDesktop(QFileInfo(path).absoluteFilePath());
}

bool startInstaller(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return false;
    // isExecutable() answers per system: the execute bit on Unix, the file
    // type on Windows. Anything else (a package, an archive) goes to the
    // desktop, which knows what opens it.
    if (!info.isExecutable())
        return shellkit::detail::openWithDesktop(info.absoluteFilePath());
    if (const shellkit::Launcher* launcher = shellkit::detail::testLauncher())
        return (*launcher)(QStringLiteral("installer"), info.absoluteFilePath());
    return QProcess::startDetached(info.absoluteFilePath(), {}, info.absolutePath());
}
