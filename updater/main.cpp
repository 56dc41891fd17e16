// Entry routine of the updater: downloads the addresses given on the
// command line in a small progress window and offers to start the last
// file as the installer.

#include "DownloadManager.h"
#include "MainWindow.h"
#include "UpdaterSetup.h"
#include "xframeContainer.h"
#include "xframeskin.h"
#include "xlanguage.h"
#include "xproductInfo.h"
#include "xresourceMgr.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <memory>

namespace {

int printUsage()
{
    std::fputs(updater::usageText().toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    // Nothing to fetch: say how to call the program, before any window and
    // before the GUI is set up, which would abort on a machine without a
    // display.
    if (argc <= 1)
        return printUsage();

    auto app = std::make_unique<QApplication>(argc, argv);

    auto args = std::make_unique<QStringList>(QCoreApplication::arguments());
    args->removeFirst();
    // Only options of Qt's own, such as "-platform", were given.
    if (args->isEmpty())
        return printUsage();

    auto info = std::make_unique<_AppInfo>(updater::appInfo());
    auto product = std::make_unique<xproductInfo>();
    product->setCurAppInfo(*info);
    xproductInfo::m_instance = product.get();

    QCoreApplication::setOrganizationName(QStringLiteral("Corvane"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("Corvane Studio"));
    QCoreApplication::setApplicationName(QStringLiteral("Lumen Converter"));

    auto resources = std::make_unique<xresourceMgr>();
    xresourceMgr::m_instance = resources.get();
    resources->registerSkin(updater::skins);
    resources->registerLang(updater::languages);
    resources->setSkin(QString::fromLatin1(updater::skinInUse));
    // The user's language where the updater speaks it, English otherwise.
    if (!resources->setLang(shellkit::systemLanguage(resources->languages())))
        resources->setLang(QString::fromLatin1(updater::languageInUse));

    auto window = std::make_unique<xframeContainer<MainWindow, xframeskin>>();
    // What a killed run left half written goes now, whatever this run fetches.
    DownloadManager::removeLeftovers(window->downloadManager().downloadFolder());
    window->downloadManager().append(*args);
    window->setObjectName(QStringLiteral("dialogFrame"));
    window->show();

    const int result = app->exec();

    // The frame is the top-level window and owns the container as a child:
    // taking it down takes the window with it.
    xframeskin* frame = window->frame();
    window.reset();
    delete frame;
    resources.reset();
    xresourceMgr::m_instance = nullptr;
    product.reset();
    xproductInfo::m_instance = nullptr;
    info.reset();
    args.reset();
    app.reset();
    return result;
}
