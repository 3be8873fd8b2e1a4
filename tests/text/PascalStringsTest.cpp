#include <KIVStr.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A destination of `room` bytes followed by guard bytes that no call may touch.
struct Guarded {
  static constexpr int kGuard = 32;
  unsigned char bytes[256 + 2 * kGuard];
  int room;
  explicit Guarded(int room) : room(room) { std::memset(bytes, 0xA5, sizeof bytes); }
  unsigned char* p() { return bytes; }
  char* c() { return reinterpret_cast<char*>(bytes); }
  bool guardsIntact() const {
    for (int i = room; i < room + kGuard; ++i)
      if (bytes[i] != 0xA5) return false;
    return true;
  }
};

std::string text(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

// Builds a Pascal string in a 256-byte buffer.
struct P {
  unsigned char b[256];
  explicit P(const std::string& s) {
    b[0] = static_cast<unsigned char>(s.size());
    std::memcpy(b + 1, s.data(), s.size());
  }
  operator unsigned char*() { return b; }
};

} // namespace

TEST(PascalStrings, CopiesAndConversions) {
  P empty("");
  Guarded c(1);
  P2CStrCopy(empty, c.c());
  EXPECT_EQ(c.bytes[0], 0);
  EXPECT_TRUE(c.guardsIntact());

  Guarded pe(1);
  C2PStrCopy("", pe.p());
  EXPECT_EQ(pe.bytes[0], 0);
  EXPECT_TRUE(pe.guardsIntact());

  // Text with a zero byte inside: the Pascal form keeps it, the C form ends there.
  P withZero(std::string("ab\0cd", 5));
  Guarded c2(6);
  P2CStrCopy(withZero, c2.c());
  EXPECT_EQ(std::memcmp(c2.bytes, "ab\0cd\0", 6), 0);
  EXPECT_TRUE(c2.guardsIntact());

  Guarded copy(6);
  PPcopy(withZero, copy.p());
  EXPECT_EQ(text(copy.p()), std::string("ab\0cd", 5));
  EXPECT_TRUE(copy.guardsIntact());

  const std::string s255(255, 'q');
  Guarded p255(256);
  C2PStrCopy(s255.c_str(), p255.p());
  EXPECT_EQ(text(p255.p()), s255);
  EXPECT_TRUE(p255.guardsIntact());

  char inPlace[256];
  std::strcpy(inPlace, "hello");
  EXPECT_EQ(C2pstr(inPlace), inPlace);
  EXPECT_EQ(text(reinterpret_cast<unsigned char*>(inPlace)), "hello");
  auto* back = P2cstr(reinterpret_cast<unsigned char*>(inPlace));
  EXPECT_EQ(back, reinterpret_cast<unsigned char*>(inPlace));
  EXPECT_STREQ(inPlace, "hello");
}

TEST(PascalStrings, LongCStringsAreClippedTo255) {
  const std::string s300(300, 'z');
  Guarded dst(256);
  C2PStrCopy(s300.c_str(), dst.p());
  EXPECT_EQ(dst.bytes[0], 255);
  EXPECT_EQ(text(dst.p()), std::string(255, 'z'));
  EXPECT_TRUE(dst.guardsIntact());

  char buf[301];
  std::memcpy(buf, s300.c_str(), 301);
  C2pstr(buf);
  EXPECT_EQ(static_cast<unsigned char>(buf[0]), 255);
  EXPECT_EQ(std::string(buf + 1, 255), std::string(255, 'z'));
}

TEST(PascalStrings, CatAndTrunc) {
  P ab("ab");
  P cd("cd");
  EXPECT_EQ(PPcat(ab, cd), static_cast<unsigned char*>(ab));
  EXPECT_EQ(text(ab), "abcd");

  P self("xy");
  PPcat(self, self);
  EXPECT_EQ(text(self), "xyxy");

  // A joined length above 255 stops at 255 and writes nothing past the 256-byte buffer.
  Guarded big(256);
  std::memset(big.bytes + 1, 'a', 200);
  big.bytes[0] = 200;
  P tail(std::string(100, 'b'));
  PPcat(big.p(), tail);
  EXPECT_EQ(text(big.p()), std::string(200, 'a') + std::string(55, 'b'));
  EXPECT_TRUE(big.guardsIntact());

  P hello("hello");
  Trunc(hello, 5);
  EXPECT_EQ(text(hello), "hello");
  Trunc(hello, 300);
  EXPECT_EQ(text(hello), "hello");
  Trunc(hello, 3);
  EXPECT_EQ(text(hello), "hel");
  EXPECT_EQ(hello.b[4], 'l'); // the text bytes are left alone
  Trunc(hello, -4);
  EXPECT_EQ(hello.b[0], 0);
}

TEST(PascalStrings, SuffixAndPrefixTests) {
  char report[] = "report.txt", txt[] = ".txt", abcabc[] = "abcabc", abc[] = "abc", xabc[] = "xabc",
       none[] = "";
  char none2[] = "";
  EXPECT_TRUE(EndsBy(report, txt));
  EXPECT_FALSE(EndsBy(abcabc, abc)); // only the first occurrence counts
  EXPECT_TRUE(EndsBy(xabc, abc));
  EXPECT_TRUE(EndsBy(none, none2));
  EXPECT_FALSE(EndsBy(abc, none));
  EXPECT_FALSE(EndsBy(txt, report));

  P pReport("report.txt"), pTxt(".txt"), pLong("a.txt"), pAbcabc("abcabc"), pAbc("abc");
  EXPECT_TRUE(EndsBy(static_cast<unsigned char*>(pReport), static_cast<unsigned char*>(pTxt)));
  EXPECT_FALSE(EndsBy(static_cast<unsigned char*>(pAbcabc), static_cast<unsigned char*>(pAbc)));
  EXPECT_FALSE(EndsBy(static_cast<unsigned char*>(pTxt), static_cast<unsigned char*>(pLong)));
  // Full-length Pascal strings fit the 256-byte work buffers.
  P long1(std::string(254, 'x') + "y"), long2(std::string(254, 'x') + "y");
  EXPECT_TRUE(EndsBy(static_cast<unsigned char*>(long1), static_cast<unsigned char*>(long2)));

  P s("Abc"), empty(""), lowerA("a"), upperA("Ab"), longer("Abcd");
  EXPECT_TRUE(StrBeginBy(s, empty));
  EXPECT_FALSE(StrBeginBy(s, lowerA));
  EXPECT_TRUE(StrBeginBy(s, upperA));
  EXPECT_FALSE(StrBeginBy(s, longer));
}

TEST(PascalStrings, JustifyText) {
  P src("abcdef");
  Guarded d1(6);
  EXPECT_EQ(JSTstr(src, d1.p(), 3, 2), d1.p());
  EXPECT_EQ(text(d1.p()), "abc  ");
  EXPECT_TRUE(d1.guardsIntact());

  P ab("ab");
  Guarded d2(6);
  JSTstr(ab, d2.p(), 4, 1);
  EXPECT_EQ(text(d2.p()), "ab   ");
  EXPECT_TRUE(d2.guardsIntact());

  // A negative gap cuts the field short; src and dst may be the same buffer.
  P same("abcdef");
  JSTstr(same, same, 5, -2);
  EXPECT_EQ(text(same), "abc");
  P grow("ab");
  JSTstr(grow, grow, 4, 0);
  EXPECT_EQ(text(grow), "ab  ");

  // Totals outside 0..255: empty or 255 characters, nothing beyond.
  Guarded neg(1);
  JSTstr(src, neg.p(), 2, -5);
  EXPECT_EQ(neg.bytes[0], 0);
  EXPECT_TRUE(neg.guardsIntact());
  Guarded wide(256);
  JSTstr(src, wide.p(), 200, 200);
  EXPECT_EQ(text(wide.p()), "abcdef" + std::string(249, ' '));
  EXPECT_TRUE(wide.guardsIntact());
}

TEST(PascalStrings, JustifyNumbers) {
  unsigned char d[256];
  EXPECT_EQ(text(JSTlong(-5, d, 4, 0, 0)), "  -5");
  EXPECT_EQ(text(JSTlong(12345, d, 3, 2, 1)), "12345  ");
  EXPECT_EQ(text(JSTlong(42, d, 5, 1, 1)), "42    ");
  EXPECT_EQ(text(JSTlong(42, d, 5, 2, 0)), "   42  ");
  EXPECT_EQ(text(JSTlong(-2147483647 - 1, d, 0, 0, -1)), "-2147483648");
  EXPECT_EQ(text(JSTlong(0, d, 0, 0, 1)), "0");

  // A negative gap cuts the field short, and only total + 1 bytes are written.
  Guarded right(4);
  JSTlong(42, right.p(), 5, -2, 0);
  EXPECT_EQ(text(right.p()), "   ");
  EXPECT_TRUE(right.guardsIntact());
  Guarded left(3);
  JSTlong(12345, left.p(), 0, -3, 1);
  EXPECT_EQ(text(left.p()), "12");
  EXPECT_TRUE(left.guardsIntact());

  Guarded neg(1);
  JSTlong(7, neg.p(), 1, -9, 1);
  EXPECT_EQ(neg.bytes[0], 0);
  EXPECT_TRUE(neg.guardsIntact());
  Guarded wide(256);
  JSTlong(7, wide.p(), 300, 10, 0);
  EXPECT_EQ(text(wide.p()), std::string(255, ' '));
  EXPECT_TRUE(wide.guardsIntact());
  Guarded wideLeft(256);
  JSTlong(7, wideLeft.p(), 250, 10, 1);
  EXPECT_EQ(text(wideLeft.p()), "7" + std::string(254, ' '));
  EXPECT_TRUE(wideLeft.guardsIntact());
}

TEST(PascalStrings, NullArgumentsDoNothing) {
  P s("abc");
  PPcopy(nullptr, s);
  P2CStrCopy(s, nullptr);
  C2PStrCopy(nullptr, s);
  Trunc(nullptr, 2);
  EXPECT_EQ(PPcat(s, nullptr), static_cast<unsigned char*>(s));
  EXPECT_EQ(text(s), "abc");
  EXPECT_FALSE(EndsBy(static_cast<char*>(nullptr), static_cast<char*>(nullptr)));
  EXPECT_FALSE(StrBeginBy(nullptr, s));
  EXPECT_EQ(JSTstr(nullptr, s, 2, 2), static_cast<unsigned char*>(s));
  EXPECT_EQ(JSTlong(1, nullptr, 2, 2, 0), nullptr);
}
