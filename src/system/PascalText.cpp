#include "system/PascalText.h"

namespace kiv::system {

void copyMacRomanPascal(CFStringRef text, unsigned char* dest, int maxChars) {
  if (!dest) return;
  dest[0] = 0;
  if (!text || maxChars <= 0) return;
  if (maxChars > 255) maxChars = 255;
  // Mac Roman gives one byte per character, so cutting the UTF-16 text to maxChars units cuts
  // the result to maxChars bytes. A split surrogate pair has no Mac Roman form either way.
  CFIndex length = CFStringGetLength(text);
  if (length > maxChars) length = maxChars;
  UniChar units[255];
  CFStringGetCharacters(text, CFRangeMake(0, length), units);
  CFStringRef cut = CFStringCreateWithCharacters(nullptr, units, length);
  unsigned char buffer[256];
  if (cut && CFStringGetPascalString(cut, buffer, sizeof buffer, kCFStringEncodingMacRoman)) {
    for (int i = 0; i <= buffer[0]; ++i)
      dest[i] = buffer[i];
  }
  CFRelease(cut);
}

} // namespace kiv::system
