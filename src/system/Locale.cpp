// The identifier of the user's current locale.
#include "detail/Locale.h"

#include "platform/string/CFLocale.h"
#include "system/PascalText.h"

void GetLocaleIdentifier(unsigned char* identifier) {
  if (!identifier) return;
  identifier[0] = 0;
  CFLocaleRef locale = CFLocaleCopyCurrent();
  if (!locale) return;
  if (CFTypeRef id = CFLocaleGetValue(locale, kCFLocaleIdentifier))
    kiv::system::copyMacRomanPascal(static_cast<CFStringRef>(id), identifier, 31);
  CFRelease(locale);
}

void SetLocale() {
  // Only looks the identifier up; nothing depends on an effect.
  CFLocaleRef locale = CFLocaleCopyCurrent();
  CFRelease(locale);
}
