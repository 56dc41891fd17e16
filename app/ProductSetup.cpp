#include "ProductSetup.h"

namespace ProductSetup {

const char* const kSkins[] = {"default", nullptr};
const char* const kLanguages[] = {"en_US", nullptr};

_AppInfo msgdeskAppInfo()
{
    _AppInfo info;
    info.companyName = QStringLiteral("Varnel");
    info.studioName = QStringLiteral("Varnel Studio");
    info.homePageUrl = QStringLiteral("https://www.varnel-studio.com/");
    info.brandName = QStringLiteral("Varnel");
    info.appFullName = QStringLiteral("Varnel Handset Textkeep");
    info.appName = QStringLiteral("Varnel Textkeep");
    info.appCode = QStringLiteral("txk-desk");
    info.appPageUrl = QStringLiteral("https://www.varnel-studio.com/textkeep/");
    info.buyPageUrl = QStringLiteral("https://www.varnel-studio.com/textkeep/buy/");
    info.supportPageUrl = QStringLiteral("https://www.varnel-studio.com/support/");
    info.supportMail = QStringLiteral("support@varnel-studio.com");
    info.salesMail = QStringLiteral("sales@varnel-studio.com");
    info.legalNotice = QStringLiteral("Copyright (C) Varnel Studio. All rights reserved.");
    info.version = QStringLiteral("1.2.12");
    // The update address is the product code under the site's update folder.
    info.updateInfoUrl =
        QStringLiteral("https://www.varnel-studio.com/update/") + info.appCode + QStringLiteral(".txt");
    info.helpFile = QStringLiteral("help.chm");
    return info;
}

} // namespace ProductSetup
