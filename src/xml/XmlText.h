// Gathering the text of a list of sibling nodes (an element's or an attribute's children): the
// text and CDATA content of the nodes in order, each entity reference replaced by the text of
// its entity (followed into nested references), elements and other nodes contributing nothing.
// That is the text xmlNodeListGetString(doc, list, 1) returns; it is gathered here piece by
// piece, in time linear in what is taken, and a reader that needs only the start stops there.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

#include <libxml/entities.h>
#include <libxml/tree.h>

#include "xml/XmlLimits.h"

namespace kiv::xml {

// Calls visit(const char* piece, size_t length) for every non-empty piece of the text in order,
// until visit returns false. Returns false when visit stopped the walk.
template <typename Visit> bool forEachTextPiece(xmlDoc* doc, xmlNode* first, Visit&& visit) {
  xmlNode* resume[kMaxEntityNesting]; // where to go on after each entity being visited
  int depth = 0;
  xmlNode* node = first;
  for (;;) {
    if (node == nullptr) {
      if (depth == 0) return true;
      node = resume[--depth];
      continue;
    }
    xmlNode* next = node->next;
    if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
      const char* text = reinterpret_cast<const char*>(node->content);
      std::size_t length = text != nullptr ? std::strlen(text) : 0;
      if (length > 0 && !visit(text, length)) return false;
    } else if (node->type == XML_ENTITY_REF_NODE) {
      xmlEntity* entity = xmlGetDocEntity(doc, node->name);
      if (entity == nullptr) {
        const char* text = reinterpret_cast<const char*>(node->content);
        std::size_t length = text != nullptr ? std::strlen(text) : 0;
        if (length > 0 && !visit(text, length)) return false;
      } else if (entity->children != nullptr && depth < kMaxEntityNesting) {
        resume[depth++] = next;
        next = entity->children;
      }
    }
    node = next;
  }
}

// Copies the text into dst, which holds dstSize bytes with the terminator, cut at a UTF-8
// character boundary when it is longer. Gathering stops once dst is full. Writes nothing when
// dst is null or dstSize is 0.
void copyText(xmlDoc* doc, xmlNode* first, char* dst, std::size_t dstSize);

// Whether the text equals the C string expected; the walk stops at the first difference.
bool textEquals(xmlDoc* doc, xmlNode* first, const char* expected);

// The whole text as a string.
std::string textOf(xmlDoc* doc, xmlNode* first);

} // namespace kiv::xml
