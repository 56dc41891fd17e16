#include "ProductSetup.h"

namespace ProductSetup {

const char* const kSkins[] = {"default", nullptr};
// English is the language of the source texts; the others have catalogues.
const char* const kLanguages[] = {"en_US", "ja", "fr", "de", "zh_CN", "zh_TW", "es", nullptr};

QStringList languages()
{
    QStringList names;
    for (const char* const* p = kLanguages; *p; ++p)
        names.append(QString::fromLatin1(*p));
    return names;
}

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
    // The version of the build (the project's one version number).
    info.version = QStringLiteral(MSGDESK_VERSION);
    // The update address is the product code under the site's update folder.
    info.updateInfoUrl =
        QStringLiteral("https://www.varnel-studio.com/update/") + info.appCode + QStringLiteral(".txt");
    info.helpFile = QStringLiteral("help.chm");
    return info;
}

} // namespace ProductSetup
