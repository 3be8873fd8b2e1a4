#include "ui/LocalizedStrings.h"

#include "platform/bundle/Bundle.h"
#include "platform/locale/MessageCatalog.h"
#include "platform/locale/PreferredLanguages.h"

#include <vector>

namespace kiv::ui {

std::string localizedString(const char* key) {
  if (!key || !*key) return std::string();
  std::string resources = kiv::platform::mainBundleResourcesPath();
  if (resources.empty()) return key;
  std::vector<std::string> languages = kiv::platform::preferredLanguages();
  if (auto development = kiv::platform::mainBundleInfoValue("CFBundleDevelopmentRegion"))
    kiv::platform::appendLanguage(languages, *development);
  for (const std::string& language : languages) {
    auto catalog = kiv::platform::MessageCatalog::load(resources + "/locale/" + language +
                                                       "/LC_MESSAGES/Localizable.mo");
    if (const std::string* text = catalog ? catalog->find(key) : nullptr) return *text;
  }
  return key;
}

} // namespace kiv::ui
