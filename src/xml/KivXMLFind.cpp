// KivXML: searching for elements by name, and by name and attribute value.
#include "KivXML.h"

#include <libxml/tree.h>

#include <new>

#include "xml/KivXMLGuards.h"
#include "xml/KivXMLReadIndex.h"
#include "xml/XmlReadSupport.h"
#include "xml/XmlText.h"
#include "xml/XmlWalk.h"

xmlNode* KivXML::FindNode(xmlNode* start, const char* name) {
  if (!kiv::xml::hasDocument(*this, "FindNode")) return nullptr;
  if (name == nullptr || name[0] == '\0') return nullptr;
  xmlNode* found = nullptr;
  if ((start == nullptr || start == rootNode) && FindIndexed(name, &found)) return found;
  auto match = [name](xmlNode* node) { return kiv::xml::nameIs(node->name, name); };
  return kiv::xml::walk(start != nullptr ? start : rootNode, match);
}

bool KivXML::FindIndexed(const char* name, xmlNode** found) {
  try {
    if (readIndex == nullptr) readIndex = new ReadIndex;
    // The public fields may have been set since: an index is only good for what it was made for.
    if (readIndex->doc != xmldoc || readIndex->root != rootNode) {
      readIndex->doc = nullptr;
      readIndex->root = nullptr;
      readIndex->names.build(rootNode);
      readIndex->doc = xmldoc;
      readIndex->root = rootNode;
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  *found = readIndex->names.find(name);
  return true;
}

void KivXML::DropIndex() {
  if (readIndex == nullptr) return;
  readIndex->doc = nullptr;
  readIndex->root = nullptr;
}

xmlNode* KivXML::FindNode(xmlNode* start, const char* name, const char* attrName,
                          const char* attrValue) {
  if (!kiv::xml::hasDocument(*this, "FindNode")) return nullptr;
  if (name == nullptr || name[0] == '\0') return nullptr;
  if (attrName == nullptr || attrValue == nullptr) return nullptr;
  auto match = [&](xmlNode* node) {
    if (!kiv::xml::nameIs(node->name, name)) return false;
    // The value is read as ReadNodeAttributeStringValue reads it, from the first attribute of
    // that name.
    xmlAttr* attr = kiv::xml::findAttribute(node, attrName);
    if (attr == nullptr) return false;
    return kiv::xml::textEquals(attr->doc, attr->children, attrValue);
  };
  return kiv::xml::walk(start != nullptr ? start : rootNode, match);
}
