// Windows Latin 1 to Mac Roman, the Unicode string primitives and Kanji-code detection.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KIVStr.h"

namespace {

// A Pascal string of the given bytes (at most 255).
std::vector<unsigned char> pascal(const std::string& bytes) {
  std::vector<unsigned char> p(256, 0);
  p[0] = static_cast<unsigned char>(bytes.size());
  std::memcpy(p.data() + 1, bytes.data(), bytes.size());
  return p;
}

int detect(const std::string& bytes) { return DetectKanjiCode(pascal(bytes).data()); }

} // namespace

TEST(CharSets, WindowsToMacRomanLimitsAndFailures) {
  auto p = pascal(std::string(252, 'a') + "\xE9");
  EXPECT_TRUE(ConvertWinString2MacString(p.data()));
  EXPECT_EQ(p[0], 253);
  EXPECT_EQ(p[253], 0x8E);
  for (size_t n : {254, 255}) {
    p = pascal(std::string(n, 'a'));
    EXPECT_FALSE(ConvertWinString2MacString(p.data())) << n;
    EXPECT_EQ(p[0], n);
  }
  p = pascal("\xFC\xBD");
  EXPECT_FALSE(ConvertWinString2MacString(p.data()));
  EXPECT_EQ(0, std::memcmp(p.data(), "\x02\xFC\xBD", 3));

  std::string c = std::string(400, 'x') + "\xFC";
  EXPECT_TRUE(ConvertCWinString2MacString(c.data()));
  EXPECT_EQ(c.size(), 401u);
  EXPECT_EQ(static_cast<unsigned char>(c[400]), 0x9F);

  p = pascal("\x8A\xE9");
  WinStr2MacStr(p.data());
  MacStr2WinStr(p.data());
  EXPECT_EQ(p, pascal("\x8A\xE9"));
}

TEST(CharSets, UnicodeCopyAppendAndEquality) {
  unsigned short abc[] = {3, 'a', 'b', 'c'};
  unsigned short abd[] = {3, 'a', 'b', 'd'};
  unsigned short ABC[] = {3, 'A', 'B', 'C'};
  unsigned short buf[16] = {0};
  EXPECT_EQ(PPUcat(buf, abc), buf);
  EXPECT_EQ(0, std::memcmp(buf, abc, sizeof abc));
  PPUcat(buf, abd);
  const unsigned short joined[] = {6, 'a', 'b', 'c', 'a', 'b', 'd'};
  EXPECT_EQ(0, std::memcmp(buf, joined, sizeof joined));
  PPUcat(buf, buf);
  EXPECT_EQ(buf[0], 12);
  EXPECT_EQ(buf[12], 'd');

  unsigned short empty[] = {0, 'z'};
  unsigned short empty2[] = {0};
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
    std::vector<unsigned short> s(n + 1), original;
    s[0] = static_cast<unsigned short>(n);
    for (unsigned i = 1; i <= n; ++i)
      s[i] = static_cast<unsigned short>(0x0100 * i + 0x41);
    original = s;
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

TEST(KanjiCode, EscapeSequences) {
  EXPECT_EQ(detect(""), 8);
  EXPECT_EQ(detect("hello"), 8);
  EXPECT_EQ(detect("ab\x1B$Bxyz"), 1);
  EXPECT_EQ(detect("\x1B$@"), 2);
  EXPECT_EQ(detect("\x1B(I\xB1\x82"), 3); // returned at once: the later 0x82 is not seen
  EXPECT_EQ(detect("x\x1BK"), 4);
  EXPECT_EQ(detect("\x1B(J\x1B$B"), 1);
  EXPECT_EQ(detect("\x1B$"), 8);
  EXPECT_EQ(detect("\x1B"), 8);
  EXPECT_EQ(detect("\x1B\x1B$B"), 8); // the second ESC is consumed with the first
}

TEST(KanjiCode, ByteRangesAndFirstClue) {
  EXPECT_EQ(detect("abc\x82\xA0"), 6);
  EXPECT_EQ(detect("\x82\xA0\x1B$B"), 6);
  EXPECT_EQ(detect("\xA4\xA2"), 7);
  EXPECT_EQ(detect("\xA4\xA2\x1B$B"), 1); // undecided bytes do not stop the scan
  EXPECT_EQ(detect("\xB0\xF5"), 5);
  EXPECT_EQ(detect("\xF3"), 5);
  EXPECT_EQ(detect("ab\xB1"), 6);
  EXPECT_EQ(detect("\xA4\x41"), 6);
  EXPECT_EQ(detect("\xA4\xA0"), 8);
  EXPECT_EQ(detect("\xA4\xFF\x82"), 6);
  EXPECT_EQ(detect("\x8E\xB1"), 7);
  EXPECT_EQ(detect("\x8E\x41"), 6);
  EXPECT_EQ(detect("\x8E\xFD"), 8);
  EXPECT_EQ(detect("\xE5\xA1"), 7);
  EXPECT_EQ(detect("\xE5\x41"), 6);
  EXPECT_EQ(detect("\xE5\xFE"), 5);
  EXPECT_EQ(detect("\xE5\x1B$B"), 8); // ESC is taken as the second byte of the pair
  EXPECT_EQ(detect("\xE5\xFF\xF0"), 5);
  // The text ends at its first zero byte and at its length.
  EXPECT_EQ(detect(std::string("\xA4\xA2\0\x82", 4)), 7);
  auto p = pascal("\xA4\xA2\x82");
  p[0] = 2;
  EXPECT_EQ(DetectKanjiCode(p.data()), 7);
  p[0] = 1;
  EXPECT_EQ(DetectKanjiCode(p.data()), 6);
  EXPECT_EQ(DetectKanjiCode(nullptr), 8);
}

TEST(KanjiCode, RunsAfterEucLeadPairs) {
  EXPECT_EQ(detect("\xA4\xE5\x41\x42\x30\x1B$B"), 1); // the run ends at 0x30, skipped
  EXPECT_EQ(detect("\xA4\xE5\x41\x1B$B"), 7);         // the ESC ends the run and is skipped
  EXPECT_EQ(detect("\xA4\xE5\xA1\xA1\x85"), 6);
  EXPECT_EQ(detect("\xA4\xE5\x41\xFD"), 5);
  EXPECT_EQ(detect("\xA4\xE5\xF0\xFF\x7F"), 7); // F0 inside a run is not decisive
  EXPECT_EQ(detect("\xA4\xE5\x41\x20\x82"), 6); // the scan goes on after the run
  // A text of 255 bytes whose last byte starts a pair.
  EXPECT_EQ(detect(std::string(254, 'x') + "\xA4"), 6);
  std::string pairs;
  for (int i = 0; i < 127; ++i)
    pairs += "\xA4\xA2";
  EXPECT_EQ(detect(pairs + "a"), 7);
}
