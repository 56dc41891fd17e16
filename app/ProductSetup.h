#pragma once

// The product record and the skin and language tables of msgdesk.

#include "xproductInfo.h"

#include <QStringList>

namespace ProductSetup {

// The product-information record msgdesk hands to shellkit; fields it does
// not use stay empty.
_AppInfo msgdeskAppInfo();

// Null-terminated lists for xresourceMgr::registerSkin / registerLang.
extern const char* const kSkins[];
extern const char* const kLanguages[];
// kLanguages as a list.
QStringList languages();

} // namespace ProductSetup
