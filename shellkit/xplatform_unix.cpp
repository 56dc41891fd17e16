// Unix side of the platform layer.
#include "xplatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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
    // The variable lets a packager or a test point elsewhere. Otherwise the
    // tools are beside the program (a build tree) or in the private folder
    // of an installed tree; with neither, the program's folder is named.
    QString folder = qEnvironmentVariable("MSGDESK_DEVICE_TOOLS");
    if (folder.isEmpty()) {
        const QDir program(QCoreApplication::applicationDirPath());
        folder = program.path();
        if (!QFileInfo(program.filePath(QStringLiteral("bin/AppleMobileBackup"))).isFile()) {
            const QString installed = QDir::cleanPath(program.filePath(QStringLiteral(MSGDESK_SUPPORT_FROM_BIN)));
            if (QFileInfo(installed + QStringLiteral("/bin/AppleMobileBackup")).isFile())
                folder = installed;
        }
    }
    return shellkit::detail::asFolderPath(folder);
}
