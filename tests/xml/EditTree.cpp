// Editing a parsed document: inserting typed nodes and deleting nodes.
#include <gtest/gtest.h>
#include <libxml/tree.h>

#include <string>

#include "KivXML.h"
#include "TestSupport.h"

namespace {

std::string textOf(KivXML& xml, _xmlNode* node) {
  char value[512];
  EXPECT_EQ(xml.ReadNodeStringValue(node, value, sizeof value), 0);
  return value;
}

std::string nameOf(_xmlNode* node) {
  return node == nullptr ? "(null)" : reinterpret_cast<const char*>(node->name);
}

} // namespace

TEST(XmlEdit, InsertTypedNodes) {
  kivtest::TempDir dir;
  auto file = dir.write("d.xml", "<r>\n\t<s>\n\t\t<a>1</a>\n\t</s>\n</r>\n");
  KivXML xml;
  EXPECT_EQ(xml.InsertNode(nullptr, "x", "y"), nullptr); // no document: refused
  ASSERT_EQ(xml.OpenDoc(file.c_str()), 0);
  _xmlNode* s = xml.FindNode(nullptr, "s");
  ASSERT_NE(s, nullptr);

  _xmlNode* n = xml.InsertNodeShort(s, "short", -5);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(s->last, n);
  EXPECT_EQ(n->prev->type, XML_TEXT_NODE); // after the whitespace before the end tag
  EXPECT_FALSE(IsThisNodeASection(n));
  EXPECT_EQ(textOf(xml, n), "-5");

  const struct {
    double value;
    const char* text;
  } doubles[] = {{2.5, "2.500"},    {-1, "-1.000"},    {3.14159, "3.142"}, {0.0005, "0.001"},
                 {1.0005, "1.000"}, {2.0005, "2.001"}, {1.0, "1.000"}};
  for (const auto& d : doubles)
    EXPECT_EQ(textOf(xml, xml.InsertNodeDouble(s, "d", d.value)), d.text) << d.value;
  EXPECT_EQ(xml.InsertNodeDouble(s, "huge", 1e30), nullptr);
  EXPECT_EQ(xml.InsertNodeDouble(s, "inf", 1.0 / 0.0), nullptr);

  unsigned char cafe[] = {4, 'c', 'a', 'f', 0x8E};
  EXPECT_EQ(textOf(xml, xml.InsertNodeMacRomanString(s, "m", cafe)), "caf\xC3\xA9");
  unsigned char accent[] = {1, 0x8E}; // one letter that takes two bytes in UTF-8
  EXPECT_EQ(textOf(xml, xml.InsertNodeMacRomanString(s, "m", accent)), "\xC3\xA9");
  unsigned char empty[] = {0};
  _xmlNode* e = xml.InsertNodeMacRomanString(s, "empty", empty);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(textOf(xml, e), "");
  _xmlNode* plain = xml.InsertNode(s, "plain", nullptr);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->children, nullptr);
  EXPECT_EQ(xml.InsertNode(nullptr, "x", "y"), nullptr);
  EXPECT_EQ(xml.InsertNode(s, "a b", "y"), nullptr);
  EXPECT_EQ(xml.InsertNode(s, "x", "\x8E"), nullptr);
}

TEST(XmlEdit, DeleteNodesAndTheirWhitespace) {
  kivtest::TempDir dir;
  auto file = dir.write("d.xml", "<!--c--><r>\n\t<s>\n\t\t<a>1</a>\n\t\t<b>2</b>\n\t\t<c>3</c>\n"
                                 "\t</s>\n\t<t><x/><y/></t>\n</r>\n");
  KivXML xml;
  ASSERT_EQ(xml.OpenDoc(file.c_str()), 0);
  _xmlNode* s = xml.FindNode(nullptr, "s");
  xml.DeleteNode(xml.FindNode(s, "a"));
  EXPECT_EQ(nameOf(KivXML::ChildNode(s)), "b");
  EXPECT_EQ(nameOf(KivXML::NextNode(KivXML::ChildNode(s))), "c");

  // Without whitespace between elements the next element goes too.
  _xmlNode* t = xml.FindNode(nullptr, "t");
  xml.DeleteNode(t->children);
  EXPECT_EQ(t->children, nullptr);

  // The last child goes alone.
  _xmlNode* lastText = s->last;
  ASSERT_EQ(lastText->type, XML_TEXT_NODE);
  xml.DeleteNode(lastText);
  EXPECT_EQ(nameOf(s->last), "c");

  xml.DeleteNode(nullptr); // nothing happens
  xml.DeleteNode(reinterpret_cast<_xmlNode*>(xml.xmldoc));
  EXPECT_NE(xml.rootNode, nullptr);

  // Deleting the comment before the root deletes the root with it: no document remains to read.
  xml.DeleteNode(xml.rootNode->prev);
  EXPECT_EQ(xml.rootNode, nullptr);
  char value[16];
  EXPECT_EQ(xml.ReadNodeString("b", value, sizeof value), -3);
  EXPECT_EQ(xml.FindNode(nullptr, "b"), nullptr);
}
