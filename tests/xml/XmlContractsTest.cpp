// Every XML reader that writes into a caller's buffer, in exactly the room it promises: the whole
// text and its NUL for the forms without a size, the size given for the others.
#include "ExactRoom.h"
#include "TestSupport.h"

#include <KivXML.h>

#include <string>
#include <vector>

using namespace kivtest::rows;
using kivtest::RoomRow;

TEST(ExactRoom, XmlReaders) {
  const std::string a255(255, 'a'), a299(299, 'p'), accent = "caf\xC3\xA9";
  kivtest::TempDir t;
  const std::string path =
      t.write("doc.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n"
                         "<empty/><word>hello</word><long>" +
                             a255 + "</long><accent>" + accent +
                             "</accent><joined>a&amp;b<![CDATA[<c>]]>d</joined><path>" + a299 +
                             "</path><over>" + a299 +
                             "q</over><hangul>\xED\x95\x9C</hangul>"
                             "<b64>aGVsbG8gd29y\nbGQ=</b64><b64zero>YQBi</b64zero>"
                             "<item name=\"" +
                             accent + "\" none=\"\"/>\n</root>\n")
          .string();
  KivXML doc;
  ASSERT_EQ(0, doc.OpenDoc(path.c_str()));
  _xmlNode* item = doc.FindNode(nullptr, "item");
  _xmlNode* longNode = doc.FindNode(nullptr, "long");
  _xmlNode* accentNode = doc.FindNode(nullptr, "accent");
  ASSERT_TRUE(item && longNode && accentNode);

  const std::vector<RoomRow> rows = {
      {"ReadNodeAttributeStringValue",
       {c()},
       [&](auto d) { doc.ReadNodeAttributeStringValue(item, "name", d[0]); },
       {cString(accent)}},
      {"ReadNodeAttributeStringValue empty",
       {c()},
       [&](auto d) { doc.ReadNodeAttributeStringValue(item, "none", d[0]); },
       {cString("")}},
      {"ReadNodeAttributeStringValue absent",
       {c(1)},
       [&](auto d) { doc.ReadNodeAttributeStringValue(item, "gone", d[0]); },
       {cString("")}},
      {"ReadNodeAttributeStringValue sized fits",
       {c(6)},
       [&](auto d) { doc.ReadNodeAttributeStringValue(item, "name", d[0], 6); },
       {cString(accent)}},
      {"ReadNodeAttributeStringValue sized cut in character",
       {c(5)},
       [&](auto d) { doc.ReadNodeAttributeStringValue(item, "name", d[0], 5); },
       {cString("caf")}},
      {"ReadNodeAttributeStringValue size 0",
       {c(0)},
       [&](auto d) { doc.ReadNodeAttributeStringValue(item, "name", d[0], 0); },
       {kivtest::kUntouched}},
      {"ReadNodeString",
       {c()},
       [&](auto d) { doc.ReadNodeString("word", d[0]); },
       {cString("hello")}},
      {"ReadNodeString empty element",
       {c()},
       [&](auto d) { doc.ReadNodeString("empty", d[0]); },
       {cString("")}},
      {"ReadNodeString missing",
       {c()},
       [&](auto d) { doc.ReadNodeString("missing", d[0]); },
       {cString("")}},
      {"ReadNodeString 255",
       {c()},
       [&](auto d) { doc.ReadNodeString("long", d[0]); },
       {cString(a255)}},
      {"ReadNodeString joined",
       {c()},
       [&](auto d) { doc.ReadNodeString("joined", d[0]); },
       {cString("a&b<c>d")}},
      {"ReadNodeString sized fits",
       {c(256)},
       [&](auto d) { doc.ReadNodeString("long", d[0], 256); },
       {cString(a255)}},
      {"ReadNodeString sized cut",
       {c(255)},
       [&](auto d) { doc.ReadNodeString("long", d[0], 255); },
       {cString(std::string(254, 'a'))}},
      {"ReadNodeStringValue",
       {c()},
       [&](auto d) { doc.ReadNodeStringValue(accentNode, d[0]); },
       {cString(accent)}},
      {"ReadNodeStringValue 255",
       {c()},
       [&](auto d) { doc.ReadNodeStringValue(longNode, d[0]); },
       {cString(a255)}},
      {"ReadNodeStringValue sized cut in character",
       {c(5)},
       [&](auto d) { doc.ReadNodeStringValue(accentNode, d[0], 5); },
       {cString("caf")}},
      {"ReadNodeStringValue size 1",
       {c(1)},
       [&](auto d) { doc.ReadNodeStringValue(accentNode, d[0], 1); },
       {cString("")}},
      {"ReadNodePath 299", {c()}, [&](auto d) { doc.ReadNodePath("path", d[0]); }, {cString(a299)}},
      {"ReadNodePath 300", {c()}, [&](auto d) { doc.ReadNodePath("over", d[0]); }},
      {"ReadNodePath node",
       {c()},
       [&](auto d) { doc.ReadNodePath(accentNode, d[0]); },
       {cString(accent)}},
      {"ReadNodePath sized fits",
       {c(300)},
       [&](auto d) { doc.ReadNodePath("path", d[0], 300); },
       {cString(a299)}},
      {"ReadNodePath sized cut",
       {c(299)},
       [&](auto d) { doc.ReadNodePath("path", d[0], 299); },
       {cString(std::string(298, 'p'))}},
      {"ReadNodePath node sized",
       {c(4)},
       [&](auto d) { doc.ReadNodePath(accentNode, d[0], 4); },
       {cString("caf")}},
      {"ReadNodeMacRomanString",
       {p(256)},
       [&](auto d) {
         doc.ReadNodeMacRomanString(accentNode, reinterpret_cast<unsigned char*>(d[0]), false);
       },
       {pascal("caf\x8E")}},
      {"ReadNodeMacRomanString 255",
       {p(256)},
       [&](auto d) {
         doc.ReadNodeMacRomanString(longNode, reinterpret_cast<unsigned char*>(d[0]), false);
       },
       {pascal("")}},
      {"ReadNodeMacRomanString outside",
       {p(256)},
       [&](auto d) {
         doc.ReadNodeMacRomanString(doc.FindNode(nullptr, "hangul"),
                                    reinterpret_cast<unsigned char*>(d[0]), true);
       },
       {pascal("")}},
      {"ReadNodeBase64String lines",
       {c()},
       [&](auto d) { doc.ReadNodeBase64String("b64", d[0]); },
       {cString("hello world")}},
      {"ReadNodeBase64String zero byte",
       {c()},
       [&](auto d) { doc.ReadNodeBase64String("b64zero", d[0]); },
       {cString("a")}},
      {"ReadNodeBase64String sized fits",
       {c(12)},
       [&](auto d) { doc.ReadNodeBase64String("b64", d[0], 12); },
       {cString("hello world")}},
      {"ReadNodeBase64String sized cut",
       {c(6)},
       [&](auto d) { doc.ReadNodeBase64String("b64", d[0], 6); },
       {cString("hello")}},
  };
  kivtest::checkRows(rows);
}
