// The user's current locale as a platform object that CFRelease handles.
#pragma once

#include "detail/CFString.h"

typedef int CFLocaleKey;
enum { kCFLocaleIdentifier = 1 };

// The current locale: the one the environment selects (LC_ALL, LC_MESSAGES, LANG), as ICU
// canonicalizes it; null when none can be made.
CFLocaleRef CFLocaleCopyCurrent(void);

// The value under the key, owned by the locale: for kCFLocaleIdentifier its identifier string
// ("en_US"); null for any other key.
CFTypeRef CFLocaleGetValue(CFLocaleRef locale, CFLocaleKey key);
