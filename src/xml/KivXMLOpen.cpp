// KivXML: opening a file for reading.
#include "KivXML.h"

#include <cstring>
#include <sys/stat.h>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include "detail/DiagnosticsLog.h"
#include "xml/XmlReadSupport.h"

OSErr KivXML::OpenDoc(const char* path) {
  struct stat st;
  if (path == nullptr || path[0] == '\0' || stat(path, &st) != 0) return 1;

  // A document still open would otherwise be lost (and rootNode left pointing into it):
  // opening replaces it.
  if (xmldoc != nullptr) xmlFreeDoc(xmldoc);
  rootNode = nullptr;

  // The parser reads standard input for the name "-"; a file of that name is meant here.
  xmldoc = xmlParseFile(std::strcmp(path, "-") == 0 ? "./-" : path);
  if (xmldoc == nullptr) return 2;

  rootNode = xmlDocGetRootElement(xmldoc);
  if (rootNode == nullptr) {
    KivDebugAlways("XML empty document");
    CloseDoc();
    return -4;
  }
  return 0;
}
