// Windows Latin 1 to Mac Roman, the Unicode string primitives and Kanji-code detection.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "KIVStr.h"

namespace {

// A Pascal string of the given bytes (at most 255) in a 256-byte buffer.
std::vector<unsigned char> pascal(const std::string& bytes) {
  std::vector<unsigned char> p(256, 0);
  p[0] = static_cast<unsigned char>(bytes.size());
  std::memcpy(p.data() + 1, bytes.data(), bytes.size());
  return p;
}

} // namespace

TEST(CharSets, WindowsToMacRomanLimitsAndFailures) {
  auto p = pascal(std::string(252, 'a') + "\xE9");
  EXPECT_TRUE(ConvertWinString2MacString(p.data()));
  EXPECT_EQ(p, pascal(std::string(252, 'a') + "\x8E"));
  for (size_t n : {254, 255}) {
    p = pascal(std::string(n, 'a'));
    EXPECT_FALSE(ConvertWinString2MacString(p.data())) << n;
    EXPECT_EQ(p[0], n);
  }
  // A failure leaves the whole text as it was, the convertible bytes included.
  p = pascal("\xFC\xBD");
  EXPECT_FALSE(ConvertWinString2MacString(p.data()));
  EXPECT_EQ(p, pascal("\xFC\xBD"));

  std::string c = std::string(400, 'x') + "\xFC"; // C strings have no 255-byte limit
  EXPECT_TRUE(ConvertCWinString2MacString(c.data()));
  EXPECT_EQ(c, std::string(400, 'x') + "\x9F");

  p = pascal("\x8A\xE9");
  WinStr2MacStr(p.data());
  MacStr2WinStr(p.data());
  EXPECT_EQ(p, pascal("\x8A\xE9"));
}

TEST(CharSets, UnicodeCopyAppendAndEquality) {
  unsigned short abc[] = {3, 'a', 'b', 'c'}, abd[] = {3, 'a', 'b', 'd'}, ABC[] = {3, 'A', 'B', 'C'};
  unsigned short empty[] = {0, 'z'}, empty2[] = {0}, buf[16] = {0};
  EXPECT_EQ(PPUcat(buf, abc), buf);
  EXPECT_EQ(0, std::memcmp(buf, abc, sizeof abc));
  PPUcat(buf, abd);
  const unsigned short joined[] = {6, 'a', 'b', 'c', 'a', 'b', 'd'};
  EXPECT_EQ(0, std::memcmp(buf, joined, sizeof joined));
  PPUcat(buf, buf);
  EXPECT_EQ(buf[0], 12);
  EXPECT_EQ(buf[12], 'd');

  EXPECT_EQ(PPUcopy(empty, buf), buf);
  EXPECT_EQ(buf[0], 0);
  PPUcopy(abc, buf);
  EXPECT_TRUE(EqualStringUni(buf, abc));
  EXPECT_FALSE(EqualStringUni(abc, abd));
  EXPECT_FALSE(EqualStringUni(abc, ABC));
  EXPECT_FALSE(EqualStringUni(empty, empty2));
  EXPECT_FALSE(EqualStringUni(abc, empty));

  // An append that would pass 32767 units is refused.
  std::vector<unsigned short> big(32768, 'x');
  big[0] = 32766;
  PPUcat(big.data(), abc);
  EXPECT_EQ(big[0], 32766);
}

TEST(CharSets, ByteOrderReversalRoundTrips) {
  EXPECT_EQ(AlwaysSwapUniChar(0x1234), 0x3412);
  for (unsigned n = 1; n <= 255; ++n) {
    std::vector<unsigned short> s(n + 1);
    s[0] = static_cast<unsigned short>(n);
    for (unsigned i = 1; i <= n; ++i)
      s[i] = static_cast<unsigned short>(0x0100 * i + 0x41);
    const auto original = s;
    AlwaysSwapUniString(s.data());
    EXPECT_EQ(s[0], n << 8);
    EXPECT_EQ(s[n], AlwaysSwapUniChar(original[n]));
    SwapUniString(s.data());
    EXPECT_EQ(s, original) << n;
  }
  // A host-order count of 256 or more is taken as it stands.
  std::vector<unsigned short> s(301, 0x00FF);
  s[0] = 300;
  AlwaysSwapUniString(s.data());
  EXPECT_EQ(s[0], 0x2C01);
  EXPECT_EQ(s[300], 0xFF00);
  unsigned short empty[] = {0, 0x1234};
  AlwaysSwapUniString(empty);
  EXPECT_EQ(empty[1], 0x1234);
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
  EXPECT_EQ(DetectKanjiCode(nullptr), 8);
}
