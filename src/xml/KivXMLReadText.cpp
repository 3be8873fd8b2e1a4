// KivXML: reading texts (attributes, node texts, paths, Mac Roman Pascal strings).
#include "KivXML.h"

#include <libxml/tree.h>

#include "xml/KivXMLGuards.h"
#include "xml/XmlReadSupport.h"
#include "xml/XmlText.h"

using kiv::xml::kUnbounded;

OSErr KivXML::ReadNodeAttributeStringValue(xmlNode* node, const char* attrName, char* value) {
  return ReadNodeAttributeStringValue(node, attrName, value, kUnbounded);
}

OSErr KivXML::ReadNodeAttributeStringValue(xmlNode* node, const char* attrName, char* value,
                                           size_t valueSize) {
  kiv::xml::clear(value, valueSize);
  if (node == nullptr) return kKivXMLNoElement;
  if (attrName == nullptr) return kKivXMLNoAttribute;
  xmlAttr* attr = kiv::xml::findAttribute(node, attrName);
  if (attr == nullptr) return kKivXMLNoAttribute;
  kiv::xml::copyText(attr->doc, attr->children, value, valueSize);
  return 0;
}

OSErr KivXML::ReadNodeStringValue(xmlNode* node, char* value) {
  return ReadNodeStringValue(node, value, kUnbounded);
}

OSErr KivXML::ReadNodeStringValue(xmlNode* node, char* value, size_t valueSize) {
  kiv::xml::clear(value, valueSize);
  if (!kiv::xml::hasDocument(*this, "ReadNodeStringValue")) return kKivXMLNoDocument;
  if (node == nullptr) return kKivXMLNoElement;
  kiv::xml::copyText(xmldoc, node->children, value, valueSize);
  return 0;
}

OSErr KivXML::ReadNodeString(const char* name, char* value) {
  return ReadNodeString(name, value, kUnbounded);
}

OSErr KivXML::ReadNodeString(const char* name, char* value, size_t valueSize) {
  kiv::xml::clear(value, valueSize);
  if (!kiv::xml::hasDocument(*this, "ReadNodeString")) return kKivXMLNoDocument;
  xmlNode* node = FindNode(nullptr, name);
  if (node == nullptr) return kKivXMLNoElement;
  return ReadNodeStringValue(node, value, valueSize);
}

OSErr KivXML::ReadNodePath(xmlNode* node, char* path) {
  return ReadNodePath(node, path, kUnbounded);
}

OSErr KivXML::ReadNodePath(xmlNode* node, char* path, size_t pathSize) {
  kiv::xml::clear(path, pathSize);
  if (!kiv::xml::hasDocument(*this, "ReadNodePath")) return kKivXMLNoDocument;
  // Paths are accepted up to 299 bytes.
  char text[300];
  OSErr err = ReadNodeStringValue(node, text, sizeof text);
  if (err != 0) return err;
  kiv::xml::copyCut(path, pathSize, text);
  return 0;
}

OSErr KivXML::ReadNodePath(const char* name, char* path) {
  return ReadNodePath(name, path, kUnbounded);
}

OSErr KivXML::ReadNodePath(const char* name, char* path, size_t pathSize) {
  kiv::xml::clear(path, pathSize);
  if (!kiv::xml::hasDocument(*this, "ReadNodePath")) return kKivXMLNoDocument;
  xmlNode* node = FindNode(nullptr, name);
  if (node == nullptr) return kKivXMLNoElement;
  return ReadNodePath(node, path, pathSize);
}
