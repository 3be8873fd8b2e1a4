// KivXML: searching for elements by name, and by name and attribute value.
#include "KivXML.h"

#include <libxml/tree.h>

#include <new>

#include "detail/DiagnosticsLog.h"
#include "xml/KivXMLReadIndex.h"
#include "xml/XmlReadSupport.h"
#include "xml/XmlText.h"

namespace {

// Depth-first, pre-order walk from start over start, its descendants and its following
// siblings with theirs, never above start's level. Only elements are tested and descended into.
// This form keeps no stack of its own, so trees of any depth are safe.
template <typename Match> xmlNode* walkIterative(xmlNode* start, Match& match) {
  xmlNode* node = start;
  int depth = 0; // levels below start's
  while (node != nullptr) {
    if (node->type == XML_ELEMENT_NODE) {
      if (match(node)) return node;
      if (node->children != nullptr) {
        node = node->children;
        ++depth;
        continue;
      }
    }
    while (node->next == nullptr && depth > 0) {
      node = node->parent;
      --depth;
    }
    node = node->next;
  }
  return nullptr;
}

// Nesting depth up to which the walk recurses: parsed documents never go deeper (the parser's
// own limit), and recursion is the fastest form. Deeper trees, built by inserting nodes, are
// walked on by the iterative form.
constexpr int kRecursionDepth = 256;

// The same walk as walkIterative.
template <typename Match> xmlNode* walk(xmlNode* node, Match& match, int depth = 0) {
  for (; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    if (match(node)) return node;
    if (node->children != nullptr) {
      xmlNode* found = depth < kRecursionDepth ? walk(node->children, match, depth + 1)
                                               : walkIterative(node->children, match);
      if (found != nullptr) return found;
    }
  }
  return nullptr;
}

} // namespace

xmlNode* KivXML::FindNode(xmlNode* start, const char* name) {
  if (xmldoc == nullptr || rootNode == nullptr) {
    KivNoDebug("KivXML::FindNode() : xmldoc is NULL !");
    return nullptr;
  }
  if (name == nullptr || name[0] == '\0') return nullptr;
  xmlNode* found = nullptr;
  if ((start == nullptr || start == rootNode) && FindIndexed(name, &found)) return found;
  auto match = [name](xmlNode* node) { return kiv::xml::nameIs(node->name, name); };
  return walk(start != nullptr ? start : rootNode, match);
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
  if (xmldoc == nullptr || rootNode == nullptr) {
    KivNoDebug("KivXML::FindNode() : xmldoc is NULL !");
    return nullptr;
  }
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
  return walk(start != nullptr ? start : rootNode, match);
}
