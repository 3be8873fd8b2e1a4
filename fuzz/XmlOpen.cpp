// Fuzz target: arbitrary file bytes opened as a document, then searched, walked and read with
// every reader.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "KivXML.h"

namespace {

const char* const kNames[] = {"a",   "b",     "c",    "v",     "item", "cfg",
                              "red", "green", "blue", "color", "data", "path"};

void readAll(KivXML& doc, _xmlNode* node) {
  char text[64];
  unsigned char pstr[256];
  short s;
  unsigned short u;
  int l;
  unsigned char c;
  double d;
  doc.ReadNodeStringValue(node, text, sizeof text);
  doc.ReadNodePath(node, text, sizeof text);
  doc.ReadNodeAttributeStringValue(node, "id", text, sizeof text);
  doc.ReadNodeMacRomanString(node, pstr, false);
  doc.ReadNodeShort(node, s);
  doc.ReadNodeUInt16(node, u);
  doc.ReadNodeLong(node, l);
  doc.ReadNodeUChar(node, c);
  doc.ReadNodeDouble(node, d);
  IsThisNodeASection(node);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/kiv-fuzz-xmlopen-" +
           std::to_string(getpid()) + ".xml";
  }();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);

  KivXML doc;
  if (doc.OpenDoc(path.c_str()) == 0) {
    for (const char* name : kNames) {
      char text[128];
      short s;
      int l;
      double d;
      RGBColor rgb;
      doc.ReadNodeString(name, text, sizeof text);
      doc.ReadNodePath(name, text, sizeof text);
      doc.ReadNodeBase64String(name, text, sizeof text);
      doc.ReadNodeShort(name, s);
      doc.ReadNodeLong(name, l);
      doc.ReadNodeDouble(name, d);
      doc.ReadRGBColor(name, rgb);
      doc.FindNode(nullptr, name, "id", "1");
      if (_xmlNode* found = doc.FindNode(nullptr, name)) {
        readAll(doc, found);
        doc.FindNode(found, "v");
      }
    }
    // The navigation steps assume indentation; on any input they must stay inside the tree.
    int budget = 2000;
    _xmlNode* stack[32];
    int depth = 0;
    stack[depth++] = doc.rootNode;
    while (depth > 0 && budget-- > 0) {
      _xmlNode* node = stack[--depth];
      for (; node != nullptr && budget-- > 0; node = KivXML::NextNode(node)) {
        readAll(doc, node);
        if (depth < 32) stack[depth++] = KivXML::ChildNode(node);
      }
    }
  }
  doc.CloseDoc();
  std::remove(path.c_str());
  return 0;
}
