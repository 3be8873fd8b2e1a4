// KivXML: reading Base64 values.
#include "KivXML.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include <libxml/tree.h>

#include "xml/KivXMLGuards.h"
#include "xml/XmlReadSupport.h"
#include "xml/XmlText.h"

OSErr KivXML::ReadNodeBase64String(const char* name, char* value) {
  return ReadNodeBase64String(name, value, kiv::xml::kUnbounded);
}

OSErr KivXML::ReadNodeBase64String(const char* name, char* value, size_t valueSize) {
  kiv::xml::clear(value, valueSize);
  if (!kiv::xml::hasDocument(*this, "ReadNodeBase64String")) return kKivXMLNoDocument;
  xmlNode* node = FindNode(nullptr, name);
  if (node == nullptr) return kKivXMLNoElement;

  // Only the text that the value needs is gathered: every group of four characters decodes to
  // at most three bytes, and the bytes of a group depend on its own characters alone. Long values
  // are stored in lines; the line breaks are not part of the data.
  std::size_t needed = SIZE_MAX;
  if (valueSize <= SIZE_MAX / 2) needed = ((valueSize + 1) / 3 + 1) * 4;
  std::string encoded, decoded;
  try {
    kiv::xml::forEachTextPiece(xmldoc, node->children, [&](const char* piece, std::size_t length) {
      for (std::size_t i = 0; i < length && encoded.size() < needed; ++i)
        if (piece[i] != '\r' && piece[i] != '\n') encoded.push_back(piece[i]);
      return encoded.size() < needed;
    });
    decoded = decode_base64(std::move(encoded));
  } catch (const std::bad_alloc&) {
    return 0; // no memory to decode in: the value stays empty
  }

  // The value is a C string: it ends at the first zero byte of the data.
  if (value != nullptr && valueSize > 0) {
    size_t n = std::strlen(decoded.c_str());
    if (n > valueSize - 1) n = valueSize - 1;
    std::memcpy(value, decoded.data(), n);
    value[n] = '\0';
  }
  return 0;
}
