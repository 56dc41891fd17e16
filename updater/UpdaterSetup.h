#pragma once

// What the updater tells shellkit about itself at start-up: its product
// record and the skins and languages it offers.

#include "xproductInfo.h"

#include <QString>

namespace updater {

_AppInfo appInfo();

// Both lists are closed by a null entry, as registerSkin/registerLang take them.
extern const char* const skins[];
extern const char* const languages[];

inline constexpr const char* skinInUse = "ultrathin";
// The language when the system's is none of `languages`.
inline constexpr const char* languageInUse = "en_US";

QString usageText();

} // namespace updater
