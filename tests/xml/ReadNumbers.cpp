// Reading numbers and colours.
#include <clocale>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <libxml/tree.h>

#include "KivXML.h"
#include "ReadSupport.h"
#include "TestSupport.h"

using xmlreadtest::OpenedDoc;

TEST(XmlReadNumbers, DecimalTextCutToTheTargetWidth) {
  OpenedDoc d("<n><lead>  42abc</lead><none>abc</none><big>70000</big><neg>-1</neg>"
              "<wide>4294967297</wide><byte>300</byte><dbl> -2.5e3x</dbl><plus>+7</plus>"
              "<pad>" +
              std::string(40, ' ') + "7</pad></n>");
  ASSERT_EQ(0, d.result());
  KivXML& doc = d.doc;
  short s = 99;
  int l = 99;
  unsigned short u = 99;
  unsigned char c = 99;
  double f = 99;

  EXPECT_EQ(0, doc.ReadNodeShort("lead", s));
  EXPECT_EQ(42, s);
  EXPECT_EQ(0, doc.ReadNodeShort("none", s));
  EXPECT_EQ(0, s);
  EXPECT_EQ(0, doc.ReadNodeShort("big", s));
  EXPECT_EQ(4464, s);
  EXPECT_EQ(0, doc.ReadNodeShort(doc.FindNode(nullptr, "big"), s));
  EXPECT_EQ(4464, s);
  EXPECT_EQ(0, doc.ReadNodeUInt16(doc.FindNode(nullptr, "neg"), u));
  EXPECT_EQ(65535, u);
  EXPECT_EQ(0, doc.ReadNodeLong("wide", l));
  EXPECT_EQ(1, l);
  EXPECT_EQ(0, doc.ReadNodeLong("plus", l));
  EXPECT_EQ(7, l);
  EXPECT_EQ(0, doc.ReadNodeUChar(doc.FindNode(nullptr, "byte"), c));
  EXPECT_EQ(44, c);
  EXPECT_EQ(0, doc.ReadNodeDouble("dbl", f));
  EXPECT_DOUBLE_EQ(-2500.0, f);
  EXPECT_EQ(0, doc.ReadNodeDouble(doc.FindNode(nullptr, "lead"), f));
  EXPECT_DOUBLE_EQ(42.0, f);
  // The 16-bit reader takes 31 bytes of text: leading blanks can push the digits out.
  u = 99;
  EXPECT_EQ(0, doc.ReadNodeUInt16(doc.FindNode(nullptr, "pad"), u));
  EXPECT_EQ(0, u);
  EXPECT_EQ(0, doc.ReadNodeLong("pad", l));
  EXPECT_EQ(7, l);
}

TEST(XmlReadNumbers, DoublesIgnoreTheProgramsNumericLocale) {
  OpenedDoc d("<n><v>1.25</v></n>");
  ASSERT_EQ(0, d.result());
  // A locale with a decimal comma, compiled for this test (few machines have one installed).
  kivtest::TempDir locales;
  std::string cmd = "localedef -i de_DE -f UTF-8 " + locales.str() + "/de_DE.UTF-8 >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) GTEST_SKIP() << "localedef cannot build de_DE.UTF-8";
  kivtest::ScopedEnv locpath("LOCPATH", locales.str());
  std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  ASSERT_NE(nullptr, std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
  EXPECT_STREQ(",", std::localeconv()->decimal_point);
  double f = 0;
  OSErr err = d.doc.ReadNodeDouble("v", f);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(0, err);
  EXPECT_DOUBLE_EQ(1.25, f);
}

TEST(XmlReadNumbers, FailuresLeaveOrZeroTheTarget) {
  KivXML none;
  short s = 7;
  int l = 7;
  unsigned short u = 7;
  unsigned char c = 7;
  double f = 7;
  EXPECT_EQ(-3, none.ReadNodeShort("a", s));
  EXPECT_EQ(-3, none.ReadNodeLong("a", l));
  EXPECT_EQ(-3, none.ReadNodeDouble("a", f));
  EXPECT_EQ(-3, none.ReadNodeUInt16(static_cast<xmlNode*>(nullptr), u));
  EXPECT_EQ(7, s);
  EXPECT_EQ(7, l);
  EXPECT_EQ(7, u);
  EXPECT_EQ(7.0, f);
  // The by-node short and byte readers always store.
  EXPECT_EQ(-3, none.ReadNodeShort(static_cast<xmlNode*>(nullptr), s));
  EXPECT_EQ(0, s);

  OpenedDoc d("<n><a>5</a></n>");
  ASSERT_EQ(0, d.result());
  s = l = u = c = 7;
  f = 7;
  EXPECT_EQ(-5, d.doc.ReadNodeShort("b", s));
  EXPECT_EQ(-5, d.doc.ReadNodeLong("b", l));
  EXPECT_EQ(-5, d.doc.ReadNodeDouble("b", f));
  EXPECT_EQ(-5, d.doc.ReadNodeLong(static_cast<xmlNode*>(nullptr), l));
  EXPECT_EQ(-5, d.doc.ReadNodeUInt16(static_cast<xmlNode*>(nullptr), u));
  EXPECT_EQ(-5, d.doc.ReadNodeDouble(static_cast<xmlNode*>(nullptr), f));
  EXPECT_EQ(7, s);
  EXPECT_EQ(7, l);
  EXPECT_EQ(7, u);
  EXPECT_EQ(7.0, f);
  EXPECT_EQ(-5, d.doc.ReadNodeShort(static_cast<xmlNode*>(nullptr), s));
  EXPECT_EQ(-5, d.doc.ReadNodeUChar(static_cast<xmlNode*>(nullptr), c));
  EXPECT_EQ(0, s);
  EXPECT_EQ(0, c);
}

TEST(XmlReadNumbers, Colours) {
  OpenedDoc d("<p>\n\t<Back>\n\t\t<red>65535</red>\n\t\t<green>0</green>\n\t\t<blue>32768</blue>\n"
              "\t</Back>\n\t<Partial>\n\t\t<red>1</red>\n\t\t<green>2</green>\n\t</Partial>\n"
              "\t<Borrow>\n\t\t<red>3</red>\n\t</Borrow>\n\t<Later>\n\t\t<green>4</green>\n"
              "\t\t<blue>5</blue>\n\t</Later>\n</p>");
  ASSERT_EQ(0, d.result());
  RGBColor rgb = {9, 9, 9};
  EXPECT_EQ(0, d.doc.ReadRGBColor("Back", rgb));
  EXPECT_EQ(65535, rgb.red);
  EXPECT_EQ(0, rgb.green);
  EXPECT_EQ(32768, rgb.blue);

  // The search for a component continues into later sections at the same level: "Partial"
  // takes its blue from "Later", and "Borrow" its green and blue.
  rgb = {9, 9, 9};
  EXPECT_EQ(0, d.doc.ReadRGBColor("Partial", rgb));
  EXPECT_EQ(1, rgb.red);
  EXPECT_EQ(2, rgb.green);
  EXPECT_EQ(5, rgb.blue);
  rgb = {9, 9, 9};
  EXPECT_EQ(0, d.doc.ReadRGBColor("Borrow", rgb));
  EXPECT_EQ(3, rgb.red);
  EXPECT_EQ(4, rgb.green);
  EXPECT_EQ(5, rgb.blue);

  OpenedDoc e("<p><c><red>1</red><green>2</green></c></p>");
  ASSERT_EQ(0, e.result());
  rgb = {9, 9, 9};
  EXPECT_EQ(-5, e.doc.ReadRGBColor("c", rgb));
  EXPECT_EQ(1, rgb.red);
  EXPECT_EQ(2, rgb.green);
  EXPECT_EQ(9, rgb.blue);
  EXPECT_EQ(-5, e.doc.ReadRGBColor("nothing", rgb));

  KivXML none;
  EXPECT_EQ(-5, none.ReadRGBColor("c", rgb));
}
