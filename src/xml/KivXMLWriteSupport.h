// Helpers shared by the KivXML writing, editing and import members.
#pragma once

#include <cstddef>

namespace kiv::xml {

// Longest formatted text, and longest UTF-8 form of it, that the format operations accept.
constexpr std::size_t kFormatLimit = 511;
// Longest text of AddRomanStringNode and AddNodePath, and longest joined path of CreateDoc.
constexpr std::size_t kPathLimit = 299;
// Longest file name, in Mac Roman and in UTF-8, that CreateDoc takes from a file reference.
constexpr std::size_t kFileNameLimit = 63;

// Converts the Mac Roman C string src into UTF-8 in dst, which holds dstSize bytes with the
// terminator. All or nothing: when the text does not fit, dst is left empty and false is
// returned. A null or empty src gives an empty dst and true.
bool romanToUtf8(const char* src, char* dst, std::size_t dstSize);

// Copies the C string src (empty when null) into the field dst of dstSize bytes, cut at a
// UTF-8 character boundary when it is longer than dstSize - 1 bytes.
void copyField(char* dst, std::size_t dstSize, const char* src);

// Whether text may stand in a document as character data or an attribute value: valid UTF-8
// of characters that XML allows (no control characters but tab, line feed and carriage
// return, no surrogates, no U+FFFE or U+FFFF). A null text is acceptable: nothing is written.
// The writer passes bytes through, so anything else would leave a file no parser accepts.
bool isXmlText(const char* text);

// Whether name is a well-formed element or attribute name.
bool isXmlName(const char* name);

// Hands a misuse line to the quiet diagnostics entry.
void quietLine(const char* line);

} // namespace kiv::xml
