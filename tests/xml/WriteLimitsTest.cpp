// What the writer accepts reads back: at each limit of the reader the document opens again, and
// one step past it the writer refuses with the member's code before anything reaches the file.
#include <gmock/gmock.h>
#include <libxml/parser.h>

#include <string>

#include "ConsoleCapture.h"
#include "XmlSupport.h"

using namespace xmltest;

namespace {

using XmlWriteLimits = WriterTest;

// Whether a parser that checks namespaces finds no fault in the file.
bool namespaceWellFormed(const std::string& path) {
  xmlParserCtxtPtr parser = xmlNewParserCtxt();
  xmlDocPtr doc = xmlCtxtReadFile(parser, path.c_str(), nullptr, XML_PARSE_NOERROR);
  bool ok = doc != nullptr && parser->wellFormed && parser->nsWellFormed;
  xmlFreeDoc(doc);
  xmlFreeParserCtxt(parser);
  return ok;
}

} // namespace

TEST_F(XmlWriteLimits, NestingStopsAtTheReadersDepthAndTheRootStaysOpen) {
  ASSERT_EQ(xml.CreateDoc(file.c_str(), "r", false), 0);
  // Only completing the document closes the root: content after it would not read back.
  expectAll(-11, {xml.EndSection(), xml.EndElement()});
  // The root is level 1; the reader accepts 257 levels.
  for (int level = 2; level <= 255; ++level)
    ASSERT_EQ(xml.StartSection("s"), 0) << level;
  EXPECT_EQ(xml.AddRGBColor("colour", RGBColor{1, 2, 3}), 0); // levels 256 and 257
  ASSERT_EQ(xml.StartSection("s"), 0);                        // level 256
  EXPECT_EQ(xml.AddRGBColor("refused", RGBColor{1, 2, 3}), -8);
  EXPECT_EQ(xml.AddNode("leaf", "deepest"), 0); // level 257
  ASSERT_EQ(xml.StartSection("s"), 0);          // level 257
  expectAll(-10, {xml.StartSection("refused"), xml.StartElement("refused"),
                  xml.AddNodeWithAttr("refused", "x", "k", "v")});
  expectAll(-8, {xml.AddNode("refused", "x"), xml.AddNodeBase64("refused", "x"),
                 xml.AddNodeFormat("refused", "%d", 1), xml.AddNodePath("refused", "/"),
                 xml.AddRGBColor("refused", RGBColor{1, 2, 3})});
  EXPECT_EQ(xml.AddElementTextFormat("%s", "text at 257"), 0);
  for (int level = 257; level >= 2; --level)
    ASSERT_EQ(xml.EndSection(), 0) << level;
  expectAll(-11, {xml.EndSection(), xml.EndElement()});
  EXPECT_EQ(xml.AddNode("after", "1"), 0);
  ASSERT_NO_FATAL_FAILURE(reopen());
  EXPECT_EQ(read("leaf", 16), "deepest");
  EXPECT_EQ(nameOf(xml.rootNode->last->prev), "after"); // still inside the root
  RGBColor colour = {};
  EXPECT_EQ(xml.ReadRGBColor("colour", colour), 0);
  EXPECT_EQ(colour.blue, 3);
}

TEST_F(XmlWriteLimits, TextNodesHoldTenMillionBytes) {
  const size_t kText = 10000000;
  const std::string full(kText, 't'), over(kText + 1, 't'), piece(500, 'p');
  ASSERT_EQ(xml.CreateDoc(file.c_str(), "r", false), 0);
  EXPECT_EQ(xml.AddNode("node", full.c_str()), 0);
  EXPECT_EQ(xml.AddNode("refused", over.c_str()), -8);
  EXPECT_EQ(xml.AddNodeWithAttr("refused", over.c_str(), "k", "v"), -8);

  // Base64 text: four characters for three bytes, and a line break, read as one line feed,
  // after every 72 characters.
  size_t groups = kText / 4;
  while (groups * 4 + (groups - 1) / 18 > kText)
    --groups;
  const std::string data(groups * 3, 'b');
  EXPECT_EQ(xml.AddNodeBase64("base64", data.c_str()), 0);
  EXPECT_EQ(xml.AddNodeBase64("refused", (data + "b").c_str()), -8);

  // Text written piece by piece into an open element.
  ASSERT_EQ(xml.StartElement("pieces"), 0);
  for (size_t i = 0; i < kText / piece.size(); ++i)
    ASSERT_EQ(xml.AddElementTextFormat("%s", piece.c_str()), 0) << i;
  EXPECT_EQ(xml.AddElementTextFormat("x"), 16);
  // An element after the text would add its indentation to the same text node.
  EXPECT_EQ(xml.StartSection("refused"), -10);
  EXPECT_EQ(xml.EndElement(), 0);
  // Text after a child element follows the line feed that ends the child's line.
  ASSERT_EQ(xml.StartElement("mixed"), 0);
  ASSERT_EQ(xml.AddNode("child", ""), 0);
  for (size_t i = 1; i < kText / piece.size(); ++i)
    ASSERT_EQ(xml.AddElementTextFormat("%s", piece.c_str()), 0) << i;
  EXPECT_EQ(xml.AddElementTextFormat("%s", piece.substr(1).c_str()), 0);
  EXPECT_EQ(xml.AddElementTextFormat("x"), 16);
  EXPECT_EQ(xml.EndElement(), 0);

  ASSERT_NO_FATAL_FAILURE(reopen());
  EXPECT_TRUE(read("node", kText + 1) == full);
  EXPECT_TRUE(read("pieces", kText + 1) == std::string(kText, 'p'));
  std::string mixed = read("mixed", kText + 8); // the indentation before the child, then the text
  EXPECT_TRUE(mixed == "\n\t\t\n" + std::string(kText - 1, 'p')) << mixed.size();
  std::unique_ptr<char[]> decoded(new char[kText + 1]);
  EXPECT_EQ(xml.ReadNodeBase64String("base64", decoded.get(), kText + 1), 0);
  EXPECT_TRUE(decoded.get() == data);
}

TEST_F(XmlWriteLimits, NamesStartTagsAndAttributes) {
  const std::string name(50000, 'n'), longer(50001, 'n');
  // One start tag holds 9,990,000 bytes as written: '<s a="', the value escaped, '"/>'.
  std::string value = std::string(9990000 - 9 - 6, 'v') + "\""; // the quote is written &quot;
  ASSERT_EQ(xml.CreateDoc(file.c_str(), "r", false), 0);
  EXPECT_EQ(xml.AddNode(name.c_str(), "long name"), 0);
  EXPECT_EQ(xml.AddNode(longer.c_str(), "refused"), -8);
  // 400 such names: more distinct names than the parser's default dictionary holds.
  std::string numbered = name;
  for (int i = 0; i < 400; ++i) {
    std::string number = std::to_string(i);
    numbered.replace(numbered.size() - number.size(), number.size(), number);
    ASSERT_EQ(xml.AddNode(numbered.c_str(), number.c_str()), 0) << i;
  }
  EXPECT_EQ(xml.StartSection(longer.c_str()), -10);
  ASSERT_EQ(xml.StartSection("s"), 0);
  EXPECT_EQ(xml.AddSectionAttribute("a", value.c_str()), 0);
  EXPECT_EQ(xml.AddSectionAttribute("b", ""), -15);
  ASSERT_EQ(xml.EndSection(), 0);
  ASSERT_EQ(xml.StartSection("t"), 0);
  EXPECT_EQ(xml.AddSectionAttribute("a", (value + "v").c_str()), -15);
  EXPECT_EQ(xml.AddSectionAttribute(name.c_str(), "1"), 0);
  EXPECT_EQ(xml.AddSectionAttribute(longer.c_str(), "refused"), -15);
  ASSERT_EQ(xml.EndSection(), 0);
  // Large start tags one after the other: the reader frees its input between them.
  const std::string large(4000000, 'l');
  for (int i = 0; i < 3; ++i)
    expectAll(0, {xml.StartSection("large"), xml.AddSectionAttribute("a", large.c_str()),
                  xml.EndSection()});

  // 1,000 attributes on one element, namespace declarations included; no name twice.
  ASSERT_EQ(xml.StartSection("many"), 0);
  EXPECT_EQ(xml.AddSectionAttribute("xmlns:p", "urn:p"), 0);
  for (int i = 1; i < 1000; ++i)
    ASSERT_EQ(xml.AddSectionAttribute(("a" + std::to_string(i)).c_str(), "1"), 0) << i;
  EXPECT_EQ(xml.AddSectionAttribute("a1000", "refused"), -15);
  ASSERT_EQ(xml.EndSection(), 0);
  ASSERT_EQ(xml.StartSection("twice"), 0);
  expectAll(0, {xml.AddSectionAttribute("a", "1"), xml.AddSectionAttribute("xmlns:p", "urn:p"),
                xml.AddSectionAttribute("xmlns:q", "urn:p"), xml.AddSectionAttribute("p:x", "1")});
  // The same name, or the same namespace and local name under another prefix.
  expectAll(-15,
            {xml.AddSectionAttribute("a", "refused"), xml.AddSectionAttribute("q:x", "refused"),
             xml.AddSectionAttribute("xmlns:p", "refused")});
  ASSERT_EQ(xml.EndSection(), 0);

  ASSERT_NO_FATAL_FAILURE(reopen());
  EXPECT_EQ(read(name.c_str(), 16), "long name");
  EXPECT_EQ(read(numbered.c_str(), 8), "399");
  std::unique_ptr<char[]> got(new char[value.size() + 1]);
  xmlNode* s = xml.FindNode(nullptr, "s");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(xml.ReadNodeAttributeStringValue(s, "a", got.get(), value.size() + 1), 0);
  EXPECT_TRUE(got.get() == value);
  EXPECT_EQ(s->properties->next, nullptr);
  int attributes = 0;
  xmlNode* many = xml.FindNode(nullptr, "many");
  ASSERT_NE(many, nullptr);
  for (xmlAttr* a = many->properties; a != nullptr; a = a->next)
    ++attributes;
  EXPECT_EQ(attributes, 999); // and the namespace declaration
}

TEST_F(XmlWriteLimits, PrefixesMustBeDeclaredAndDeclarationsReadBack) {
  EXPECT_EQ(xml.CreateDoc(file.c_str(), "p:r", false), -8);
  // Document type declarations that would not parse.
  const char* doctypes[][3] = {{"a b", "", ""},
                               {"cfg", "quote\"", ""},
                               {"cfg", "caf\xC3\xA9", ""},
                               {"cfg", "", "quote\""},
                               {"cfg", "", "\x01"}};
  for (const auto& d : doctypes) {
    xml.SetDTD(d[0], d[1], d[2]);
    EXPECT_EQ(xml.CreateDoc(file.c_str(), "r", false), -8) << d[0] << d[1] << d[2];
  }
  xml.SetDTD("r", "-//Kiv//Test//EN", "it's.dtd");
  ASSERT_EQ(xml.CreateDoc(file.c_str(), "r", false), 0);
  expectAll(-8, {xml.AddNode("ns:refused", "v"), xml.AddNode("a:b:refused", "v"),
                 xml.AddNode(":refused", "v"), xml.AddNode("refused:", "v"),
                 xml.AddNode("xmlns:refused", "v")});
  EXPECT_EQ(xml.StartSection("p:refused"), -10);
  ASSERT_EQ(xml.StartSection("s"), 0);
  expectAll(-15, {xml.AddSectionAttribute("p:refused", "v"),
                  xml.AddSectionAttribute("xmlns:xml", "http://www.w3.org/XML/1998/namespace"),
                  xml.AddSectionAttribute("xmlns:p", ""),
                  xml.AddSectionAttribute("xmlns:q", "http://www.w3.org/2000/xmlns/")});
  expectAll(0, {xml.AddSectionAttribute("xml:lang", "fr"),
                xml.AddSectionAttribute("xmlns:p", "urn:p"), xml.AddSectionAttribute("p:attr", "v"),
                xml.AddNode("p:key", "inside"), xml.StartSection("p:inner"),
                xml.AddNode("p:key2", "deeper"), xml.EndSection(), xml.EndSection()});
  // The declaration ends with the element that made it.
  EXPECT_EQ(xml.AddNode("p:refused", "outside"), -8);
  ASSERT_NO_FATAL_FAILURE(reopen());
  EXPECT_TRUE(namespaceWellFormed(file.string())) << kivtest::readFile(file);
  // Prefixed names are read back by their local names.
  EXPECT_EQ(read("key", 16), "inside");
  EXPECT_EQ(read("key2", 16), "deeper");
}

// The reader inflates a compressed document only up to 20 times its stored size beyond 1 MiB: a
// document that compresses better is not put in place (the old file stays, the log says why),
// and one that stays within the bound reads back.
TEST_F(XmlWriteLimits, CompressedDocumentsMustInflateWithinTheReadersBound) {
  dir.write("doc.xml", "previous");
  ASSERT_EQ(xml.CreateDoc(file.c_str(), "r", true), 0);
  for (int i = 0; i < 300; ++i)
    ASSERT_EQ(xml.AddNode("n", std::string(10000, 'z').c_str()), 0) << i;
  kivtest::ConsoleCapture log;
  xml.CloseDoc();
  EXPECT_EQ(kivtest::readFile(file), "previous");
  EXPECT_THAT(log.entries(),
              testing::ElementsAre(testing::HasSubstr("(checking: File too large)")));

  ASSERT_EQ(xml.CreateDoc(file.c_str(), "r", true), 0);
  for (int i = 0; i < 90; ++i)
    ASSERT_EQ(xml.AddNode("n", std::string(10000, 'z').c_str()), 0) << i;
  ASSERT_NO_FATAL_FAILURE(reopen());
  EXPECT_EQ(read("n", 10001), std::string(10000, 'z'));
}
