#include "platform/bundle/Bundle.h"

#include "platform/files/Entries.h"
#include "platform/files/PathText.h"
#include "xml/PropertyList.h"

#include <mutex>

namespace kiv::platform {

namespace {

std::mutex overrideMutex;
std::string overridePath; // guarded by overrideMutex; empty when no override is set

bool hasAppSuffix(std::string_view name) {
  return name.size() > 4 && name.compare(name.size() - 4, 4, ".app") == 0;
}

} // namespace

std::string executablePath() { return linkTarget("/proc/self/exe"); }

std::string mainBundlePath() {
  {
    std::lock_guard<std::mutex> lock(overrideMutex);
    if (!overridePath.empty()) return overridePath;
  }
  std::string exe = executablePath();
  if (exe.empty()) return std::string();
  // <Name>.app/Contents/Linux/<exe>
  const std::string dir = folderOf(exe, ".");
  const std::string contents = folderOf(dir, ".");
  const std::string bundle = folderOf(contents, ".");
  if (leafOf(dir) == "Linux" && leafOf(contents) == "Contents" && hasAppSuffix(leafOf(bundle)))
    return bundle;
  return dir;
}

std::string bundleResourcesPath(const std::string& bundlePath) {
  const std::string contents = joinPath(bundlePath, "Contents");
  if (kindOf(contents.c_str()) == ObjectKind::folder) return joinPath(contents, "Resources");
  return joinPath(bundlePath, "Resources");
}

std::string mainBundleResourcesPath() {
  std::string bundle = mainBundlePath();
  if (bundle.empty()) return std::string();
  if (hasAppSuffix(leafOf(bundle))) return joinPath(joinPath(bundle, "Contents"), "Resources");
  return bundleResourcesPath(bundle);
}

std::string bundleInfoPlistPath(const std::string& bundlePath) {
  return joinPath(joinPath(bundlePath, "Contents"), "Info.plist");
}

std::optional<std::string> plistStringValue(const std::string& plistPath, const std::string& key) {
  const auto entries = xml::plistEntries(plistPath);
  if (!entries) return std::nullopt;
  for (const xml::PlistEntry& e : *entries)
    if (e.key == key) return e.text;
  return std::nullopt;
}

std::optional<std::string> bundleInfoValue(const std::string& bundlePath, const std::string& key) {
  if (bundlePath.empty()) return std::nullopt;
  return plistStringValue(bundleInfoPlistPath(bundlePath), key);
}

std::optional<std::string> mainBundleInfoValue(const std::string& key) {
  return bundleInfoValue(mainBundlePath(), key);
}

void setMainBundlePath(const std::string& bundlePath) {
  std::lock_guard<std::mutex> lock(overrideMutex);
  overridePath = bundlePath;
}

} // namespace kiv::platform
