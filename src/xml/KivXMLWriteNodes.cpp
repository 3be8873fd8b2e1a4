// KivXML writing: nodes, sections, attributes and the typed node writers.
#include "KivXML.h"

#include <libxml/xmlwriter.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

#include "KIVStr.h"
#include "KivMisc_Frameworks.h"
#include "xml/KivXMLGuards.h"
#include "xml/KivXMLWriteState.h"
#include "xml/KivXMLWriteSupport.h"
#include "xml/XmlLimits.h"

namespace {

// Result of formatting into a fixed buffer: the text, or why there is none.
enum class Formatted { Text, Empty, TooLong };

// Formats into buf (kFormatLimit + 1 bytes) and converts the result from Mac Roman to UTF-8 in
// utf8 (the same size). A text whose formatted or UTF-8 form exceeds kFormatLimit bytes is
// refused whole rather than cut, so no value is silently shortened.
Formatted formatRoman(char (&utf8)[kiv::xml::kFormatLimit + 1], const char* format, va_list ap) {
  if (format == nullptr) return Formatted::Empty;
  char text[kiv::xml::kFormatLimit + 1];
  int n = vsnprintf(text, sizeof text, format, ap);
  if (n <= 0) return Formatted::Empty;
  if (static_cast<size_t>(n) > kiv::xml::kFormatLimit) return Formatted::TooLong;
  if (!kiv::xml::romanToUtf8(text, utf8, sizeof utf8)) return Formatted::TooLong;
  return Formatted::Text;
}

// Copies a Pascal string into a 256-byte C string; a null string gives the empty text.
void pascalToC(const unsigned char* pstr, char (&text)[256]) {
  if (pstr == nullptr)
    text[0] = '\0';
  else
    P2CStrCopy(pstr, text);
}

} // namespace

OSErr KivXML::AddNode(const char* name, const char* text) {
  if (!kiv::xml::hasWriter(*this, "AddNode")) return kKivXMLWriteFailed;
  // The writer passes bytes through: a bad name or text would leave an unreadable file.
  if (!kiv::xml::isXmlText(text)) return kKivXMLWriteFailed;
  size_t length = text != nullptr ? strlen(text) : 0;
  if (!writeState->mayWriteNode(name, length)) return kKivXMLWriteFailed;
  if (xmlTextWriterWriteElement(writer, BAD_CAST name, BAD_CAST text) < 0)
    return kKivXMLWriteFailed;
  writeState->started(name);
  writeState->addedText(length);
  writeState->ended();
  return 0;
}

OSErr KivXML::AddNodeWithAttr(const char* name, const char* text, const char* attrName,
                              const char* attrValue) {
  size_t length = text != nullptr ? strlen(text) : 0;
  if (writer != nullptr && (!kiv::xml::isXmlText(text) || length > kiv::xml::kMaxTextBytes))
    return kKivXMLWriteFailed;
  OSErr err = StartSection(name);
  if (err != 0) return err;
  AddSectionAttribute(attrName, attrValue);
  if (text != nullptr && xmlTextWriterWriteString(writer, BAD_CAST text) >= 0)
    writeState->addedText(length);
  return EndSection();
}

OSErr KivXML::StartSection(const char* name) {
  if (!kiv::xml::hasWriter(*this, "StartSection")) return kKivXMLWriteFailed;
  if (!writeState->mayStart(name)) return kKivXMLStartFailed;
  if (xmlTextWriterStartElement(writer, BAD_CAST name) < 0) return kKivXMLStartFailed;
  writeState->started(name);
  return 0;
}

OSErr KivXML::EndSection() {
  if (!kiv::xml::hasWriter(*this, "EndSection")) return kKivXMLWriteFailed;
  // The root element stays open until the document is closed: content after it would leave a
  // file that no parser accepts.
  if (!writeState->mayEnd()) return kKivXMLEndFailed;
  if (xmlTextWriterEndElement(writer) < 0) return kKivXMLEndFailed;
  writeState->ended();
  return 0;
}

OSErr KivXML::StartElement(const char* name) { return StartSection(name); }

OSErr KivXML::EndElement() { return EndSection(); }

OSErr KivXML::AddSectionAttribute(const char* name, const char* value) {
  if (!kiv::xml::hasWriter(*this, "StartSection")) return kKivXMLAttributeFailed;
  // A null value would leave the writer inside an unfinished attribute; bytes that are not
  // XML text would leave a file no parser accepts.
  if (value == nullptr || !kiv::xml::isXmlText(value)) return kKivXMLAttributeFailed;
  WriteState::Attribute attribute;
  if (!writeState->checkAttribute(name, value, attribute)) return kKivXMLAttributeFailed;
  // The value is literal text: no format directives are interpreted.
  if (xmlTextWriterWriteAttribute(writer, BAD_CAST name, BAD_CAST value) < 0)
    return kKivXMLAttributeFailed;
  writeState->added(std::move(attribute));
  return 0;
}

OSErr KivXML::AddSectionAttributeFormat(const char* name, const char* format, ...) {
  if (!kiv::xml::hasWriter(*this, "StartSection")) return kKivXMLAttributeFailed;
  char utf8[kiv::xml::kFormatLimit + 1];
  va_list ap;
  va_start(ap, format);
  Formatted result = formatRoman(utf8, format, ap);
  va_end(ap);
  if (result == Formatted::Empty) return 0;
  if (result == Formatted::TooLong) return kKivXMLAttributeFailed;
  return AddSectionAttribute(name, utf8);
}

OSErr KivXML::AddElementTextFormat(const char* format, ...) {
  char utf8[kiv::xml::kFormatLimit + 1];
  va_list ap;
  va_start(ap, format);
  Formatted result = formatRoman(utf8, format, ap);
  va_end(ap);
  if (result == Formatted::Empty) return 0;
  if (result == Formatted::TooLong || writer == nullptr || !kiv::xml::isXmlText(utf8))
    return kKivXMLTextFailed;
  size_t length = strlen(utf8);
  if (!writeState->mayAddText(length)) return kKivXMLTextFailed;
  if (xmlTextWriterWriteString(writer, BAD_CAST utf8) < 0) return kKivXMLTextFailed;
  writeState->addedText(length);
  return 0;
}

OSErr KivXML::AddNodeBase64(const char* name, const char* data) {
  if (!kiv::xml::hasWriter(*this, "AddNodeBase64")) return kKivXMLWriteFailed;
  if (data == nullptr) data = "";
  size_t length = strlen(data);
  size_t textBytes = kiv::xml::base64TextBytes(length);
  if (length > INT_MAX || !writeState->mayWriteNode(name, textBytes)) return kKivXMLWriteFailed;
  if (xmlTextWriterStartElement(writer, BAD_CAST name) < 0) return kKivXMLWriteFailed;
  writeState->started(name);
  if (xmlTextWriterWriteBase64(writer, data, 0, static_cast<int>(length)) < 0)
    return kKivXMLWriteFailed;
  writeState->addedText(textBytes);
  if (xmlTextWriterEndElement(writer) < 0) return kKivXMLWriteFailed;
  writeState->ended();
  return 0;
}

OSErr KivXML::AddPNode(const char* name, const unsigned char* pstr) {
  if (!kiv::xml::hasWriter(*this, "AddPNode")) return kKivXMLWriteFailed;
  char text[256];
  pascalToC(pstr, text);
  return AddNode(name, text);
}

OSErr KivXML::AddRomanStringNode(const char* name, const char* text) {
  if (!kiv::xml::hasWriter(*this, "AddRomanStringNode")) return kKivXMLWriteFailed;
  // Text beyond kPathLimit bytes, in Mac Roman or in UTF-8, is refused, not cut.
  char utf8[kiv::xml::kPathLimit + 1];
  if (text != nullptr && strnlen(text, kiv::xml::kPathLimit + 1) > kiv::xml::kPathLimit)
    return kKivXMLWriteFailed;
  if (!kiv::xml::romanToUtf8(text, utf8, sizeof utf8)) return kKivXMLWriteFailed;
  return AddNode(name, utf8);
}

OSErr KivXML::AddRomanPStringNode(const char* name, const unsigned char* pstr) {
  if (!kiv::xml::hasWriter(*this, "AddRomanPStringNode")) return kKivXMLWriteFailed;
  char text[256];
  pascalToC(pstr, text);
  return AddRomanStringNode(name, text);
}

OSErr KivXML::AddRGBColor(const char* name, RGBColor color) {
  if (!kiv::xml::hasWriter(*this, "AddNodeRGBColor")) return kKivXMLWriteFailed;
  // Without its section the components would land in the enclosing element, and the closing
  // EndSection would end that element instead. The section and its nodes take two levels.
  if (!writeState->mayNest(2) || StartSection(name) != 0) return kKivXMLWriteFailed;
  OSErr err = 0;
  if (AddNodeFormat("red", "%d", color.red) != 0) err = kKivXMLWriteFailed;
  if (AddNodeFormat("green", "%d", color.green) != 0) err = kKivXMLWriteFailed;
  if (AddNodeFormat("blue", "%d", color.blue) != 0) err = kKivXMLWriteFailed;
  if (EndSection() != 0) err = kKivXMLWriteFailed;
  return err;
}

OSErr KivXML::AddNodeFormat(const char* name, const char* format, ...) {
  if (!kiv::xml::hasWriter(*this, "AddNodeFormat")) return kKivXMLWriteFailed;
  char utf8[kiv::xml::kFormatLimit + 1];
  va_list ap;
  va_start(ap, format);
  Formatted result = formatRoman(utf8, format, ap);
  va_end(ap);
  if (result != Formatted::Text) return kKivXMLFormatRefused;
  return AddNode(name, utf8);
}

OSErr KivXML::AddNodePath(const char* name, const char* path) {
  if (!kiv::xml::hasWriter(*this, "AddNodePath")) return kKivXMLWriteFailed;
  // A path beyond kPathLimit bytes is refused, not cut: a shortened path names another file.
  if (path != nullptr && strnlen(path, kiv::xml::kPathLimit + 1) > kiv::xml::kPathLimit)
    return kKivXMLWriteFailed;
  return AddNode(name, path == nullptr ? "" : path);
}
