// Every XML text reader, in exactly the room it promises (the whole text and its NUL for the
// forms without a size, the size given for the others), with its result code and text.
#include "ExactRoom.h"
#include "XmlSupport.h"
#include <glib.h>

#include <string>
#include <vector>

using namespace kivtest::rows;
using namespace xmltest;

namespace {

constexpr size_t kAny = SIZE_MAX; // the form without a size

// One reader on one element: reader, element (a leading '~' reads from an object without a
// document; "element@attribute" names an attribute), size, code and text.
struct Read {
  std::string reader;
  std::string node;
  size_t size;
  OSErr code;
  std::string want;
};

} // namespace

TEST(ExactRoom, XmlReaders) {
  const std::string a255(255, 'a'), p299(299, 'p'), p400(400, 'p');
  std::string b64long; // 120 bytes stored as the writer stores long values: lines of 72
  for (int i = 0; i < 120; ++i)
    b64long.push_back(static_cast<char>('!' + i % 90));
  gchar* enc = g_base64_encode(reinterpret_cast<const guchar*>(b64long.data()), b64long.size());
  std::string lines(enc);
  g_free(enc);
  lines.insert(144, "\r\n");
  lines.insert(72, "\r\n");
  OpenedDoc d(kHeader +
              "<!DOCTYPE r [<!ENTITY c \"\xC3\xA9\"><!ENTITY ab \"ab\">]>\n<r>"
              "<e1/><e2></e2><amp>x&amp;y</amp><mixed>1<b>2</b>3</mixed><cdata><![CDATA[<raw>]]>"
              "</cdata><utf>caf\xC3\xA9</utf><at k=\"\" v=\"one &amp; two\" w=\"&#233;\" "
              "six=\"abcdef\" ent=\"&ab;&c;\"/><sec>\n\t<x/>\n\t<y/>\n</sec><s>abc\xC3\xA9xyz</s>"
              "<t>&ab;&c;z</t><long>" +
              a255 + "</long><p299>" + p299 + "</p299><p400>" + p400 +
              "</p400><joined>a&amp;b<![CDATA[<c>]]>d</joined><hangul>\xED\x95\x9C</hangul>"
              "<b64>aGVsbG8gd29y\nbGQ=</b64><b64zero>YQBi</b64zero><b64long>" +
              lines +
              "</b64long><man>TWFu</man><zero>AAAA</zero><inner>TW<!-- c -->Fu</inner>"
              "<stop>TQ==TWFu</stop><plain>abc</plain><euro>\xE2\x82\xAC</euro><l254>" +
              std::string(254, 'x') + "</l254><l300>" + std::string(300, 'y') + "</l300></r>\n");
  ASSERT_EQ(0, d.result);
  KivXML &doc = d.doc, none;
  // Texts (a character that would not fit whole is left out, also where it spans two pieces),
  // attributes ("element@attribute"), paths (through a 300-byte buffer: 299 bytes at most,
  // whatever the room), Base64 values, Mac Roman strings (empty for text Mac Roman lacks or a
  // Pascal string cannot hold); an element "~e" is read from an object without a document.
  const std::string a254(254, 'a'), p9(9, 'p'), p298(298, 'p'), x254(254, 'x');
  const std::string& kNot = kivtest::kUntouched;
  std::vector<Read> reads = {{"str", "e1", kAny, 0, ""},
                             {"str", "amp", kAny, 0, "x&y"},
                             {"str", "mixed", kAny, 0, "13"},
                             {"str", "absent", kAny, -5, ""},
                             {"str", "long", kAny, 0, a255},
                             {"str", "joined", kAny, 0, "a&b<c>d"},
                             {"str", "p400", kAny, 0, p400},
                             {"str", "long", 255, 0, a254},
                             {"str", "s", 5, 0, "abc"},
                             {"str", "s", 6, 0, "abc\xC3\xA9"},
                             {"str", "s", 1, 0, ""},
                             {"str", "s", 0, 0, kNot},
                             {"str", "t", 3, 0, "ab"},
                             {"str", "t", 5, 0, "ab\xC3\xA9"},
                             {"str", "t", 6, 0, "ab\xC3\xA9z"},
                             {"val", "utf", kAny, 0, "caf\xC3\xA9"},
                             {"val", "utf", 5, 0, "caf"},
                             {"val", "sec", kAny, 0, "\n\t\n\t\n"},
                             {"val", "absent", kAny, -5, ""},
                             {"attr", "at@k", kAny, 0, ""},
                             {"attr", "at@v", kAny, 0, "one & two"},
                             {"attr", "at@w", kAny, 0, "\xC3\xA9"},
                             {"attr", "at@x", kAny, -1, ""},
                             {"attr", "absent@k", kAny, -5, ""},
                             {"attr", "at@six", 4, 0, "abc"},
                             {"attr", "at@ent", kAny, 0, "ab\xC3\xA9"},
                             {"attr", "utf@w", 0, -1, kNot},
                             {"path", "p299", kAny, 0, p299},
                             {"path", "p400", kAny, 0, p299},
                             {"path", "p400", 10, 0, p9},
                             {"path", "p299", 300, 0, p299},
                             {"path", "p299", 299, 0, p298},
                             {"path", "absent", 64, -5, ""},
                             {"pathN", "utf", kAny, 0, "caf\xC3\xA9"},
                             {"pathN", "utf", 4, 0, "caf"},
                             {"b64", "b64", kAny, 0, "hello world"},
                             {"b64", "b64zero", kAny, 0, "a"},
                             {"b64", "b64", 6, 0, "hello"},
                             {"b64", "b64long", kAny, 0, b64long},
                             {"b64", "man", kAny, 0, "Man"},
                             {"b64", "inner", kAny, 0, "Man"},
                             {"b64", "stop", kAny, 0, "M"},
                             {"b64", "zero", kAny, 0, ""},
                             {"b64", "absent", kAny, -5, ""},
                             {"b64", "man", 0, 0, kNot},
                             {"roman", "utf", 256, 0, "caf\x8E"},
                             {"roman", "euro", 256, 0, "\xDB"},
                             {"roman", "l254", 256, 0, x254},
                             {"roman", "long", 256, 0, ""},
                             {"roman", "l300", 256, 0, ""},
                             {"roman", "hangul", 256, 0, ""},
                             {"roman", "e1", 256, 0, ""},
                             {"roman", "absent", 256, -5, ""},
                             {"str", "~a", kAny, -3, ""},
                             {"val", "~a", kAny, -3, ""},
                             {"path", "~a", kAny, -3, ""},
                             {"pathN", "~a", kAny, -3, ""},
                             {"b64", "~a", kAny, -3, ""}};
  // The bounded Base64 reader cuts the value, not the text, whatever part of it it decodes.
  for (size_t room : {1, 2, 3, 4, 5, 54, 55, 56, 101})
    reads.push_back({"b64", "b64long", room, 0, b64long.substr(0, room - 1)});

  std::vector<OSErr> codes(reads.size(), 99);
  std::vector<kivtest::RoomRow> rows;
  for (size_t i = 0; i < reads.size(); ++i) {
    const Read& r = reads[i];
    const std::string reader = r.reader;
    const bool noDoc = r.node[0] == '~';
    KivXML& x = noDoc ? none : doc;
    const std::string node = r.node.substr(noDoc), element = node.substr(0, node.find('@'));
    const std::string attr =
        node.find('@') == std::string::npos ? "" : node.substr(node.find('@') + 1);
    xmlNode* n = noDoc ? nullptr : doc.FindNode(nullptr, element.c_str());
    const bool sized = r.size != kAny;
    auto call = [&x, &codes, i, reader, element, attr, n, sized, size = r.size](char* const* dst) {
      char* v = dst[0];
      const char* e = element.c_str();
      OSErr& code = codes[i];
      if (reader == "str") code = sized ? x.ReadNodeString(e, v, size) : x.ReadNodeString(e, v);
      if (reader == "val")
        code = sized ? x.ReadNodeStringValue(n, v, size) : x.ReadNodeStringValue(n, v);
      if (reader == "path") code = sized ? x.ReadNodePath(e, v, size) : x.ReadNodePath(e, v);
      if (reader == "pathN") code = sized ? x.ReadNodePath(n, v, size) : x.ReadNodePath(n, v);
      if (reader == "b64")
        code = sized ? x.ReadNodeBase64String(e, v, size) : x.ReadNodeBase64String(e, v);
      if (reader == "roman")
        code = x.ReadNodeMacRomanString(n, reinterpret_cast<unsigned char*>(v), false);
      if (reader == "attr")
        code = sized ? x.ReadNodeAttributeStringValue(n, attr.c_str(), v, size)
                     : x.ReadNodeAttributeStringValue(n, attr.c_str(), v);
    };
    const bool roman = reader == "roman";
    rows.push_back({reader + " " + r.node + " in " + (sized ? std::to_string(r.size) : "its size"),
                    {roman ? p(r.size) : c(sized ? r.size : kivtest::kRoomOfResult)},
                    call,
                    {r.want == kivtest::kUntouched ? r.want
                     : roman                       ? pascal(r.want)
                                                   : cString(r.want)}});
  }
  kivtest::checkRows(rows);
  for (size_t i = 0; i < reads.size(); ++i)
    EXPECT_EQ(reads[i].code, codes[i]) << "row: " << rows[i].name;
  // An attribute value made of pieces is matched whole.
  EXPECT_EQ(doc.FindNode(nullptr, "at"), doc.FindNode(nullptr, "at", "ent", "ab\xC3\xA9"));
  for (const char* other : {"ab", "ab\xC3", "ab\xC3\xA9!", ""})
    EXPECT_EQ(nullptr, doc.FindNode(nullptr, "at", "ent", other)) << other;
}
