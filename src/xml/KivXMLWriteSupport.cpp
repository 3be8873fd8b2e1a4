// Helpers shared by the KivXML writing, editing and import members.
#include "xml/KivXMLWriteSupport.h"

#include <libxml/tree.h>
#include <libxml/xmlwriter.h>

#include <cstring>

#include "KIV_Str.h"
#include "platform/string/Utf8.h"
#include "xml/XmlLimits.h"

namespace kiv::xml {

void completeDocument(_xmlTextWriter*& writer) {
  if (writer == nullptr) return;
  xmlTextWriterEndDocument(writer);
  xmlFreeTextWriter(writer);
  writer = nullptr;
}

bool romanToUtf8(const char* src, char* dst, std::size_t dstSize) {
  if (dst == nullptr || dstSize == 0) return false;
  dst[0] = '\0';
  if (src == nullptr || src[0] == '\0') return true;
  // ASCII is the same in both encodings: copied without the string service.
  std::size_t n = 0;
  while (src[n] != '\0' && static_cast<unsigned char>(src[n]) < 0x80)
    ++n;
  if (src[n] == '\0') {
    if (n >= dstSize) return false;
    std::memcpy(dst, src, n + 1);
    return true;
  }
  // Every Mac Roman byte is a character, so decoding cannot fail; encoding fails only when the
  // UTF-8 text and its terminator do not fit.
  CFStringRef text = CFStringCreateWithCString(kCFAllocatorDefault, src, kCFStringEncodingMacRoman);
  if (text == nullptr) return false;
  bool ok = CFStringGetCString(text, dst, static_cast<CFIndex>(dstSize), kCFStringEncodingUTF8);
  CFRelease(text);
  if (!ok) dst[0] = '\0';
  return ok;
}

void copyField(char* dst, std::size_t dstSize, const char* src) {
  if (dst == nullptr || dstSize == 0) return;
  if (src == nullptr) src = "";
  std::size_t n = platform::utf8CutLength(src, strnlen(src, dstSize), dstSize - 1);
  std::memmove(dst, src, n);
  dst[n] = '\0';
}

bool isXmlText(const char* text) {
  if (text == nullptr) return true;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    unsigned c = *p;
    if (c < 0x80) {
      if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
      ++p;
      continue;
    }
    // A lead byte gives the sequence length and the smallest code point it may encode.
    int extra;
    unsigned min;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1, min = 0x80, c &= 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2, min = 0x800, c &= 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3, min = 0x10000, c &= 0x07;
    } else {
      return false;
    }
    for (int i = 1; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false; // also stops at the terminator
      c = (c << 6) | (p[i] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF)
      return false;
    p += extra + 1;
  }
  return true;
}

bool isPlainXmlName(const char* name) {
  // ASCII letters, digits, '_', '-' and '.', starting with a letter or '_': a valid XML name
  // without a prefix, decided in one pass.
  const auto allowed = [](unsigned char c, bool first) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           (!first && ((c >= '0' && c <= '9') || c == '-' || c == '.'));
  };
  if (name == nullptr) return false;
  std::size_t n = 0;
  while (n <= kMaxNameBytes && name[n] != '\0' &&
         allowed(static_cast<unsigned char>(name[n]), n == 0))
    ++n;
  return name[n] == '\0' && n > 0 && n <= kMaxNameBytes;
}

bool isXmlName(const char* name) {
  if (name == nullptr) return false;
  if (isPlainXmlName(name)) return true;
  return strnlen(name, kMaxNameBytes + 1) <= kMaxNameBytes && isXmlText(name) &&
         xmlValidateQName(reinterpret_cast<const xmlChar*>(name), 0) == 0;
}

std::string_view prefixOf(const char* name) {
  const char* colon = std::strchr(name, ':');
  return colon == nullptr ? std::string_view() : std::string_view(name, colon - name);
}

bool isDoctype(const char* name, const char* pubID, const char* sysID) {
  if (name == nullptr || !isXmlText(name) ||
      xmlValidateName(reinterpret_cast<const xmlChar*>(name), 0) != 0)
    return false;
  for (const char* p = pubID; *p != '\0'; ++p) {
    char c = *p;
    bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!alnum && std::strchr(" \r\n-'()+,./:=?;!*#@$_%", c) == nullptr) return false;
  }
  return isXmlText(sysID) && std::strchr(sysID, '"') == nullptr;
}

std::size_t base64TextBytes(std::size_t length) {
  std::size_t groups = length / 3 + (length % 3 != 0);
  return groups == 0 ? 0 : groups * 4 + (groups - 1) / 18;
}

} // namespace kiv::xml
