// KivXML: reading a node's text as a Mac Roman Pascal string.
#include "KivXML.h"

#include <libxml/tree.h>

#include "detail/EncodingConversions.h"

OSErr KivXML::ReadNodeMacRomanString(xmlNode* node, unsigned char* pstr, bool) {
  if (pstr != nullptr) pstr[0] = 0;
  // At most 255 bytes of UTF-8 text are taken; the conversion decides what fits a Pascal string.
  char text[256];
  OSErr err = ReadNodeStringValue(node, text, sizeof text);
  if (err != 0) return err;
  if (pstr != nullptr) UTFStringToPString(text, pstr);
  return 0;
}
