// The answers of the text primitives that write nothing: suffix and prefix tests, Unicode
// equality, byte order and Kanji-code detection, and what they do with null arguments.
#include <KIVStr.h>
#include <KivMisc.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// A Pascal string of up to 255 bytes in a 256-byte buffer.
std::vector<unsigned char> pascal(const std::string& bytes) {
  std::vector<unsigned char> p(256, 0);
  p[0] = static_cast<unsigned char>(bytes.size());
  std::memcpy(p.data() + 1, bytes.data(), bytes.size());
  return p;
}

} // namespace

TEST(TextPrimitives, SuffixPrefixAndUnicodeEquality) {
  const std::string full = std::string(254, 'x') + "y"; // fills the 256-byte work buffers
  const struct {
    std::string s, suffix;
    bool ends;
  } cases[] = {{"report.txt", ".txt", true},  {"abcabc", "abc", false}, // first occurrence only
               {"xabc", "abc", true},         {"", "", true},           {"abc", "", false},
               {".txt", "report.txt", false}, {full, full, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.s.substr(0, 12) + " ends by " + c.suffix.substr(0, 12));
    std::string s = c.s, suffix = c.suffix;
    EXPECT_EQ(EndsBy(s.data(), suffix.data()), c.ends);
    EXPECT_EQ(EndsBy(pascal(s).data(), pascal(suffix).data()), c.ends);
  }
  for (const char* prefix : {"", "a", "Ab", "Abcd"})
    EXPECT_EQ(StrBeginBy(pascal("Abc").data(), pascal(prefix).data()),
              prefix[0] == 0 || std::string(prefix) == "Ab")
        << prefix;
  unsigned short abc[] = {3, 'a', 'b', 'c'}, abd[] = {3, 'a', 'b', 'd'}, ABC[] = {3, 'A', 'B', 'C'};
  unsigned short copy[] = {3, 'a', 'b', 'c'}, empty[] = {0, 'z'}, empty2[] = {0};
  EXPECT_TRUE(EqualStringUni(copy, abc));
  EXPECT_FALSE(EqualStringUni(abc, abd) || EqualStringUni(abc, ABC) ||
               EqualStringUni(empty, empty2) || EqualStringUni(abc, empty));
}

TEST(TextPrimitives, NullArgumentsDoNothing) {
  auto s = pascal("abc");
  PPcopy(nullptr, s.data());
  P2CStrCopy(s.data(), nullptr);
  C2PStrCopy(nullptr, s.data());
  Trunc(nullptr, 2);
  EXPECT_EQ(s, pascal("abc"));
  EXPECT_FALSE(EndsBy(static_cast<char*>(nullptr), static_cast<char*>(nullptr)));
  EXPECT_FALSE(StrBeginBy(nullptr, s.data()));
  EXPECT_EQ(JSTstr(nullptr, s.data(), 2, 2), s.data());
  EXPECT_EQ(JSTlong(1, nullptr, 2, 2, 0), nullptr);
  EXPECT_EQ(DetectKanjiCode(nullptr), 8);
}

TEST(TextPrimitives, SwapsFollowTheOrderCodeAndTheType) {
  EXPECT_EQ(GetHostByteOrder(), 1);
  const unsigned short us = 0x1234;
  EXPECT_EQ(SwapToHost(us, 1), 0x1234);
  EXPECT_EQ(SwapToHost(us, 0), 0x3412);
  EXPECT_EQ(SwapToHost(us, 2), 0x3412);
  EXPECT_EQ(SwapToHost(static_cast<short>(0x0080), 0), -32768);
  EXPECT_EQ(SwapToHost(0x12345678u, 0), 0x78563412u);
  EXPECT_EQ(SwapToHost(0x000000FF, 0), static_cast<int>(0xFF000000u));
  EXPECT_EQ(AlwaysSwapByte(static_cast<short>(0x0080)), -32768);
  EXPECT_EQ(AlwaysSwapByte(static_cast<unsigned short>(0xABCD)), 0xCDAB);
  EXPECT_EQ(AlwaysSwapByte(0x12345678u), 0x78563412u);
  EXPECT_EQ(AlwaysSwapByte(-2), static_cast<int>(0xFEFFFFFFu));
  EXPECT_EQ(IntelSwapByte(1), 1 << 24);
  EXPECT_EQ(IntelSwapByte(static_cast<short>(0x0102)), 0x0201);
  EXPECT_EQ(IntelSwapByte(0xFF000000u), 0xFFu);
  EXPECT_EQ(AlwaysSwapUniChar(0x1234), 0x3412);
  // Doubles reverse their eight bytes; order 1 leaves even a signalling-NaN pattern untouched.
  auto bits = [](double d) {
    uint64_t b;
    std::memcpy(&b, &d, 8);
    return b;
  };
  const uint64_t nanBits = 0x7FF0000000000001ull;
  double nan;
  std::memcpy(&nan, &nanBits, 8);
  EXPECT_EQ(bits(AlwaysSwapByte(1.5)), 0xF83Full);
  EXPECT_EQ(bits(IntelSwapByte(1.5)), 0xF83Full);
  EXPECT_EQ(bits(SwapToHost(nan, 1)), nanBits);
  EXPECT_EQ(bits(SwapToHost(nan, 0)), 0x010000000000F07Full);
  // Unicode strings: a count of 256 or more in host order is taken as it stands.
  std::vector<unsigned short> s(301, 0x00FF);
  s[0] = 300;
  AlwaysSwapUniString(s.data());
  EXPECT_EQ(s[0], 0x2C01);
  EXPECT_EQ(s[300], 0xFF00);
  // A shorter string comes back by a second reversal.
  std::vector<unsigned short> abc = {3, 'a', 'b', 0x1234}, back = abc;
  AlwaysSwapUniString(back.data());
  EXPECT_EQ(back, (std::vector<unsigned short>{0x0300, 0x6100, 0x6200, 0x3412}));
  SwapUniString(back.data());
  EXPECT_EQ(back, abc);
}

TEST(KanjiCode, FirstDecisiveClueWins) {
  std::string pairs;
  for (int i = 0; i < 127; ++i)
    pairs += "\xA4\xA2";
  const std::string runEnd = "\xA4\xE5\x41\x42\x30\x1B$B", zeroEnd("\xA4\xA2\0\x82", 4);
  const std::map<int, std::vector<std::string>> cases = {
      // A second ESC is consumed with the first; so is an ESC after a lead byte (E5) or one
      // ending a run (A4 E5 41), whereas the byte 0x30 ending a run is skipped (runEnd).
      {1, {"ab\x1B$Bxyz", "\x1B(J\x1B$B", "\xA4\xA2\x1B$B", runEnd}},
      {2, {"\x1B$@"}},
      {3, {"\x1B(I\xB1\x82"}}, // returned at once: the later 0x82 is not seen
      {4, {"x\x1BK"}},
      {5, {"\xB0\xF5", "\xF3", "\xE5\xFE", "\xE5\xFF\xF0", "\xA4\xE5\x41\xFD"}},
      {6,
       {"abc\x82\xA0", "\x82\xA0\x1B$B", "ab\xB1", "\xA4\x41", "\xA4\xFF\x82", "\x8E\x41",
        "\xE5\x41", "\xA4\xE5\xA1\xA1\x85", "\xA4\xE5\x41\x20\x82",
        std::string(254, 'x') + "\xA4"}},
      // F0 inside a run is not decisive; the text ends at its first zero byte.
      {7,
       {"\xA4\xA2", "\x8E\xB1", "\xE5\xA1", "\xA4\xE5\x41\x1B$B", "\xA4\xE5\xF0\xFF\x7F", zeroEnd,
        pairs + "a"}},
      {8, {"", "hello", "\x1B$", "\x1B", "\x1B\x1B$B", "\xA4\xA0", "\x8E\xFD", "\xE5\x1B$B"}}};
  for (const auto& [code, texts] : cases)
    for (const auto& text : texts)
      EXPECT_EQ(DetectKanjiCode(pascal(text).data()), code) << testing::PrintToString(text);
  // The text also ends at its length byte.
  auto p = pascal("\xA4\xA2\x82");
  p[0] = 2;
  EXPECT_EQ(DetectKanjiCode(p.data()), 7);
  p[0] = 1;
  EXPECT_EQ(DetectKanjiCode(p.data()), 6);
}
