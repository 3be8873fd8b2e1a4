// Opening, closing, searching and stepping over documents.
#include <cstring>
#include <filesystem>
#include <string>

#include "WinFSRef.h"
#include "XmlSupport.h"

using namespace xmltest;

TEST(XmlReadOpen, ResultCodesAndStates) {
  kivtest::TempDir dir;
  KivXML doc;
  std::strcpy(doc.dtdName, "cfg");
  std::strcpy(doc.dtdSysID, "cfg.dtd");
  EXPECT_EQ(1, doc.OpenDoc((dir.str() + "/missing.xml").c_str()));
  EXPECT_EQ(1, doc.OpenDoc(""));
  EXPECT_EQ(1, doc.OpenDoc(static_cast<const char*>(nullptr)));
  EXPECT_EQ(2, doc.OpenDoc(dir.str().c_str())); // a folder
  EXPECT_EQ(2, doc.OpenDoc(dir.write("empty.xml", "").c_str()));
  EXPECT_EQ(2, doc.OpenDoc(dir.write("bad.xml", "<a><b></a>").c_str()));
  EXPECT_EQ(nullptr, doc.xmldoc);
  EXPECT_EQ(nullptr, doc.rootNode);

  auto v = [&] { return text([&](char* b) { return doc.ReadNodeString("v", b, 16); }); };
  ASSERT_EQ(0, doc.OpenDoc(dir.write("one.xml", "<cfg><v>1</v></cfg>").c_str()));
  // A missing file leaves the open document as it was.
  EXPECT_EQ(1, doc.OpenDoc((dir.str() + "/nothing.xml").c_str()));
  EXPECT_EQ("0:1", v());
  // The first document is released (the sanitizer build's leak checker sees it otherwise).
  ASSERT_EQ(0, doc.OpenDoc(dir.write("two.xml", "<two><v>2</v></two>").c_str()));
  EXPECT_EQ("0:2", v());
  // A failed parse leaves neither the old document nor a root pointing into it.
  EXPECT_EQ(2, doc.OpenDoc(dir.write("bad2.xml", "<x>").c_str()));
  EXPECT_EQ(nullptr, doc.rootNode);
  EXPECT_EQ("-3:", v());

  ASSERT_EQ(0, doc.OpenDoc((dir.path() / "one.xml").c_str()));
  doc.CloseDoc();
  doc.CloseDoc(); // closing twice is harmless
  EXPECT_EQ(nullptr, doc.xmldoc);
  EXPECT_EQ(nullptr, doc.rootNode);
  EXPECT_STREQ("cfg", doc.dtdName);
  EXPECT_STREQ("cfg.dtd", doc.dtdSysID);

  // A file named "-" is read from disk, not from standard input.
  dir.write("-", "<dash>yes</dash>");
  std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  OSErr err = doc.OpenDoc("-");
  std::filesystem::current_path(old);
  ASSERT_EQ(0, err);
  EXPECT_EQ("dash", nameOf(doc.rootNode));
}

TEST(XmlReadOpen, ByFileReferenceAndStandardFolder) {
  kivtest::TempDir config;
  kivtest::ScopedEnv xdg("XDG_CONFIG_HOME", config.str());
  config.write("prefs.xml", "<prefs><width>640</width></prefs>");
  KivXML doc;
  ASSERT_EQ(0, doc.OpenDoc(1, "prefs.xml"));
  EXPECT_EQ("0:640", got<short>([&](auto& v) { return doc.ReadNodeShort("width", v); }));
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
  EXPECT_EQ("r", nameOf(doc.rootNode));
  doc.CloseDoc();
  EXPECT_EQ(-1, doc.OpenDoc(static_cast<FSRef*>(nullptr)));
  // A reference whose file has gone away no longer opens.
  std::filesystem::remove(path);
  EXPECT_NE(0, doc.OpenDoc(&ref));
  EXPECT_EQ(nullptr, doc.xmldoc);
}

TEST(XmlReadFind, ByNameAndAttributeDepthFirstNeverClimbing) {
  KivXML empty;
  EXPECT_EQ(nullptr, empty.FindNode(nullptr, "a"));
  EXPECT_EQ(nullptr, empty.FindNode(nullptr, "a", "id", "1"));

  OpenedDoc d("<cfg><x><y>1</y></x><y>2</y><!--q--><?q x?><z><q>5</q></z>"
              "<w><deep><q>6</q></deep></w></cfg>");
  ASSERT_EQ(0, d.result);
  KivXML& doc = d.doc;
  EXPECT_EQ(nullptr, doc.FindNode(nullptr, ""));
  EXPECT_EQ(nullptr, doc.FindNode(nullptr, static_cast<const char*>(nullptr)));
  EXPECT_EQ(doc.rootNode, doc.FindNode(nullptr, "cfg"));
  // Names are compared whole and case-sensitively.
  EXPECT_EQ(nullptr, doc.FindNode(nullptr, "Y"));
  EXPECT_EQ(nullptr, doc.FindNode(nullptr, "cf"));
  // The first match in document order wins, however deep it is.
  EXPECT_EQ("1", textOf(doc, doc.FindNode(nullptr, "y")));
  // From an element, the search goes on into the following siblings' subtrees, but comments
  // and processing instructions are not matched by name.
  xmlNode* x = doc.FindNode(nullptr, "x");
  ASSERT_NE(nullptr, x);
  EXPECT_EQ("5", textOf(doc, doc.FindNode(x, "q")));
  // Starting inside a section never climbs back out of it.
  xmlNode* innerQ = doc.FindNode(doc.FindNode(nullptr, "deep"), "q");
  EXPECT_EQ("6", textOf(doc, innerQ));
  EXPECT_EQ(nullptr, doc.FindNode(innerQ, "z"));
  EXPECT_EQ(nullptr, doc.FindNode(innerQ->children, "cfg"));

  // By attribute value.
  OpenedDoc a("<l><item id=\"1\">a</item><g><item id=\"2\" id2=\"x\">b</item></g>"
              "<item k=\"2\">c</item><item id=\"a&amp;b\">d</item></l>");
  ASSERT_EQ(0, a.result);
  KivXML& list = a.doc;
  EXPECT_EQ("b", textOf(list, list.FindNode(nullptr, "item", "id", "2")));
  EXPECT_EQ("d", textOf(list, list.FindNode(nullptr, "item", "id", "a&b")));
  EXPECT_EQ(nullptr, list.FindNode(nullptr, "item", "id", "3"));
  EXPECT_EQ(nullptr, list.FindNode(nullptr, "item", "nothere", "1"));
  EXPECT_EQ(nullptr, list.FindNode(nullptr, "g", "id", "2"));
  // A matching name with another value does not stop the walk into following siblings.
  xmlNode* first = list.FindNode(nullptr, "item", "id", "1");
  ASSERT_NE(nullptr, first);
  EXPECT_EQ("c", textOf(list, list.FindNode(first, "item", "k", "2")));
}

TEST(XmlReadFind, TreesDeeperThanAnyParsedDocument) {
  OpenedDoc d("<r><a/><after>found</after></r>");
  ASSERT_EQ(0, d.result);
  KivXML& doc = d.doc;
  // A chain of 20,000 nested elements, as inserting nodes can build, with a text at the bottom.
  xmlNode* node = doc.FindNode(nullptr, "a");
  xmlNode* at300 = nullptr;
  for (int i = 0; i < 20000; ++i) {
    node = doc.InsertNode(node, i % 2 ? "odd" : "even", nullptr);
    if (i == 300) at300 = node;
  }
  doc.InsertNode(node, "leaf", "bottom");
  EXPECT_EQ("bottom", textOf(doc, doc.FindNode(nullptr, "leaf")));
  // The walk comes back up out of the chain to the element that follows it...
  EXPECT_EQ("found", textOf(doc, doc.FindNode(nullptr, "after")));
  // ...but a search started inside the chain stays inside it.
  EXPECT_EQ(nullptr, doc.FindNode(at300, "after"));
  EXPECT_EQ("bottom", textOf(doc, doc.FindNode(at300, "leaf")));
  xmlNewProp(node, BAD_CAST "id", BAD_CAST "7");
  EXPECT_EQ(node, doc.FindNode(nullptr, reinterpret_cast<const char*>(node->name), "id", "7"));
}

TEST(XmlReadNavigation, StepsOverIndentation) {
  auto walk = [](xmlNode* first) {
    std::string names;
    for (xmlNode* n = first; n != nullptr; n = KivXML::NextNode(n))
      names += nameOf(n);
    return names;
  };
  OpenedDoc d("<r>\n\t<s>\n\t\t<a>1</a>\n\t\t<b/>\n\t\t<c></c>\n\t</s>\n\t<t>text</t>\n</r>\n");
  ASSERT_EQ(0, d.result);
  xmlNode* s = d.doc.FindNode(nullptr, "s");
  EXPECT_EQ("abc", walk(KivXML::ChildNode(s)));
  EXPECT_EQ("st", walk(KivXML::ChildNode(d.doc.rootNode)));
  EXPECT_TRUE(IsThisNodeASection(d.doc.rootNode));
  EXPECT_TRUE(IsThisNodeASection(s));
  for (const char* leaf : {"t", "b", "c"}) {
    EXPECT_FALSE(IsThisNodeASection(d.doc.FindNode(nullptr, leaf))) << leaf;
    EXPECT_EQ(nullptr, KivXML::ChildNode(d.doc.FindNode(nullptr, leaf))) << leaf;
  }
  EXPECT_EQ(nullptr, KivXML::ChildNode(nullptr));
  EXPECT_EQ(nullptr, KivXML::NextNode(nullptr));
  EXPECT_FALSE(IsThisNodeASection(nullptr));
  // Without indentation every step skips one element.
  OpenedDoc u("<r><a/><b/><c/><d/></r>");
  ASSERT_EQ(0, u.result);
  EXPECT_EQ("bd", walk(KivXML::ChildNode(u.doc.rootNode)));
}
