// Helpers shared by the KivXML writing, editing and import members.
#include "xml/KivXMLWriteSupport.h"

#include <cstring>

#include "KIV_Str.h"
#include "KivDebug.h"

namespace kiv::xml {

bool romanToUtf8(const char* src, char* dst, std::size_t dstSize) {
  if (dst == nullptr || dstSize == 0) return false;
  dst[0] = '\0';
  if (src == nullptr || src[0] == '\0') return true;
  // ASCII is the same in both encodings: copied without the string service.
  std::size_t n = 0;
  while (src[n] != '\0' && static_cast<unsigned char>(src[n]) < 0x80)
    ++n;
  if (src[n] == '\0') {
    if (n >= dstSize) return false;
    std::memcpy(dst, src, n + 1);
    return true;
  }
  // Every Mac Roman byte is a character, so decoding cannot fail; encoding fails only when the
  // UTF-8 text and its terminator do not fit.
  CFStringRef text = CFStringCreateWithCString(kCFAllocatorDefault, src, kCFStringEncodingMacRoman);
  if (text == nullptr) return false;
  bool ok = CFStringGetCString(text, dst, static_cast<CFIndex>(dstSize), kCFStringEncodingUTF8);
  CFRelease(text);
  if (!ok) dst[0] = '\0';
  return ok;
}

void copyField(char* dst, std::size_t dstSize, const char* src) {
  if (dst == nullptr || dstSize == 0) return;
  if (src == nullptr) src = "";
  std::size_t n = strnlen(src, dstSize);
  if (n >= dstSize) {
    n = dstSize - 1;
    // Step back over continuation bytes so that the cut falls before a lead byte.
    while (n > 0 && (static_cast<unsigned char>(src[n]) & 0xC0) == 0x80)
      --n;
  }
  std::memmove(dst, src, n);
  dst[n] = '\0';
}

void quietLine(const char* line) { KivNoDebug("%s", line); }

} // namespace kiv::xml
