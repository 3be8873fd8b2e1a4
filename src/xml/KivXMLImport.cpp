// KivXML import: copying a section of one object's parsed document into the document that
// this object is writing, element names and texts only.
#include "KivXML.h"

#include <libxml/tree.h>
#include <libxml/xmlwriter.h>

#include <new>
#include <string>
#include <vector>

#include "xml/KivXMLGuards.h"
#include "xml/KivXMLWriteSupport.h"
#include "xml/XmlText.h"

namespace {

// An element with two or more children is copied as a section, any other as a node. The rule
// counts children, not their kinds, as the navigation over indented documents does.
bool hasTwoChildren(const xmlNode* node) {
  return node->children != nullptr && node->children->next != nullptr;
}

} // namespace

OSErr KivXML::ImportTree(KivXML* source, _xmlNode* section) {
  if (section == nullptr) return 0;
  // With a writer that refuses the section, its contents would land in the enclosing element.
  if (StartSection(reinterpret_cast<const char*>(section->name)) != 0 && writer != nullptr)
    return 0;
  _ImportTree(source, section->children);
  EndSection();
  return 0;
}

OSErr KivXML::_ImportTree(KivXML* source, _xmlNode* first) {
  // Importing writes rather than edits, but the index is dropped as for any other change.
  DropIndex();
  if (!kiv::xml::hasWriter(*this, "ImportTree")) return kKivXMLNoWriterToImport;
  // The walk keeps its own stack instead of recursing, so that a tree nested deeper than the
  // parser allows (nodes inserted in memory) cannot exhaust the call stack. Each entry is the
  // sibling to go on with once the section entered has been written.
  std::vector<xmlNode*> resume;
  bool sourceOpen = source != nullptr && source->xmldoc != nullptr && source->rootNode != nullptr;
  xmlNode* node = first;
  try {
    for (;;) {
      if (node == nullptr) {
        if (resume.empty()) break;
        EndSection();
        node = resume.back();
        resume.pop_back();
        continue;
      }
      if (node->type != XML_ELEMENT_NODE) {
        node = node->next;
        continue;
      }
      const char* name = reinterpret_cast<const char*>(node->name);
      if (hasTwoChildren(node)) {
        if (StartSection(name) == 0) {
          resume.push_back(node->next);
          node = node->children;
          continue;
        }
      } else {
        // The whole text is copied: a value is never cut on its way into the new document.
        std::string text;
        if (sourceOpen) text = kiv::xml::textOf(source->xmldoc, node->children);
        AddNode(name, text.c_str());
      }
      node = node->next;
    }
  } catch (const std::bad_alloc&) {
    // Out of memory for the walk's stack: end the sections entered and stop.
    for (size_t i = 0; i < resume.size(); ++i)
      EndSection();
  }
  return 0;
}
