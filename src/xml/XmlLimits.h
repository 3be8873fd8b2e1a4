// What a KivXML document may hold and still be read back, and what a hostile file may cost the
// reader. KivXML.h states these limits for callers; the writer refuses whatever would cross the
// reader's, so that every document it completes can be opened again.
#pragma once

#include <cstddef>

namespace kiv::xml {

// Limits of the parser itself, which the writer keeps within.
//
// Open elements, the root included: the parser refuses one more level.
constexpr int kMaxDepth = 257;
// Longest element or attribute name, in bytes.
constexpr std::size_t kMaxNameBytes = 50000;
// Longest text node, in bytes as read back.
constexpr std::size_t kMaxTextBytes = 10000000;
// Longest start tag as written ('<', the name, the attributes with their escaped values, '>').
// The parser holds a start tag whole in an input window of 10,000,000 bytes, shared with up to
// a few hundred bytes read before the tag.
constexpr std::size_t kMaxStartTagBytes = 9990000;

// Limits of this library's own, against costs that grow with the square of a count.
//
// Attributes of one element, namespace declarations included, and namespace declarations in
// scope at once: the writer allows this many, the reader refuses more than twice as many.
constexpr std::size_t kMaxAttributes = 1000;
constexpr std::size_t kReadMaxAttributes = 2 * kMaxAttributes;
// Attribute declarations in a document's internal DTD subset that the reader accepts.
constexpr std::size_t kReadMaxAttributeDeclarations = 2 * kMaxAttributes;

// Compressed input decompresses to at most the largest of kInflateFloor and kInflateRatio times
// the compressed file's size, and never beyond kMaxInflated.
constexpr std::size_t kMaxInflated = std::size_t{256} << 20;
constexpr std::size_t kInflateFloor = std::size_t{1} << 20;
constexpr std::size_t kInflateRatio = 20;

// True when `inflated` bytes stored compressed in `stored` bytes stay within those limits.
constexpr bool inflatesWithinLimits(unsigned long long inflated, unsigned long long stored) {
  return inflated <= kMaxInflated &&
         (inflated <= kInflateFloor ||
          (stored <= kMaxInflated && inflated <= kInflateRatio * stored));
}

// The text that the readers can gather from a document (every text of an element or an
// attribute, entity references replaced by their text) may exceed kExpansionFloor only up to
// kExpansionRatio times the bytes parsed.
constexpr std::size_t kExpansionFloor = std::size_t{1} << 20;
constexpr std::size_t kExpansionRatio = 10;

// Entity references are followed this deep at most when text is gathered; the parser refuses
// documents whose entities nest deeper.
constexpr int kMaxEntityNesting = 64;

} // namespace kiv::xml
