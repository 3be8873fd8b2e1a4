// KivXML writing: what has been written of the document so far.
#include "xml/KivXMLWriteState.h"

#include <cstring>
#include <new>

#include "xml/KivXMLWriteSupport.h"
#include "xml/XmlLimits.h"

namespace {

const std::string kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
const std::string kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

// Bytes that the writer puts between the quotes for an attribute value: markup characters,
// the quote, and the white space that the parser would otherwise normalize become references.
std::size_t attributeValueBytes(const char* value) {
  std::size_t bytes = 0;
  for (const char* p = value; *p != '\0'; ++p) {
    switch (*p) {
    case '<':  // &lt;
    case '>':  // &gt;
    case '\t': // &#9;
      bytes += 4;
      break;
    case '&':  // &amp;
    case '\n': // &#10;
    case '\r': // &#13;
      bytes += 5;
      break;
    case '"': // &quot;
      bytes += 6;
      break;
    default:
      bytes += 1;
    }
  }
  return bytes;
}

} // namespace

using kiv::xml::kMaxAttributes;
using kiv::xml::kMaxDepth;
using kiv::xml::kMaxStartTagBytes;
using kiv::xml::kMaxTextBytes;

void KivXML::WriteState::reset() {
  broken_ = false;
  depth_ = 0;
  run_ = 0;
  runHasText_ = false;
  tagOpen_ = false;
  tagBytes_ = 0;
  tagKeys_.clear();
  tagPrefixes_.clear();
  bindings_.clear();
}

const std::string* KivXML::WriteState::namespaceOf(std::string_view prefix) const {
  if (prefix == "xml") return &kXmlNamespace;
  for (auto it = bindings_.rbegin(); it != bindings_.rend(); ++it)
    if (!it->prefix.empty() && it->prefix == prefix) return &it->uri;
  return nullptr;
}

bool KivXML::WriteState::elementNameAllowed(const char* name) const {
  if (kiv::xml::isPlainXmlName(name)) return true; // no prefix to look up
  if (!kiv::xml::isXmlName(name)) return false;
  std::string_view prefix = kiv::xml::prefixOf(name);
  return prefix.empty() || namespaceOf(prefix) != nullptr;
}

bool KivXML::WriteState::mayStartRoot(const char* name) const {
  if (broken_ || depth_ != 0 || !kiv::xml::isXmlName(name)) return false;
  std::string_view prefix = kiv::xml::prefixOf(name);
  return prefix.empty() || prefix == "xml";
}

bool KivXML::WriteState::mayStart(const char* name) const {
  if (broken_ || depth_ < 1 || depth_ >= kMaxDepth || !elementNameAllowed(name)) return false;
  // After text, the new element's indentation (one tab per level of the element open) joins
  // that text in one text node.
  return !runHasText_ || run_ + static_cast<std::size_t>(depth_) <= kMaxTextBytes;
}

bool KivXML::WriteState::mayWriteNode(const char* name, std::size_t textBytes) const {
  return textBytes <= kMaxTextBytes && mayStart(name);
}

bool KivXML::WriteState::mayNest(int levels) const {
  return !broken_ && depth_ >= 1 && depth_ + levels <= kMaxDepth;
}

bool KivXML::WriteState::mayAddText(std::size_t bytes) const {
  return !broken_ && depth_ >= 1 && bytes <= kMaxTextBytes - run_;
}

bool KivXML::WriteState::mayEnd() const { return !broken_ && depth_ > 1; }

bool KivXML::WriteState::checkAttribute(const char* name, const char* value,
                                        Attribute& attribute) const {
  if (broken_ || !tagOpen_ || !kiv::xml::isXmlName(name)) return false;
  if (tagKeys_.size() >= kMaxAttributes) return false;
  // ' ', the name, '="', the value, '"'.
  attribute.bytes = std::strlen(name) + attributeValueBytes(value) + 4;
  if (tagBytes_ + attribute.bytes > kMaxStartTagBytes) return false;
  try {
    std::string_view prefix = kiv::xml::prefixOf(name);
    attribute.declares = prefix == "xmlns" || std::strcmp(name, "xmlns") == 0;
    if (attribute.declares) {
      attribute.declared = prefix.empty() ? "" : name + prefix.size() + 1;
      attribute.uri = value;
      // The reserved prefixes and their namespaces are bound once and for all; a prefix cannot be
      // undeclared, nor declared again on a tag that already used it.
      if (attribute.declared == "xml" || attribute.declared == "xmlns") return false;
      if (attribute.uri == kXmlNamespace || attribute.uri == kXmlnsNamespace) return false;
      if (!attribute.declared.empty() && attribute.uri.empty()) return false;
      if (bindings_.size() >= kMaxAttributes) return false;
      for (const std::string& used : tagPrefixes_)
        if (used == attribute.declared) return false;
      attribute.key = name;
    } else if (!prefix.empty()) {
      // Two prefixes bound to one namespace name the same attribute.
      const std::string* uri = namespaceOf(prefix);
      if (uri == nullptr) return false;
      attribute.prefix = prefix;
      attribute.key = "{" + *uri + "}" + (name + prefix.size() + 1);
    } else {
      attribute.key = name;
    }
    for (const std::string& key : tagKeys_)
      if (key == attribute.key) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void KivXML::WriteState::started(const char* name) {
  ++depth_;
  tagOpen_ = true;
  tagBytes_ = std::strlen(name) + 3; // '<', the name, and "/>" or '>'
  tagKeys_.clear();
  tagPrefixes_.clear();
  run_ = 0;
  runHasText_ = false;
}

void KivXML::WriteState::addedText(std::size_t bytes) {
  tagOpen_ = false;
  run_ += bytes;
  runHasText_ = true;
}

void KivXML::WriteState::ended() {
  while (!bindings_.empty() && bindings_.back().depth >= depth_)
    bindings_.pop_back();
  --depth_;
  tagOpen_ = false;
  // The writer ends the line after an end tag; text that follows joins that line feed.
  run_ = 1;
  runHasText_ = false;
}

void KivXML::WriteState::added(Attribute&& attribute) {
  try {
    tagBytes_ += attribute.bytes;
    if (attribute.declares)
      bindings_.push_back(Binding{std::move(attribute.declared), std::move(attribute.uri), depth_});
    if (!attribute.prefix.empty()) tagPrefixes_.push_back(std::move(attribute.prefix));
    tagKeys_.push_back(std::move(attribute.key));
  } catch (const std::bad_alloc&) {
    broken_ = true;
  }
}
