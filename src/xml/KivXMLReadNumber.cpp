// KivXML: reading numbers and colours from decimal node texts.
#include "KivXML.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>

#include <libxml/tree.h>

#include "xml/KivXMLGuards.h"
#include "xml/XmlReadSupport.h"

namespace {

// Decimal integer as the C library's atoi/atol read it: leading white space skipped, optional
// sign, digits up to the first other character, 0 without digits. strtol saturates where the
// text exceeds a long, as atol does.
long decimal(const char* text) { return std::strtol(text, nullptr, 10); }

// Floating-point text as strtod reads it in the "C" locale, so that the decimal separator is
// always a point whatever locale the program has set.
double floating(const char* text) {
  static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  if (cLocale == static_cast<locale_t>(0)) return std::strtod(text, nullptr);
  return strtod_l(text, nullptr, cLocale);
}

} // namespace

OSErr KivXML::ReadNodeShort(const char* name, short& value) {
  char text[300];
  OSErr err = ReadNodeString(name, text, sizeof text);
  if (err != 0) return err;
  value = static_cast<short>(static_cast<int>(decimal(text)));
  return 0;
}

OSErr KivXML::ReadNodeUInt16(xmlNode* node, unsigned short& value) {
  if (!kiv::xml::hasDocument(*this, "ReadNodeUInt16")) return kKivXMLNoDocument;
  char text[32];
  OSErr err = ReadNodeStringValue(node, text, sizeof text);
  if (err != 0) return err;
  value = static_cast<unsigned short>(static_cast<int>(decimal(text)));
  return 0;
}

OSErr KivXML::ReadNodeLong(const char* name, int& value) {
  if (!kiv::xml::hasDocument(*this, "ReadNodeLong")) return kKivXMLNoDocument;
  xmlNode* node = FindNode(nullptr, name);
  if (node == nullptr) return kKivXMLNoElement;
  return ReadNodeLong(node, value);
}

OSErr KivXML::ReadNodeLong(xmlNode* node, int& value) {
  if (!kiv::xml::hasDocument(*this, "ReadNodeLong")) return kKivXMLNoDocument;
  char text[300];
  OSErr err = ReadNodeStringValue(node, text, sizeof text);
  if (err != 0) return err;
  value = static_cast<int>(decimal(text));
  return 0;
}

OSErr KivXML::ReadNodeDouble(const char* name, double& value) {
  if (!kiv::xml::hasDocument(*this, "ReadNodeDouble")) return kKivXMLNoDocument;
  char text[300];
  OSErr err = ReadNodeString(name, text, sizeof text);
  if (err != 0) return err;
  value = floating(text);
  return 0;
}

OSErr KivXML::ReadNodeDouble(xmlNode* node, double& value) {
  if (!kiv::xml::hasDocument(*this, "ReadNodeDouble")) return kKivXMLNoDocument;
  char text[300];
  OSErr err = ReadNodeStringValue(node, text, sizeof text);
  if (err != 0) return err;
  value = floating(text);
  return 0;
}

// The by-node short and byte readers always store: the low bits of a local value that starts
// at 0 and keeps 0 when the read fails.
OSErr KivXML::ReadNodeShort(xmlNode* node, short& value) {
  int number = 0;
  OSErr err = ReadNodeLong(node, number);
  value = static_cast<short>(number);
  return err;
}

OSErr KivXML::ReadNodeUChar(xmlNode* node, unsigned char& value) {
  int number = 0;
  OSErr err = ReadNodeLong(node, number);
  value = static_cast<unsigned char>(number);
  return err;
}

OSErr KivXML::ReadRGBColor(const char* name, RGBColor& color) {
  xmlNode* section = FindNode(nullptr, name);
  if (section == nullptr) return kKivXMLNoElement;
  // Each component is searched from the section on, as every search is.
  xmlNode* node = FindNode(section, "red");
  if (node == nullptr) return kKivXMLNoElement;
  ReadNodeUInt16(node, color.red);
  node = FindNode(section, "green");
  if (node == nullptr) return kKivXMLNoElement;
  ReadNodeUInt16(node, color.green);
  node = FindNode(section, "blue");
  if (node == nullptr) return kKivXMLNoElement;
  ReadNodeUInt16(node, color.blue);
  return 0;
}
