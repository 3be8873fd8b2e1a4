// The string object: appending, assignment, sums, comparison, feedback, conversion operators,
// copies into caller buffers and substrings.
#include "KIV_Str.h"
#include "platform/memory/Memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Messages = std::vector<std::string>;

// Records the messages it receives, and tells when it is destroyed.
class RecordingFeedback : public KIVFeedback {
public:
  explicit RecordingFeedback(bool* destroyed = nullptr) : destroyed_(destroyed) {}
  ~RecordingFeedback() override {
    if (destroyed_) *destroyed_ = true;
  }
  void Report(const char* message) override { messages.push_back(message); }
  Messages messages;

private:
  bool* destroyed_;
};

// The text of a KIVStr as UTF-16 units, read from its platform string.
std::u16string unitsOf(const KIVStr& s) {
  std::u16string units(CFStringGetLength(s.GetCFString()), u'\0');
  CFStringGetCharacters(s.GetCFString(), CFRangeMake(0, units.size()),
                        reinterpret_cast<UniChar*>(units.data()));
  return units;
}

KIVStr makeStr(const std::string& bytes, unsigned int encoding, KIVFeedback* fb) {
  KIVStr s(0, encoding, fb);
  s << bytes.c_str();
  return s;
}

std::string pText(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

const auto* pas(const char* p) { return reinterpret_cast<const unsigned char*>(p); }

const unsigned int kRoman = kCFStringEncodingMacRoman;
const unsigned int kUTF8 = kCFStringEncodingUTF8;
const char kMismatch[] = "KIVStr::operator<<(KIVStr p) : p.encoding != this->encoding";
const char kEmptyArg[] = "KIVStr::operator<<(KIVStr p) : p is empty";
const char kTooLong[] = "KIVStr::GetPStringCopy : string is larger than 255 !";
const char kNotRoman[] =
    "KIVStr::GetPStringCopy : string is not roman. Impossible to copy to Pstr !";
const char kLongerThanLen[] = "KIVStr::GetCStringCopy : string is larger than len !";
const char kMid[] = "KIVStr::Mid() : start > length !!!";

} // namespace

TEST(KIVStr, AppendsEveryFormDecodedInItsOwnEncoding) {
  KIVStr s = makeStr("12", kRoman, nullptr);
  s << -5 << '\0' << "" << static_cast<const char*>(nullptr);
  s << static_cast<short>(-32768) << static_cast<int>(-2147483647 - 1);
  EXPECT_EQ(unitsOf(s), u"12-5-32768-2147483648");

  // The same byte is a different character in another encoding.
  KIVStr roman(0, kRoman, nullptr);
  roman << '\x8E' << pas("\x02\x8E\xA5");
  EXPECT_EQ(unitsOf(roman), u"\u00E9\u00E9\u2022");
  KIVStr utf8 = makeStr("\xC3\xA9", kUTF8, nullptr);
  unsigned short uni[] = {3, 'x', 0xD83D, 0xDE00}, none[] = {0, 'z'};
  utf8 << uni << none << pas("\0abc") << static_cast<const __CFString*>(roman.GetCFString());
  EXPECT_EQ(unitsOf(utf8), u"\u00E9x\U0001F600\u00E9\u00E9\u2022");
}

TEST(KIVStr, StringOperandsMustShareTheEncodingAndNotBeEmpty) {
  RecordingFeedback fb, otherFb;
  KIVStr s = makeStr("ab", kUTF8, &fb);
  KIVStr empty(0, kUTF8, &otherFb), emptyRoman(0, kRoman, &otherFb);
  KIVStr roman = makeStr("cd", kRoman, &otherFb);
  s << empty << roman << emptyRoman;
  EXPECT_EQ(unitsOf(s), u"ab");
  EXPECT_EQ(fb.messages, (Messages{kEmptyArg, kMismatch, kMismatch}));
  EXPECT_TRUE(otherFb.messages.empty());
  s << s;
  EXPECT_EQ(unitsOf(s), u"abab");
  KIVStr quiet = makeStr("q", kUTF8, nullptr); // no feedback: silent, same outcome
  quiet << empty << roman;
  EXPECT_EQ(unitsOf(quiet), u"q");

  // A sum reports to its left operand and is then a copy of it.
  fb.messages.clear();
  KIVStr sum = s + makeStr("!", kUTF8, &otherFb);
  EXPECT_EQ(unitsOf(sum), u"abab!");
  EXPECT_EQ(sum.GetExcept(), &fb);
  EXPECT_EQ(unitsOf(s + roman), u"abab");
  EXPECT_EQ(fb.messages, (Messages{kMismatch}));

  // Assignment empties the target first; assigning a string to itself keeps the text.
  s = roman;
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(fb.messages, (Messages{kMismatch, kMismatch}));
  s = 42;
  KIVStr& self = s;
  s = self;
  EXPECT_EQ(unitsOf(s), u"42");
  s = pas("\x03xyz");
  EXPECT_EQ(unitsOf(s), u"xyz");
  s = static_cast<const char*>(nullptr);
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(fb.messages.size(), 2u);
  EXPECT_TRUE(otherFb.messages.empty());
}

// Sets the ownership flag, which no constructor sets.
class OwningStr : public KIVStr {
public:
  explicit OwningStr(KIVFeedback* fb) : KIVStr("text", fb) { ownsFeedback = true; }
};

TEST(KIVStr, FeedbackIsDeletedOnlyByAnOwningString) {
  bool destroyed = false;
  auto* fb = new RecordingFeedback(&destroyed);
  {
    OwningStr owner(fb);
    {
      KIVStr copy(owner);
      EXPECT_EQ(copy.GetExcept(), fb);
      EXPECT_EQ(unitsOf(copy.Right(2)), u"xt");
    }
    EXPECT_FALSE(destroyed);
    owner << KIVStr(0, fb);
    EXPECT_EQ(fb->messages, (Messages{kEmptyArg}));
  }
  EXPECT_TRUE(destroyed);
}

TEST(KIVStr, ComparesExactlyOrIgnoringCase) {
  // The argument bytes are decoded in the system encoding, not the string's.
  ASSERT_EQ(CFStringGetSystemEncoding(), kUTF8);
  EXPECT_EQ(makeStr("\x8E", kRoman, nullptr).Compare("\xC3\xA9"), 0);

  KIVStr lower("xyz", nullptr), upper("XYZ", nullptr), accented("\xC3\x89T\xC3\x89", nullptr);
  EXPECT_EQ(lower.Compare(KIVStr("xyz", nullptr)), 0);
  EXPECT_EQ(lower.Compare(upper), 1);
  EXPECT_EQ(lower.CompareNoCase(upper), 0);
  EXPECT_EQ(upper.CompareNoCase(pas("\x03xyz")), 0);
  EXPECT_EQ(lower.Compare(pas("\x04xyzw")), -1);
  EXPECT_EQ(accented.Compare("\xC3\xA9t\xC3\xA9"), -1);
  EXPECT_EQ(accented.CompareNoCase("\xC3\xA9t\xC3\xA9"), 0);
  // Literal order is by unit ('B' 0x42 before 'a' 0x61); folded order is alphabetical.
  EXPECT_EQ(KIVStr("B", nullptr).Compare("a"), -1);
  EXPECT_EQ(KIVStr("B", nullptr).CompareNoCase("a"), 1);
  EXPECT_EQ(KIVStr(0, nullptr).Compare(static_cast<const char*>(nullptr)), 0);

  upper.Lower();
  lower.Upper();
  EXPECT_EQ(unitsOf(upper) + unitsOf(lower), u"xyzXYZ");
}

TEST(KIVStr, PascalCopyChecksLengthThenEncoding) {
  RecordingFeedback fb;
  unsigned char dst[260];
  std::memset(dst, 0xAB, sizeof dst);
  makeStr(std::string(255, 'r'), kRoman, &fb).GetPStringCopy(dst);
  EXPECT_EQ(pText(dst), std::string(255, 'r'));
  EXPECT_EQ(dst[256], 0xAB);
  EXPECT_TRUE(fb.messages.empty());

  makeStr(std::string(256, 'r'), kRoman, &fb).GetPStringCopy(dst);
  EXPECT_EQ(dst[0], 0);
  makeStr(std::string(300, 'u'), kUTF8, &fb).GetPStringCopy(dst);
  EXPECT_EQ(fb.messages, (Messages{kTooLong, kTooLong, kNotRoman}));

  // Empty strings copy silently in any encoding; a character without a Mac Roman form
  // empties the copy.
  fb.messages.clear();
  dst[0] = 9;
  KIVStr(0, kUTF8, &fb).GetPStringCopy(dst);
  EXPECT_EQ(dst[0], 0);
  KIVStr roman(0, kRoman, &fb);
  unsigned short nonRoman[] = {2, 'a', 0x65E5};
  roman << nonRoman;
  dst[0] = 9;
  roman.GetPStringCopy(dst);
  EXPECT_EQ(dst[0], 0);
  EXPECT_TRUE(fb.messages.empty());
}

TEST(KIVStr, CStringCopyIsBoundedByLen) {
  RecordingFeedback fb;
  KIVStr s = makeStr("hello", kUTF8, &fb);
  char dst[16];
  EXPECT_TRUE(s.GetCStringCopy(dst, 6));
  EXPECT_STREQ(dst, "hello");
  std::memset(dst, '#', sizeof dst);
  EXPECT_FALSE(s.GetCStringCopy(dst, 5)); // no room for the terminator, yet no report
  EXPECT_STREQ(dst, "");
  EXPECT_EQ(dst[5], '#');
  EXPECT_TRUE(fb.messages.empty());
  std::memset(dst, '#', sizeof dst);
  EXPECT_FALSE(s.GetCStringCopy(dst, 3));
  EXPECT_EQ(dst[3], '#');
  EXPECT_FALSE(s.GetCStringCopy(dst + 8, 0));
  EXPECT_FALSE(s.GetCStringCopy(dst + 8, -4));
  EXPECT_EQ(dst[8], '#');
  EXPECT_EQ(fb.messages, (Messages(3, kLongerThanLen)));
}

TEST(KIVStr, UnicodeAndUTF8CopiesCutWithinTheirRoom) {
  RecordingFeedback fb;
  unsigned short uni[5] = {9, 9, 9, 9, 0x7777};
  makeStr("xyzwv", kUTF8, &fb).GetUniStringCopy(uni, 3);
  EXPECT_EQ(std::u16string(uni, uni + 5), u"\x0003xyz\x7777");
  EXPECT_EQ(fb.messages, (Messages{kTooLong}));

  KIVStr s(0, kRoman, &fb);
  unsigned short text[] = {6, 0xE9, 't', 0xE9, ' ', 0xD83D, 0xDE00};
  s << text;
  char utf8[12];
  std::memset(utf8, '#', sizeof utf8);
  s.GetUTF8StringCopy(utf8, 1);
  EXPECT_EQ(std::string(utf8, 3), std::string("\0##", 3));
  s.GetUTF8StringCopy(utf8, 4);
  EXPECT_EQ(std::string(utf8, 6), std::string("\xC3\xA9t\0##", 6));
  s.GetUTF8StringCopy(utf8, 5); // a surrogate pair is never split
  EXPECT_STREQ(utf8, "\xC3\xA9t\xC3\xA9");
  s.GetUTF8StringCopy(utf8, 11);
  EXPECT_STREQ(utf8, "\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80");
  EXPECT_EQ(fb.messages.size(), 1u);
}

TEST(KIVStr, CStringBufferGrowsWithTheTextAndIsNeverCopied) {
  using kiv::platform::liveMemoryBlocks;
  const long base = liveMemoryBlocks();
  {
    KIVStr s = makeStr("abc", kUTF8, nullptr);
    EXPECT_STREQ(static_cast<char*>(s), "abc");
    s << std::string(1000, 'z').c_str();
    EXPECT_EQ(std::strlen(static_cast<char*>(s)), 1003u);
    EXPECT_EQ(liveMemoryBlocks(), base + 1);
    {
      const KIVStr copy(s);
      EXPECT_EQ(liveMemoryBlocks(), base + 1);
      EXPECT_EQ(std::strlen(static_cast<const char*>(copy)), 1003u);
      EXPECT_EQ(liveMemoryBlocks(), base + 2);
    }
    s.ReleaseBuffer();
    s.ReleaseBuffer();
    EXPECT_EQ(liveMemoryBlocks(), base);
    s.AllocBuffer(4);
    s.AllocBuffer(8);
    EXPECT_EQ(liveMemoryBlocks(), base + 1);
  }
  EXPECT_EQ(liveMemoryBlocks(), base);

  // Characters of three bytes, of two, and without a form in the string's encoding.
  unsigned short nichi[] = {2, 0x65E5, 0x672C};
  KIVStr utf8(0, kUTF8, nullptr), sjis(0, kCFStringEncodingShiftJIS, nullptr);
  KIVStr roman(0, kRoman, nullptr);
  utf8 << nichi;
  sjis << nichi;
  roman << nichi;
  EXPECT_STREQ(static_cast<char*>(utf8), "\xE6\x97\xA5\xE6\x9C\xAC");
  EXPECT_STREQ(static_cast<char*>(sjis), "\x93\xFA\x96\x7B");
  EXPECT_STREQ(static_cast<char*>(roman), "");
  EXPECT_EQ(static_cast<unsigned char*>(roman)[0], 0);
  roman = "\x8E";
  EXPECT_EQ(pText(static_cast<unsigned char*>(roman)), "\x8E");
  EXPECT_EQ(static_cast<unsigned char*>(makeStr(std::string(256, 'p'), kRoman, nullptr))[0], 0);
}

TEST(KIVStr, SubstringsTakeTheSystemEncodingAndNoFeedback) {
  RecordingFeedback fb;
  KIVStr s = makeStr("abcdef", kRoman, &fb);
  KIVStr mid = s.Mid(2, 10);
  EXPECT_EQ(unitsOf(mid), u"cdef");
  EXPECT_EQ(mid.GetEncoding(), CFStringGetSystemEncoding());
  EXPECT_EQ(mid.GetExcept(), nullptr);
  EXPECT_TRUE(s.Mid(0, 0).IsEmpty());
  EXPECT_EQ(unitsOf(s.Mid(4)) + unitsOf(s.Left(2)), u"efab");
  EXPECT_TRUE(fb.messages.empty());
  EXPECT_TRUE(s.Mid(6, 1).IsEmpty());
  EXPECT_TRUE(KIVStr(0, kRoman, &fb).Left(3).IsEmpty());
  EXPECT_EQ(fb.messages, (Messages{kMid, kMid}));

  KIVStr whole = s.Right(10), tail = s.Right(2);
  EXPECT_EQ(unitsOf(whole), u"abcdef");
  EXPECT_EQ(whole.GetEncoding(), kRoman);
  EXPECT_EQ(whole.GetExcept(), &fb);
  EXPECT_EQ(unitsOf(tail), u"ef");
  EXPECT_EQ(tail.GetExcept(), nullptr);
  CFStringRef copy = s.GetCFStringCopy(); // owned by the caller, unaffected by later changes
  s << "g";
  EXPECT_EQ(CFStringGetLength(copy), 6);
  CFRelease(copy);

  fb.messages.clear();
  s << s.Mid(0, 2); // the substring is in the system encoding, not Mac Roman
  EXPECT_EQ(unitsOf(s), u"abcdefg");
  EXPECT_EQ(fb.messages, (Messages{kMismatch}));

  // Suffix test, ignoring case; an empty suffix reads at the end and reports.
  fb.messages.clear();
  KIVStr name("REPORT.TXT", &fb);
  EXPECT_TRUE(KIVEndsBy(name, KIVStr(".txt", nullptr)));
  EXPECT_FALSE(KIVEndsBy(name, KIVStr(".doc", nullptr)));
  EXPECT_FALSE(KIVEndsBy(KIVStr("txt", &fb), KIVStr("a.txt", nullptr)));
  EXPECT_TRUE(fb.messages.empty());
  EXPECT_TRUE(KIVEndsBy(name, KIVStr(0, nullptr)));
  EXPECT_TRUE(KIVEndsBy(KIVStr(0, &fb), KIVStr(0, nullptr)));
  EXPECT_EQ(fb.messages, (Messages{kMid}));
}

TEST(KIVStr, SwapMembersReorderBytes) {
  KIVStr s(0, nullptr);
  EXPECT_EQ(static_cast<unsigned int>(s.strSwapLong(0x01020304)), 0x04030201u);
  char bytes[] = {1, 2, 3, 4, 5, 6};
  s.SwapBuffer(bytes, 5);
  s.SwapBuffer(bytes, -3);
  s.SwapBuffer(nullptr, 4);
  EXPECT_EQ(std::string(bytes, 6), std::string("\x02\x01\x04\x03\x05\x06", 6));
}

TEST(KIVStr, TextsBeyond32767UnitsStayInBounds) {
  RecordingFeedback fb;
  std::string big = std::string(40000, 'a') + "xyz";
  KIVStr s = makeStr(big, kRoman, &fb);
  EXPECT_EQ(s.Length(), 32767);
  EXPECT_EQ(unitsOf(s.Right(3)), u"xyz");
  EXPECT_TRUE(KIVEndsBy(s, KIVStr("XYZ", nullptr)));
  EXPECT_EQ(std::strlen(static_cast<char*>(s)), big.size());
  EXPECT_EQ(static_cast<unsigned char*>(s)[0], 0);
  unsigned char pascal[256];
  s.GetPStringCopy(pascal);
  EXPECT_EQ(pascal[0], 0);
  std::vector<unsigned short> uni(102, 0x7777);
  s.GetUniStringCopy(uni.data(), 100);
  EXPECT_EQ(uni[0], 100);
  EXPECT_EQ(uni[101], 0x7777);
  EXPECT_EQ(fb.messages, (Messages{kTooLong, kTooLong}));
}
