// Opening, closing and searching documents.
#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <libxml/tree.h>

#include "KivXML.h"
#include "ReadSupport.h"
#include "TestSupport.h"
#include "WinFSRef.h"

using xmlreadtest::OpenedDoc;

namespace {

std::string textOf(KivXML& doc, xmlNode* node) {
  char buf[256];
  EXPECT_EQ(0, doc.ReadNodeStringValue(node, buf, sizeof buf));
  return buf;
}

} // namespace

TEST(XmlReadOpen, ResultCodesAndStates) {
  kivtest::TempDir dir;
  KivXML doc;
  std::strcpy(doc.dtdName, "cfg");
  std::strcpy(doc.dtdSysID, "cfg.dtd");

  EXPECT_EQ(1, doc.OpenDoc((dir.str() + "/missing.xml").c_str()));
  EXPECT_EQ(1, doc.OpenDoc(static_cast<const char*>(nullptr)));
  EXPECT_EQ(1, doc.OpenDoc(""));
  EXPECT_EQ(nullptr, doc.xmldoc);

  // Not well-formed, a folder, an empty file: the parser fails and nothing stays open.
  EXPECT_EQ(2, doc.OpenDoc(dir.write("bad.xml", "<a><b></a>").c_str()));
  EXPECT_EQ(nullptr, doc.xmldoc);
  EXPECT_EQ(nullptr, doc.rootNode);
  EXPECT_EQ(2, doc.OpenDoc(dir.str().c_str()));
  EXPECT_EQ(2, doc.OpenDoc(dir.write("empty.xml", "").c_str()));

  ASSERT_EQ(
      0, doc.OpenDoc(dir.write("good.xml", "<?xml version=\"1.0\"?><cfg><a>1</a></cfg>").c_str()));
  EXPECT_NE(nullptr, doc.xmldoc);
  ASSERT_NE(nullptr, doc.rootNode);
  EXPECT_STREQ("cfg", reinterpret_cast<const char*>(doc.rootNode->name));

  doc.CloseDoc();
  EXPECT_EQ(nullptr, doc.xmldoc);
  EXPECT_EQ(nullptr, doc.rootNode);
  EXPECT_EQ(nullptr, doc.writer);
  EXPECT_STREQ("cfg", doc.dtdName);
  EXPECT_STREQ("cfg.dtd", doc.dtdSysID);
  // Closing twice is harmless.
  doc.CloseDoc();
  EXPECT_EQ(nullptr, doc.xmldoc);
}

TEST(XmlReadOpen, OpeningAgainReplacesTheOpenDocument) {
  kivtest::TempDir dir;
  KivXML doc;
  ASSERT_EQ(0, doc.OpenDoc(dir.write("one.xml", "<one><v>1</v></one>").c_str()));
  // A missing file leaves the open document as it was.
  EXPECT_EQ(1, doc.OpenDoc((dir.str() + "/nothing.xml").c_str()));
  char buf[16];
  EXPECT_EQ(0, doc.ReadNodeString("v", buf, sizeof buf));
  EXPECT_STREQ("1", buf);

  // The first document is released (the leak checker of the sanitizer build sees it otherwise).
  ASSERT_EQ(0, doc.OpenDoc(dir.write("two.xml", "<two><v>2</v></two>").c_str()));
  EXPECT_EQ(0, doc.ReadNodeString("v", buf, sizeof buf));
  EXPECT_STREQ("2", buf);

  // A failed parse leaves neither the old document nor a root pointing into it.
  EXPECT_EQ(2, doc.OpenDoc(dir.write("bad.xml", "<x>").c_str()));
  EXPECT_EQ(nullptr, doc.rootNode);
  EXPECT_EQ(-3, doc.ReadNodeString("v", buf, sizeof buf));
}

TEST(XmlReadOpen, FileNamedDashIsReadFromDisk) {
  kivtest::TempDir dir;
  dir.write("-", "<dash>yes</dash>");
  std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  KivXML doc;
  OSErr err = doc.OpenDoc("-");
  std::filesystem::current_path(old);
  ASSERT_EQ(0, err);
  char buf[8];
  EXPECT_EQ(0, doc.ReadNodeString("dash", buf, sizeof buf));
  EXPECT_STREQ("yes", buf);
}

TEST(XmlReadFind, NoDocumentAndEmptyNames) {
  KivXML empty;
  EXPECT_EQ(nullptr, empty.FindNode(nullptr, "a"));
  EXPECT_EQ(nullptr, empty.FindNode(nullptr, ""));
  EXPECT_EQ(nullptr, empty.FindNode(nullptr, "a", "id", "1"));

  OpenedDoc d("<cfg><a>1</a></cfg>");
  ASSERT_EQ(0, d.result());
  EXPECT_EQ(nullptr, d.doc.FindNode(nullptr, ""));
  EXPECT_EQ(nullptr, d.doc.FindNode(nullptr, static_cast<const char*>(nullptr)));
  EXPECT_EQ(d.doc.rootNode, d.doc.FindNode(nullptr, "cfg"));
  // Names are compared whole and case-sensitively.
  EXPECT_EQ(nullptr, d.doc.FindNode(nullptr, "A"));
  EXPECT_EQ(nullptr, d.doc.FindNode(nullptr, "cf"));
}

TEST(XmlReadFind, DepthFirstWalkThatNeverClimbs) {
  OpenedDoc d("<cfg><x><y>1</y></x><y>2</y><!--q--><?q x?><z><q>5</q></z>"
              "<w><deep><q>6</q></deep></w></cfg>");
  ASSERT_EQ(0, d.result());
  KivXML& doc = d.doc;

  // The first match in document order wins, however deep it is.
  EXPECT_EQ("1", textOf(doc, doc.FindNode(nullptr, "y")));

  // From an empty element, the search goes on into the following siblings' subtrees, but
  // comments and processing instructions are not matched by name.
  xmlNode* x = doc.FindNode(nullptr, "x");
  ASSERT_NE(nullptr, x);
  EXPECT_EQ("5", textOf(doc, doc.FindNode(x, "q")));

  // Starting inside a section never climbs back out of it.
  xmlNode* deep = doc.FindNode(nullptr, "deep");
  ASSERT_NE(nullptr, deep);
  xmlNode* innerQ = doc.FindNode(deep, "q");
  EXPECT_EQ("6", textOf(doc, innerQ));
  EXPECT_EQ(nullptr, doc.FindNode(innerQ, "z"));
  EXPECT_EQ(nullptr, doc.FindNode(innerQ->children, "cfg"));
}

TEST(XmlReadFind, ByAttributeValue) {
  OpenedDoc d("<l><item id=\"1\">a</item><g><item id=\"2\" id2=\"x\">b</item></g>"
              "<item k=\"2\">c</item><item id=\"a&amp;b\">d</item></l>");
  ASSERT_EQ(0, d.result());
  KivXML& doc = d.doc;

  EXPECT_EQ("b", textOf(doc, doc.FindNode(nullptr, "item", "id", "2")));
  EXPECT_EQ("d", textOf(doc, doc.FindNode(nullptr, "item", "id", "a&b")));
  EXPECT_EQ(nullptr, doc.FindNode(nullptr, "item", "id", "3"));
  EXPECT_EQ(nullptr, doc.FindNode(nullptr, "item", "nothere", "1"));
  EXPECT_EQ(nullptr, doc.FindNode(nullptr, "g", "id", "2"));
  // A matching name with another value does not stop the walk into following siblings.
  xmlNode* first = doc.FindNode(nullptr, "item", "id", "1");
  ASSERT_NE(nullptr, first);
  EXPECT_EQ("c", textOf(doc, doc.FindNode(first, "item", "k", "2")));
}

TEST(XmlReadOpen, ByFileReferenceAndStandardFolder) {
  kivtest::TempDir config;
  kivtest::ScopedEnv xdg("XDG_CONFIG_HOME", config.str());
  config.write("prefs.xml", "<prefs><width>640</width></prefs>");

  KivXML doc;
  ASSERT_EQ(0, doc.OpenDoc(1, "prefs.xml"));
  short width = 0;
  EXPECT_EQ(0, doc.ReadNodeShort("width", width));
  EXPECT_EQ(640, width);
  doc.CloseDoc();

  // A missing file, a folder code outside 1 to 3 and a null name pass a failure through.
  EXPECT_NE(0, doc.OpenDoc(1, "absent.xml"));
  EXPECT_NE(0, doc.OpenDoc(9, "prefs.xml"));
  EXPECT_NE(0, doc.OpenDoc(1, nullptr));
  EXPECT_EQ(nullptr, doc.xmldoc);

  FSRef ref;
  std::string path = config.write("byref.xml", "<r><v>ok</v></r>").string();
  ASSERT_EQ(0, CFSPathMakeRef(const_cast<char*>(path.c_str()), &ref));
  ASSERT_EQ(0, doc.OpenDoc(&ref));
  char buf[8];
  EXPECT_EQ(0, doc.ReadNodeString("v", buf, sizeof buf));
  EXPECT_STREQ("ok", buf);
  doc.CloseDoc();
  EXPECT_EQ(-1, doc.OpenDoc(static_cast<FSRef*>(nullptr)));

  // A reference whose file has gone away no longer opens.
  std::filesystem::remove(path);
  EXPECT_NE(0, doc.OpenDoc(&ref));
  EXPECT_EQ(nullptr, doc.xmldoc);
}

TEST(XmlReadFind, TreesDeeperThanAnyParsedDocument) {
  OpenedDoc d("<r><a/><after>found</after></r>");
  ASSERT_EQ(0, d.result());
  KivXML& doc = d.doc;
  // A chain of 20,000 nested elements, as inserting nodes can build, with a text at the bottom.
  xmlNode* node = doc.FindNode(nullptr, "a");
  xmlNode* at300 = nullptr;
  for (int i = 0; i < 20000; ++i) {
    node = xmlNewChild(node, nullptr, BAD_CAST(i % 2 ? "odd" : "even"), nullptr);
    if (i == 300) at300 = node;
  }
  xmlNewTextChild(node, nullptr, BAD_CAST "leaf", BAD_CAST "bottom");

  EXPECT_EQ("bottom", textOf(doc, doc.FindNode(nullptr, "leaf")));
  // The walk comes back up out of the chain to the element that follows it...
  EXPECT_EQ("found", textOf(doc, doc.FindNode(nullptr, "after")));
  // ...but a search started inside the chain stays inside it.
  EXPECT_EQ(nullptr, doc.FindNode(at300, "after"));
  EXPECT_EQ("bottom", textOf(doc, doc.FindNode(at300, "leaf")));
  xmlNewProp(node, BAD_CAST "id", BAD_CAST "7");
  EXPECT_EQ(node, doc.FindNode(nullptr, reinterpret_cast<const char*>(node->name), "id", "7"));
}
