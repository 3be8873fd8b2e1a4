// Arbitrary file bytes opened as a document, then searched, walked and read with every reader,
// each bounded reader into a heap block of exactly the size it is given. Result codes must be in
// each reader's documented set, texts terminated inside their room, cut texts prefixes of the
// whole text, and Base64 values the decoding of their text.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "KivXML.h"

using kivfuzz::Room;

namespace {

const char* const kNames[] = {"a",     "b",    "c",     "v",    "item", "cfg", "red",
                              "green", "blue", "color", "data", "path", "x"};

// The text a reader gave into a room of `size` bytes, checked against the whole text: the same
// when it fits, else a prefix of it.
void checkCut(const Room<char>& room, const std::string& whole) {
  if (room.size() == 0) return;
  const std::string got = room.cString();
  if (whole.size() < room.size())
    FUZZ_CHECK(got == whole);
  else
    FUZZ_CHECK(whole.compare(0, got.size(), got) == 0 && got.size() + 4 > room.size() - 1);
}

// Reads a text whole, then into a room of `size` bytes, which must give the same code and a
// cut of the same text; returns the whole text and sets the code.
template <typename Read> std::string readTwice(Read read, size_t size, OSErr& code) {
  Room<char> whole(1 << 16);
  code = read(whole.data(), whole.size());
  FUZZ_CHECK(kivfuzz::oneOf(code, {0, -5}));
  const std::string text = whole.cString();
  Room<char> cut(size);
  FUZZ_CHECK(read(cut.data(), size) == code);
  checkCut(cut, text);
  return text;
}

void readNode(KivXML& doc, _xmlNode* node, size_t size) {
  OSErr code;
  readTwice([&](char* v, size_t n) { return doc.ReadNodeStringValue(node, v, n); }, size, code);

  Room<char> path(size);
  code = doc.ReadNodePath(node, path.data(), size);
  FUZZ_CHECK(kivfuzz::oneOf(code, {0, -5}));
  if (code == 0 && size > 0) FUZZ_CHECK(path.cString().size() <= 299);

  Room<char> attr(size);
  FUZZ_CHECK(
      kivfuzz::oneOf(doc.ReadNodeAttributeStringValue(node, "id", attr.data(), size), {0, -1, -5}));
  if (size > 0) attr.cString();

  Room<unsigned char> pstr(256);
  FUZZ_CHECK(kivfuzz::oneOf(doc.ReadNodeMacRomanString(node, pstr.data(), false), {0, -5}));
  short s = 7;
  unsigned short u = 7;
  int l = 7;
  unsigned char c = 7;
  double d = 7;
  FUZZ_CHECK(kivfuzz::oneOf(doc.ReadNodeShort(node, s), {0, -5}));
  FUZZ_CHECK(kivfuzz::oneOf(doc.ReadNodeUInt16(node, u), {0, -5}));
  FUZZ_CHECK(kivfuzz::oneOf(doc.ReadNodeLong(node, l), {0, -5}));
  FUZZ_CHECK(kivfuzz::oneOf(doc.ReadNodeUChar(node, c), {0, -5}));
  FUZZ_CHECK(kivfuzz::oneOf(doc.ReadNodeDouble(node, d), {0, -5}));
  // The short and the byte are the low bits of the same decimal number.
  if (node != nullptr) FUZZ_CHECK(s == static_cast<short>(l) && c == static_cast<unsigned char>(l));
  IsThisNodeASection(node);
}

void readByName(KivXML& doc, const char* name, size_t size) {
  OSErr code;
  const std::string text =
      readTwice([&](char* v, size_t n) { return doc.ReadNodeString(name, v, n); }, size, code);

  // The Base64 value is the decoding of the text without its line breaks, up to its first zero
  // byte, cut to the room.
  Room<char> value(size);
  FUZZ_CHECK(doc.ReadNodeBase64String(name, value.data(), size) == code);
  if (code == 0 && size > 0 && text.size() + 1 < (1u << 16)) { // a text it holds whole
    std::string encoded;
    for (char ch : text)
      if (ch != '\r' && ch != '\n') encoded += ch;
    const std::string decoded = decode_base64(encoded).c_str();
    FUZZ_CHECK(value.cString() == decoded.substr(0, size - 1));
  }

  Room<char> path(size);
  FUZZ_CHECK(doc.ReadNodePath(name, path.data(), size) == code);
  short s;
  int l;
  double d;
  RGBColor rgb;
  FUZZ_CHECK(doc.ReadNodeShort(name, s) == code);
  FUZZ_CHECK(doc.ReadNodeLong(name, l) == code);
  FUZZ_CHECK(doc.ReadNodeDouble(name, d) == code);
  FUZZ_CHECK(kivfuzz::oneOf(doc.ReadRGBColor(name, rgb), {0, -5}));
  _xmlNode* found = doc.FindNode(nullptr, name);
  FUZZ_CHECK((found != nullptr) == (code == 0));
  if (found != nullptr) {
    readNode(doc, found, size);
    doc.FindNode(found, "v");
  }
  doc.FindNode(nullptr, name, "id", "1");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const size_t room = input.ConsumeIntegralInRange<size_t>(0, 320);
  static const std::string path = (kivfuzz::scratchFolder() / "document.xml").string();
  if (!kivfuzz::writeFile(path, input.ConsumeRemainingBytesAsString())) return 0;

  KivXML doc;
  const OSErr opened = doc.OpenDoc(path.c_str());
  FUZZ_CHECK(kivfuzz::oneOf(opened, {0, 2, -4}));
  FUZZ_CHECK((opened == 0) == (doc.rootNode != nullptr));
  if (opened != 0) {
    // Without a document every reader answers -3 and leaves an empty text.
    Room<char> text(8);
    FUZZ_CHECK(doc.ReadNodeString("a", text.data(), text.size()) == -3 && text.cString().empty());
    return 0;
  }
  for (const char* name : kNames)
    readByName(doc, name, room);
  // The navigation steps assume indentation; on any input they must stay inside the tree.
  int budget = 2000;
  _xmlNode* stack[32];
  int depth = 0;
  stack[depth++] = doc.rootNode;
  while (depth > 0 && budget-- > 0) {
    _xmlNode* node = stack[--depth];
    for (; node != nullptr && budget-- > 0; node = KivXML::NextNode(node)) {
      readNode(doc, node, room);
      if (depth < 32) stack[depth++] = KivXML::ChildNode(node);
    }
  }
  doc.CloseDoc();
  return 0;
}
