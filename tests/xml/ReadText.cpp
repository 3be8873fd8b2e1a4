// Reading texts, attributes and paths, unbounded and bounded.
#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <libxml/tree.h>

#include "KivXML.h"
#include "ReadSupport.h"

using xmlreadtest::OpenedDoc;

TEST(XmlReadText, NodeTexts) {
  OpenedDoc d("<cfg>\n\t<e1/>\n\t<e2></e2>\n\t<amp>x&amp;y</amp>\n\t<mixed>1<b>2</b>3</mixed>\n"
              "\t<cdata><![CDATA[<raw>]]></cdata>\n\t<utf>caf\xC3\xA9</utf>\n</cfg>");
  ASSERT_EQ(0, d.result());
  KivXML& doc = d.doc;
  char buf[64];

  std::strcpy(buf, "junk");
  EXPECT_EQ(0, doc.ReadNodeString("e1", buf));
  EXPECT_STREQ("", buf);
  std::strcpy(buf, "junk");
  EXPECT_EQ(0, doc.ReadNodeString("e2", buf));
  EXPECT_STREQ("", buf);
  EXPECT_EQ(0, doc.ReadNodeString("amp", buf));
  EXPECT_STREQ("x&y", buf);
  EXPECT_EQ(0, doc.ReadNodeString("mixed", buf));
  EXPECT_STREQ("13", buf);
  EXPECT_EQ(0, doc.ReadNodeString("cdata", buf));
  EXPECT_STREQ("<raw>", buf);
  EXPECT_EQ(0, doc.ReadNodeString("utf", buf));
  EXPECT_STREQ("caf\xC3\xA9", buf);
  // A section's own text is the indentation between its children.
  EXPECT_EQ(0, doc.ReadNodeStringValue(doc.rootNode, buf));
  EXPECT_STREQ("\n\t\n\t\n\t\n\t\n\t\n\t\n", buf);

  std::strcpy(buf, "junk");
  EXPECT_EQ(-5, doc.ReadNodeString("absent", buf));
  EXPECT_STREQ("", buf);
  std::strcpy(buf, "junk");
  EXPECT_EQ(-5, doc.ReadNodeStringValue(nullptr, buf));
  EXPECT_STREQ("", buf);
}

TEST(XmlReadText, NoDocumentOpen) {
  KivXML doc;
  using Reader = std::function<OSErr(char*)>;
  const Reader readers[] = {
      [&](char* b) { return doc.ReadNodeString("a", b); },
      [&](char* b) { return doc.ReadNodeStringValue(nullptr, b); },
      [&](char* b) { return doc.ReadNodePath("a", b); },
      [&](char* b) { return doc.ReadNodePath(static_cast<xmlNode*>(nullptr), b); },
      [&](char* b) { return doc.ReadNodeBase64String("a", b); },
  };
  for (const Reader& read : readers) {
    char buf[16] = "junk";
    EXPECT_EQ(-3, read(buf));
    EXPECT_STREQ("", buf);
  }
}

TEST(XmlReadText, Attributes) {
  OpenedDoc d("<a k=\"\" v=\"one &amp; two\" v=\"dup\"/>");
  // A repeated attribute is not well-formed.
  EXPECT_EQ(2, d.result());

  OpenedDoc e("<a k=\"\" v=\"one &amp; two\" w=\"&#233;\"/>");
  ASSERT_EQ(0, e.result());
  char buf[32];
  std::strcpy(buf, "junk");
  EXPECT_EQ(0, e.doc.ReadNodeAttributeStringValue(e.doc.rootNode, "k", buf));
  EXPECT_STREQ("", buf);
  EXPECT_EQ(0, e.doc.ReadNodeAttributeStringValue(e.doc.rootNode, "v", buf));
  EXPECT_STREQ("one & two", buf);
  EXPECT_EQ(0, e.doc.ReadNodeAttributeStringValue(e.doc.rootNode, "w", buf));
  EXPECT_STREQ("\xC3\xA9", buf);
  std::strcpy(buf, "junk");
  EXPECT_EQ(-1, e.doc.ReadNodeAttributeStringValue(e.doc.rootNode, "x", buf));
  EXPECT_STREQ("", buf);
  std::strcpy(buf, "junk");
  EXPECT_EQ(-5, e.doc.ReadNodeAttributeStringValue(nullptr, "k", buf));
  EXPECT_STREQ("", buf);
}

TEST(XmlReadText, BoundedReadersCutAtCharacterBoundaries) {
  std::string longText(400, 'p');
  OpenedDoc d("<cfg><s>abc\xC3\xA9xyz</s><path>" + longText + "</path><at v=\"abcdef\"/></cfg>");
  ASSERT_EQ(0, d.result());
  KivXML& doc = d.doc;

  // Guard bytes after the room given must survive every cut.
  char buf[16];
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(0, doc.ReadNodeString("s", buf, 5));
  EXPECT_STREQ("abc", buf); // the two-byte character would not fit whole
  EXPECT_EQ('#', buf[5]);
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(0, doc.ReadNodeString("s", buf, 6));
  EXPECT_STREQ("abc\xC3\xA9", buf);
  EXPECT_EQ('#', buf[6]);
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(0, doc.ReadNodeString("s", buf, 0));
  EXPECT_EQ('#', buf[0]);
  EXPECT_EQ(0, doc.ReadNodeString("s", buf, 1));
  EXPECT_STREQ("", buf);
  EXPECT_EQ('#', buf[1]);

  std::memset(buf, '#', sizeof buf);
  xmlNode* at = doc.FindNode(nullptr, "at");
  EXPECT_EQ(0, doc.ReadNodeAttributeStringValue(at, "v", buf, 4));
  EXPECT_STREQ("abc", buf);
  EXPECT_EQ('#', buf[4]);

  // Paths pass through a 300-byte buffer: 299 bytes at most, whatever room the caller has.
  char path[512];
  EXPECT_EQ(0, doc.ReadNodePath("path", path));
  EXPECT_EQ(std::string(299, 'p'), path);
  std::memset(path, '#', sizeof path);
  EXPECT_EQ(0, doc.ReadNodePath("path", path, 10));
  EXPECT_EQ(std::string(9, 'p'), path);
  EXPECT_EQ('#', path[10]);
  EXPECT_EQ(-5, doc.ReadNodePath("nopath", path, sizeof path));
  EXPECT_STREQ("", path);

  // The unbounded reader copies the whole text.
  char whole[512];
  EXPECT_EQ(0, doc.ReadNodeString("path", whole));
  EXPECT_EQ(longText, whole);
}
