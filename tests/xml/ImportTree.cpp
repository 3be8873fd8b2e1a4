// Round trip: write with every writer, read back, edit, and import into a new document.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "KivXML.h"
#include "TestSupport.h"

namespace {

const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

std::string repeat(const std::string& s, int n) {
  std::string out;
  while (n-- > 0)
    out += s;
  return out;
}

void expectAllZero(std::initializer_list<OSErr> codes) {
  int i = 0;
  for (OSErr code : codes)
    EXPECT_EQ(code, 0) << "call " << i++;
}

} // namespace

TEST(XmlImport, WriteReadEditImportRoundTrip) {
  kivtest::TempDir dir;
  auto source = dir.path() / "source.xml";
  std::string longText(400, 'L'); // texts are imported whole, whatever their length
  {
    KivXML w;
    ASSERT_EQ(w.CreateDoc(source.c_str(), "cfg", false), 0);
    unsigned char raw[] = {3, 'p', '-', 'q'};
    unsigned char roman[] = {3, 'p', 0xA5, 'q'}; // 0xA5 is a bullet in Mac Roman
    // A braced list runs the calls in order; every code must be 0.
    expectAllZero({w.StartSection("general"),
                   w.AddSectionAttribute("kind", "main"),
                   w.AddSectionAttributeFormat("rev", "%d", 7),
                   w.AddNode("title", "a & b"),
                   w.AddNodeFormat("count", "%d", -12),
                   w.AddNodeFormat("ratio", "%.2f", 0.25),
                   w.AddNodePath("path", "/home/u/file 1.txt"),
                   w.EndSection(),
                   w.StartSection("items"),
                   w.AddNodeWithAttr("item", "one", "id", "1"),
                   w.AddNodeWithAttr("item", "two", "id", "2"),
                   w.EndSection(),
                   w.AddRGBColor("back", RGBColor{65535, 0, 65535}),
                   w.AddPNode("praw", raw),
                   w.AddRomanPStringNode("proman", roman),
                   w.AddRomanStringNode("roman", "caf\x8E"),
                   w.AddNodeBase64("blob", std::string(100, 'z').c_str()),
                   w.StartElement("note"),
                   w.AddElementTextFormat("n=%d", 3),
                   w.EndElement(),
                   w.AddNode("long", longText.c_str())});
  }

  KivXML r;
  ASSERT_EQ(r.OpenDoc(source.c_str()), 0);
  char text[512];
  const std::pair<const char*, std::string> texts[] = {
      {"title", "a & b"}, {"roman", "caf\xC3\xA9"}, {"note", "n=3"}, {"long", longText}};
  for (const auto& t : texts) {
    EXPECT_EQ(r.ReadNodeString(t.first, text, sizeof text), 0);
    EXPECT_EQ(text, t.second);
  }
  short count = 0;
  double ratio = 0;
  RGBColor back = {};
  unsigned char p[256];
  expectAllZero({r.ReadNodeShort("count", count), r.ReadNodeDouble("ratio", ratio)});
  EXPECT_EQ(count, -12);
  EXPECT_EQ(ratio, 0.25);
  EXPECT_EQ(r.ReadNodePath("path", text, sizeof text), 0);
  EXPECT_STREQ(text, "/home/u/file 1.txt");
  EXPECT_EQ(r.ReadRGBColor("back", back), 0);
  EXPECT_EQ(back.red + back.green * 2 + back.blue * 4, 65535 * 5);
  EXPECT_EQ(r.ReadNodeMacRomanString(r.FindNode(nullptr, "proman"), p, false), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(p + 1), p[0]), "p\xA5q");
  EXPECT_EQ(r.ReadNodeBase64String("blob", text, sizeof text), 0);
  EXPECT_EQ(std::string(text), std::string(100, 'z'));
  _xmlNode* general = r.FindNode(nullptr, "general");
  EXPECT_EQ(r.ReadNodeAttributeStringValue(general, "rev", text, sizeof text), 0);
  EXPECT_STREQ(text, "7");

  // Edit: drop the first item, add a number to the general section.
  r.DeleteNode(r.FindNode(nullptr, "item", "id", "1"));
  ASSERT_NE(r.InsertNodeDouble(general, "added", 1.5), nullptr);

  auto copy = dir.path() / "copy.xml";
  {
    KivXML w;
    ASSERT_EQ(w.CreateDoc(copy.c_str(), "copy", false), 0);
    EXPECT_EQ(w.ImportTree(&r, general), 0);
    EXPECT_EQ(w.ImportTree(&r, r.FindNode(nullptr, "items")), 0);
    EXPECT_EQ(w._ImportTree(&r, r.FindNode(nullptr, "back")), 0); // back and what follows
  }
  // Attributes are not copied; the Base64 line break reads back as a line feed.
  std::string blob = repeat("enp6", 18) + "\n" + repeat("enp6", 15) + "eg==";
  EXPECT_EQ(kivtest::readFile(copy),
            kHeader +
                "<copy>\n\t<general>\n\t\t<title>a &amp; b</title>\n\t\t<count>-12</count>\n"
                "\t\t<ratio>0.25</ratio>\n\t\t<path>/home/u/file 1.txt</path>\n"
                "\t\t<added>1.500</added>\n\t</general>\n\t<items>\n\t\t<item>two</item>\n"
                "\t</items>\n\t<back>\n\t\t<red>65535</red>\n\t\t<green>0</green>\n"
                "\t\t<blue>65535</blue>\n\t</back>\n\t<praw>p-q</praw>\n"
                "\t<proman>p\xE2\x80\xA2q</proman>\n\t<roman>caf\xC3\xA9</roman>\n\t<blob>" +
                blob + "</blob>\n\t<note>n=3</note>\n\t<long>" + longText + "</long>\n</copy>\n");
}

TEST(XmlImport, SectionRuleCountsChildren) {
  kivtest::TempDir dir;
  auto file = dir.write("in.xml", "<r><s>\n<a>1</a>\n<t>\n<b>2</b>\n</t>\n</s>"
                                  "<mixed>dropped<k>1</k></mixed><only><lost>x</lost></only>"
                                  "<ws>\n  \n</ws><e/></r>");
  KivXML src, empty, none;
  ASSERT_EQ(src.OpenDoc(file.c_str()), 0);
  auto out = dir.path() / "out.xml";
  {
    KivXML w;
    ASSERT_EQ(w.CreateDoc(out.c_str(), "o", false), 0);
    w.ImportTree(&src, src.FindNode(nullptr, "s"));
    w._ImportTree(&src, src.FindNode(nullptr, "mixed"));
    w.ImportTree(&src, src.FindNode(nullptr, "ws"));
    EXPECT_EQ(w.ImportTree(&src, nullptr), 0);        // nothing to copy
    w.ImportTree(&empty, src.FindNode(nullptr, "t")); // no document: empty texts
  }
  EXPECT_EQ(kivtest::readFile(out),
            kHeader + "<o>\n\t<s>\n\t\t<a>1</a>\n\t\t<t>\n\t\t\t<b>2</b>\n\t\t</t>\n\t</s>\n"
                      "\t<mixed>\n\t\t<k>1</k>\n\t</mixed>\n\t<only></only>\n\t<ws>\n  \n</ws>\n"
                      "\t<e></e>\n\t<ws/>\n\t<t>\n\t\t<b></b>\n\t</t>\n</o>\n");

  // Without a writer nothing is written and nothing is walked.
  EXPECT_EQ(none.ImportTree(&src, src.rootNode), 0);
  EXPECT_EQ(none._ImportTree(&src, src.rootNode), -12);
}
