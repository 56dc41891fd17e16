// Unix side of the platform layer.
#include "xplatform.h"

#include <QCoreApplication>

bool openInTextEditor(const QString& path)
{
    if (path.isEmpty())
        return false;
    if (const shellkit::Launcher* launcher = shellkit::detail::testLauncher())
        return (*launcher)(QStringLiteral("editor"), path);
    // No single editor is everywhere; the desktop picks the user's own for
    // the file type.
    return shellkit::detail::openWithDesktop(path);
}

QString deviceToolsFolder()
{
    // The tools ship beside the program; the variable lets a packager or a
    // test point elsewhere.
    QString folder = qEnvironmentVariable("MSGDESK_DEVICE_TOOLS");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    return shellkit::detail::asFolderPath(folder);
}
