// The languages the user wants texts in, read from the environment at each call. The locales
// named need not be installed: only their names are used.
#pragma once

#include <string>
#include <vector>

namespace kiv::platform {

// A language name and its less specific forms, most specific first: "de_AT.UTF-8@euro" gives
// "de_AT.UTF-8@euro", "de_AT.UTF-8", "de_AT@euro", "de_AT", "de.UTF-8@euro", "de.UTF-8",
// "de@euro", "de". Empty for the names that stand for no language ("C", "POSIX", "C.UTF-8" and
// the like) and for names that are not made of letters, digits, "_", "-", "." and "@" alone or
// that begin with "." (a name becomes a folder name, so "../x" must not).
std::vector<std::string> languageVariants(const std::string& name);

// The user's languages, most wanted first, each followed by its less specific forms and without
// repeats: every entry of LANGUAGE (a colon-separated list, honoured whatever the locale, the C
// locale included), then the message locale, the first of LC_ALL, LC_MESSAGES and LANG that is
// set and not empty.
std::vector<std::string> preferredLanguages();

// Appends the forms of `name` to `languages`, leaving out those already there.
void appendLanguage(std::vector<std::string>& languages, const std::string& name);

} // namespace kiv::platform
