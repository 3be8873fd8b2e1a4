// Short platform strings as Mac Roman Pascal strings.
#pragma once

#include "detail/CFString.h"

namespace kiv::system {

// The first `maxChars` characters of text (at most 255) as a Mac Roman Pascal string in dest;
// the empty string when text is null or a character has no Mac Roman form.
void copyMacRomanPascal(CFStringRef text, unsigned char* dest, int maxChars);

} // namespace kiv::system
