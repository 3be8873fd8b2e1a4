// The application's localized strings table: the main bundle's gettext catalog "Localizable",
// in <resources>/locale/<language>/LC_MESSAGES/Localizable.mo.
#pragma once

#include <string>

namespace kiv::ui {

// The text for `key` in the user's language, as UTF-8. The language follows gettext's rules,
// read from the environment at each call: LANGUAGE (a colon-separated list of languages)
// unless the message locale is "C", then LC_ALL, LC_MESSAGES and LANG. A key the table does not
// hold yields the key itself; a null or empty key yields the empty text.
std::string localizedString(const char* key);

} // namespace kiv::ui
