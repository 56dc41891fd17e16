#include "MsgdeskStartup.h"

#include "DeviceBinding.h"
#include "MainWindow.h"
#include "PrivateFolder.h"
#include "ProductSetup.h"
#include "StartupArguments.h"
#include "xframeContainer.h"
#include "xframeskin.h"
#include "xlanguage.h"
#include "xplatform.h"
#include "xproductInfo.h"
#include "xresourceMgr.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>

namespace MsgdeskStartup {

QString pluginFolder(const QString& programFolder)
{
    QDir dir(programFolder);
    // cd() leaves the directory where it was when "plugins" is missing or
    // not a folder, which is what makes the program folder the fallback.
    dir.cd(QStringLiteral("plugins"));
    return dir.path();
}

namespace {

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// The options that print and end run without a display: the window system
// is never touched, so they work on a console and in a package build.
int runWithoutWindow(int argc, char** argv, StartupArguments::Action action)
{
    QCoreApplication app(argc, argv);
    shellkit::installSystemLanguage(ProductSetup::languages());
    switch (action) {
    case StartupArguments::Action::Version:
        print(stdout, QStringLiteral("msgdesk " MSGDESK_VERSION "\n"));
        return 0;
    case StartupArguments::Action::Help:
        print(stdout, startupHelpText());
        return 0;
    case StartupArguments::Action::CheckDeviceSupport:
        return checkDeviceSupport();
    case StartupArguments::Action::Run:
        break;
    }
    return 0;
}

// Whether an option that ends the program before any window is on the
// command line; Qt's own options are not yet removed here, and none of
// them looks like these.
StartupArguments::Action earlyAction(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return parseStartupArguments(arguments).action;
}

} // namespace

int checkDeviceSupport()
{
    QString error;
    const bool library = loadDeviceLibrary(&error);
    if (library)
        print(stdout,
              QCoreApplication::translate("MsgdeskStartup", "Device library: %1\n").arg(loadedDeviceLibraryPath()));
    else
        print(stdout, QCoreApplication::translate("MsgdeskStartup", "Device library: not found (%1)\n").arg(error));
    const QString tool = deviceToolsFolder() + QStringLiteral("bin/AppleMobileBackup");
    const QFileInfo toolInfo(tool);
    const bool toolFound = toolInfo.isFile() && toolInfo.isExecutable();
    if (toolFound)
        print(stdout, QCoreApplication::translate("MsgdeskStartup", "Backup tool: %1\n").arg(tool));
    else
        print(stdout, QCoreApplication::translate("MsgdeskStartup", "Backup tool: not found (%1)\n").arg(tool));
    return library && toolFound ? 0 : 1;
}

int run(int argc, char** argv, const std::function<void(xframeskin* frame)>& onShown)
{
    using Container = xframeContainer<MainWindow, xframeskin>;

    const StartupArguments::Action early = earlyAction(argc, argv);
    if (early != StartupArguments::Action::Run)
        return runWithoutWindow(argc, argv, early);

    auto app = std::make_unique<QApplication>(argc, argv);
    // Qt has taken its own options out by now.
    const StartupArguments arguments = parseStartupArguments(QCoreApplication::arguments().mid(1));
    if (!arguments.ignored.isEmpty())
        print(stderr, QStringLiteral("msgdesk: ") + QCoreApplication::translate("MsgdeskStartup", "ignored: %1\n")
                                                        .arg(arguments.ignored.join(QLatin1Char(' '))));

    auto pluginDir = std::make_unique<QDir>(pluginFolder(QCoreApplication::applicationDirPath()));
    QCoreApplication::addLibraryPath(pluginDir->path());

    auto appInfo = std::make_unique<_AppInfo>(ProductSetup::msgdeskAppInfo());
    auto product = std::make_unique<xproductInfo>();
    product->setCurAppInfo(*appInfo);
    xproductInfo::m_instance = product.get();

    QCoreApplication::setOrganizationName(appInfo->companyName);
    // The studio name, not an internet domain: settings paths were keyed by it.
    QCoreApplication::setOrganizationDomain(appInfo->studioName);
    QCoreApplication::setApplicationName(appInfo->appName);

    auto resources = std::make_unique<xresourceMgr>();
    xresourceMgr::m_instance = resources.get();
    resources->registerSkin(ProductSetup::kSkins);
    resources->registerLang(ProductSetup::kLanguages);
    resources->setSkin(QStringLiteral("default"));
    // The user's language where msgdesk speaks it, English otherwise.
    resources->setLang(shellkit::systemLanguage(resources->languages()));

    // Decrypted copies that a crashed run left behind go before anything is read.
    phonebackup::PrivateFolder::sweepStale();

    auto* window = new Container(nullptr);
    // The frame is the real top-level window; the container lives inside it
    // and does not delete it, so tear-down removes it after the container.
    std::unique_ptr<xframeskin> frame(window->frame());
    std::unique_ptr<Container> container(window);

    product->setMainWindow(container.get());
    container->setWindowTitle(product->productName());
    container->setWindowIcon(QStringLiteral(":/icon/varnel.png"));
    container->show();

    // A backup named on the command line opens once the window is up, so
    // that its read shows its progress and any complaint sits over the window.
    if (!arguments.path.isEmpty()) {
        QPointer<Container> target(container.get());
        QTimer::singleShot(0, container.get(), [target, path = arguments.path] {
            if (target)
                target->openPath(path);
        });
    }

    if (onShown)
        onShown(frame.get());

    const int result = QApplication::exec();

    container.reset();
    frame.reset();
    resources.reset();
    product.reset();
    appInfo.reset();
    pluginDir.reset();
    app.reset();
    return result;
}

} // namespace MsgdeskStartup
