// The version string of a bundle's Info.plist, and the folder of the running application's
// bundle.
#include "detail/Bundles.h"

#include "platform/bundle/Bundle.h"
#include "platform/bundle/CFBundle.h"
#include "platform/files/PathText.h"
#include "platform/memory/NoThrow.h"
#include "system/PascalText.h"

#include <climits>
#include <cstring>
#include <string>

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

// The caller's buffer holds any path the system can name: PATH_MAX bytes.
void GetThisAppBundleParentPathN(char* parent) { GetThisAppBundleParentPathN(parent, PATH_MAX); }

int GetThisAppBundleParentPathN(char* parent, size_t parentSize) {
  if (!parent || parentSize == 0) return -1;
  parent[0] = '\0';
  return kiv::platform::noThrow(-1, [&] {
    // The root folder as the parent is the empty string, as is no parent at all.
    std::string folder = kiv::platform::folderOf(kiv::platform::mainBundlePath(), "");
    if (folder == "/") folder.clear();
    if (folder.size() + 1 > parentSize) return -1;
    std::memcpy(parent, folder.c_str(), folder.size() + 1);
    return 0;
  });
}
