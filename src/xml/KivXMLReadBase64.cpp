// KivXML: reading Base64 values.
#include "KivXML.h"

#include <cstring>
#include <string>

#include <libxml/tree.h>

#include "detail/DiagnosticsLog.h"
#include "xml/XmlReadSupport.h"

OSErr KivXML::ReadNodeBase64String(const char* name, char* value) {
  return ReadNodeBase64String(name, value, kiv::xml::kUnbounded);
}

OSErr KivXML::ReadNodeBase64String(const char* name, char* value, size_t valueSize) {
  kiv::xml::clear(value, valueSize);
  if (xmldoc == nullptr || rootNode == nullptr) {
    KivNoDebug("KivXML::ReadNodeBase64String() : xmldoc is NULL !");
    return -3;
  }
  xmlNode* node = FindNode(nullptr, name);
  if (node == nullptr) return -5;

  // The whole text is decoded, whatever the size of the caller's buffer: the decoded value is
  // never longer than its text, so a buffer that holds the text holds the value.
  kiv::xml::ChildText text(xmldoc, node->children);
  // Long values are stored in lines; the line breaks are not part of the data.
  std::string encoded;
  for (const char* p = text.c_str(); *p != '\0'; ++p)
    if (*p != '\r' && *p != '\n') encoded.push_back(*p);
  std::string decoded = decode_base64(std::move(encoded));

  // The value is a C string: it ends at the first zero byte of the data.
  if (value != nullptr && valueSize > 0) {
    size_t n = std::strlen(decoded.c_str());
    if (n > valueSize - 1) n = valueSize - 1;
    std::memcpy(value, decoded.data(), n);
    value[n] = '\0';
  }
  return 0;
}
