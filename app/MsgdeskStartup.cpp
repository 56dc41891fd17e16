#include "MsgdeskStartup.h"

#include "MainWindow.h"
#include "PrivateFolder.h"
#include "ProductSetup.h"
#include "xframeContainer.h"
#include "xframeskin.h"
#include "xproductInfo.h"
#include "xresourceMgr.h"

#include <QApplication>
#include <QDir>

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

int run(int argc, char** argv, const std::function<void(xframeskin* frame)>& onShown)
{
    using Container = xframeContainer<MainWindow, xframeskin>;

    auto app = std::make_unique<QApplication>(argc, argv);

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
    resources->setLang(QStringLiteral("en_US"));

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
