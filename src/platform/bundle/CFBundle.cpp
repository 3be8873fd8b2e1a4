#include "platform/bundle/CFBundle.h"

#include "detail/Files.h"
#include "platform/bundle/Bundle.h"
#include "platform/string/CFObject.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
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

namespace {

bool isElement(const xmlNode* n, const char* name) {
  return n && n->type == XML_ELEMENT_NODE && std::strcmp((const char*)n->name, name) == 0;
}

const xmlNode* elementFrom(const xmlNode* n) {
  for (; n; n = n->next)
    if (n->type == XML_ELEMENT_NODE) return n;
  return nullptr;
}

CFStringRef textOf(const xmlNode* n) {
  xmlChar* s = xmlNodeGetContent(n);
  CFStringRef text =
      CFStringCreateWithCString(nullptr, s ? (const char*)s : "", kCFStringEncodingUTF8);
  xmlFree(s);
  return text;
}

// The top-level dictionary of a property list file: each key with a text value (strings,
// numbers, dates, booleans). Arrays and nested dictionaries are passed over.
CFDictionaryRef readPlistDictionary(const std::string& file) {
  xmlDocPtr doc =
      xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) return nullptr;
  const xmlNode* root = xmlDocGetRootElement(doc);
  const xmlNode* dict = isElement(root, "plist") ? elementFrom(root->children) : root;
  __CFDictionary* out = nullptr;
  if (isElement(dict, "dict")) {
    out = new __CFDictionary;
    for (const xmlNode* k = elementFrom(dict->children); k;) {
      const xmlNode* value = elementFrom(k->next);
      if (isElement(k, "key") && value) {
        CFStringRef text = nullptr;
        if (isElement(value, "string") || isElement(value, "integer") || isElement(value, "real") ||
            isElement(value, "date"))
          text = textOf(value);
        else if (isElement(value, "true") || isElement(value, "false"))
          text =
              CFStringCreateWithCString(nullptr, (const char*)value->name, kCFStringEncodingUTF8);
        CFStringRef key = text ? textOf(k) : nullptr;
        if (key && text)
          out->entries.emplace_back(key, text);
        else {
          CFRelease(key);
          CFRelease(text);
        }
      }
      // A value is never read as a key: step past the pair.
      k = value ? elementFrom(value->next) : nullptr;
    }
  }
  xmlFreeDoc(doc);
  return out;
}

} // namespace

CFURLRef CFURLCreateFromFSRef(CFAllocatorRef, const FSRef* ref) {
  if (!ref) return nullptr;
  std::unique_ptr<UInt8[]> path(new UInt8[kFSRefPathCapacity]);
  if (FSRefMakePath(ref, path.get(), kFSRefPathCapacity) != noErr) return nullptr;
  return CFURLCreateWithFileSystemPath(nullptr, reinterpret_cast<const char*>(path.get()));
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, const char* path) {
  if (!path || path[0] != '/') return nullptr;
  __CFURL* url = new __CFURL;
  url->path = path;
  return url;
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef url) {
  std::error_code ec;
  if (!url || !std::filesystem::is_directory(url->path, ec)) return nullptr;
  __CFBundle* bundle = new __CFBundle;
  bundle->path = url->path;
  return bundle;
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle) {
  if (!bundle) return nullptr;
  if (!bundle->infoLoaded) {
    bundle->info = readPlistDictionary(kiv::platform::bundleInfoPlistPath(bundle->path));
    bundle->infoLoaded = true;
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
