#include "detail/LocalizedTexts.h"

#include "detail/CFString.h"
#include "detail/EncodingConversions.h"
#include "detail/PascalStrings.h"
#include "ui/LocalizedStrings.h"

#include <cstring>
#include <string>

void GetCocoaCString(char* destination, short first, short second, short third) {
  if (!destination) return;
  destination[0] = '\0';
  try {
    std::string key = "CARBON_STR_" + std::to_string(first) + "_" + std::to_string(second);
    std::string text = kiv::ui::localizedString(key.c_str());
    // At most 255 bytes, terminator included; a text that does not fit whole leaves it empty.
    if (!text.empty()) UTFStringToCString(text.data(), destination);
  } catch (...) {
    destination[0] = '\0';
  }
}

void GetCocoaString(unsigned char* destination, short first, short second) {
  if (!destination) return;
  char text[264];
  GetCocoaCString(text, first, second, 0);
  C2PStrCopy(text, destination);
}

void CocoaRomanToUTF(char* source, char* destination) {
  if (!destination) return;
  destination[0] = '\0';
  if (!source || !*source) return;
  CFStringRef text =
      CFStringCreateWithCString(kCFAllocatorDefault, source, kCFStringEncodingMacRoman);
  if (!text) return;
  // Every Mac Roman character takes one to three UTF-8 bytes: the room the caller provides.
  CFIndex room = static_cast<CFIndex>(std::strlen(source)) * 3 + 1;
  if (!CFStringGetCString(text, destination, room, kCFStringEncodingUTF8)) destination[0] = '\0';
  CFRelease(text);
}
