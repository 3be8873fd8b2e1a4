#include "xml/PropertyList.h"

#include "xml/XmlOwners.h"

#include <cstring>

namespace kiv::xml {

namespace {

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
  XmlOwned<xmlChar> s(xmlNodeGetContent(n));
  return s ? reinterpret_cast<const char*>(s.get()) : "";
}

} // namespace

std::optional<std::vector<PlistEntry>> plistEntries(const std::string& plistPath) {
  // No network access, no error output: a broken file simply has no values.
  XmlOwned<xmlDoc> doc(xmlReadFile(plistPath.c_str(), nullptr,
                                   XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc) return std::nullopt;
  std::optional<std::vector<PlistEntry>> entries;
  const xmlNode* root = xmlDocGetRootElement(doc.get());
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
  return entries;
}

} // namespace kiv::xml
