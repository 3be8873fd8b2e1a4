// Helpers shared by the KivXML readers.
#pragma once

#include <cstddef>
#include <cstring>

#include <libxml/tree.h>

#include "platform/string/Utf8.h"

namespace kiv::xml {

// Capacity that stands for "no bound": the unbounded readers copy the whole text.
constexpr std::size_t kUnbounded = static_cast<std::size_t>(-1);

// Copies the C string src into dst of dstSize bytes, cut at a UTF-8 character boundary, and
// terminates it. Writes nothing when dstSize is 0.
inline void copyCut(char* dst, std::size_t dstSize, const char* src) {
  if (dst == nullptr || dstSize == 0) return;
  std::size_t len = std::strlen(src);
  std::size_t n = platform::utf8CutLength(src, len, dstSize - 1);
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

// Empties a caller's buffer when it has room for the terminator.
inline void clear(char* dst, std::size_t dstSize) {
  if (dst != nullptr && dstSize > 0) dst[0] = '\0';
}

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
