// Reading texts, attributes, paths, numbers, colours and Mac Roman strings.
#include <clocale>
#include <cstdlib>
#include <string>

#include "XmlSupport.h"

using namespace xmltest;

TEST(XmlReadText, NodeTextsAndAttributes) {
  OpenedDoc d("<cfg>\n\t<e1/>\n\t<e2></e2>\n\t<amp>x&amp;y</amp>\n\t<mixed>1<b>2</b>3</mixed>\n"
              "\t<cdata><![CDATA[<raw>]]></cdata>\n\t<utf>caf\xC3\xA9</utf>\n"
              "\t<at k=\"\" v=\"one &amp; two\" w=\"&#233;\"/>\n</cfg>");
  ASSERT_EQ(0, d.result);
  KivXML& doc = d.doc;
  xmlNode* at = doc.FindNode(nullptr, "at");
  EXPECT_EQ("0:", text([&](char* b) { return doc.ReadNodeString("e1", b); }));
  EXPECT_EQ("0:", text([&](char* b) { return doc.ReadNodeString("e2", b); }));
  EXPECT_EQ("0:x&y", text([&](char* b) { return doc.ReadNodeString("amp", b); }));
  EXPECT_EQ("0:13", text([&](char* b) { return doc.ReadNodeString("mixed", b); }));
  EXPECT_EQ("0:<raw>", text([&](char* b) { return doc.ReadNodeString("cdata", b); }));
  EXPECT_EQ("0:caf\xC3\xA9", text([&](char* b) { return doc.ReadNodeString("utf", b); }));
  // A section's own text is the indentation between its children.
  EXPECT_EQ("0:\n\t\n\t\n\t\n\t\n\t\n\t\n\t\n",
            text([&](char* b) { return doc.ReadNodeStringValue(doc.rootNode, b); }));
  EXPECT_EQ("-5:", text([&](char* b) { return doc.ReadNodeString("absent", b); }));
  EXPECT_EQ("-5:", text([&](char* b) { return doc.ReadNodeStringValue(nullptr, b); }));
  EXPECT_EQ("-5:", text([&](char* b) { return doc.ReadNodePath("nopath", b, 64); }));
  EXPECT_EQ("0:", text([&](char* b) { return doc.ReadNodeAttributeStringValue(at, "k", b); }));
  EXPECT_EQ("0:one & two",
            text([&](char* b) { return doc.ReadNodeAttributeStringValue(at, "v", b); }));
  EXPECT_EQ("0:\xC3\xA9",
            text([&](char* b) { return doc.ReadNodeAttributeStringValue(at, "w", b); }));
  EXPECT_EQ("-1:", text([&](char* b) { return doc.ReadNodeAttributeStringValue(at, "x", b); }));
  EXPECT_EQ("-5:",
            text([&](char* b) { return doc.ReadNodeAttributeStringValue(nullptr, "k", b); }));

  // Without a document every text reader fails with -3 and leaves an empty string.
  KivXML none;
  xmlNode* null = nullptr;
  EXPECT_EQ("-3:", text([&](char* b) { return none.ReadNodeString("a", b); }));
  EXPECT_EQ("-3:", text([&](char* b) { return none.ReadNodeStringValue(nullptr, b); }));
  EXPECT_EQ("-3:", text([&](char* b) { return none.ReadNodePath("a", b); }));
  EXPECT_EQ("-3:", text([&](char* b) { return none.ReadNodePath(null, b); }));
  EXPECT_EQ("-3:", text([&](char* b) { return none.ReadNodeBase64String("a", b); }));
}

TEST(XmlReadText, BoundedReadersCutAtCharacterBoundaries) {
  std::string longText(400, 'p');
  OpenedDoc d("<cfg><s>abc\xC3\xA9xyz</s><path>" + longText + "</path><at v=\"abcdef\"/></cfg>");
  ASSERT_EQ(0, d.result);
  KivXML& doc = d.doc;
  auto s = [&](char* b, size_t n) { return doc.ReadNodeString("s", b, n); };
  auto path = [&](char* b, size_t n) { return doc.ReadNodePath("path", b, n); };
  EXPECT_EQ("abc", cut(5, s)); // the two-byte character would not fit whole
  EXPECT_EQ("abc\xC3\xA9", cut(6, s));
  EXPECT_EQ("", cut(1, s));
  EXPECT_EQ("", cut(0, s));
  xmlNode* at = doc.FindNode(nullptr, "at");
  EXPECT_EQ("abc", cut(4, [&](char* b, size_t n) {
              return doc.ReadNodeAttributeStringValue(at, "v", b, n);
            }));
  // Text made of several pieces (entity texts) is cut the same way where a character spans two.
  OpenedDoc e("<!DOCTYPE r [<!ENTITY c \"\xC3\xA9\"><!ENTITY ab \"ab\">]>"
              "<r><t>&ab;&c;z</t><at v=\"&ab;&c;\"/></r>");
  ASSERT_EQ(0, e.result);
  auto t = [&](char* b, size_t n) { return e.doc.ReadNodeString("t", b, n); };
  EXPECT_EQ("ab", cut(3, t));
  EXPECT_EQ("ab", cut(4, t));
  EXPECT_EQ("ab\xC3\xA9", cut(5, t));
  EXPECT_EQ("ab\xC3\xA9z", cut(6, t));
  EXPECT_EQ("ab\xC3\xA9z", cut(60, t));
  // An attribute value made of pieces is matched whole.
  EXPECT_NE(nullptr, e.doc.FindNode(nullptr, "at", "v", "ab\xC3\xA9"));
  for (const char* other : {"ab", "ab\xC3", "ab\xC3\xA9!", ""})
    EXPECT_EQ(nullptr, e.doc.FindNode(nullptr, "at", "v", other)) << other;

  // Paths pass through a 300-byte buffer: 299 bytes at most, whatever room the caller has.
  EXPECT_EQ(std::string(9, 'p'), cut(10, path));
  EXPECT_EQ(std::string(299, 'p'), cut(511, path));
  EXPECT_EQ("0:" + std::string(299, 'p'),
            text([&](char* b) { return doc.ReadNodePath("path", b); }));
  // The unbounded reader copies the whole text.
  EXPECT_EQ("0:" + longText, text([&](char* b) { return doc.ReadNodeString("path", b); }));
}

TEST(XmlReadNumbers, DecimalTextCutToTheTargetWidthAndFailures) {
  OpenedDoc d("<n><lead>  42abc</lead><none>abc</none><big>70000</big><neg>-1</neg>"
              "<wide>4294967297</wide><byte>300</byte><dbl> -2.5e3x</dbl><plus>+7</plus>"
              "<pad>" +
              std::string(40, ' ') + "7</pad></n>");
  ASSERT_EQ(0, d.result);
  KivXML& doc = d.doc;
  auto at = [&](const char* name) { return doc.FindNode(nullptr, name); };
  EXPECT_EQ("0:42", got<short>([&](auto& v) { return doc.ReadNodeShort("lead", v); }));
  EXPECT_EQ("0:0", got<short>([&](auto& v) { return doc.ReadNodeShort("none", v); }));
  EXPECT_EQ("0:4464", got<short>([&](auto& v) { return doc.ReadNodeShort("big", v); }));
  EXPECT_EQ("0:4464", got<short>([&](auto& v) { return doc.ReadNodeShort(at("big"), v); }));
  EXPECT_EQ("0:65535", got<u16>([&](auto& v) { return doc.ReadNodeUInt16(at("neg"), v); }));
  EXPECT_EQ("0:1", got<int>([&](auto& v) { return doc.ReadNodeLong("wide", v); }));
  EXPECT_EQ("0:7", got<int>([&](auto& v) { return doc.ReadNodeLong("plus", v); }));
  EXPECT_EQ("0:44", got<u8>([&](auto& v) { return doc.ReadNodeUChar(at("byte"), v); }));
  EXPECT_EQ("0:-2500", got<double>([&](auto& v) { return doc.ReadNodeDouble("dbl", v); }));
  EXPECT_EQ("0:42", got<double>([&](auto& v) { return doc.ReadNodeDouble(at("lead"), v); }));
  // The 16-bit reader takes 31 bytes of text: leading blanks can push the digits out.
  EXPECT_EQ("0:0", got<u16>([&](auto& v) { return doc.ReadNodeUInt16(at("pad"), v); }));
  EXPECT_EQ("0:7", got<int>([&](auto& v) { return doc.ReadNodeLong(at("pad"), v); }));

  // Failures leave the target, or zero it.
  KivXML none;
  xmlNode* null = nullptr;
  EXPECT_EQ("-3:7", got<short>([&](auto& v) { return none.ReadNodeShort("a", v); }));
  EXPECT_EQ("-3:7", got<int>([&](auto& v) { return none.ReadNodeLong("a", v); }));
  EXPECT_EQ("-3:7", got<double>([&](auto& v) { return none.ReadNodeDouble("a", v); }));
  EXPECT_EQ("-3:7", got<u16>([&](auto& v) { return none.ReadNodeUInt16(null, v); }));
  // The by-node short and byte readers always store.
  EXPECT_EQ("-3:0", got<short>([&](auto& v) { return none.ReadNodeShort(null, v); }));

  EXPECT_EQ("-5:7", got<short>([&](auto& v) { return doc.ReadNodeShort("b", v); }));
  EXPECT_EQ("-5:7", got<int>([&](auto& v) { return doc.ReadNodeLong("b", v); }));
  EXPECT_EQ("-5:7", got<double>([&](auto& v) { return doc.ReadNodeDouble("b", v); }));
  EXPECT_EQ("-5:7", got<int>([&](auto& v) { return doc.ReadNodeLong(null, v); }));
  EXPECT_EQ("-5:7", got<u16>([&](auto& v) { return doc.ReadNodeUInt16(null, v); }));
  EXPECT_EQ("-5:7", got<double>([&](auto& v) { return doc.ReadNodeDouble(null, v); }));
  EXPECT_EQ("-5:0", got<short>([&](auto& v) { return doc.ReadNodeShort(null, v); }));
  EXPECT_EQ("-5:0", got<u8>([&](auto& v) { return doc.ReadNodeUChar(null, v); }));
}

TEST(XmlReadNumbers, DoublesIgnoreTheProgramsNumericLocale) {
  OpenedDoc d("<n><v>1.25</v></n>");
  ASSERT_EQ(0, d.result);
  // A locale with a decimal comma, compiled for this test (few machines have one installed).
  kivtest::TempDir locales;
  std::string cmd = "localedef -i de_DE -f UTF-8 " + locales.str() + "/de_DE.UTF-8 >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) GTEST_SKIP() << "localedef cannot build de_DE.UTF-8";
  kivtest::ScopedEnv locpath("LOCPATH", locales.str());
  std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  ASSERT_NE(nullptr, std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
  EXPECT_STREQ(",", std::localeconv()->decimal_point);
  double f = 0;
  OSErr err = d.doc.ReadNodeDouble("v", f);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(0, err);
  EXPECT_DOUBLE_EQ(1.25, f);
}

TEST(XmlReadNumbers, Colours) {
  OpenedDoc d("<p>\n\t<Back>\n\t\t<red>65535</red>\n\t\t<green>0</green>\n\t\t<blue>32768</blue>\n"
              "\t</Back>\n\t<Partial>\n\t\t<red>1</red>\n\t\t<green>2</green>\n\t</Partial>\n"
              "\t<Borrow>\n\t\t<red>3</red>\n\t</Borrow>\n\t<Later>\n\t\t<green>4</green>\n"
              "\t\t<blue>5</blue>\n\t</Later>\n\t<c><red>1</red><green>2</green></c>\n</p>");
  ASSERT_EQ(0, d.result);
  auto colour = [](KivXML& doc, const char* name) {
    RGBColor c = {9, 9, 9};
    OSErr e = doc.ReadRGBColor(name, c);
    return std::to_string(e) + ":" + std::to_string(c.red) + "," + std::to_string(c.green) + "," +
           std::to_string(c.blue);
  };
  EXPECT_EQ("0:65535,0,32768", colour(d.doc, "Back"));
  // The search for a component continues into later sections at the same level: "Partial"
  // takes its blue from "Later", and "Borrow" its green and blue; "c", last, finds no blue.
  EXPECT_EQ("0:1,2,5", colour(d.doc, "Partial"));
  EXPECT_EQ("0:3,4,5", colour(d.doc, "Borrow"));
  EXPECT_EQ("-5:1,2,9", colour(d.doc, "c"));
  EXPECT_EQ("-5:9,9,9", colour(d.doc, "nothing"));
  KivXML none;
  EXPECT_EQ("-5:9,9,9", colour(none, "c"));
}

TEST(XmlReadMacRoman, ConvertsAndLimits) {
  OpenedDoc d("<r><cafe>caf\xC3\xA9</cafe><plain>abc</plain><euro>\xE2\x82\xAC</euro>"
              "<yen>\xE5\x86\x86</yen><e/><l254>" +
              std::string(254, 'x') + "</l254><l300>" + std::string(300, 'y') + "</l300></r>");
  ASSERT_EQ(0, d.result);
  auto roman = [](KivXML& doc, const char* name, bool flag = false) {
    unsigned char p[256] = {3, 'j', 'j', 'j'};
    OSErr e = doc.ReadNodeMacRomanString(doc.FindNode(nullptr, name), p, flag);
    return std::to_string(e) + ":" + pascal(p);
  };
  EXPECT_EQ("0:caf\x8E", roman(d.doc, "cafe", true));
  EXPECT_EQ("0:abc", roman(d.doc, "plain"));
  EXPECT_EQ("0:\xDB", roman(d.doc, "euro"));
  EXPECT_EQ("0:" + std::string(254, 'x'), roman(d.doc, "l254"));
  // Text Mac Roman lacks, and text longer than a Pascal string holds, give an empty string.
  EXPECT_EQ("0:", roman(d.doc, "yen"));
  EXPECT_EQ("0:", roman(d.doc, "l300"));
  EXPECT_EQ("0:", roman(d.doc, "e"));
  EXPECT_EQ("-5:", roman(d.doc, "absent"));
  KivXML none;
  EXPECT_EQ("-3:", roman(none, "absent"));
}
