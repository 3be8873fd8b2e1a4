// KivXML tree editing: inserting text nodes into and deleting nodes from the parsed document.
#include "KivXML.h"

#include <libxml/tree.h>

#include <cstdio>
#include <cstring>
#include <string_view>

#include "KIVStr.h"
#include "KivDebug.h"
#include "xml/KivXMLWriteSupport.h"
#include "xml/XmlLimits.h"

_xmlNode* KivXML::InsertNode(_xmlNode* parent, const char* name, const char* text) {
  if (xmldoc == nullptr) {
    KivDebugAlways("KivXML::InsertNode() : not xmlDoc !");
    return nullptr;
  }
  // A node the writer would refuse could not be imported later. The import carries no namespace
  // declarations, so a prefix other than the reserved "xml" could not be written.
  if (parent == nullptr || !kiv::xml::isXmlName(name) || !kiv::xml::isXmlText(text)) return nullptr;
  if (text != nullptr && strnlen(text, kiv::xml::kMaxTextBytes + 1) > kiv::xml::kMaxTextBytes)
    return nullptr;
  std::string_view prefix = kiv::xml::prefixOf(name);
  if (!prefix.empty() && prefix != "xml") return nullptr;
  DropIndex();
  return xmlNewTextChild(parent, nullptr, BAD_CAST name, BAD_CAST text);
}

_xmlNode* KivXML::InsertNodeShort(_xmlNode* parent, const char* name, short value) {
  return InsertNodeLong(parent, name, value);
}

_xmlNode* KivXML::InsertNodeLong(_xmlNode* parent, const char* name, int value) {
  char text[32];
  snprintf(text, sizeof text, "%d", value);
  return InsertNode(parent, name, text);
}

_xmlNode* KivXML::InsertNodeDouble(_xmlNode* parent, const char* name, double value) {
  // "%.3f" of a magnitude from about 1e27 on, or of an infinity or NaN, does not give the
  // three-decimal text this node type stands for: such values insert nothing.
  char text[32];
  int n = snprintf(text, sizeof text, "%.3f", value);
  if (n < 5 || static_cast<size_t>(n) >= sizeof text || text[n - 4] != '.') return nullptr;
  return InsertNode(parent, name, text);
}

_xmlNode* KivXML::InsertNodeMacRomanString(_xmlNode* parent, const char* name,
                                           const unsigned char* pstr) {
  if (pstr == nullptr || pstr[0] == 0) return InsertNode(parent, name, "");
  unsigned char copy[256];
  char roman[256];
  PPcopy(pstr, copy);
  P2CStrCopy(copy, roman);
  // A Pascal string of 255 Mac Roman bytes takes at most 3 * 255 bytes in UTF-8.
  char utf8[3 * 255 + 1];
  kiv::xml::romanToUtf8(roman, utf8, sizeof utf8);
  return InsertNode(parent, name, utf8);
}

void KivXML::DeleteNode(_xmlNode* node) {
  // The document node itself is not a node of the tree that can be deleted.
  if (node == nullptr || node->type == XML_DOCUMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE)
    return;
  DropIndex();
  _xmlNode* next = node->next;
  // Deleting the root element (or the node before it, whose following sibling it is) leaves
  // the document without one: the readers then see no document open.
  if (node == rootNode || next == rootNode) rootNode = nullptr;
  xmlUnlinkNode(node);
  xmlFreeNode(node);
  if (next != nullptr) {
    xmlUnlinkNode(next);
    xmlFreeNode(next);
  }
}
