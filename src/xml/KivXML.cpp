// KivXML lifecycle: construction, closing and destruction.
#include "KivXML.h"

#include <libxml/tree.h>
#include <libxml/xmlwriter.h>

#include "xml/KivXMLReadIndex.h"
#include "xml/KivXMLWriteState.h"

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
  if (writer != nullptr) {
    // Ending the document closes every element still open, the root included; freeing the
    // writer flushes and closes the file.
    xmlTextWriterEndDocument(writer);
    xmlFreeTextWriter(writer);
  }
  xmldoc = nullptr;
  rootNode = nullptr;
  writer = nullptr;
}
