// KivXML lifecycle: construction, closing and destruction.
#include "KivXML.h"

#include <libxml/tree.h>

#include "xml/KivXMLWriteState.h"
#include "xml/KivXMLWriteSupport.h"

KivXML::KivXML() : xmldoc(nullptr), rootNode(nullptr), writer(nullptr), writeState(nullptr) {
  dtdName[0] = '\0';
  dtdPubID[0] = '\0';
  dtdSysID[0] = '\0';
}

KivXML::~KivXML() {
  if (xmldoc != nullptr || writer != nullptr) CloseDoc();
  delete writeState;
}

void KivXML::CloseDoc() {
  if (xmldoc != nullptr) xmlFreeDoc(xmldoc);
  xmldoc = nullptr;
  rootNode = nullptr;
  kiv::xml::completeDocument(writer);
}
