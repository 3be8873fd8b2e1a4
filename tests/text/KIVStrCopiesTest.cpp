// The string object: conversion operators, copies into caller buffers and substrings.
#include "KIVStrFeedback.h"
#include "platform/memory/Memory.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(KIVStrCopies, PascalCopyChecksLengthThenEncoding) {
  RecordingFeedback fb;
  unsigned char dst[260];
  std::memset(dst, 0xAB, sizeof dst);
  makeStr(std::string(255, 'r'), kRoman, &fb).GetPStringCopy(dst);
  EXPECT_EQ(dst[0], 255);
  EXPECT_EQ(dst[255], 'r');
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
  roman.GetPStringCopy(dst);
  EXPECT_EQ(dst[0], 0);
  EXPECT_TRUE(fb.messages.empty());
}

TEST(KIVStrCopies, CStringCopyIsBoundedByLen) {
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

TEST(KIVStrCopies, UnicodeAndUTF8CopiesCutWithinTheirRoom) {
  RecordingFeedback fb;
  unsigned short uni[5] = {9, 9, 9, 9, 0x7777};
  makeStr("abcde", kUTF8, &fb).GetUniStringCopy(uni, 3);
  EXPECT_EQ(std::u16string(uni, uni + 5), u"\x0003"
                                          u"abc\x7777");
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

TEST(KIVStrCopies, CStringBufferGrowsWithTheTextAndIsNeverCopied) {
  long base = kiv::platform::liveMemoryBlocks();
  {
    KIVStr s = makeStr("abc", kUTF8, nullptr);
    EXPECT_STREQ(static_cast<char*>(s), "abc");
    s << std::string(1000, 'z').c_str();
    EXPECT_EQ(std::strlen(static_cast<char*>(s)), 1003u);
    EXPECT_EQ(kiv::platform::liveMemoryBlocks(), base + 1);
    {
      const KIVStr copy(s);
      EXPECT_EQ(kiv::platform::liveMemoryBlocks(), base + 1);
      EXPECT_EQ(std::strlen(static_cast<const char*>(copy)), 1003u);
      EXPECT_EQ(kiv::platform::liveMemoryBlocks(), base + 2);
    }
    s.ReleaseBuffer();
    s.ReleaseBuffer();
    EXPECT_EQ(kiv::platform::liveMemoryBlocks(), base);
    s.AllocBuffer(4);
    s.AllocBuffer(8);
    EXPECT_EQ(kiv::platform::liveMemoryBlocks(), base + 1);
  }
  EXPECT_EQ(kiv::platform::liveMemoryBlocks(), base);

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
  EXPECT_EQ(std::string(reinterpret_cast<char*>(static_cast<unsigned char*>(roman)), 2),
            "\x01\x8E");
  EXPECT_EQ(static_cast<unsigned char*>(makeStr(std::string(256, 'p'), kRoman, nullptr))[0], 0);
}

TEST(KIVStrCopies, SubstringsTakeTheSystemEncodingAndNoFeedback) {
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

  fb.messages.clear();
  s << s.Mid(0, 2); // the substring is in the system encoding, not Mac Roman
  EXPECT_EQ(unitsOf(s), u"abcdef");
  EXPECT_EQ(fb.messages, (Messages{kMismatch}));
}

TEST(KIVStrCopies, EndsByIgnoresCase) {
  RecordingFeedback fb;
  KIVStr name("REPORT.TXT", &fb);
  EXPECT_TRUE(KIVEndsBy(name, KIVStr(".txt", nullptr)));
  EXPECT_FALSE(KIVEndsBy(name, KIVStr(".doc", nullptr)));
  EXPECT_FALSE(KIVEndsBy(KIVStr("txt", &fb), KIVStr("a.txt", nullptr)));
  EXPECT_TRUE(fb.messages.empty());
  EXPECT_TRUE(KIVEndsBy(name, KIVStr(0, nullptr)));
  EXPECT_TRUE(KIVEndsBy(KIVStr(0, &fb), KIVStr(0, nullptr)));
  EXPECT_EQ(fb.messages, (Messages{kMid}));
}

TEST(KIVStrCopies, SwapMembersReorderBytes) {
  KIVStr s(0, nullptr);
  EXPECT_EQ(static_cast<unsigned int>(s.strSwapLong(0x01020304)), 0x04030201u);
  char bytes[] = {1, 2, 3, 4, 5, 6};
  s.SwapBuffer(bytes, 5);
  s.SwapBuffer(bytes, -3);
  s.SwapBuffer(nullptr, 4);
  EXPECT_EQ(std::string(bytes, 6), std::string("\x02\x01\x04\x03\x05\x06", 6));
}

TEST(KIVStrCopies, TextsBeyond32767UnitsStayInBounds) {
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

} // namespace
