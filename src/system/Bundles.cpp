// The version string of a bundle's Info.plist.
#include "detail/SystemInfo.h"

#include "platform/bundle/CFBundle.h"
#include "system/PascalText.h"

namespace {

// The capacity of the version's Pascal string: 32 bytes, 31 characters.
constexpr int kVersionChars = 31;

} // namespace

short GetBundleVersion(__CFBundle* bundle, unsigned char* version) {
  if (!version) return -1;
  version[0] = 0;
  CFDictionaryRef info = CFBundleGetInfoDictionary(bundle);
  if (!info) return -1;
  CFStringRef key =
      CFStringCreateWithCString(nullptr, "CFBundleShortVersionString", kCFStringEncodingUTF8);
  const void* value = CFDictionaryGetValue(info, key);
  CFRelease(key);
  if (value)
    kiv::system::copyMacRomanPascal(static_cast<CFStringRef>(value), version, kVersionChars);
  return 0;
}

short FSGetBundleVersion(FSRef* ref, unsigned char* version) {
  if (!version) return -1;
  version[0] = 0;
  CFURLRef url = CFURLCreateFromFSRef(kCFAllocatorDefault, ref);
  if (!url) return -1;
  short result = 0;
  if (CFBundleRef bundle = CFBundleCreate(kCFAllocatorDefault, url)) {
    result = GetBundleVersion(bundle, version);
    CFRelease(bundle);
  }
  CFRelease(url);
  return result;
}
