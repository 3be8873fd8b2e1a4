// Owners of libxml2's objects, each released by the call libxml2 names for it.
#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>

namespace kiv::xml {

struct XmlDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
  void operator()(xmlParserCtxt* parser) const { xmlFreeParserCtxt(parser); }
  void operator()(xmlChar* text) const { xmlFree(text); }
};

template <class T> using XmlOwned = std::unique_ptr<T, XmlDeleter>;

} // namespace kiv::xml
