#include "ui/LocalizedStrings.h"

#include "platform/bundle/Bundle.h"

#include <clocale>
#include <cstdlib>
#include <libintl.h>
#include <locale.h>
#include <mutex>

// gettext's count of catalog changes: its cache of translations is keyed by the locale name
// but not by LANGUAGE, and is dropped when this count moves.
extern "C" int _nl_msg_cat_cntr;

namespace kiv::ui {

namespace {

constexpr const char* kDomain = "Localizable";

std::mutex bindingMutex;
std::string boundFolder;      // guarded by bindingMutex
std::string languageSettings; // guarded by bindingMutex

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Makes gettext forget the translations it has cached when the language settings changed
// since the last lookup (the user switched language while the program runs).
void forgetTranslationsOnLanguageChange() {
  std::string settings;
  for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
    settings += environmentValue(name) + '\n';
  if (settings != languageSettings) {
    languageSettings = settings;
    ++_nl_msg_cat_cntr;
  }
}

// Points the catalog domain at the main bundle's locale folder; the bundle can be changed at
// run time (a tool working on another bundle), so the binding follows it.
bool bindCatalogs() {
  std::string resources = kiv::platform::mainBundleResourcesPath();
  if (resources.empty()) return false;
  std::string folder = resources + "/locale";
  std::lock_guard<std::mutex> lock(bindingMutex);
  if (folder != boundFolder) {
    if (!bindtextdomain(kDomain, folder.c_str())) return false;
    bind_textdomain_codeset(kDomain, "UTF-8");
    boundFolder = folder;
  }
  forgetTranslationsOnLanguageChange();
  return true;
}

} // namespace

std::string localizedString(const char* key) {
  // gettext answers the empty key with the catalog's header, not with the empty text.
  if (!key || !*key) return std::string();
  if (!bindCatalogs()) return key;
  // gettext picks the language from the calling thread's message locale. The library does not
  // change the process's locale, so the lookup runs under a message locale built from the
  // environment, as setlocale(LC_ALL, "") would have set it. When that locale is not installed
  // the thread's own locale is used, as in a program whose setlocale call failed.
  locale_t messages = newlocale(LC_MESSAGES_MASK, "", static_cast<locale_t>(0));
  locale_t previous = messages ? uselocale(messages) : static_cast<locale_t>(0);
  const char* found = dgettext(kDomain, key);
  std::string text = found ? found : key;
  if (messages) {
    uselocale(previous);
    freelocale(messages);
  }
  return text;
}

} // namespace kiv::ui
