// Helpers shared by the KivXML readers.
#pragma once

#include <cstddef>
#include <cstring>

#include <libxml/tree.h>

namespace kiv::xml {

// Capacity that stands for "no bound": the unbounded readers copy the whole text.
constexpr std::size_t kUnbounded = static_cast<std::size_t>(-1);

// Length of the longest prefix of text[0..len) that fits in room bytes and does not end inside
// a UTF-8 sequence.
inline std::size_t fitUtf8(const char* text, std::size_t len, std::size_t room) {
  if (len <= room) return len;
  std::size_t n = room;
  // Step back over continuation bytes so that the cut falls before a lead byte.
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
    --n;
  return n;
}

// Copies the C string src into dst of dstSize bytes, cut at a UTF-8 character boundary, and
// terminates it. Writes nothing when dstSize is 0.
inline void copyCut(char* dst, std::size_t dstSize, const char* src) {
  if (dst == nullptr || dstSize == 0) return;
  std::size_t len = std::strlen(src);
  std::size_t n = fitUtf8(src, len, dstSize - 1);
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

// Empties a caller's buffer when it has room for the terminator.
inline void clear(char* dst, std::size_t dstSize) {
  if (dst != nullptr && dstSize > 0) dst[0] = '\0';
}

// The text of a list of sibling nodes (an element's or an attribute's children) joined in
// order, entity references replaced by their text, elements contributing nothing. A single text
// node is lent as it is; anything else is joined by libxml2 into a string released here.
class ChildText {
public:
  ChildText(xmlDoc* doc, xmlNode* first) {
    if (first == nullptr) return;
    if (first->type == XML_TEXT_NODE && first->next == nullptr) {
      if (first->content != nullptr) text_ = reinterpret_cast<const char*>(first->content);
      return;
    }
    owned_ = xmlNodeListGetString(doc, first, 1);
    if (owned_ != nullptr) text_ = reinterpret_cast<const char*>(owned_);
  }
  ~ChildText() {
    if (owned_ != nullptr) xmlFree(owned_);
  }
  ChildText(const ChildText&) = delete;
  ChildText& operator=(const ChildText&) = delete;

  // Never NULL: empty when there is no text.
  const char* c_str() const { return text_; }

private:
  const char* text_ = "";
  xmlChar* owned_ = nullptr;
};

inline bool nameIs(const xmlChar* nodeName, const char* name) {
  return nodeName != nullptr && std::strcmp(reinterpret_cast<const char*>(nodeName), name) == 0;
}

// The first attribute of that name on the node, or NULL.
inline xmlAttr* findAttribute(xmlNode* node, const char* attrName) {
  for (xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next)
    if (nameIs(attr->name, attrName)) return attr;
  return nullptr;
}

} // namespace kiv::xml
