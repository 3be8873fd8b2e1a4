// KivXML writing: what has been written of the document so far, so that the writing members
// refuse, before anything reaches the file, what the reader would refuse (XmlLimits.h):
// nesting beyond kMaxDepth, names whose prefix nothing declares, text nodes and start tags
// beyond their sizes, too many attributes or namespace declarations, duplicate attributes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "KivXML.h"

// A nested class takes the visibility of the exported class around it; this one stays inside the
// library.
struct __attribute__((visibility("hidden"))) KivXML::WriteState {
  // An attribute accepted by checkAttribute, to be recorded once written.
  struct Attribute {
    std::string key;       // what two attributes of one tag may not share
    std::string prefix;    // the prefix of a prefixed attribute
    bool declares = false; // a namespace declaration ("xmlns" or "xmlns:prefix")
    std::string declared;  // the prefix it declares, empty for the default namespace
    std::string uri;       // the namespace it binds
    std::size_t bytes = 0; // its size in the start tag
  };

  // A new document: nothing is open, and only a root element may start.
  void reset();

  // Whether the root element may start: the document is new and the name's prefix, if any, is
  // the reserved "xml".
  bool mayStartRoot(const char* name) const;
  // Whether an element of that name may start inside the one open: within kMaxDepth, with a
  // declared prefix, its indentation fitting the text it may join.
  bool mayStart(const char* name) const;
  // Whether a whole element of that name holding `textBytes` of text may be written.
  bool mayWriteNode(const char* name, std::size_t textBytes) const;
  // Whether `levels` more levels fit inside the element open.
  bool mayNest(int levels) const;
  // Whether `bytes` of text may be added to the element open.
  bool mayAddText(std::size_t bytes) const;
  // Whether the element open may end: every element but the root.
  bool mayEnd() const;
  // Whether an attribute may be added to the start tag just written; fills `attribute`.
  bool checkAttribute(const char* name, const char* value, Attribute& attribute) const;

  // Records what the writer has written.
  void started(const char* name);
  void addedText(std::size_t bytes);
  void ended();
  void added(Attribute&& attribute);

private:
  struct Binding {
    std::string prefix; // empty for the default namespace
    std::string uri;
    int depth; // of the element that declares it
  };

  const std::string* namespaceOf(std::string_view prefix) const;
  bool elementNameAllowed(const char* name) const;

  bool broken_ = true;  // no document yet, or memory ran out while recording: refuse everything
  int depth_ = 0;       // open elements, the root included
  std::size_t run_ = 0; // the open element's text since its last tag, with writer indentation
  bool runHasText_ = false;
  bool tagOpen_ = false; // attributes may be added to the start tag just written
  std::size_t tagBytes_ = 0;
  std::vector<std::string> tagKeys_;
  std::vector<std::string> tagPrefixes_;
  std::vector<Binding> bindings_; // namespace declarations in scope, innermost last
};
