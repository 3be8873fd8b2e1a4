// Files built to blow up: opening and reading them costs bounded time and memory.
#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BoundedRun.h"
#include "ConsoleCapture.h"
#include "XmlSupport.h"

using namespace xmltest;

namespace {

std::string repeat(const std::string& unit, size_t times) {
  std::string s;
  s.reserve(unit.size() * times);
  for (size_t i = 0; i < times; ++i)
    s += unit;
  return s;
}

std::string numbered(const std::string& before, const std::string& after, size_t count) {
  std::string s;
  for (size_t i = 0; i < count; ++i)
    s += before + std::to_string(i) + after;
  return s;
}

// Writes `chunks` times `chunk` between `head` and `tail`, gzip-compressed at the best ratio.
void gzipFile(const std::string& path, const std::string& head, const std::string& chunk,
              size_t chunks, const std::string& tail) {
  gzFile f = gzopen(path.c_str(), "wb9");
  EXPECT_NE(f, nullptr);
  gzwrite(f, head.data(), static_cast<unsigned>(head.size()));
  for (size_t i = 0; i < chunks; ++i)
    gzwrite(f, chunk.data(), static_cast<unsigned>(chunk.size()));
  gzwrite(f, tail.data(), static_cast<unsigned>(tail.size()));
  gzclose(f);
}

const std::string kEntityDecl = "<!DOCTYPE r [<!ENTITY e \"" + std::string(20000, 'x') + "\">]>";

// OpenDoc, then every reader on every element name the files use. The result is OpenDoc's code
// (low byte), or 200 when a document that opened reads back wrong.
int openAndReadAll(const std::string& path, const std::function<bool(KivXML&)>& check) {
  KivXML doc;
  OSErr code = doc.OpenDoc(path.c_str());
  // Room for any text an accepted file may expand to, left untouched until a reader writes it.
  static char* const big = new char[16 << 20];
  char small[300];
  unsigned char pstr[256];
  short s;
  int l;
  unsigned short u;
  unsigned char c;
  double d;
  RGBColor rgb;
  for (const char* name : {"r", "a", "b", "v"}) {
    doc.ReadNodeString(name, big);
    doc.ReadNodeString(name, small, sizeof small);
    doc.ReadNodePath(name, small, sizeof small);
    doc.ReadNodeBase64String(name, big);
    doc.ReadNodeShort(name, s);
    doc.ReadNodeLong(name, l);
    doc.ReadNodeDouble(name, d);
    doc.ReadRGBColor(name, rgb);
    doc.FindNode(nullptr, name, "v", "x");
    if (xmlNode* node = doc.FindNode(nullptr, name)) {
      doc.ReadNodeStringValue(node, big);
      doc.ReadNodeAttributeStringValue(node, "v", big);
      doc.ReadNodeAttributeStringValue(node, "v", small, sizeof small);
      doc.ReadNodeMacRomanString(node, pstr, false);
      doc.ReadNodeUInt16(node, u);
      doc.ReadNodeUChar(node, c);
      doc.ReadNodeShort(node, s);
    }
  }
  if (code == 0 && check && !check(doc)) return 200;
  return code & 0xFF;
}

} // namespace

TEST(XmlHostileFiles, OpenAndReadInBoundedTimeAndMemory) {
  const std::string lol = [] { // a billion laughs
    std::string dtd = "<!DOCTYPE r [<!ENTITY l0 \"lol\">";
    for (int i = 1; i <= 10; ++i)
      dtd += "<!ENTITY l" + std::to_string(i) + " \"" +
             repeat("&l" + std::to_string(i - 1) + ";", 10) + "\">";
    return dtd + "]><r><a>&l10;</a><b v=\"&l10;\"/></r>";
  }();
  // Within the limits, 200,000 references to a one-letter entity are read in linear time.
  auto manyRead = [](KivXML& doc) {
    std::vector<char> text(300000);
    char value[8];
    xmlNode* a = doc.FindNode(nullptr, "a", "v", std::string(1000, 'x').c_str());
    return doc.ReadNodeString("a", text.data()) == 0 &&
           std::string(text.data()) == std::string(200000, 'x') && a != nullptr &&
           doc.ReadNodeAttributeStringValue(a, "v", value, sizeof value) == 0 &&
           std::string(value) == "xxxxxxx";
  };
  auto opened = [](KivXML& doc) { return doc.FindNode(nullptr, "a") != nullptr; };
  // A 20 KB entity referenced 10,000 times is 200 MB of text from a 60 KB file; compressed input
  // may always decompress to 1 MB, beyond that to 20 times its size; counts whose cost grows with
  // their square (attributes, namespace and attribute declarations, in the document or in an
  // entity's text).
  const struct {
    const char* name;
    std::string text; // written as is, or gzip-compressed chunk times when chunks > 0
    size_t chunks;
    OSErr opened;
    std::function<bool(KivXML&)> check;
  } rows[] = {
      {"entity in text", kEntityDecl + "<r><a>" + repeat("&e;", 10000) + "</a></r>", 0, 2},
      {"entity in attribute", kEntityDecl + "<r><a v=\"" + repeat("&e;", 10000) + "\"/></r>", 0, 2},
      {"billion laughs", lol, 0, 2},
      {"many small references",
       "<!DOCTYPE r [<!ENTITY e \"x\">]><r><a v=\"" + repeat("&e;", 1000) + "\">" +
           repeat("&e;", 200000) + "</a></r>",
       0, 0, manyRead},
      {"gzip bomb of 100 MB", repeat("<a/>", 1 << 18), 100, 2},
      {"compressed 1000 KB", std::string(1000, 'y'), 1000, 0, opened},
      {"compressed 2 MB", std::string(1000, 'y'), 2000, 2},
      {"FIFO", "", 0, 2},
      {"device", "", 0, 2},
      {"100,000 attributes", "<r" + numbered(" a", "=\"\"", 100000) + "/>", 0, 2},
      {"100,000 namespace declarations", "<r" + numbered(" xmlns:p", "=\"u\"", 100000) + "/>", 0,
       2},
      {"100,000 attribute declarations",
       "<!DOCTYPE r [<!ATTLIST r" + numbered(" a", " CDATA \"x\"", 100000) + ">]><r/>", 0, 2},
      {"100,000 attributes in an entity",
       "<!DOCTYPE r [<!ENTITY e '<a" + numbered(" a", "=\"\"", 100000) +
           "/>'><!ENTITY f '&e;'>]><r>&f;</r>",
       0, 2},
  };
  for (const auto& row : rows) {
    kivtest::TempDir dir;
    const std::string name = row.name;
    std::string path = (dir.path() / "doc.xml").string();
    if (name == "FIFO") {
      EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
    } else if (name == "device") {
      path = "/dev/zero";
    } else if (row.chunks > 0) {
      const bool bomb = row.text[0] == '<';
      gzipFile(path, bomb ? "<r>" : "<r><a>", row.text, row.chunks, bomb ? "</r>" : "</a></r>");
    } else {
      dir.write("doc.xml", row.text);
    }
    kivtest::BoundedRun run =
        kivtest::runBounded([&] { return openAndReadAll(path, row.check); }, 60);
    std::printf("[ measured ] %-32s %s\n", row.name, run.describe().c_str());
    ASSERT_TRUE(run.finished) << row.name << ": " << run.describe();
    EXPECT_EQ(run.result, row.opened & 0xFF) << row.name;
    EXPECT_LT(run.seconds, 5.0) << row.name;
#if !defined(__SANITIZE_ADDRESS__) // the sanitizer's own bookkeeping dwarfs the figures
    EXPECT_LT(run.peakGrowthKb, 200 * 1024) << row.name;
#endif
  }
}

// A file made of errors prints a few messages, not one or more per error: the parse stops at the
// first fatal error (before, 100 KB of stray "<" printed 22 MB).
TEST(XmlHostileFiles, ErrorsCostAFewMessages) {
  kivtest::TempDir dir;
  const std::string path = (dir.path() / "doc.xml").string();
  for (const std::string& junk :
       {repeat("<<", 50000), repeat("&;", 50000), repeat("<a =/>", 20000)}) {
    dir.write("doc.xml", "<r>" + junk + "</r>");
    kivtest::ConsoleCapture console;
    KivXML doc;
    EXPECT_EQ(2, doc.OpenDoc(path.c_str())) << junk.substr(0, 6);
    EXPECT_LT(console.raw().size(), 4096u) << junk.substr(0, 6);
  }
}
