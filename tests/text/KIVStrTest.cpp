// The string object: what it reports to its feedback object, the encodings and feedback of the
// strings it makes, its conversion buffer, and copies that share its text until one changes (on
// one thread; the concurrency suite changes them on several).
#include "KIV_Str.h"
#include "platform/memory/Memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
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

// The text as UTF-16 units, read without lending it (GetCFString would make it unshareable).
std::u16string unitsOf(const KIVStr& s) {
  CFStringRef copy = s.GetCFStringCopy();
  std::u16string units(CFStringGetLength(copy), u'\0');
  CFStringGetCharacters(copy, CFRangeMake(0, units.size()),
                        reinterpret_cast<UniChar*>(units.data()));
  CFRelease(copy);
  return units;
}

const unsigned int kRoman = kCFStringEncodingMacRoman, kUTF8 = kCFStringEncodingUTF8;

KIVStr makeStr(const std::string& bytes, unsigned int encoding = kUTF8, KIVFeedback* fb = nullptr) {
  KIVStr s(0, encoding, fb);
  s << bytes.c_str();
  return s;
}

const auto* pas(const char* p) { return reinterpret_cast<const unsigned char*>(p); }

const char kMismatch[] = "KIVStr::operator<<(KIVStr p) : p.encoding != this->encoding";
const char kEmptyArg[] = "KIVStr::operator<<(KIVStr p) : p is empty";
const char kTooLong[] = "KIVStr::GetPStringCopy : string is larger than 255 !";
const char kNotRoman[] =
    "KIVStr::GetPStringCopy : string is not roman. Impossible to copy to Pstr !";
const char kLongerThanLen[] = "KIVStr::GetCStringCopy : string is larger than len !";
const char kMid[] = "KIVStr::Mid() : start > length !!!";

} // namespace

TEST(KIVStr, AppendsEveryFormDecodedInItsOwnEncoding) {
  KIVStr s = makeStr("12", kRoman), utf8 = makeStr("\xC3\xA9");
  s << -5 << '\0' << "" << static_cast<const char*>(nullptr) << static_cast<short>(-32768)
    << static_cast<int>(-2147483647 - 1) << '\x8E' << pas("\x02\x8E\xA5");
  EXPECT_EQ(unitsOf(s), u"12-5-32768-2147483648\u00E9\u00E9\u2022"); // Mac Roman bytes
  unsigned short uni[] = {3, 'x', 0xD83D, 0xDE00}, none[] = {0, 'z'};
  utf8 << uni << none << pas("\0abc")
       << static_cast<const __CFString*>(makeStr("\xE2\x82\xAC").GetCFString());
  EXPECT_EQ(unitsOf(utf8), u"\u00E9x\U0001F600\u20AC");
  // Numbers in encodings whose digits are ASCII, and in one that goes through the decoder.
  KIVStr latin(0, kCFStringEncodingISOLatin1, nullptr), euc(0, kCFStringEncodingEUC_JP, nullptr);
  latin << -42;
  euc << -42;
  EXPECT_EQ(unitsOf(latin) + unitsOf(euc), u"-42-42");
}

TEST(KIVStr, ReportsOperandsOfAnotherEncodingOrEmpty) {
  RecordingFeedback fb, otherFb;
  KIVStr s = makeStr("ab", kUTF8, &fb), empty(0, kUTF8, &otherFb);
  KIVStr roman = makeStr("cd", kRoman, &otherFb), emptyRoman(0, kRoman, &otherFb);
  s << empty << roman << emptyRoman << s;
  EXPECT_EQ(unitsOf(s), u"abab");
  // A sum reports to its left operand and is then a copy of it; assignment empties first.
  KIVStr sum = s + makeStr("!", kUTF8, &otherFb);
  EXPECT_EQ(unitsOf(sum), u"abab!");
  EXPECT_EQ(sum.GetExcept(), &fb);
  EXPECT_EQ(unitsOf(s + roman), u"abab");
  s = roman;
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(fb.messages, (Messages{kEmptyArg, kMismatch, kMismatch, kMismatch, kMismatch}));
  EXPECT_TRUE(otherFb.messages.empty());
  s = 42;
  KIVStr& self = s;
  s = self;
  EXPECT_EQ(unitsOf(s), u"42");
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
    { KIVStr copy(owner); }
    EXPECT_FALSE(destroyed);
    owner << KIVStr(0, fb);
    EXPECT_EQ(fb->messages, (Messages{kEmptyArg}));
  }
  EXPECT_TRUE(destroyed);
}

TEST(KIVStr, ComparesExactlyOrIgnoringCase) {
  // The argument bytes are decoded in the system encoding, not the string's.
  ASSERT_EQ(CFStringGetSystemEncoding(), kUTF8);
  EXPECT_EQ(makeStr("\x8E", kRoman).Compare("\xC3\xA9"), 0);
  EXPECT_EQ(KIVStr("\xC3\x89T\xC3\x89", nullptr).CompareNoCase("\xC3\xA9t\xC3\xA9"), 0);
  EXPECT_EQ(KIVStr("XYZ", nullptr).CompareNoCase(pas("\x03xyz")), 0);
  EXPECT_EQ(KIVStr("xyz", nullptr).Compare(pas("\x04xyzw")), -1);
  // Literal order is by unit ('B' 0x42 before 'a' 0x61); folded order is alphabetical.
  EXPECT_EQ(KIVStr("B", nullptr).Compare("a"), -1);
  EXPECT_EQ(KIVStr("B", nullptr).CompareNoCase("a"), 1);
  EXPECT_EQ(KIVStr(0, nullptr).Compare(static_cast<const char*>(nullptr)), 0);
}

TEST(KIVStr, CopiesReportWhatDoesNotFit) {
  RecordingFeedback fb;
  unsigned char p[256];
  makeStr(std::string(256, 'r'), kRoman, &fb).GetPStringCopy(p);
  makeStr(std::string(300, 'u'), kUTF8, &fb).GetPStringCopy(p);
  KIVStr(0, kUTF8, &fb).GetPStringCopy(p); // empty: silent in any encoding
  char c[16];
  KIVStr hello = makeStr("hello", kUTF8, &fb);
  EXPECT_TRUE(hello.GetCStringCopy(c, 6));
  EXPECT_FALSE(hello.GetCStringCopy(c, 5)); // no room for the terminator, yet no report
  for (int len : {3, 0, -4})
    EXPECT_FALSE(hello.GetCStringCopy(c + 8, len)) << len;
  unsigned short u[5];
  hello.GetUniStringCopy(u, 3);
  EXPECT_EQ(fb.messages, (Messages{kTooLong, kTooLong, kNotRoman, kLongerThanLen, kLongerThanLen,
                                   kLongerThanLen, kTooLong}));
  // A surrogate pair is never split.
  unsigned short text[] = {3, 0xE9, 0xD83D, 0xDE00};
  KIVStr pair(0, kRoman, &fb);
  pair << text;
  pair.GetUTF8StringCopy(c, 5);
  EXPECT_STREQ(c, "\xC3\xA9");
  pair.GetUTF8StringCopy(c, 6);
  EXPECT_STREQ(c, "\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(KIVStr, CStringBufferGrowsWithTheTextAndIsNeverCopied) {
  using kiv::platform::liveMemoryBlocks;
  const long base = liveMemoryBlocks();
  {
    KIVStr s = makeStr("abc");
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
  const KIVStr accent = makeStr("\x8E", kRoman);
  const unsigned char* p = accent; // the const conversion gives the Pascal form too
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(p), p[0] + 1), "\x01\x8E");
}

TEST(KIVStr, SubstringsTakeTheSystemEncodingAndNoFeedback) {
  RecordingFeedback fb;
  KIVStr s = makeStr("abcdef", kRoman, &fb);
  KIVStr mid = s.Mid(2, 10), whole = s.Right(10), tail = s.Right(2);
  EXPECT_EQ(unitsOf(mid) + unitsOf(s.Mid(4)) + unitsOf(s.Left(2)), u"cdefefab");
  EXPECT_EQ(mid.GetEncoding(), CFStringGetSystemEncoding());
  EXPECT_EQ(mid.GetExcept(), nullptr);
  EXPECT_TRUE(s.Mid(6, 1).IsEmpty());
  EXPECT_TRUE(KIVStr(0, kRoman, &fb).Left(3).IsEmpty());
  // A whole Right is a copy; a part of it is a substring.
  EXPECT_EQ(whole.GetEncoding(), kRoman);
  EXPECT_EQ(whole.GetExcept(), &fb);
  EXPECT_EQ(tail.GetExcept(), nullptr);
  s << s.Mid(0, 2); // in the system encoding, not Mac Roman
  // Suffix test, ignoring case; an empty suffix reads at the end and reports.
  EXPECT_TRUE(KIVEndsBy(KIVStr("REPORT.TXT", &fb), KIVStr(".txt", nullptr)));
  EXPECT_FALSE(KIVEndsBy(KIVStr("txt", &fb), KIVStr("a.txt", nullptr)));
  EXPECT_TRUE(KIVEndsBy(KIVStr("REPORT.TXT", &fb), KIVStr(0, nullptr)));
  EXPECT_TRUE(KIVEndsBy(KIVStr(0, &fb), KIVStr(0, nullptr)));
  EXPECT_EQ(fb.messages, (Messages{kMid, kMid, kMismatch, kMid}));
  EXPECT_EQ(static_cast<unsigned int>(s.strSwapLong(0x01020304)), 0x04030201u);
  char bytes[] = "abcde";
  s.SwapBuffer(bytes, 5);
  s.SwapBuffer(bytes, -3);
  s.SwapBuffer(nullptr, 4);
  EXPECT_STREQ(bytes, "badce");
}

TEST(KIVStr, TextsBeyond32767UnitsStayInBounds) {
  KIVStr s = makeStr(std::string(40000, 'a') + "xyz", kRoman);
  EXPECT_EQ(s.Length(), 32767);
  EXPECT_EQ(unitsOf(s.Right(3)), u"xyz");
  EXPECT_TRUE(KIVEndsBy(s, KIVStr("XYZ", nullptr)));
  EXPECT_EQ(std::strlen(static_cast<char*>(s)), 40003u);
}

namespace {

// Every member that changes the text, and a change through the lent platform string, each
// named by its code.
#define CHANGE(code)                                                                               \
  {                                                                                                \
#code, [](KIVStr & s) { code; }                                                                \
  }
const struct {
  const char* name;
  std::function<void(KIVStr&)> apply;
} kChanges[] = {CHANGE(s.Empty()),
                CHANGE(s.Affect("other")),
                CHANGE(s.Affect(pas("\x05other"))),
                CHANGE(s.Affect(-12)),
                CHANGE(s.Affect(makeStr("other"))),
                CHANGE(s = "other"),
                CHANGE(s = pas("\x05other")),
                CHANGE(s = 7),
                CHANGE(s = makeStr("other")),
                CHANGE(s << 2024),
                CHANGE(s << static_cast<short>(-3)),
                CHANGE(s << 'x'),
                CHANGE(s << " more"),
                CHANGE(s << pas("\x03pas")),
                CHANGE(s << (std::vector<unsigned short>{2, 0xE9, 'u'}).data()),
                CHANGE(s << makeStr("cf").GetCFString()),
                CHANGE(s << makeStr(" tail")),
                CHANGE(s << s),
                CHANGE(s.Upper()),
                CHANGE(s.Lower()),
                CHANGE(s.CreateEmptyString(8)),
                CHANGE(CFStringAppendCString(s.GetCFString(), "!", kUTF8)),
                CHANGE(CFStringDelete(s.GetCFString(), CFRangeMake(0, 3)))};

// The ways a string comes to share another's text.
const struct {
  const char* name;
  std::function<KIVStr(const KIVStr&)> make;
} kSharings[] = {
    {"copy", [](const KIVStr& s) { return KIVStr(s); }},
    {"assignment",
     [](const KIVStr& s) {
       KIVStr t(0, kUTF8, nullptr);
       t = s;
       return t;
     }},
    {"whole Right", [](const KIVStr& s) { return s.Right(100); }},
    {"appended to an empty string",
     [](const KIVStr& s) {
       KIVStr t(0, kUTF8, nullptr);
       t << s;
       return t;
     }},
};

} // namespace

TEST(KIVStrSharing, ChangingOneStringLeavesItsCopiesAlone) {
  for (const auto& sharing : kSharings)
    for (const auto& change : kChanges) {
      SCOPED_TRACE(std::string(sharing.name) + ", " + change.name);
      KIVStr expected = makeStr("Shared Text");
      change.apply(expected);
      // The copy changes, the original and a second copy stay; then the original changes.
      KIVStr source = makeStr("Shared Text"), changed = sharing.make(source);
      KIVStr other = sharing.make(source);
      change.apply(changed);
      EXPECT_EQ(unitsOf(changed), unitsOf(expected));
      EXPECT_EQ(unitsOf(source) + unitsOf(other), u"Shared TextShared Text");
      KIVStr copy = sharing.make(source);
      change.apply(source);
      EXPECT_EQ(unitsOf(source), unitsOf(expected));
      EXPECT_EQ(unitsOf(copy), u"Shared Text");
    }
}

TEST(KIVStrSharing, ALentTextStaysTheStringsOwn) {
  KIVStr s = makeStr("lent");
  CFMutableStringRef lent = s.GetCFString();
  // Copies made after lending do not see later changes through the lent string, and the string
  // keeps the very object it lent, whatever is appended or assigned to it.
  KIVStr copy(s), assigned(0, kUTF8, nullptr);
  assigned = s;
  CFStringAppendCString(lent, "!", kUTF8);
  s << makeStr(" more");
  s = makeStr("replaced");
  EXPECT_EQ(s.GetCFString(), lent);
  CFStringAppendCString(lent, "?", kUTF8);
  EXPECT_EQ(unitsOf(s), u"replaced?");
  EXPECT_EQ(unitsOf(copy) + unitsOf(assigned), u"lentlent");
}
