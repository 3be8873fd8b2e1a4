// KivXML: opening a file for reading.
#include "KivXML.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <libxml/tree.h>

#include "detail/DiagnosticsLog.h"
#include "xml/XmlParse.h"

OSErr KivXML::OpenDoc(const char* path) {
  struct stat st;
  if (path == nullptr || path[0] == '\0' || stat(path, &st) != 0) return 1;

  // A document still open would otherwise be lost (and rootNode left pointing into it):
  // opening replaces it, and its index with it.
  DropIndex();
  if (xmldoc != nullptr) xmlFreeDoc(xmldoc);
  xmldoc = nullptr;
  rootNode = nullptr;

  // Only a regular file is read: a FIFO or a device may block or never end. The file is opened
  // without waiting for a writer and checked again through its descriptor, so that what is
  // parsed is what was checked, whatever replaced the name meanwhile.
  if (S_ISREG(st.st_mode)) {
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) xmldoc = kiv::xml::parseFile(fd);
  }
  if (xmldoc == nullptr) return 2;

  rootNode = xmlDocGetRootElement(xmldoc);
  if (rootNode == nullptr) {
    KivDebugAlways("XML empty document");
    CloseDoc();
    return -4;
  }
  return 0;
}
