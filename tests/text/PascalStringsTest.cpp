#include <KIVStr.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A Pascal string of the given text in a 256-byte buffer.
struct P {
  unsigned char b[256];
  explicit P(const std::string& s) {
    b[0] = static_cast<unsigned char>(s.size());
    std::memcpy(b + 1, s.data(), s.size());
  }
  operator unsigned char*() { return b; }
  std::string bytes() const { return std::string(reinterpret_cast<const char*>(b), b[0] + 1); }
};

std::string pas(const std::string& text) { return static_cast<char>(text.size()) + text; }

// Runs `write` on a buffer and checks that it wrote exactly `expected` and nothing after it.
template <class F> void expectWrites(const std::string& expected, F write) {
  unsigned char b[256 + 32];
  std::memset(b, 0xA5, sizeof b);
  write(b);
  const char* c = reinterpret_cast<const char*>(b);
  EXPECT_EQ(std::string(c, expected.size()), expected);
  EXPECT_EQ(std::string(c + expected.size(), 32), std::string(32, '\xA5')) << "guard bytes";
}

char* cstr(unsigned char* d) { return reinterpret_cast<char*>(d); }

} // namespace

TEST(PascalStrings, CopiesWriteTheTextAndNothingMore) {
  const std::string zero("ab\0cd", 5), s255(255, 'q'), s300(300, 'q');
  expectWrites(std::string(1, '\0'), [](unsigned char* d) { P2CStrCopy(P(""), cstr(d)); });
  expectWrites(pas(""), [](unsigned char* d) { C2PStrCopy("", d); });
  // The Pascal form keeps a zero byte; the C form ends at it.
  expectWrites(zero + '\0', [&](unsigned char* d) { P2CStrCopy(P(zero), cstr(d)); });
  expectWrites(pas(zero), [&](unsigned char* d) { PPcopy(P(zero), d); });
  expectWrites(pas(s255), [&](unsigned char* d) { C2PStrCopy(s255.c_str(), d); });
  expectWrites(pas(s255), [&](unsigned char* d) { C2PStrCopy(s300.c_str(), d); }); // clipped

  char inPlace[301];
  std::strcpy(inPlace, "hello");
  EXPECT_EQ(C2pstr(inPlace), inPlace);
  EXPECT_EQ(std::string(inPlace, 6), pas("hello"));
  auto* back = P2cstr(reinterpret_cast<unsigned char*>(inPlace));
  EXPECT_EQ(back, reinterpret_cast<unsigned char*>(inPlace));
  EXPECT_STREQ(inPlace, "hello");
  std::strcpy(inPlace, s300.c_str());
  C2pstr(inPlace);
  EXPECT_EQ(std::string(inPlace, 256), pas(s255));
}

TEST(PascalStrings, CatAndTrunc) {
  P ab("ab"), self("xy");
  EXPECT_EQ(PPcat(ab, P("cd")), static_cast<unsigned char*>(ab));
  EXPECT_EQ(ab.bytes(), pas("abcd"));
  PPcat(self, self);
  EXPECT_EQ(self.bytes(), pas("xyxy"));
  // A joined length above 255 stops at 255.
  expectWrites(pas(std::string(200, 'a') + std::string(55, 'b')), [](unsigned char* d) {
    PPcopy(P(std::string(200, 'a')), d);
    PPcat(d, P(std::string(100, 'b')));
  });

  P hello("hello");
  for (short max : {5, 300}) {
    Trunc(hello, max);
    EXPECT_EQ(hello.bytes(), pas("hello")) << max;
  }
  Trunc(hello, 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(hello.b), 6), "\x03hello"); // text bytes stay
  Trunc(hello, -4);
  EXPECT_EQ(hello.b[0], 0);
}

TEST(PascalStrings, SuffixAndPrefixTests) {
  const struct {
    const char *s, *suffix;
    bool ends;
  } cases[] = {{"report.txt", ".txt", true}, {"abcabc", "abc", false}, // first occurrence only
               {"xabc", "abc", true},        {"", "", true},
               {"abc", "", false},           {".txt", "report.txt", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    std::string s = c.s, suffix = c.suffix;
    EXPECT_EQ(EndsBy(s.data(), suffix.data()), c.ends);
    EXPECT_EQ(EndsBy(static_cast<unsigned char*>(P(s)), static_cast<unsigned char*>(P(suffix))),
              c.ends);
  }
  // Full-length Pascal strings fit the 256-byte work buffers.
  const std::string full = std::string(254, 'x') + "y";
  EXPECT_TRUE(EndsBy(static_cast<unsigned char*>(P(full)), static_cast<unsigned char*>(P(full))));

  P s("Abc");
  EXPECT_TRUE(StrBeginBy(s, P("")));
  EXPECT_FALSE(StrBeginBy(s, P("a")));
  EXPECT_TRUE(StrBeginBy(s, P("Ab")));
  EXPECT_FALSE(StrBeginBy(s, P("Abcd")));
}

TEST(PascalStrings, JustifyWritesTotalPlusOneBytesClippedTo255) {
  const struct {
    std::string src;
    short width, gap;
    std::string expected;
  } texts[] = {{"abcdef", 3, 2, "abc  "},
               {"ab", 4, 1, "ab   "},
               {"abcdef", 5, -2, "abc"},
               // Totals outside 0..255 are clipped.
               {"abcdef", 2, -5, ""},
               {"abcdef", 200, 200, "abcdef" + std::string(249, ' ')}};
  for (const auto& t : texts) {
    SCOPED_TRACE(&t - texts);
    expectWrites(pas(t.expected),
                 [&](unsigned char* d) { EXPECT_EQ(JSTstr(P(t.src), d, t.width, t.gap), d); });
  }
  // Source and destination may be the same buffer.
  P same("abcdef"), grow("ab");
  JSTstr(same, same, 5, -2);
  JSTstr(grow, grow, 4, 0);
  EXPECT_EQ(same.bytes() + grow.bytes(), pas("abc") + pas("ab  "));

  const struct {
    int value;
    short width, gap, align;
    std::string expected;
  } numbers[] = {{-5, 4, 0, 0, "  -5"},
                 {12345, 3, 2, 1, "12345  "},
                 {42, 5, 1, 1, "42    "},
                 {42, 5, 2, 0, "   42  "},
                 {-2147483647 - 1, 0, 0, -1, "-2147483648"},
                 // A negative gap cuts the field short; totals outside 0..255 are clipped.
                 {42, 5, -2, 0, "   "},
                 {12345, 0, -3, 1, "12"},
                 {7, 1, -9, 1, ""},
                 {7, 300, 10, 0, std::string(255, ' ')},
                 {7, 250, 10, 1, "7" + std::string(254, ' ')}};
  for (const auto& n : numbers) {
    SCOPED_TRACE(&n - numbers);
    expectWrites(pas(n.expected), [&](unsigned char* d) {
      EXPECT_EQ(JSTlong(n.value, d, n.width, n.gap, n.align), d);
    });
  }
}

TEST(PascalStrings, NullArgumentsDoNothing) {
  P s("abc");
  PPcopy(nullptr, s);
  P2CStrCopy(s, nullptr);
  C2PStrCopy(nullptr, s);
  Trunc(nullptr, 2);
  EXPECT_EQ(PPcat(s, nullptr), static_cast<unsigned char*>(s));
  EXPECT_EQ(s.bytes(), pas("abc"));
  EXPECT_FALSE(EndsBy(static_cast<char*>(nullptr), static_cast<char*>(nullptr)));
  EXPECT_FALSE(StrBeginBy(nullptr, s));
  EXPECT_EQ(JSTstr(nullptr, s, 2, 2), static_cast<unsigned char*>(s));
  EXPECT_EQ(JSTlong(1, nullptr, 2, 2, 0), nullptr);
}
