// KivXML lifecycle: construction, closing and destruction.
#include "KivXML.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlwriter.h>

#include "xml/KivXMLReadIndex.h"
#include "xml/KivXMLWriteState.h"
#include "xml/KivXMLWriteSupport.h"

namespace {
// libxml2 sets up its global state on first use without a lock. Doing it while the library is
// loaded, before any thread of the program can call in, keeps two threads that open or create
// their first documents at once from racing.
[[maybe_unused]] const bool parserReady = (xmlInitParser(), true);
} // namespace

KivXML::KivXML()
    : xmldoc(nullptr), rootNode(nullptr), writer(nullptr), writeState(nullptr), readIndex(nullptr) {
  dtdName[0] = '\0';
  dtdPubID[0] = '\0';
  dtdSysID[0] = '\0';
}

KivXML::~KivXML() {
  if (xmldoc != nullptr || writer != nullptr) CloseDoc();
  delete writeState;
  delete readIndex;
}

void KivXML::CloseDoc() {
  delete readIndex;
  readIndex = nullptr;
  if (xmldoc != nullptr) xmlFreeDoc(xmldoc);
  xmldoc = nullptr;
  rootNode = nullptr;
  kiv::xml::completeDocument(writer);
}
