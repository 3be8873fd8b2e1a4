#include "platform/locale/PreferredLanguages.h"

#include "platform/desktop/TextHelpers.h"

#include <algorithm>
#include <cstdlib>

namespace kiv::platform {

namespace {

bool isLanguageName(const std::string& name) {
  if (name.empty() || name[0] == '.') return false;
  return std::all_of(name.begin(), name.end(), [](unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == '@';
  });
}

// "C" and "POSIX", with or without a codeset or modifier ("C.UTF-8", "C.utf8").
bool namesNoLanguage(const std::string& name) {
  std::string base = name.substr(0, name.find_first_of(".@"));
  return base == "C" || base == "POSIX";
}

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

} // namespace

std::vector<std::string> languageVariants(const std::string& name) {
  if (!isLanguageName(name) || namesNoLanguage(name)) return {};
  return localeVariants(name);
}

void appendLanguage(std::vector<std::string>& languages, const std::string& name) {
  for (std::string& form : languageVariants(name))
    if (std::find(languages.begin(), languages.end(), form) == languages.end())
      languages.push_back(std::move(form));
}

std::vector<std::string> preferredLanguages() {
  std::vector<std::string> languages;
  std::string list = environmentValue("LANGUAGE");
  for (size_t start = 0; start <= list.size();) {
    size_t end = std::min(list.find(':', start), list.size());
    appendLanguage(languages, list.substr(start, end - start));
    start = end + 1;
  }
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    std::string locale = environmentValue(variable);
    if (locale.empty()) continue;
    appendLanguage(languages, locale);
    break;
  }
  return languages;
}

} // namespace kiv::platform
