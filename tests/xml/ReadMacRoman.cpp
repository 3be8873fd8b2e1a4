// Reading node texts as Mac Roman Pascal strings.
#include <string>

#include <gtest/gtest.h>
#include <libxml/tree.h>

#include "KivXML.h"
#include "ReadSupport.h"

using xmlreadtest::OpenedDoc;

namespace {
std::string pascal(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}
} // namespace

TEST(XmlReadMacRoman, ConvertsAndLimits) {
  OpenedDoc d("<r><cafe>caf\xC3\xA9</cafe><plain>abc</plain><euro>\xE2\x82\xAC</euro>"
              "<yen>\xE5\x86\x86</yen><e/><l254>" +
              std::string(254, 'x') + "</l254><l300>" + std::string(300, 'y') + "</l300></r>");
  ASSERT_EQ(0, d.result());
  KivXML& doc = d.doc;
  unsigned char p[256];

  EXPECT_EQ(0, doc.ReadNodeMacRomanString(doc.FindNode(nullptr, "cafe"), p, true));
  EXPECT_EQ("caf\x8E", pascal(p));
  EXPECT_EQ(0, doc.ReadNodeMacRomanString(doc.FindNode(nullptr, "plain"), p, false));
  EXPECT_EQ("abc", pascal(p));
  EXPECT_EQ(0, doc.ReadNodeMacRomanString(doc.FindNode(nullptr, "euro"), p, false));
  EXPECT_EQ("\xDB", pascal(p));
  EXPECT_EQ(0, doc.ReadNodeMacRomanString(doc.FindNode(nullptr, "l254"), p, false));
  EXPECT_EQ(std::string(254, 'x'), pascal(p));

  // Text Mac Roman lacks, and text longer than a Pascal string holds, give an empty string.
  p[0] = 3;
  EXPECT_EQ(0, doc.ReadNodeMacRomanString(doc.FindNode(nullptr, "yen"), p, false));
  EXPECT_EQ(0, p[0]);
  p[0] = 3;
  EXPECT_EQ(0, doc.ReadNodeMacRomanString(doc.FindNode(nullptr, "l300"), p, false));
  EXPECT_EQ(0, p[0]);
  p[0] = 3;
  EXPECT_EQ(0, doc.ReadNodeMacRomanString(doc.FindNode(nullptr, "e"), p, false));
  EXPECT_EQ(0, p[0]);
  p[0] = 3;
  EXPECT_EQ(-5, doc.ReadNodeMacRomanString(nullptr, p, false));
  EXPECT_EQ(0, p[0]);

  KivXML none;
  p[0] = 3;
  EXPECT_EQ(-3, none.ReadNodeMacRomanString(nullptr, p, false));
  EXPECT_EQ(0, p[0]);
}
