// Editing parsed documents, importing trees, and a write-edit-import round trip.
#include <string>

#include "XmlSupport.h"

using namespace xmltest;

TEST(XmlEdit, InsertTypedNodes) {
  KivXML none;
  EXPECT_EQ(none.InsertNode(nullptr, "x", "y"), nullptr);
  OpenedDoc d("<r>\n\t<s>\n\t\t<a>1</a>\n\t</s>\n</r>\n");
  ASSERT_EQ(d.result, 0);
  KivXML& xml = d.doc;
  xmlNode* s = xml.FindNode(nullptr, "s");
  xmlNode* n = xml.InsertNodeShort(s, "short", -5);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(s->last, n);
  EXPECT_EQ(n->prev->type, XML_TEXT_NODE); // after the whitespace before the end tag
  EXPECT_FALSE(IsThisNodeASection(n));
  EXPECT_EQ(textOf(xml, n), "-5");
  EXPECT_EQ(textOf(xml, xml.InsertNodeLong(s, "long", -70000)), "-70000");

  // Doubles are stored with three decimals, rounding the stored binary value.
  const struct {
    double value;
    const char* text;
  } doubles[] = {{2.5, "2.500"},    {-1, "-1.000"},    {3.14159, "3.142"}, {0.0005, "0.001"},
                 {1.0005, "1.000"}, {2.0005, "2.001"}, {1.0, "1.000"}};
  for (const auto& r : doubles)
    EXPECT_EQ(textOf(xml, xml.InsertNodeDouble(s, "d", r.value)), r.text) << r.value;
  EXPECT_EQ(xml.InsertNodeDouble(s, "huge", 1e30), nullptr);
  EXPECT_EQ(xml.InsertNodeDouble(s, "inf", 1.0 / 0.0), nullptr);

  unsigned char cafe[] = {4, 'c', 'a', 'f', 0x8E}, accent[] = {1, 0x8E}, empty[] = {0};
  EXPECT_EQ(textOf(xml, xml.InsertNodeMacRomanString(s, "m", cafe)), "caf\xC3\xA9");
  EXPECT_EQ(textOf(xml, xml.InsertNodeMacRomanString(s, "m", accent)), "\xC3\xA9");
  EXPECT_EQ(textOf(xml, xml.InsertNodeMacRomanString(s, "empty", empty)), "");
  xmlNode* plain = xml.InsertNode(s, "plain", nullptr);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->children, nullptr);
  EXPECT_EQ(xml.InsertNode(nullptr, "x", "y"), nullptr);
  EXPECT_EQ(xml.InsertNode(s, "a b", "y"), nullptr);
  EXPECT_EQ(xml.InsertNode(s, "x", "\x8E"), nullptr);
}

TEST(XmlEdit, DeleteNodesAndTheirWhitespace) {
  OpenedDoc d("<!--c--><r>\n\t<s>\n\t\t<a>1</a>\n\t\t<b>2</b>\n\t\t<c>3</c>\n"
              "\t</s>\n\t<t><x/><y/></t>\n</r>\n");
  ASSERT_EQ(d.result, 0);
  KivXML& xml = d.doc;
  xmlNode* s = xml.FindNode(nullptr, "s");
  xml.DeleteNode(xml.FindNode(s, "a"));
  EXPECT_EQ(nameOf(KivXML::ChildNode(s)), "b");
  EXPECT_EQ(nameOf(KivXML::NextNode(KivXML::ChildNode(s))), "c");
  // Without whitespace between elements the next element goes too.
  xmlNode* t = xml.FindNode(nullptr, "t");
  xml.DeleteNode(t->children);
  EXPECT_EQ(t->children, nullptr);
  // The last child goes alone.
  ASSERT_EQ(s->last->type, XML_TEXT_NODE);
  xml.DeleteNode(s->last);
  EXPECT_EQ(nameOf(s->last), "c");
  xml.DeleteNode(nullptr); // nothing happens
  xml.DeleteNode(reinterpret_cast<xmlNode*>(xml.xmldoc));
  EXPECT_NE(xml.rootNode, nullptr);
  // Deleting the comment before the root deletes the root with it: no document remains to read.
  xml.DeleteNode(xml.rootNode->prev);
  EXPECT_EQ(xml.rootNode, nullptr);
  EXPECT_EQ("-3:", text([&](char* b) { return xml.ReadNodeString("b", b, 16); }));
  EXPECT_EQ(xml.FindNode(nullptr, "b"), nullptr);
}

TEST(XmlImport, WriteEditImportRoundTrip) {
  kivtest::TempDir dir;
  auto source = dir.path() / "source.xml";
  std::string longText(400, 'L'); // texts are imported whole, whatever their length
  {
    KivXML w;
    ASSERT_EQ(w.CreateDoc(source.c_str(), "cfg", false), 0);
    unsigned char raw[] = {3, 'p', '-', 'q'};
    unsigned char roman[] = {3, 'p', 0xA5, 'q'}; // 0xA5 is a bullet in Mac Roman
    expectAll(0, {w.StartSection("general"), w.AddSectionAttribute("kind", "main"),
                  w.AddSectionAttributeFormat("rev", "%d", 7), w.AddNode("title", "a & b"),
                  w.AddNodeFormat("count", "%d", -12), w.AddNodeFormat("ratio", "%.2f", 0.25),
                  w.AddNodePath("path", "/home/u/file 1.txt"), w.EndSection()});
    expectAll(0, {w.StartSection("items"), w.AddNodeWithAttr("item", "one", "id", "1"),
                  w.AddNodeWithAttr("item", "two", "id", "2"), w.EndSection()});
    expectAll(0, {w.AddRGBColor("back", RGBColor{65535, 0, 65535}), w.AddPNode("praw", raw),
                  w.AddRomanPStringNode("proman", roman), w.AddRomanStringNode("roman", "caf\x8E"),
                  w.AddNodeBase64("blob", std::string(100, 'z').c_str())});
    expectAll(0, {w.StartElement("note"), w.AddElementTextFormat("n=%d", 3), w.EndElement(),
                  w.AddNode("long", longText.c_str())});
  }

  KivXML r;
  ASSERT_EQ(r.OpenDoc(source.c_str()), 0);
  xmlNode* general = r.FindNode(nullptr, "general");
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
  std::string blob;
  for (int i = 0; i < 33; ++i)
    blob += i == 18 ? "\nenp6" : "enp6";
  EXPECT_EQ(kivtest::readFile(copy),
            kHeader +
                "<copy>\n\t<general>\n\t\t<title>a &amp; b</title>\n\t\t<count>-12</count>\n"
                "\t\t<ratio>0.25</ratio>\n\t\t<path>/home/u/file 1.txt</path>\n"
                "\t\t<added>1.500</added>\n\t</general>\n\t<items>\n\t\t<item>two</item>\n"
                "\t</items>\n\t<back>\n\t\t<red>65535</red>\n\t\t<green>0</green>\n"
                "\t\t<blue>65535</blue>\n\t</back>\n\t<praw>p-q</praw>\n"
                "\t<proman>p\xE2\x80\xA2q</proman>\n\t<roman>caf\xC3\xA9</roman>\n\t<blob>" +
                blob + "eg==</blob>\n\t<note>n=3</note>\n\t<long>" + longText +
                "</long>\n</copy>\n");
}

TEST(XmlImport, SectionRuleCountsChildren) {
  OpenedDoc src("<r><s>\n<a>1</a>\n<t>\n<b>2</b>\n</t>\n</s><mixed>dropped<k>1</k></mixed>"
                "<only><lost>x</lost></only><ws>\n  \n</ws><e/></r>");
  ASSERT_EQ(src.result, 0);
  KivXML& in = src.doc;
  KivXML empty, none;
  auto out = src.dir.path() / "out.xml";
  {
    KivXML w;
    ASSERT_EQ(w.CreateDoc(out.c_str(), "o", false), 0);
    w.ImportTree(&in, in.FindNode(nullptr, "s"));
    w._ImportTree(&in, in.FindNode(nullptr, "mixed"));
    w.ImportTree(&in, in.FindNode(nullptr, "ws"));
    EXPECT_EQ(w.ImportTree(&in, nullptr), 0);        // nothing to copy
    w.ImportTree(&empty, in.FindNode(nullptr, "t")); // no document: empty texts
  }
  EXPECT_EQ(kivtest::readFile(out),
            kHeader + "<o>\n\t<s>\n\t\t<a>1</a>\n\t\t<t>\n\t\t\t<b>2</b>\n\t\t</t>\n\t</s>\n"
                      "\t<mixed>\n\t\t<k>1</k>\n\t</mixed>\n\t<only></only>\n\t<ws>\n  \n</ws>\n"
                      "\t<e></e>\n\t<ws/>\n\t<t>\n\t\t<b></b>\n\t</t>\n</o>\n");
  // Without a writer nothing is written and nothing is walked.
  EXPECT_EQ(none.ImportTree(&in, in.rootNode), 0);
  EXPECT_EQ(none._ImportTree(&in, in.rootNode), -12);
}
