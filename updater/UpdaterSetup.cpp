#include "UpdaterSetup.h"

namespace updater {

const char* const skins[] = {"ray_matter", "Ray_Matter_Plomix", "ultrathin", "default", nullptr};
const char* const languages[] = {"en_US", "ja", "fr", "de", "zh_CN", "zh_TW", "es", nullptr};

_AppInfo appInfo()
{
    _AppInfo info;
    info.companyName = QStringLiteral("Corvane");
    info.studioName = QStringLiteral("Corvane Studio");
    info.homePageUrl = QStringLiteral("https://www.corvane-studio.com/");
    // brandName stays empty for this product.
    info.appFullName = QStringLiteral("Lumen Converter");
    info.appName = QStringLiteral("Lumen Converter");
    info.appCode = QStringLiteral("x-lumen-converter");
    info.appPageUrl = QStringLiteral("https://www.corvane-studio.com/lumen-converter/");
    info.buyPageUrl = QStringLiteral("https://www.corvane-studio.com/lumen-converter/buy/");
    info.supportPageUrl = QStringLiteral("https://www.corvane-studio.com/support/");
    info.supportMail = QStringLiteral("support@corvane-studio.com");
    info.salesMail = QStringLiteral("sales@corvane-studio.com");
    info.legalNotice = QStringLiteral("Copyright (C) Corvane Studio. All rights reserved.");
    info.version = QStringLiteral("1.0.1");
    // The update notes live on a host of their own, apart from the shop.
    info.updateInfoUrl = QStringLiteral("https://updates.corvane.net/lumen-converter/readme.txt");
    info.helpFile = QStringLiteral("help.chm");
    return info;
}

QString usageText()
{
    return QStringLiteral("Usage: downloadmanager url1 [url2... urlN]\n"
                          "\n"
                          "Downloads the URLs passed in the command-line to the local directory\n"
                          "If the target file already exists, a .0, .1, .2, etc. is appended to\n"
                          "differentiate.\n");
}

} // namespace updater
