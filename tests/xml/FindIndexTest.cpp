// Searches from the root are answered from an index of the first element of each name; on
// random trees, before and after every kind of edit and on documents reopened in the same
// object, the answers must be those of the depth-first walk itself.
#include <random>
#include <string>
#include <vector>

#include "XmlSupport.h"

using namespace xmltest;

namespace {

const char* const kNames[] = {"a", "b", "c", "d", "e", "f"};

// The walk FindNode documents, written out again here: pre-order over elements from start and
// its following siblings, never above start.
xmlNode* walk(xmlNode* start, const char* name) {
  for (xmlNode* n = start; n != nullptr; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    if (std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0) return n;
    if (xmlNode* found = walk(n->children, name)) return found;
  }
  return nullptr;
}

// A random document of elements with names from kNames (so most repeat), text, comments and
// indentation, up to five levels below the root.
std::string randomDocument(std::mt19937& random) {
  std::string xml = kHeader + "<root>";
  auto pick = [&](int n) { return static_cast<int>(random() % n); };
  std::vector<std::string> open;
  for (int step = 0; step < 120; ++step) {
    const int what = pick(10);
    if (what < 4 && open.size() < 5) {
      open.push_back(kNames[pick(6)]);
      xml += "\n<" + open.back() + ">";
    } else if (what < 6 && !open.empty()) {
      xml += "</" + open.back() + ">";
      open.pop_back();
    } else if (what < 8) {
      xml += std::string("<") + kNames[pick(6)] + "/>";
    } else if (what == 8) {
      xml += "<!-- b -->text";
    } else {
      xml += "\n\t";
    }
  }
  while (!open.empty()) {
    xml += "</" + open.back() + ">";
    open.pop_back();
  }
  return xml + "</root>\n";
}

std::vector<xmlNode*> elementsOf(xmlNode* node) {
  std::vector<xmlNode*> all;
  for (; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    all.push_back(node);
    auto below = elementsOf(node->children);
    all.insert(all.end(), below.begin(), below.end());
  }
  return all;
}

// Every name, the root's own and one that no element has: FindNode from the root (both ways of
// asking) against the walk. Returns the number of differences.
int differences(KivXML& doc) {
  int wrong = 0;
  std::vector<const char*> names(std::begin(kNames), std::end(kNames));
  names.push_back("root");
  names.push_back("absent");
  for (const char* name : names) {
    xmlNode* expected = walk(doc.rootNode, name);
    wrong += doc.FindNode(nullptr, name) != expected;
    wrong += doc.FindNode(doc.rootNode, name) != expected;
  }
  return wrong;
}

} // namespace

TEST(XmlFindIndex, AnswersAreTheWalksBeforeAndAfterEdits) {
  std::mt19937 random(5);
  kivtest::TempDir dir;
  KivXML doc;
  for (int tree = 0; tree < 20; ++tree) {
    SCOPED_TRACE("tree " + std::to_string(tree));
    // Each tree is opened in the same object, over the one before (which was searched).
    const std::string path = dir.write("t" + std::to_string(tree) + ".xml", randomDocument(random));
    if (tree % 2 == 1) doc.CloseDoc();
    ASSERT_EQ(0, doc.OpenDoc(path.c_str()));
    EXPECT_EQ(0, differences(doc));
    for (int edit = 0; edit < 30; ++edit) {
      std::vector<xmlNode*> elements = elementsOf(doc.rootNode);
      xmlNode* target = elements[random() % elements.size()];
      const char* name = kNames[random() % 6];
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
  // The root set to another element: searches from the root start there, and take in its
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
  // Deleting the root leaves no document to search; a read says so.
  doc.DeleteNode(root);
  EXPECT_EQ(nullptr, doc.FindNode(nullptr, "a"));
  char value[8];
  EXPECT_EQ(-3, doc.ReadNodeString("a", value, sizeof value));
}
