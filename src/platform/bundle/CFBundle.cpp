#include "platform/bundle/CFBundle.h"

#include "detail/Files.h"
#include "platform/bundle/Bundle.h"
#include "platform/files/Entries.h"
#include "platform/memory/NoThrow.h"
#include "platform/string/CFObject.h"
#include "xml/PropertyList.h"

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct __CFURL : kiv::platform::CFObject {
  std::string path;
};

struct __CFDictionary : kiv::platform::CFObject {
  std::vector<std::pair<CFStringRef, CFStringRef>> entries;
  ~__CFDictionary() override {
    for (auto& e : entries) {
      CFRelease(e.first);
      CFRelease(e.second);
    }
  }
};

struct __CFBundle : kiv::platform::CFObject {
  std::string path;
  bool infoLoaded = false;
  CFDictionaryRef info = nullptr;
  ~__CFBundle() override { CFRelease(info); }
};

using kiv::platform::noThrow;

namespace {

CFStringRef utf8String(const std::string& text) {
  return CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
}

// The top-level dictionary of a property list file: each key with a text value (strings,
// numbers, dates, booleans), read as the key look-ups of Bundle.h read it, so that both agree on
// every file. A key's first entry decides: one whose value has no text is absent.
CFDictionaryRef readPlistDictionary(const std::string& file) {
  const auto entries = kiv::xml::plistEntries(file);
  if (!entries) return nullptr;
  std::unique_ptr<__CFDictionary> out(new __CFDictionary);
  std::set<std::string> seen;
  for (const auto& e : *entries) {
    if (!seen.insert(e.key).second || !e.text) continue;
    CFStringRef key = utf8String(e.key), text = utf8String(*e.text);
    if (key && text) {
      out->entries.emplace_back(key, text);
    } else {
      CFRelease(key);
      CFRelease(text);
    }
  }
  return out.release();
}

} // namespace

// Each creation gives null, rather than an exception, when memory runs out.

CFURLRef CFURLCreateFromFSRef(CFAllocatorRef, const FSRef* ref) {
  if (!ref) return nullptr;
  return noThrow<CFURLRef>(nullptr, [&]() -> CFURLRef {
    std::unique_ptr<UInt8[]> path(new UInt8[kFSRefPathCapacity]);
    if (FSRefMakePath(ref, path.get(), kFSRefPathCapacity) != noErr) return nullptr;
    return CFURLCreateWithFileSystemPath(nullptr, reinterpret_cast<const char*>(path.get()));
  });
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, const char* path) {
  if (!path || path[0] != '/') return nullptr;
  return noThrow<CFURLRef>(nullptr, [&] {
    std::unique_ptr<__CFURL> url(new __CFURL);
    url->path = path;
    return url.release();
  });
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef url) {
  if (!url || kiv::platform::kindOf(url->path.c_str()) != kiv::platform::ObjectKind::folder)
    return nullptr;
  return noThrow<CFBundleRef>(nullptr, [&] {
    std::unique_ptr<__CFBundle> bundle(new __CFBundle);
    bundle->path = url->path;
    return bundle.release();
  });
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle) {
  if (!bundle) return nullptr;
  if (!bundle->infoLoaded) {
    // A dictionary not read for want of memory is tried again by the next call.
    bundle->infoLoaded = noThrow(false, [&] {
      bundle->info = readPlistDictionary(kiv::platform::bundleInfoPlistPath(bundle->path));
      return true;
    });
  }
  return bundle->info;
}

const void* CFDictionaryGetValue(CFDictionaryRef dict, const void* key) {
  if (!dict || !key) return nullptr;
  CFStringRef wanted = static_cast<CFStringRef>(key);
  for (const auto& e : dict->entries)
    if (CFStringCompare(e.first, wanted, 0) == kCFCompareEqualTo) return e.second;
  return nullptr;
}
