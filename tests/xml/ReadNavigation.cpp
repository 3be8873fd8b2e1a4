// Stepping over the elements of indented documents.
#include <string>

#include <gtest/gtest.h>
#include <libxml/tree.h>

#include "KivXML.h"
#include "ReadSupport.h"

using xmlreadtest::OpenedDoc;

namespace {
std::string nameOf(xmlNode* node) {
  return node != nullptr ? reinterpret_cast<const char*>(node->name) : "(null)";
}
} // namespace

TEST(XmlReadNavigation, IndentedSectionsAndNodes) {
  OpenedDoc d("<r>\n\t<s>\n\t\t<a>1</a>\n\t\t<b/>\n\t\t<c></c>\n\t</s>\n\t<t>text</t>\n</r>\n");
  ASSERT_EQ(0, d.result());
  xmlNode* s = d.doc.FindNode(nullptr, "s");
  ASSERT_NE(nullptr, s);

  std::string walked;
  for (xmlNode* n = KivXML::ChildNode(s); n != nullptr; n = KivXML::NextNode(n))
    walked += nameOf(n);
  EXPECT_EQ("abc", walked);
  EXPECT_EQ("s", nameOf(KivXML::ChildNode(d.doc.rootNode)));
  EXPECT_EQ("t", nameOf(KivXML::NextNode(s)));
  EXPECT_EQ(nullptr, KivXML::NextNode(KivXML::NextNode(s)));

  EXPECT_TRUE(IsThisNodeASection(d.doc.rootNode));
  EXPECT_TRUE(IsThisNodeASection(s));
  xmlNode* t = d.doc.FindNode(nullptr, "t");
  EXPECT_FALSE(IsThisNodeASection(t));
  EXPECT_FALSE(IsThisNodeASection(d.doc.FindNode(nullptr, "b")));
  EXPECT_FALSE(IsThisNodeASection(d.doc.FindNode(nullptr, "c")));
  EXPECT_EQ(nullptr, KivXML::ChildNode(t));
  EXPECT_EQ(nullptr, KivXML::ChildNode(d.doc.FindNode(nullptr, "b")));

  EXPECT_EQ(nullptr, KivXML::ChildNode(nullptr));
  EXPECT_EQ(nullptr, KivXML::NextNode(nullptr));
  EXPECT_FALSE(IsThisNodeASection(nullptr));
}

TEST(XmlReadNavigation, UnindentedDocumentSkipsEveryOtherElement) {
  OpenedDoc d("<r><a/><b/><c/><d/></r>");
  ASSERT_EQ(0, d.result());
  std::string walked;
  for (xmlNode* n = KivXML::ChildNode(d.doc.rootNode); n != nullptr; n = KivXML::NextNode(n))
    walked += nameOf(n);
  EXPECT_EQ("bd", walked);
}
