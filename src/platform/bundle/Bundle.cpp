#include "platform/bundle/Bundle.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

namespace kiv::platform {

namespace {

std::mutex overrideMutex;
std::string overridePath; // guarded by overrideMutex; empty when no override is set

bool hasAppSuffix(const std::string& name) {
  return name.size() > 4 && name.compare(name.size() - 4, 4, ".app") == 0;
}

bool isElement(const xmlNode* n, const char* name) {
  return n && n->type == XML_ELEMENT_NODE && std::strcmp((const char*)n->name, name) == 0;
}

const xmlNode* nextElement(const xmlNode* n) {
  for (n = n ? n->next : nullptr; n; n = n->next)
    if (n->type == XML_ELEMENT_NODE) return n;
  return nullptr;
}

const xmlNode* firstElement(const xmlNode* parent) {
  for (const xmlNode* n = parent ? parent->children : nullptr; n; n = n->next)
    if (n->type == XML_ELEMENT_NODE) return n;
  return nullptr;
}

std::string textOf(const xmlNode* n) {
  xmlChar* s = xmlNodeGetContent(n);
  std::string out = s ? (const char*)s : "";
  xmlFree(s);
  return out;
}

} // namespace

std::string executablePath() {
  std::error_code ec;
  fs::path p = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

std::string mainBundlePath() {
  {
    std::lock_guard<std::mutex> lock(overrideMutex);
    if (!overridePath.empty()) return overridePath;
  }
  std::string exe = executablePath();
  if (exe.empty()) return std::string();
  fs::path dir = fs::path(exe).parent_path();
  // <Name>.app/Contents/Linux/<exe>
  fs::path contents = dir.parent_path();
  fs::path bundle = contents.parent_path();
  if (dir.filename() == "Linux" && contents.filename() == "Contents" &&
      hasAppSuffix(bundle.filename().string()))
    return bundle.string();
  return dir.string();
}

std::string bundleResourcesPath(const std::string& bundlePath) {
  std::error_code ec;
  fs::path b(bundlePath);
  if (fs::is_directory(b / "Contents", ec)) return (b / "Contents" / "Resources").string();
  return (b / "Resources").string();
}

std::string mainBundleResourcesPath() {
  std::string bundle = mainBundlePath();
  if (bundle.empty()) return std::string();
  if (hasAppSuffix(fs::path(bundle).filename().string()))
    return (fs::path(bundle) / "Contents" / "Resources").string();
  return bundleResourcesPath(bundle);
}

std::string bundleInfoPlistPath(const std::string& bundlePath) {
  return (fs::path(bundlePath) / "Contents" / "Info.plist").string();
}

std::optional<std::vector<PlistEntry>> plistEntries(const std::string& plistPath) {
  // No network access, no error output: a broken file simply has no values.
  xmlDocPtr doc = xmlReadFile(plistPath.c_str(), nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) return std::nullopt;
  std::optional<std::vector<PlistEntry>> entries;
  const xmlNode* root = xmlDocGetRootElement(doc);
  const xmlNode* dict = isElement(root, "plist") ? firstElement(root) : root;
  if (isElement(dict, "dict")) {
    entries.emplace();
    for (const xmlNode* k = firstElement(dict); k; k = nextElement(k)) {
      if (!isElement(k, "key")) continue;
      const xmlNode* value = nextElement(k);
      PlistEntry entry{textOf(k), std::nullopt};
      if (isElement(value, "string") || isElement(value, "integer") || isElement(value, "real") ||
          isElement(value, "date"))
        entry.text = textOf(value);
      else if (isElement(value, "true"))
        entry.text = "true";
      else if (isElement(value, "false"))
        entry.text = "false";
      entries->push_back(std::move(entry));
      k = value; // the value is never read as a key
      if (!k) break;
    }
  }
  xmlFreeDoc(doc);
  return entries;
}

std::optional<std::string> plistStringValue(const std::string& plistPath, const std::string& key) {
  const auto entries = plistEntries(plistPath);
  if (!entries) return std::nullopt;
  for (const PlistEntry& e : *entries)
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
