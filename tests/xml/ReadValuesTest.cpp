// Reading numbers and colours, and the lenient Base64 decoder.
#include <clocale>
#include <cstdlib>
#include <string>

#include "XmlSupport.h"

using namespace xmltest;

TEST(XmlReadNumbers, DecimalTextCutToTheTargetWidthAndFailures) {
  OpenedDoc d("<n><lead>  42abc</lead><none>abc</none><big>70000</big><neg>-1</neg>"
              "<wide>4294967297</wide><byte>300</byte><dbl> -2.5e3x</dbl><plus>+7</plus><pad>" +
              std::string(40, ' ') + "7</pad></n>");
  ASSERT_EQ(0, d.result);
  KivXML& doc = d.doc;
  KivXML none;
  auto at = [&](const char* name) { return doc.FindNode(nullptr, name); };
  xmlNode* null = nullptr;
  const std::pair<std::string, std::string> rows[] = {
      {"0:42", got<short>([&](auto& v) { return doc.ReadNodeShort("lead", v); })},
      {"0:0", got<short>([&](auto& v) { return doc.ReadNodeShort("none", v); })},
      {"0:4464", got<short>([&](auto& v) { return doc.ReadNodeShort("big", v); })},
      {"0:4464", got<short>([&](auto& v) { return doc.ReadNodeShort(at("big"), v); })},
      {"0:65535", got<u16>([&](auto& v) { return doc.ReadNodeUInt16(at("neg"), v); })},
      {"0:1", got<int>([&](auto& v) { return doc.ReadNodeLong("wide", v); })},
      {"0:7", got<int>([&](auto& v) { return doc.ReadNodeLong("plus", v); })},
      {"0:44", got<u8>([&](auto& v) { return doc.ReadNodeUChar(at("byte"), v); })},
      {"0:-2500", got<double>([&](auto& v) { return doc.ReadNodeDouble("dbl", v); })},
      {"0:42", got<double>([&](auto& v) { return doc.ReadNodeDouble(at("lead"), v); })},
      // The 16-bit reader takes 31 bytes of text: leading blanks can push the digits out.
      {"0:0", got<u16>([&](auto& v) { return doc.ReadNodeUInt16(at("pad"), v); })},
      {"0:7", got<int>([&](auto& v) { return doc.ReadNodeLong(at("pad"), v); })},
      // Failures leave the target, except the by-node short and byte readers, which zero it.
      {"-3:7", got<short>([&](auto& v) { return none.ReadNodeShort("a", v); })},
      {"-3:7", got<int>([&](auto& v) { return none.ReadNodeLong("a", v); })},
      {"-3:7", got<double>([&](auto& v) { return none.ReadNodeDouble("a", v); })},
      {"-3:7", got<u16>([&](auto& v) { return none.ReadNodeUInt16(null, v); })},
      {"-3:0", got<short>([&](auto& v) { return none.ReadNodeShort(null, v); })},
      {"-5:7", got<short>([&](auto& v) { return doc.ReadNodeShort("b", v); })},
      {"-5:7", got<int>([&](auto& v) { return doc.ReadNodeLong("b", v); })},
      {"-5:7", got<double>([&](auto& v) { return doc.ReadNodeDouble("b", v); })},
      {"-5:7", got<int>([&](auto& v) { return doc.ReadNodeLong(null, v); })},
      {"-5:7", got<u16>([&](auto& v) { return doc.ReadNodeUInt16(null, v); })},
      {"-5:7", got<double>([&](auto& v) { return doc.ReadNodeDouble(null, v); })},
      {"-5:0", got<short>([&](auto& v) { return doc.ReadNodeShort(null, v); })},
      {"-5:0", got<u8>([&](auto& v) { return doc.ReadNodeUChar(null, v); })}};
  for (size_t i = 0; i < std::size(rows); ++i)
    EXPECT_EQ(rows[i].first, rows[i].second) << "row " << i;
}

TEST(XmlReadNumbers, DoublesIgnoreTheProgramsNumericLocale) {
  OpenedDoc d("<n><v>1.25</v></n>");
  ASSERT_EQ(0, d.result);
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

TEST(XmlReadNumbers, Colours) {
  OpenedDoc d("<p>\n\t<Back>\n\t\t<red>65535</red>\n\t\t<green>0</green>\n\t\t<blue>32768</blue>\n"
              "\t</Back>\n\t<Partial>\n\t\t<red>1</red>\n\t\t<green>2</green>\n\t</Partial>\n"
              "\t<Borrow>\n\t\t<red>3</red>\n\t</Borrow>\n\t<Later>\n\t\t<green>4</green>\n"
              "\t\t<blue>5</blue>\n\t</Later>\n\t<c><red>1</red><green>2</green></c>\n</p>");
  ASSERT_EQ(0, d.result);
  KivXML none;
  // A component is searched for into later sections at the same level: "Partial" takes its blue
  // from "Later", "Borrow" its green and blue; "c", last, finds no blue.
  const std::tuple<KivXML*, const char*, const char*> rows[] = {
      {&d.doc, "Back", "0:65535,0,32768"}, {&d.doc, "Partial", "0:1,2,5"},
      {&d.doc, "Borrow", "0:3,4,5"},       {&d.doc, "c", "-5:1,2,9"},
      {&d.doc, "nothing", "-5:9,9,9"},     {&none, "c", "-5:9,9,9"}};
  for (auto [doc, name, want] : rows) {
    RGBColor c = {9, 9, 9};
    OSErr e = doc->ReadRGBColor(name, c);
    EXPECT_EQ(want, std::to_string(e) + ":" + std::to_string(c.red) + "," +
                        std::to_string(c.green) + "," + std::to_string(c.blue))
        << name;
  }
}

TEST(Base64Decode, LenientDecoding) {
  const std::pair<std::string, std::string> rows[] = {
      {"", ""},
      {"TWFu", "Man"},
      {"TWE=", "Ma"},
      {"TQ==", "M"},
      {"TWE", "Ma"},
      {"TQ", "M"},
      {"TWFuTWE", "ManMa"},
      {"T", "O"}, // a lone character: the end counts as six set bits
      {"////", "\xFF\xFF\xFF"},
      {"++++", "\xFB\xEF\xBE"},
      // "=" in the first two places is a byte outside the alphabet (63).
      {"A=AA", std::string("\x03\xF0\x00", 3)},
      {"=AAA", std::string("\xFC\x00\x00", 3)},
      {"TQ==TWFu", "M"},
      {"TWE=TWFu", "Ma"}, // decoding stops at a pad in the 3rd or 4th place
      // Outside the alphabet: 63 in the first three places, a third byte of 255 in the fourth.
      {"!!Fu", decode_base64("//Fu")},
      {"TWF!", "Ma\xFF"},
      {std::string("TWF\0", 4), "Ma\xFF"}};
  for (const auto& [in, want] : rows)
    EXPECT_EQ(want, decode_base64(in)) << "input " << testing::PrintToString(in);
  // Line breaks are not skipped: they take a place and shift what follows.
  std::string broken = decode_base64("TWFu\nTWFu");
  EXPECT_EQ(7u, broken.size());
  EXPECT_EQ("Man", broken.substr(0, 3));
}
