// KivXML: stepping over the elements of an indented document, where the children of a section
// alternate whitespace text and elements.
#include "KivXML.h"

#include <libxml/tree.h>

xmlNode* KivXML::ChildNode(xmlNode* node) {
  if (node == nullptr || node->children == nullptr) return nullptr;
  return node->children->next;
}

xmlNode* KivXML::NextNode(xmlNode* node) {
  if (node == nullptr || node->next == nullptr) return nullptr;
  return node->next->next;
}

bool IsThisNodeASection(xmlNode* node) {
  return node != nullptr && node->children != nullptr && node->children->next != nullptr;
}
