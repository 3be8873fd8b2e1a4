#include "platform/string/CFLocale.h"

#include "platform/string/CFObject.h"

#include <unicode/locid.h>

#include <new>

struct __CFLocale : kiv::platform::CFObject {
  CFStringRef identifier = nullptr;
  ~__CFLocale() override { CFRelease(identifier); }
};

CFLocaleRef CFLocaleCopyCurrent(void) {
  const icu::Locale& current = icu::Locale::getDefault();
  if (current.isBogus()) return nullptr;
  __CFLocale* locale = new (std::nothrow) __CFLocale;
  if (locale)
    locale->identifier =
        CFStringCreateWithCString(nullptr, current.getName(), kCFStringEncodingUTF8);
  return locale;
}

CFTypeRef CFLocaleGetValue(CFLocaleRef locale, CFLocaleKey key) {
  if (!locale || key != kCFLocaleIdentifier) return nullptr;
  return locale->identifier;
}
