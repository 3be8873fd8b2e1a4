#include "StderrCapture.h"

#include <Debug.h>
#include <KivDebug.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kivtest::StderrCapture;
using Entries = std::vector<std::string>;

#pragma GCC diagnostic ignored "-Wformat-zero-length"

TEST(DebugLog, FormatsWholeEntriesAndSkipsEmptyOnes) {
  StderrCapture cap;
  KivDebugAlways("%d", 3);
  KivDebugAlways("");
  KivDebugAlways("%s", "");
  char fmt[] = "file %s at %ld/%lu 0x%x";
  KivDebugAlways(fmt, "50%.txt", -7L, 8UL, 255u);
  Debug("%d-%s", 12, "ab");
  Debug("");
  KivDebugAlways(static_cast<const char*>(nullptr));
  EXPECT_EQ(cap.entries(), (Entries{"3", "file 50%.txt at -7/8 0xff", "12-ab"}));
}

TEST(DebugLog, SilentEntriesWriteNothing) {
  StderrCapture cap;
  KivNoDebug("KivXML::AddNode() : no writer !");
  KivNoDebug("%d %s", 1, "x");
  char fmt[] = "%s";
  KivNoDebug(fmt, "y");
  unsigned char p[] = "\3abc";
  KivNoDebug(p);
  debugcstr("ignored");
  print_trace();
  EXPECT_EQ(cap.raw(), "");
}

TEST(DebugLog, PascalStringEntriesUseTheLengthByte) {
  unsigned char full[256];
  full[0] = 255;
  for (int i = 1; i <= 255; ++i)
    full[i] = static_cast<unsigned char>('a' + i % 26);
  const std::string text(reinterpret_cast<char*>(full + 1), 255);
  // No terminator after the text: the byte after "ab" must not be read.
  unsigned char unterminated[4] = {2, 'a', 'b', 'Z'};
  unsigned char empty[1] = {0};
  unsigned char percent[] = "\4%s%d";

  StderrCapture cap;
  KivDebugAlways(full);
  KivDebugAlways(unterminated);
  KivDebugAlways(empty);
  KivDebugAlways(percent);
  Debug(full);
  Debug(unterminated);
  KivDebugAlways(static_cast<unsigned char*>(nullptr));
  EXPECT_EQ(cap.entries(),
            (Entries{"str:" + text, "str:ab", "str:", "str:%s%d", "str:" + text, "str:ab"}));
}

TEST(DebugLog, ControlEntriesAndDebugWindowKeepTheirOrder) {
  StderrCapture cap;
  ClearDebugWindow();
  DebugTimestamp();
  __SendToDebugWindow("100% %s");
  char text[] = "plain";
  __SendToDebugWindow(text);
  EXPECT_EQ(cap.entries(), (Entries{"~c", "~t", "100% %s", "plain"}));
}

TEST(DebugLog, LongMessagesAreCutToTheirBuffer) {
  const std::string big(3000, 'x');
  // "é" is two bytes: after 1022 'y' the next "é" straddles the 1023-byte limit.
  std::string split(1022, 'y');
  for (int i = 0; i < 10; ++i)
    split += "\xC3\xA9";

  StderrCapture cap;
  KivDebugAlways("%s", big.c_str());
  Debug("%s", big.c_str());
  KivDebugAlways("%s", split.c_str());
  Entries e = cap.entries();
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0], big.substr(0, 1023));
  EXPECT_EQ(e[1], big.substr(0, 511));
  // The cut falls inside "é": the half character is dropped, not turned into a replacement.
  EXPECT_EQ(e[2], split.substr(0, 1022));
}

TEST(DebugLog, InvalidUtf8IsReplacedNotDropped) {
  StderrCapture cap;
  KivDebugAlways("name: %s", "r\xE9sum\xE9");
  unsigned char p[] = "\3a\x80z";
  Debug(p);
  EXPECT_EQ(cap.entries(), (Entries{"name: r\xEF\xBF\xBDsum\xEF\xBF\xBD", "str:a\xEF\xBF\xBDz"}));
}
