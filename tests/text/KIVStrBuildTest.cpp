// The string object: appending, assignment, sums, comparison and feedback ownership.
#include "KIVStrFeedback.h"

#include <gtest/gtest.h>

namespace {

TEST(KIVStrBuild, AppendsEveryFormDecodedInItsOwnEncoding) {
  KIVStr s = makeStr("12", kRoman, nullptr);
  s << -5 << '\0' << "" << static_cast<const char*>(nullptr);
  s << static_cast<short>(-32768) << static_cast<int>(-2147483647 - 1);
  EXPECT_EQ(unitsOf(s), u"12-5-32768-2147483648");

  // The same byte is a different character in another encoding.
  KIVStr roman(0, kRoman, nullptr);
  roman << '\x8E' << reinterpret_cast<const unsigned char*>("\x02\x8E\xA5");
  EXPECT_EQ(unitsOf(roman), u"\u00E9\u00E9\u2022");
  KIVStr utf8 = makeStr("\xC3\xA9", kUTF8, nullptr);
  unsigned short uni[] = {3, 'x', 0xD83D, 0xDE00}, none[] = {0, 'z'};
  utf8 << uni << none << reinterpret_cast<const unsigned char*>("\0abc");
  utf8 << static_cast<const __CFString*>(roman.GetCFString());
  EXPECT_EQ(unitsOf(utf8), u"\u00E9x\U0001F600\u00E9\u00E9\u2022");
  EXPECT_EQ(utf8.Length(), 7);
}

TEST(KIVStrBuild, AppendingAStringChecksEncodingThenEmptiness) {
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
}

TEST(KIVStrBuild, AssignmentEmptiesFirstAndKeepsSelf) {
  RecordingFeedback fb;
  KIVStr target = makeStr("old", kUTF8, &fb);
  target = makeStr("new", kRoman, nullptr);
  EXPECT_TRUE(target.IsEmpty());
  EXPECT_EQ(fb.messages, (Messages{kMismatch}));

  target = 42;
  KIVStr& self = target;
  target = self;
  EXPECT_EQ(unitsOf(target), u"42");
  target = reinterpret_cast<const unsigned char*>("\x03xyz");
  EXPECT_EQ(unitsOf(target), u"xyz");
  target = static_cast<const char*>(nullptr);
  EXPECT_TRUE(target.IsEmpty());
  EXPECT_EQ(fb.messages.size(), 1u);
}

TEST(KIVStrBuild, SumReportsToLeftOperandAndFallsBackToItsCopy) {
  RecordingFeedback left, right;
  KIVStr a("abc", &left), b("def", &right);
  KIVStr sum = a + b;
  EXPECT_EQ(unitsOf(sum), u"abcdef");
  EXPECT_EQ(sum.GetExcept(), &left);
  KIVStr mixed = a + makeStr("x", kRoman, &right);
  EXPECT_EQ(unitsOf(mixed), u"abc");
  EXPECT_EQ(left.messages, (Messages{kMismatch}));
  EXPECT_TRUE(right.messages.empty());
}

// Sets the ownership flag, which no constructor sets.
class OwningStr : public KIVStr {
public:
  explicit OwningStr(KIVFeedback* fb) : KIVStr("text", fb) { ownsFeedback = true; }
};

TEST(KIVStrBuild, FeedbackIsDeletedOnlyByAnOwningString) {
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

TEST(KIVStrBuild, ComparesExactlyOrIgnoringCase) {
  KIVStr lower("abc", nullptr), upper("ABC", nullptr), longer("abcd", nullptr);
  EXPECT_EQ(lower.Compare(KIVStr("abc", nullptr)), 0);
  EXPECT_NE(lower.Compare(upper), 0);
  EXPECT_EQ(lower.CompareNoCase(upper), 0);
  EXPECT_EQ(lower.CompareNoCase(reinterpret_cast<const unsigned char*>("\x03"
                                                                       "ABC")),
            0);
  EXPECT_EQ(lower.Compare(longer), -1);
  EXPECT_EQ(longer.Compare("abc"), 1);
  EXPECT_EQ(KIVStr(0, nullptr).Compare(static_cast<const char*>(nullptr)), 0);

  // The argument bytes are decoded in the system encoding, not the string's.
  ASSERT_EQ(CFStringGetSystemEncoding(), kUTF8);
  EXPECT_EQ(makeStr("\x8E", kRoman, nullptr).Compare("\xC3\xA9"), 0);

  upper.Lower();
  lower.Upper();
  EXPECT_EQ(unitsOf(upper) + unitsOf(lower), u"abcABC");
}

} // namespace
