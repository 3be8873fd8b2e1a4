// The application's localized strings table: the main bundle's catalogs "Localizable", one per
// language, in <resources>/locale/<language>/LC_MESSAGES/Localizable.mo.
#pragma once

#include <string>

namespace kiv::ui {

// The text for `key` as UTF-8, from the first catalog that holds it along the user's languages
// (read from the environment at each call: the LANGUAGE list, then the message locale of
// LC_ALL, LC_MESSAGES or LANG, each followed by its less specific forms, "de_AT" then "de"),
// then the bundle's development language (CFBundleDevelopmentRegion of its Info.plist). The
// locales named need not be installed. A key that no catalog in that chain holds yields the key
// itself; a null or empty key yields the empty text.
std::string localizedString(const char* key);

} // namespace kiv::ui
