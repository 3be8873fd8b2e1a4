// Round trip: write with every writer, read back, edit, and import into a new document.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KivXML.h"
#include "TestSupport.h"

namespace {

const char* kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

} // namespace

TEST(XmlImport, WriteReadEditImportRoundTrip) {
  kivtest::TempDir dir;
  auto source = dir.path() / "source.xml";
  std::string longText(400, 'L'); // beyond the 299 bytes the import once held
  {
    KivXML w;
    ASSERT_EQ(w.CreateDoc(source.c_str(), "cfg", false), 0);
    unsigned char raw[] = {3, 'p', '-', 'q'};
    unsigned char pstr[] = {3, 'p', 0xA5, 'q'}; // 0xA5 is a bullet in Mac Roman
    EXPECT_EQ(w.StartSection("general"), 0);
    EXPECT_EQ(w.AddSectionAttribute("kind", "main"), 0);
    EXPECT_EQ(w.AddSectionAttributeFormat("rev", "%d", 7), 0);
    EXPECT_EQ(w.AddNode("title", "a & b"), 0);
    EXPECT_EQ(w.AddNodeFormat("count", "%d", -12), 0);
    EXPECT_EQ(w.AddNodeFormat("ratio", "%.2f", 0.25), 0);
    EXPECT_EQ(w.AddNodePath("path", "/home/u/file 1.txt"), 0);
    EXPECT_EQ(w.EndSection(), 0);
    EXPECT_EQ(w.StartSection("items"), 0);
    EXPECT_EQ(w.AddNodeWithAttr("item", "one", "id", "1"), 0);
    EXPECT_EQ(w.AddNodeWithAttr("item", "two", "id", "2"), 0);
    EXPECT_EQ(w.EndSection(), 0);
    EXPECT_EQ(w.AddRGBColor("back", RGBColor{65535, 0, 65535}), 0);
    EXPECT_EQ(w.AddPNode("praw", raw), 0);
    EXPECT_EQ(w.AddRomanPStringNode("proman", pstr), 0);
    EXPECT_EQ(w.AddRomanStringNode("roman", "caf\x8E"), 0);
    EXPECT_EQ(w.AddNodeBase64("blob", std::string(100, 'z').c_str()), 0);
    EXPECT_EQ(w.StartElement("note"), 0);
    EXPECT_EQ(w.AddElementTextFormat("n=%d", 3), 0);
    EXPECT_EQ(w.EndElement(), 0);
    EXPECT_EQ(w.AddNode("long", longText.c_str()), 0);
  }

  KivXML r;
  ASSERT_EQ(r.OpenDoc(source.c_str()), 0);
  char text[512];
  short count = 0;
  double ratio = 0;
  RGBColor back = {};
  unsigned char p[256];
  EXPECT_EQ(r.ReadNodeString("title", text, sizeof text), 0);
  EXPECT_STREQ(text, "a & b");
  EXPECT_EQ(r.ReadNodeShort("count", count), 0);
  EXPECT_EQ(count, -12);
  EXPECT_EQ(r.ReadNodeDouble("ratio", ratio), 0);
  EXPECT_EQ(ratio, 0.25);
  EXPECT_EQ(r.ReadNodePath("path", text, sizeof text), 0);
  EXPECT_STREQ(text, "/home/u/file 1.txt");
  EXPECT_EQ(r.ReadRGBColor("back", back), 0);
  EXPECT_EQ(back.red, 65535);
  EXPECT_EQ(back.green, 0);
  EXPECT_EQ(back.blue, 65535);
  EXPECT_EQ(r.ReadNodeMacRomanString(r.FindNode(nullptr, "proman"), p, false), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(p + 1), p[0]), "p\xA5q");
  EXPECT_EQ(r.ReadNodeString("roman", text, sizeof text), 0);
  EXPECT_STREQ(text, "caf\xC3\xA9");
  EXPECT_EQ(r.ReadNodeBase64String("blob", text, sizeof text), 0);
  EXPECT_EQ(std::string(text), std::string(100, 'z'));
  EXPECT_EQ(r.ReadNodeString("note", text, sizeof text), 0);
  EXPECT_STREQ(text, "n=3");
  _xmlNode* general = r.FindNode(nullptr, "general");
  EXPECT_EQ(r.ReadNodeAttributeStringValue(general, "rev", text, sizeof text), 0);
  EXPECT_STREQ(text, "7");
  _xmlNode* two = r.FindNode(nullptr, "item", "id", "2");
  EXPECT_EQ(r.ReadNodeStringValue(two, text, sizeof text), 0);
  EXPECT_STREQ(text, "two");

  // Edit: drop the first item, add a number to the general section.
  r.DeleteNode(r.FindNode(nullptr, "item", "id", "1"));
  ASSERT_NE(r.InsertNodeDouble(general, "added", 1.5), nullptr);

  // Base64 lines of 72 characters; the parser reads the line break as a line feed.
  std::string blobLine1, blobLine2;
  for (int i = 0; i < 18; ++i)
    blobLine1 += "enp6";
  for (int i = 0; i < 15; ++i)
    blobLine2 += "enp6";
  blobLine2 += "eg==";

  auto copy = dir.path() / "copy.xml";
  {
    KivXML w;
    ASSERT_EQ(w.CreateDoc(copy.c_str(), "copy", false), 0);
    EXPECT_EQ(w.ImportTree(&r, general), 0);
    EXPECT_EQ(w.ImportTree(&r, r.FindNode(nullptr, "items")), 0);
    EXPECT_EQ(w._ImportTree(&r, r.FindNode(nullptr, "back")), 0); // back and what follows
  }
  EXPECT_EQ(kivtest::readFile(copy), std::string(kHeader) +
                                         "<copy>\n"
                                         "\t<general>\n"
                                         "\t\t<title>a &amp; b</title>\n"
                                         "\t\t<count>-12</count>\n"
                                         "\t\t<ratio>0.25</ratio>\n"
                                         "\t\t<path>/home/u/file 1.txt</path>\n"
                                         "\t\t<added>1.500</added>\n"
                                         "\t</general>\n"
                                         "\t<items>\n"
                                         "\t\t<item>two</item>\n"
                                         "\t</items>\n"
                                         "\t<back>\n"
                                         "\t\t<red>65535</red>\n"
                                         "\t\t<green>0</green>\n"
                                         "\t\t<blue>65535</blue>\n"
                                         "\t</back>\n"
                                         "\t<praw>p-q</praw>\n"
                                         "\t<proman>p\xE2\x80\xA2q</proman>\n"
                                         "\t<roman>caf\xC3\xA9</roman>\n"
                                         "\t<blob>" +
                                         blobLine1 + "\n" + blobLine2 +
                                         "</blob>\n"
                                         "\t<note>n=3</note>\n"
                                         "\t<long>" +
                                         longText +
                                         "</long>\n"
                                         "</copy>\n");
}

TEST(XmlImport, SectionRuleCountsChildren) {
  kivtest::TempDir dir;
  auto file = dir.write("in.xml", "<r><s>\n<a>1</a>\n<t>\n<b>2</b>\n</t>\n</s>"
                                  "<mixed>dropped<k>1</k></mixed><only><lost>x</lost></only>"
                                  "<ws>\n  \n</ws><e/></r>");
  KivXML src;
  ASSERT_EQ(src.OpenDoc(file.c_str()), 0);
  auto out = dir.path() / "out.xml";
  {
    KivXML w;
    ASSERT_EQ(w.CreateDoc(out.c_str(), "o", false), 0);
    w.ImportTree(&src, src.FindNode(nullptr, "s"));
    w._ImportTree(&src, src.FindNode(nullptr, "mixed"));
    w.ImportTree(&src, src.FindNode(nullptr, "ws"));
    EXPECT_EQ(w.ImportTree(&src, nullptr), 0); // nothing to copy
  }
  EXPECT_EQ(kivtest::readFile(out), std::string(kHeader) + "<o>\n"
                                                           "\t<s>\n"
                                                           "\t\t<a>1</a>\n"
                                                           "\t\t<t>\n"
                                                           "\t\t\t<b>2</b>\n"
                                                           "\t\t</t>\n"
                                                           "\t</s>\n"
                                                           "\t<mixed>\n"
                                                           "\t\t<k>1</k>\n"
                                                           "\t</mixed>\n"
                                                           "\t<only></only>\n"
                                                           "\t<ws>\n  \n</ws>\n"
                                                           "\t<e></e>\n"
                                                           "\t<ws/>\n"
                                                           "</o>\n");

  // Without a writer nothing is written and nothing is walked.
  KivXML none;
  EXPECT_EQ(none.ImportTree(&src, src.rootNode), 0);
  EXPECT_EQ(none._ImportTree(&src, src.rootNode), -12);
  // A source without a document gives empty texts.
  KivXML empty;
  auto out2 = dir.path() / "out2.xml";
  {
    KivXML w;
    ASSERT_EQ(w.CreateDoc(out2.c_str(), "o", false), 0);
    w.ImportTree(&empty, src.FindNode(nullptr, "t"));
  }
  EXPECT_EQ(kivtest::readFile(out2),
            std::string(kHeader) + "<o>\n\t<t>\n\t\t<b></b>\n\t</t>\n</o>\n");
}
