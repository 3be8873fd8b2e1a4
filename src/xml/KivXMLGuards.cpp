#include "xml/KivXMLGuards.h"

#include "KivXML.h"
#include "detail/DiagnosticsLog.h"

namespace kiv::xml {

bool hasDocument(const KivXML& doc, const char* member) {
  if (doc.xmldoc != nullptr && doc.rootNode != nullptr) return true;
  KivNoDebug("KivXML::%s() : xmldoc is NULL !", member);
  return false;
}

bool hasWriter(const KivXML& doc, const char* member) {
  if (doc.writer != nullptr) return true;
  KivNoDebug("KivXML::%s() : no writer !", member);
  return false;
}

} // namespace kiv::xml
