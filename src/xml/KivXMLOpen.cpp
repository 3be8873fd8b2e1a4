// KivXML: opening a file for reading.
#include "KivXML.h"

#include <libxml/tree.h>

#include "detail/DiagnosticsLog.h"
#include "platform/files/Entries.h"
#include "xml/XmlParse.h"

OSErr KivXML::OpenDoc(const char* path) {
  // Only a regular file is read: a FIFO or a device may block or never end. The file is opened
  // without waiting for a writer and checked again through its descriptor, so that what is
  // parsed is what was checked, whatever replaced the name meanwhile.
  kiv::platform::FileStamp file;
  bool exists = false;
  int fd = kiv::platform::openRegularFile(path, file, exists);
  if (!exists) return kKivXMLFileNotFound;

  // A document still open would otherwise be lost (and rootNode left pointing into it):
  // opening replaces it, and its index with it.
  DropIndex();
  if (xmldoc != nullptr) xmlFreeDoc(xmldoc);
  xmldoc = nullptr;
  rootNode = nullptr;

  if (fd >= 0) xmldoc = kiv::xml::parseFile(fd, file.size);
  if (xmldoc == nullptr) return kKivXMLNotParsed;

  rootNode = xmlDocGetRootElement(xmldoc);
  if (rootNode == nullptr) {
    KivDebugAlways("XML empty document");
    CloseDoc();
    return kKivXMLNoRootElement;
  }
  return 0;
}
