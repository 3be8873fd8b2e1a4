// Opening, closing, searching and stepping over documents; searches from the root, answered from
// an index, must match the depth-first walk itself through edits and reopenings.
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "WinFSRef.h"
#include "XmlSupport.h"

using namespace xmltest;

namespace {

// The walk FindNode documents: pre-order over elements from start and its following siblings.
xmlNode* walk(xmlNode* start, const char* name) {
  for (xmlNode* n = start; n != nullptr; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    if (std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0) return n;
    if (xmlNode* found = walk(n->children, name)) return found;
  }
  return nullptr;
}

void elementsOf(xmlNode* node, std::vector<xmlNode*>& all) {
  for (; node != nullptr; node = node->next)
    if (node->type == XML_ELEMENT_NODE) {
      all.push_back(node);
      elementsOf(node->children, all);
    }
}

} // namespace

TEST(XmlReadOpen, ResultCodesAndStates) {
  kivtest::TempDir dir;
  KivXML doc;
  std::strcpy(doc.dtdName, "cfg");
  const std::pair<std::string, OSErr> refused[] = {
      {dir.str() + "/missing.xml", 1},
      {"", 1},
      {dir.str(), 2},
      {dir.write("empty.xml", "").string(), 2},
      {dir.write("bad.xml", "<a><b></a>").string(), 2}};
  for (const auto& [path, code] : refused)
    EXPECT_EQ(code, doc.OpenDoc(path.c_str())) << path;
  EXPECT_EQ(1, doc.OpenDoc(static_cast<const char*>(nullptr)));
  EXPECT_TRUE(doc.xmldoc == nullptr && doc.rootNode == nullptr);

  auto v = [&] { return text([&](char* b) { return doc.ReadNodeString("v", b, 16); }); };
  ASSERT_EQ(0, doc.OpenDoc(dir.write("one.xml", "<cfg><v>1</v></cfg>").c_str()));
  EXPECT_EQ(1, doc.OpenDoc((dir.str() + "/nothing.xml").c_str())); // keeps the open document
  EXPECT_EQ("0:1", v());
  ASSERT_EQ(0, doc.OpenDoc(dir.write("two.xml", "<two><v>2</v></two>").c_str()));
  EXPECT_EQ("0:2", v());
  // A failed parse leaves neither the old document nor a root pointing into it.
  EXPECT_EQ(2, doc.OpenDoc(dir.write("bad2.xml", "<x>").c_str()));
  EXPECT_EQ(nullptr, doc.rootNode);
  EXPECT_EQ("-3:", v());
  ASSERT_EQ(0, doc.OpenDoc((dir.path() / "one.xml").c_str()));
  doc.CloseDoc();
  doc.CloseDoc(); // closing twice is harmless
  EXPECT_TRUE(doc.xmldoc == nullptr && doc.rootNode == nullptr);
  EXPECT_STREQ("cfg", doc.dtdName);

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
  EXPECT_TRUE(doc.OpenDoc(1, "absent.xml") && doc.OpenDoc(9, "prefs.xml") &&
              doc.OpenDoc(1, nullptr));
  FSRef ref;
  std::string path = config.write("byref.xml", "<r><v>ok</v></r>").string();
  ASSERT_EQ(0, CFSPathMakeRef(const_cast<char*>(path.c_str()), &ref));
  ASSERT_EQ(0, doc.OpenDoc(&ref));
  EXPECT_EQ("r", nameOf(doc.rootNode));
  doc.CloseDoc();
  EXPECT_EQ(-1, doc.OpenDoc(static_cast<FSRef*>(nullptr)));
  std::filesystem::remove(path); // a reference whose file has gone no longer opens
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
  // Names are compared whole and case-sensitively.
  for (const char* none : {"", "Y", "cf"})
    EXPECT_EQ(nullptr, doc.FindNode(nullptr, none)) << none;
  EXPECT_EQ(nullptr, doc.FindNode(nullptr, static_cast<const char*>(nullptr)));
  EXPECT_EQ(doc.rootNode, doc.FindNode(nullptr, "cfg"));
  EXPECT_EQ("1", textOf(doc, doc.FindNode(nullptr, "y"))); // the first in document order
  // From an element the search goes on into the following siblings' subtrees.
  EXPECT_EQ("5", textOf(doc, doc.FindNode(doc.FindNode(nullptr, "x"), "q")));
  // Starting inside a section never climbs back out of it.
  xmlNode* innerQ = doc.FindNode(doc.FindNode(nullptr, "deep"), "q");
  EXPECT_EQ("6", textOf(doc, innerQ));
  EXPECT_EQ(nullptr, doc.FindNode(innerQ, "z"));
  EXPECT_EQ(nullptr, doc.FindNode(innerQ->children, "cfg"));

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
  EXPECT_EQ("c", textOf(list, list.FindNode(list.FindNode(nullptr, "item"), "item", "k", "2")));
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
  EXPECT_EQ("found", textOf(doc, doc.FindNode(nullptr, "after"))); // back up out of the chain
  EXPECT_EQ(nullptr, doc.FindNode(at300, "after"));                // but not from inside it
  EXPECT_EQ("bottom", textOf(doc, doc.FindNode(at300, "leaf")));
  xmlNewProp(node, BAD_CAST "id", BAD_CAST "7");
  EXPECT_EQ(node, doc.FindNode(nullptr, reinterpret_cast<const char*>(node->name), "id", "7"));
}

// Random trees, searched before and after every kind of edit, and reopened in the same object.
TEST(XmlFindIndex, AnswersAreTheWalksBeforeAndAfterEdits) {
  const char* const names[] = {"a", "b", "c", "d", "e", "f", "root", "absent"};
  std::mt19937 random(5);
  auto differences = [&](KivXML& doc) {
    int wrong = 0;
    for (const char* name : names) {
      xmlNode* expected = walk(doc.rootNode, name);
      wrong += (doc.FindNode(nullptr, name) != expected) +
               (doc.FindNode(doc.rootNode, name) != expected);
    }
    return wrong;
  };
  kivtest::TempDir dir;
  KivXML doc;
  for (int tree = 0; tree < 20; ++tree) {
    SCOPED_TRACE("tree " + std::to_string(tree));
    std::string xml = kHeader + "<root>";
    std::vector<std::string> open;
    for (int step = 0; step < 120; ++step) {
      const int what = static_cast<int>(random() % 10);
      if (what < 4 && open.size() < 5) {
        open.push_back(names[random() % 6]);
        xml += "\n<" + open.back() + ">";
      } else if (what < 6 && !open.empty()) {
        xml += "</" + open.back() + ">";
        open.pop_back();
      } else {
        xml += what < 8    ? std::string("<") + names[random() % 6] + "/>"
               : what == 8 ? "<!-- b -->text"
                           : "\n\t";
      }
    }
    for (; !open.empty(); open.pop_back())
      xml += "</" + open.back() + ">";
    if (tree % 2 == 1) doc.CloseDoc();
    const std::string path = dir.write("t" + std::to_string(tree) + ".xml", xml + "</root>\n");
    ASSERT_EQ(0, doc.OpenDoc(path.c_str()));
    EXPECT_EQ(0, differences(doc));
    for (int edit = 0; edit < 30; ++edit) {
      std::vector<xmlNode*> elements;
      elementsOf(doc.rootNode, elements);
      xmlNode* target = elements[random() % elements.size()];
      const char* name = names[random() % 6];
      const int kind = static_cast<int>(random() % 3);
      if (kind == 0) {
        ASSERT_NE(nullptr, doc.InsertNode(target, name, "x"));
      } else if (kind == 1 && target != doc.rootNode) {
        doc.DeleteNode(target);
      } else {
        ASSERT_NE(nullptr, doc.InsertNodeLong(target, name, edit));
      }
      ASSERT_EQ(0, differences(doc)) << "after edit " << edit << " (kind " << kind << ")";
    }
  }
}

TEST(XmlFindIndex, FollowsTheRootItSearchesFrom) {
  OpenedDoc d(kHeader + "<r><s><a>1</a></s><t><a>2</a><b>3</b></t></r>");
  ASSERT_EQ(0, d.result);
  KivXML& doc = d.doc;
  EXPECT_EQ("1", textOf(doc, doc.FindNode(nullptr, "a")));
  // With the root set to another element, searches from the root start there and take in its
  // following siblings, as the walk does.
  xmlNode* root = doc.rootNode;
  doc.rootNode = doc.FindNode(nullptr, "s")->children;
  EXPECT_EQ("1", textOf(doc, doc.FindNode(nullptr, "a")));
  EXPECT_EQ(nullptr, doc.FindNode(nullptr, "b"));
  doc.rootNode = doc.FindNode(root, "t");
  EXPECT_EQ("2", textOf(doc, doc.FindNode(nullptr, "a")));
  EXPECT_EQ("3", textOf(doc, doc.FindNode(nullptr, "b")));
  EXPECT_EQ(nullptr, doc.FindNode(nullptr, "s"));
  doc.rootNode = root;
  doc.DeleteNode(root); // no document left to search; a read says so
  EXPECT_EQ(nullptr, doc.FindNode(nullptr, "a"));
  EXPECT_EQ("-3:", text([&](char* b) { return doc.ReadNodeString("a", b, 8); }));
}

TEST(XmlReadNavigation, StepsOverIndentation) {
  auto walkNames = [](xmlNode* first) {
    std::string names;
    for (xmlNode* n = first; n != nullptr; n = KivXML::NextNode(n))
      names += nameOf(n);
    return names;
  };
  OpenedDoc d("<r>\n\t<s>\n\t\t<a>1</a>\n\t\t<b/>\n\t\t<c></c>\n\t</s>\n\t<t>text</t>\n</r>\n");
  ASSERT_EQ(0, d.result);
  xmlNode* s = d.doc.FindNode(nullptr, "s");
  EXPECT_EQ("abc", walkNames(KivXML::ChildNode(s)));
  EXPECT_EQ("st", walkNames(KivXML::ChildNode(d.doc.rootNode)));
  EXPECT_TRUE(IsThisNodeASection(d.doc.rootNode) && IsThisNodeASection(s));
  for (const char* leaf : {"t", "b", "c"}) {
    EXPECT_FALSE(IsThisNodeASection(d.doc.FindNode(nullptr, leaf))) << leaf;
    EXPECT_EQ(nullptr, KivXML::ChildNode(d.doc.FindNode(nullptr, leaf))) << leaf;
  }
  EXPECT_TRUE(!KivXML::ChildNode(nullptr) && !KivXML::NextNode(nullptr) &&
              !IsThisNodeASection(nullptr));
  OpenedDoc u("<r><a/><b/><c/><d/></r>"); // without indentation every step skips one element
  ASSERT_EQ(0, u.result);
  EXPECT_EQ("bd", walkNames(KivXML::ChildNode(u.doc.rootNode)));
}
