// The string service: decoding, encoding without substitution, mutation and the system
// encoding.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "KIV_Str.h"
#include "TestSupport.h"

namespace {

std::u16string unitsOf(CFStringRef s) {
  std::u16string out(static_cast<size_t>(CFStringGetLength(s)), u'\0');
  CFStringGetCharacters(s, CFRangeMake(0, CFStringGetLength(s)),
                        reinterpret_cast<UniChar*>(out.data()));
  return out;
}

CFStringRef create(const char* bytes, CFStringEncoding code = kCFStringEncodingUTF8) {
  return CFStringCreateWithCString(kCFAllocatorDefault, bytes, code);
}

} // namespace

TEST(StringService, CreationFailsOnBytesInvalidInTheEncoding) {
  // Ill-formed UTF-8: a cut sequence, an overlong form, an encoded surrogate.
  for (const char* bad : {"a\xC3", "\xC0\x80", "\xED\xA0\x80", "\xFF"})
    EXPECT_EQ(create(bad), nullptr) << bad;
  EXPECT_EQ(create("caf\xE9", kCFStringEncodingASCII), nullptr);
  EXPECT_EQ(create("\x82", kCFStringEncodingShiftJIS), nullptr);
  EXPECT_EQ(create("abc", 0x12345), nullptr);
  EXPECT_EQ(create(nullptr, 0), nullptr);

  const unsigned char roman[] = {3, 'a', 0xA5, 0xDB};
  CFStringRef p = CFStringCreateWithPascalString(kCFAllocatorDefault, roman, 0);
  EXPECT_EQ(unitsOf(p), u"a\u2022\u20AC");
  CFRelease(p);
  // A counted byte run keeps embedded zeros and takes no byte-order mark off.
  const UInt8 bytes[] = {0xEF, 0xBB, 0xBF, 'a', 0, 'b'};
  CFStringRef s =
      CFStringCreateWithBytes(kCFAllocatorDefault, bytes, 6, kCFStringEncodingUTF8, false);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(unitsOf(s), std::u16string(u"\uFEFFa\0b", 4));
  CFRelease(s);
}

TEST(StringService, EncodingFailsRatherThanSubstitutesOrDrops) {
  // Sizes count the terminator or length byte: café takes 6 bytes in UTF-8, 5 in Mac Roman.
  CFStringRef s = create("caf\xC3\xA9");
  char buf[8];
  unsigned char p[8];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_FALSE(CFStringGetCString(s, buf, 0, kCFStringEncodingUTF8));
  EXPECT_EQ(buf[0], 'x');
  EXPECT_FALSE(CFStringGetCString(s, buf, 5, kCFStringEncodingUTF8));
  EXPECT_EQ(std::string(buf, 1) + buf[5], std::string(1, '\0') + 'x');
  EXPECT_TRUE(CFStringGetCString(s, buf, 5, kCFStringEncodingMacRoman));
  EXPECT_STREQ(buf, "caf\x8E");
  EXPECT_TRUE(CFStringGetPascalString(s, p, 5, kCFStringEncodingMacRoman));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(p), 5), "\x04" + std::string("caf\x8E"));
  EXPECT_FALSE(CFStringGetPascalString(s, p, 4, kCFStringEncodingMacRoman));
  EXPECT_EQ(p[0], 0);
  CFRelease(s);

  // No '?' for a character without a form (U+0100), and invisible ones (soft hyphen, zero-width
  // space, word joiner) are not dropped either.
  s = create("a\xC4\x80");
  EXPECT_FALSE(CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingWindowsLatin1));
  CFRelease(s);
  for (const char* text : {"a\xC4\x80", "a\xC2\xAD", "a\xE2\x80\x8B", "a\xE2\x81\xA0"}) {
    s = create(text);
    for (CFStringEncoding code : {kCFStringEncodingMacRoman, kCFStringEncodingShiftJIS}) {
      EXPECT_FALSE(CFStringGetCString(s, buf, sizeof buf, code)) << text << " " << code;
      EXPECT_STREQ(buf, "");
    }
    CFRelease(s);
  }
  // A Pascal string never holds more than 255 bytes, whatever the buffer size.
  std::vector<UniChar> units(256, 'a');
  s = CFStringCreateWithCharacters(kCFAllocatorDefault, units.data(), 256);
  std::vector<unsigned char> big(1000);
  EXPECT_FALSE(CFStringGetPascalString(s, big.data(), 1000, kCFStringEncodingMacRoman));
  CFRelease(s);
}

TEST(StringService, GetBytesEncodesWholeCharacters) {
  CFStringRef s = create("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"); // a é € 😀
  const CFRange all = CFRangeMake(0, 5);
  UInt8 buf[16];
  CFIndex used = -1;
  // A null buffer measures; a surrogate pair is never split.
  EXPECT_EQ(CFStringGetBytes(s, all, kCFStringEncodingUTF8, 0, false, nullptr, 0, &used), 5);
  EXPECT_EQ(used, 10);
  EXPECT_EQ(CFStringGetBytes(s, all, kCFStringEncodingUTF8, 0, false, buf, 9, &used), 3);
  // Mac Roman stops at the first character it lacks; a range past the end gives nothing.
  EXPECT_EQ(CFStringGetBytes(s, all, 0, 0, false, buf, 16, &used), 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), used), "a\x8E\xDB");
  EXPECT_EQ(CFStringGetBytes(s, CFRangeMake(3, 5), 0, 0, false, buf, 16, &used), 0);
  CFRelease(s);
}

TEST(StringService, MutableStringsMapCaseFullyAndCopiesStayPut) {
  CFMutableStringRef m = CFStringCreateMutable(kCFAllocatorDefault, 0);
  CFStringAppendCString(m, "Stra\xC3\x9F \xC3\xA9", kCFStringEncodingUTF8);
  CFStringAppendCString(m, "\xC3", kCFStringEncodingUTF8); // does not decode: nothing added
  CFStringUppercase(m, nullptr);
  EXPECT_EQ(unitsOf(m), u"STRASS \u00C9");
  CFStringDelete(m, CFRangeMake(6, 100)); // clipped to the text
  CFStringLowercase(m, nullptr);
  CFStringAppend(m, m);
  EXPECT_EQ(unitsOf(m), u"strassstrass");
  // A copy does not follow later changes; an immutable string refuses them.
  CFStringRef copy = CFStringCreateCopy(kCFAllocatorDefault, m);
  CFStringDelete(m, CFRangeMake(0, 6));
  CFStringAppendCString(const_cast<CFMutableStringRef>(copy), "x", kCFStringEncodingUTF8);
  EXPECT_EQ(unitsOf(copy), u"strassstrass");
  CFRelease(copy);
  CFRelease(m);
}

TEST(StringService, SystemEncodingFollowsTheEnvironment) {
  kivtest::ScopedEnv ctype("LC_CTYPE", std::nullopt);
  kivtest::ScopedEnv lang("LANG", std::nullopt);
  const struct {
    const char* locale;
    CFStringEncoding code;
  } cases[] = {
      {"C", kCFStringEncodingASCII},
      {"POSIX", kCFStringEncodingASCII},
      {"C.UTF-8", kCFStringEncodingUTF8},
      {"en_US.utf8", kCFStringEncodingUTF8},
      {"de_DE.ISO-8859-1", kCFStringEncodingISOLatin1},
      {"de_DE@euro", kCFStringEncodingISOLatin9},
      {"ja_JP.eucJP", kCFStringEncodingEUC_JP},
      {"ja_JP.SJIS", kCFStringEncodingShiftJIS},
      {"ru_RU.KOI8-R", kCFStringEncodingKOI8_R},
      {"xx_XX.NO-SUCH-SET", kCFStringEncodingASCII},
  };
  for (const auto& c : cases) {
    kivtest::ScopedEnv all("LC_ALL", std::string(c.locale));
    const CFStringEncoding code = CFStringGetSystemEncoding();
    EXPECT_EQ(code, c.code) << c.locale;
    // Every code it reports can be converted.
    CFStringRef s = create("ok", code);
    EXPECT_NE(s, nullptr) << c.locale;
    if (s) CFRelease(s);
  }
  // LC_ALL wins over LC_CTYPE, which wins over LANG.
  kivtest::ScopedEnv all("LC_ALL", std::nullopt);
  kivtest::ScopedEnv lang2("LANG", std::string("fr_FR.UTF-8"));
  EXPECT_EQ(CFStringGetSystemEncoding(), kCFStringEncodingUTF8);
  kivtest::ScopedEnv ctype2("LC_CTYPE", std::string("C"));
  EXPECT_EQ(CFStringGetSystemEncoding(), kCFStringEncodingASCII);
}

TEST(StringService, ConvertersWorkOnEveryThread) {
  // Each thread has its own converters; interleaved encodings must not disturb each other.
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&failures] {
      for (int i = 0; i < 500; ++i) {
        CFStringRef s = create("\x8A\xBF", kCFStringEncodingShiftJIS);
        char out[8];
        if (!s || CFStringGetCString(s, out, sizeof out, kCFStringEncodingMacRoman) ||
            !CFStringGetCString(s, out, sizeof out, kCFStringEncodingUTF8) ||
            std::strcmp(out, "\xE6\xBC\xA2") != 0)
          ++failures;
        if (s) CFRelease(s);
      }
    });
  for (auto& t : threads)
    t.join();
  EXPECT_EQ(failures, 0);
}
