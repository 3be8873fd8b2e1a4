// Helpers shared by the KivXML writing, editing and import members.
#pragma once

#include <cstddef>
#include <string_view>

struct _xmlTextWriter;

namespace kiv::xml {

// Longest formatted text, and longest UTF-8 form of it, that the format operations accept.
constexpr std::size_t kFormatLimit = 511;
// Longest text of AddRomanStringNode and AddNodePath, and longest joined path of CreateDoc.
constexpr std::size_t kPathLimit = 299;
// Longest file name, in Mac Roman and in UTF-8, that CreateDoc takes from a file reference.
constexpr std::size_t kFileNameLimit = 63;

// Completes the document that `writer` writes, if any: ending the document closes every element
// still open, the root included, and freeing the writer flushes and closes its output (which
// puts the file in place). The writer is null afterwards.
void completeDocument(_xmlTextWriter*& writer);

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

// Whether name is a well-formed element or attribute name for a namespace-aware reader: a name
// without colon, or a prefix and a local name joined by one, of at most kMaxNameBytes bytes.
// Whether its prefix is declared is the writer's concern.
bool isXmlName(const char* name);
// Whether name is an XML name of ASCII letters, digits, '_', '-' and '.' only, so without a
// prefix: most names, recognised in one pass. False does not make it an invalid name.
bool isPlainXmlName(const char* name);

// The prefix of a name (empty when it has none).
std::string_view prefixOf(const char* name);

// Whether a document type declaration of that name and identifiers reads back: the name an XML
// name, the public identifier of the characters a public identifier allows, the system
// identifier XML text without the double quote that the writer encloses it in.
bool isDoctype(const char* name, const char* pubID, const char* sysID);

// Bytes of text that AddNodeBase64 writes for `length` bytes of data, as the reader sees them:
// four characters for every three bytes or fewer, and a line break after every 72 characters but
// the last, which the reader takes as one line feed.
std::size_t base64TextBytes(std::size_t length);

} // namespace kiv::xml
