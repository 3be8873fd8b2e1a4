// The string service: bytes that do not decode, characters that have no form, mutation and
// the system encoding.
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

const CFStringEncoding kUTF8 = kCFStringEncodingUTF8;

CFStringRef create(const char* bytes, CFStringEncoding code = kUTF8) {
  return CFStringCreateWithCString(kCFAllocatorDefault, bytes, code);
}

} // namespace

TEST(StringService, FailsRatherThanSubstitutesOrDrops) {
  // Ill-formed UTF-8 (cut, overlong, an encoded surrogate), bytes outside the encoding, an
  // unknown encoding, no bytes: no string.
  const struct {
    const char* bytes;
    CFStringEncoding code;
  } bad[] = {{"a\xC3", kUTF8},
             {"\xC0\x80", kUTF8},
             {"\xED\xA0\x80", kUTF8},
             {"\xFF", kUTF8},
             {"caf\xE9", kCFStringEncodingASCII},
             {"\x82", kCFStringEncodingShiftJIS},
             {"abc", 0x12345},
             {nullptr, 0}};
  for (const auto& b : bad)
    EXPECT_EQ(create(b.bytes, b.code), nullptr) << (b.bytes ? b.bytes : "null") << " " << b.code;
  const unsigned char roman[] = {3, 'a', 0xA5, 0xDB};
  CFStringRef s = CFStringCreateWithPascalString(kCFAllocatorDefault, roman, 0);
  EXPECT_EQ(unitsOf(s), u"a\u2022\u20AC");
  CFRelease(s);
  // A counted byte run keeps embedded zeros and takes no byte-order mark off.
  const UInt8 bytes[] = {0xEF, 0xBB, 0xBF, 'a', 0, 'b'};
  s = CFStringCreateWithBytes(kCFAllocatorDefault, bytes, 6, kUTF8, false);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(unitsOf(s), std::u16string(u"\uFEFFa\0b", 4));
  CFRelease(s);
  // No '?' for a character without a form (U+0100), and invisible ones (soft hyphen, zero-width
  // space, word joiner) are not dropped either.
  char buf[8];
  s = create("a\xC4\x80");
  EXPECT_FALSE(CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingWindowsLatin1));
  CFRelease(s);
  for (const char* text : {"a\xC4\x80", "a\xC2\xAD", "a\xE2\x80\x8B", "a\xE2\x81\xA0"}) {
    s = create(text);
    for (CFStringEncoding code : {kCFStringEncodingMacRoman, kCFStringEncodingShiftJIS})
      EXPECT_TRUE(!CFStringGetCString(s, buf, sizeof buf, code) && buf[0] == 0)
          << text << " " << code;
    CFRelease(s);
  }
  // No room at all: nothing written.
  s = create("abc");
  buf[0] = 'x';
  EXPECT_FALSE(CFStringGetCString(s, buf, 0, kUTF8) ||
               CFStringGetPascalString(s, reinterpret_cast<unsigned char*>(buf), 0, kUTF8));
  EXPECT_EQ(buf[0], 'x');
  CFRelease(s);
  // A Pascal string never holds more than 255 bytes, whatever the buffer size.
  std::vector<UniChar> units(256, 'a');
  s = CFStringCreateWithCharacters(kCFAllocatorDefault, units.data(), 256);
  std::vector<unsigned char> big(1000);
  EXPECT_FALSE(CFStringGetPascalString(s, big.data(), 1000, kCFStringEncodingMacRoman));
  CFRelease(s);
  // Getting bytes: a null buffer measures, a surrogate pair is never split, Mac Roman stops at
  // the first character it lacks, a range past the end gives nothing.
  s = create("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"); // a é € 😀
  UInt8 out[16];
  CFIndex used = -1;
  EXPECT_EQ(CFStringGetBytes(s, CFRangeMake(0, 5), kUTF8, 0, false, nullptr, 0, &used), 5);
  EXPECT_EQ(used, 10);
  EXPECT_EQ(CFStringGetBytes(s, CFRangeMake(0, 5), kUTF8, 0, false, out, 9, &used), 3);
  EXPECT_EQ(CFStringGetBytes(s, CFRangeMake(0, 5), 0, 0, false, out, 16, &used), 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), used), "a\x8E\xDB");
  EXPECT_EQ(CFStringGetBytes(s, CFRangeMake(3, 5), 0, 0, false, out, 16, &used), 0);
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
  CFStringRef again = CFStringCreateCopy(kCFAllocatorDefault, copy); // the same, retained
  EXPECT_EQ(again, copy);
  CFRelease(again);
  CFRelease(copy);
  CFRelease(m);
}

TEST(StringService, SystemEncodingFollowsTheEnvironment) {
  kivtest::ScopedEnv ctype("LC_CTYPE", std::nullopt), lang("LANG", std::nullopt);
  const struct {
    const char* locale;
    CFStringEncoding code;
  } cases[] = {{"C", kCFStringEncodingASCII},
               {"POSIX", kCFStringEncodingASCII},
               {"C.UTF-8", kCFStringEncodingUTF8},
               {"en_US.utf8", kCFStringEncodingUTF8},
               {"de_DE.ISO-8859-1", kCFStringEncodingISOLatin1},
               {"de_DE@euro", kCFStringEncodingISOLatin9},
               {"ja_JP.eucJP", kCFStringEncodingEUC_JP},
               {"ja_JP.SJIS", kCFStringEncodingShiftJIS},
               {"ru_RU.KOI8-R", kCFStringEncodingKOI8_R},
               {"xx_XX.NO-SUCH-SET", kCFStringEncodingASCII}};
  for (const auto& c : cases) {
    kivtest::ScopedEnv all("LC_ALL", std::string(c.locale));
    const CFStringEncoding code = CFStringGetSystemEncoding();
    EXPECT_EQ(code, c.code) << c.locale;
    CFStringRef s = create("ok", code); // every code it reports can be converted
    EXPECT_NE(s, nullptr) << c.locale;
    if (s) CFRelease(s);
  }
  // LC_ALL wins over LC_CTYPE, which wins over LANG.
  kivtest::ScopedEnv all("LC_ALL", std::nullopt), lang2("LANG", std::string("fr_FR.UTF-8"));
  EXPECT_EQ(CFStringGetSystemEncoding(), kCFStringEncodingUTF8);
  kivtest::ScopedEnv ctype2("LC_CTYPE", std::string("C"));
  EXPECT_EQ(CFStringGetSystemEncoding(), kCFStringEncodingASCII);
}
