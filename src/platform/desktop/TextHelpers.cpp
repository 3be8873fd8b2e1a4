#include "platform/desktop/TextHelpers.h"

#include "platform/desktop/GlibOwners.h"

#include <cstring>

namespace kiv::platform {

using GText = GlibOwned<char>;

std::string validUtf8(const char* text, std::size_t length) {
  if (g_utf8_validate_len(text, length, nullptr)) return std::string(text, length);
  GText valid(g_utf8_make_valid(text, static_cast<gssize>(length)));
  return std::string(valid.get());
}

bool sameTextIgnoringCase(const char* a, const char* b) {
  if (!a || !b) return false;
  GText fa(g_utf8_casefold(a, -1));
  GText fb(g_utf8_casefold(b, -1));
  return std::strcmp(fa.get(), fb.get()) == 0;
}

std::vector<std::string> localeVariants(const std::string& name) {
  std::vector<std::string> variants;
  GlibOwned<char*> forms(g_get_locale_variants(name.c_str()));
  for (gchar** form = forms.get(); form && *form; ++form)
    variants.emplace_back(*form);
  return variants;
}

} // namespace kiv::platform
