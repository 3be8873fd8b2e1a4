// A bundle's Info.plist of arbitrary bytes, read by both property-list readers: the bundle
// information dictionary behind GetBundleVersion and the key look-up of the main bundle. They
// must agree on every key, and the version must be the value in Mac Roman, at most 31
// characters, in a 32-byte destination.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "KivMisc.h"
#include "detail/CFString.h"
#include "platform/bundle/Bundle.h"
#include "platform/bundle/CFBundle.h"

namespace {

const char* const kKeys[] = {
    "CFBundleShortVersionString", "CFBundleName", "CFBundleIdentifier", "key", "a", ""};

// The UTF-8 text of a platform string.
std::string utf8Of(CFStringRef s) {
  std::string out(static_cast<size_t>(CFStringGetLength(s)) * 3 + 1, '\0');
  FUZZ_CHECK(
      CFStringGetCString(s, out.data(), static_cast<CFIndex>(out.size()), kCFStringEncodingUTF8));
  return out.c_str();
}

// The version as GetBundleVersion must give it: its first 31 characters in Mac Roman; empty
// when one of them has no Mac Roman form.
std::string expectedVersion(const std::string& value) {
  CFStringRef s =
      CFStringCreateWithCString(kCFAllocatorDefault, value.c_str(), kCFStringEncodingUTF8);
  FUZZ_CHECK(s != nullptr);
  const CFIndex length = CFStringGetLength(s) < 31 ? CFStringGetLength(s) : 31;
  std::string out(32, '\0');
  CFIndex used = 0;
  const bool ok = CFStringGetBytes(s, CFRangeMake(0, length), kCFStringEncodingMacRoman, 0, false,
                                   reinterpret_cast<UInt8*>(out.data()), 31, &used) == length;
  CFRelease(s);
  return ok ? out.substr(0, static_cast<size_t>(used)) : std::string();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string bundle = [] {
    std::filesystem::path b = kivfuzz::scratchFolder() / "Fuzz.app";
    std::filesystem::create_directories(b / "Contents");
    return b.string();
  }();
  if (!kivfuzz::writeFile(kiv::platform::bundleInfoPlistPath(bundle),
                          std::string(reinterpret_cast<const char*>(data), size)))
    return 0;

  CFURLRef url = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, bundle.c_str());
  CFBundleRef cfBundle = CFBundleCreate(kCFAllocatorDefault, url);
  FUZZ_CHECK(cfBundle != nullptr);
  CFDictionaryRef info = CFBundleGetInfoDictionary(cfBundle);
  for (const char* key : kKeys) {
    const auto looked = kiv::platform::bundleInfoValue(bundle, key);
    CFStringRef k = CFStringCreateWithCString(kCFAllocatorDefault, key, kCFStringEncodingUTF8);
    const void* value = CFDictionaryGetValue(info, k);
    CFRelease(k);
    FUZZ_CHECK(looked.has_value() == (value != nullptr));
    if (value != nullptr) FUZZ_CHECK(*looked == utf8Of(static_cast<CFStringRef>(value)));
  }

  kivfuzz::Room<unsigned char> version(32);
  const short code = GetBundleVersion(cfBundle, version.data());
  FUZZ_CHECK(code == (info != nullptr ? 0 : -1));
  const auto wanted = kiv::platform::bundleInfoValue(bundle, "CFBundleShortVersionString");
  FUZZ_CHECK(std::string(reinterpret_cast<const char*>(version.data() + 1), version[0]) ==
             (wanted ? expectedVersion(*wanted) : std::string()));
  CFRelease(cfBundle);
  CFRelease(url);
  return 0;
}
