// The string object: construction, appending, assignment, sums, comparison and ownership.
#include "KIVStrFeedback.h"

#include <gtest/gtest.h>

namespace {

const unsigned int kRoman = kCFStringEncodingMacRoman;
const unsigned int kUTF8 = kCFStringEncodingUTF8;
const char kMismatch[] = "KIVStr::operator<<(KIVStr p) : p.encoding != this->encoding";
const char kEmpty[] = "KIVStr::operator<<(KIVStr p) : p is empty";

using Messages = std::vector<std::string>;

TEST(KIVStrBuild, AppendsEveryFormDecodedInItsOwnEncoding) {
  KIVStr s(0, kRoman, nullptr);
  s << "12";
  s << -5;
  EXPECT_EQ(unitsOf(s), u"12-5");
  s << '\0' << "" << static_cast<const char*>(nullptr);
  s << static_cast<short>(-32768) << static_cast<int>(-2147483647 - 1);
  EXPECT_EQ(unitsOf(s), u"12-5-32768-2147483648");

  // The same byte means different characters in different encodings.
  KIVStr roman(0, kRoman, nullptr), utf8(0, kUTF8, nullptr);
  roman << '\x8E' << reinterpret_cast<const unsigned char*>("\x02\x8E\xA5");
  utf8 << "\xC3\xA9";
  EXPECT_EQ(unitsOf(roman), u"\u00E9\u00E9\u2022");
  EXPECT_EQ(unitsOf(utf8), u"\u00E9");

  unsigned short uni[] = {3, 'x', 0xD83D, 0xDE00};
  unsigned short none[] = {0, 'z'};
  KIVStr other(0, kUTF8, nullptr);
  other << uni << none << reinterpret_cast<const unsigned char*>("\0abc");
  other << static_cast<const __CFString*>(utf8.GetCFString());
  EXPECT_EQ(unitsOf(other), u"x\U0001F600\u00E9");
  EXPECT_EQ(other.Length(), 4);
}

TEST(KIVStrBuild, AppendingAStringChecksEncodingThenEmptiness) {
  RecordingFeedback fb, otherFb;
  KIVStr s(0, kUTF8, &fb);
  s << "ab";
  KIVStr empty(0, kUTF8, &otherFb);
  KIVStr emptyRoman(0, kRoman, &otherFb);
  KIVStr roman(0, kRoman, &otherFb);
  roman << "cd";
  s << empty << roman << emptyRoman;
  EXPECT_EQ(unitsOf(s), u"ab");
  EXPECT_EQ(fb.messages, (Messages{kEmpty, kMismatch, kMismatch}));
  EXPECT_TRUE(otherFb.messages.empty());

  // Without a feedback object the same failures are silent and harmless.
  KIVStr quiet(0, kUTF8, nullptr);
  quiet << "q";
  quiet << empty << roman;
  EXPECT_EQ(unitsOf(quiet), u"q");

  s << s; // a string appended to itself doubles
  EXPECT_EQ(unitsOf(s), u"abab");
}

TEST(KIVStrBuild, AssignmentEmptiesFirstAndKeepsSelf) {
  RecordingFeedback fb;
  KIVStr target(0, kUTF8, &fb);
  target = "old";
  KIVStr roman(0, kRoman, nullptr);
  roman << "new";
  target = roman;
  EXPECT_TRUE(target.IsEmpty());
  EXPECT_EQ(fb.messages, (Messages{kMismatch}));

  target = 42;
  EXPECT_EQ(unitsOf(target), u"42");
  KIVStr& self = target;
  target = self;
  EXPECT_EQ(unitsOf(target), u"42");
  target = reinterpret_cast<const unsigned char*>("\x03xyz");
  EXPECT_EQ(unitsOf(target), u"xyz");
  target = static_cast<const char*>(nullptr);
  EXPECT_TRUE(target.IsEmpty());
  target.Empty();
  EXPECT_TRUE(target.IsEmpty());
  EXPECT_EQ(fb.messages.size(), 1u);
}

TEST(KIVStrBuild, SumReportsToLeftOperandAndFallsBackToItsCopy) {
  RecordingFeedback left, right;
  KIVStr a("abc", &left), b("def", &right), roman(0, kRoman, &right);
  roman << "x";
  KIVStr sum = a + b;
  EXPECT_EQ(unitsOf(sum), u"abcdef");
  EXPECT_EQ(sum.GetExcept(), &left);
  KIVStr mixed = a + roman;
  EXPECT_EQ(unitsOf(mixed), u"abc");
  EXPECT_EQ(mixed.GetEncoding(), a.GetEncoding());
  EXPECT_EQ(left.messages, (Messages{kMismatch}));
  EXPECT_TRUE(right.messages.empty());
  EXPECT_EQ(unitsOf(a), u"abc");
}

// Lets a test set the ownership flag that no constructor sets.
class OwningStr : public KIVStr {
public:
  OwningStr(KIVFeedback* fb) : KIVStr(0, fb) { ownsFeedback = true; }
};

TEST(KIVStrBuild, FeedbackIsDeletedOnlyByAnOwningString) {
  bool destroyed = false;
  auto* fb = new RecordingFeedback(&destroyed);
  {
    OwningStr owner(fb);
    owner << "text";
    {
      KIVStr copy(owner);
      EXPECT_EQ(copy.GetExcept(), fb);
      KIVStr tail = copy.Right(2);
      EXPECT_EQ(unitsOf(tail), u"xt");
    }
    EXPECT_FALSE(destroyed);
    KIVStr empty(0, fb);
    owner << empty;
    EXPECT_EQ(fb->messages.size(), 1u);
  }
  EXPECT_TRUE(destroyed);
}

TEST(KIVStrBuild, ComparesExactlyOrIgnoringCase) {
  KIVStr lower("abc", nullptr), upper("ABC", nullptr), longer("abcd", nullptr);
  EXPECT_EQ(lower.Compare(KIVStr("abc", nullptr)), 0);
  EXPECT_NE(lower.Compare(upper), 0);
  EXPECT_EQ(lower.CompareNoCase(upper), 0);
  EXPECT_EQ(lower.CompareNoCase("aBc"), 0);
  EXPECT_EQ(lower.CompareNoCase(reinterpret_cast<const unsigned char*>("\x03"
                                                                       "ABC")),
            0);
  EXPECT_EQ(lower.Compare(longer), -1);
  EXPECT_EQ(longer.Compare("abc"), 1);
  EXPECT_EQ(KIVStr(0, nullptr).Compare(static_cast<const char*>(nullptr)), 0);

  // The argument bytes are decoded in the system encoding, not the string's.
  ASSERT_EQ(CFStringGetSystemEncoding(), kUTF8);
  KIVStr roman(0, kRoman, nullptr);
  roman << "\x8E";
  EXPECT_EQ(roman.Compare("\xC3\xA9"), 0);

  upper.Lower();
  EXPECT_EQ(unitsOf(upper), u"abc");
  lower.Upper();
  EXPECT_EQ(unitsOf(lower), u"ABC");
  EXPECT_TRUE(roman.RomanEncoding());
  EXPECT_FALSE(lower.RomanEncoding());
}

} // namespace
