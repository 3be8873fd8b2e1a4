// Gathering the text of a node list.
#include "xml/XmlText.h"

#include "platform/string/Utf8.h"

namespace kiv::xml {

void copyText(xmlDoc* doc, xmlNode* first, char* dst, std::size_t dstSize) {
  if (dst == nullptr || dstSize == 0) return;
  const std::size_t room = dstSize - 1;
  std::size_t used = 0;
  bool cut = false;
  forEachTextPiece(doc, first, [&](const char* piece, std::size_t length) {
    std::size_t n = length < room - used ? length : room - used;
    std::memcpy(dst + used, piece, n);
    used += n;
    cut = n < length;
    return !cut;
  });
  // A character whose bytes did not all fit is left out whole.
  if (cut) used = platform::utf8CompleteLength(dst, used);
  dst[used] = '\0';
}

bool textEquals(xmlDoc* doc, xmlNode* first, const char* expected) {
  const char* rest = expected;
  bool same = forEachTextPiece(doc, first, [&](const char* piece, std::size_t length) {
    // A shorter expected text differs at its terminator.
    if (std::strncmp(rest, piece, length) != 0) return false;
    rest += length;
    return true;
  });
  return same && *rest == '\0';
}

std::string textOf(xmlDoc* doc, xmlNode* first) {
  std::string text;
  forEachTextPiece(doc, first, [&](const char* piece, std::size_t length) {
    text.append(piece, length);
    return true;
  });
  return text;
}

} // namespace kiv::xml
