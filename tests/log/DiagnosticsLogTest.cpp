// Console entries and the debug log, read back whole from standard error: one entry a line,
// cut to its buffer at a character boundary, with invalid bytes replaced and controls shown.
// The fuzz replay of the log's formatting checks the same on arbitrary texts.
#include "ConsoleCapture.h"

#include <Debug.h>
#include <KivDebug.h>
#include <KivMisc_Frameworks.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Entries = std::vector<std::string>;

#pragma GCC diagnostic ignored "-Wformat-zero-length"

TEST(DiagnosticsLog, WholeEntriesInOrderEmptyAndSilentOnesSkipped) {
  char consoleText[] = "second", fmt[] = "file %s at %ld/%lu 0x%x", windowText[] = "plain";
  unsigned char p[] = "\3abc";
  kivtest::ConsoleCapture cap;
  KivNoDebug("%d %s", 1, "x");
  KivNoDebug(fmt, "y");
  KivNoDebug(p);
  debugcstr("ignored");
  print_trace();
  __SendToConsole("100% done, %s %d"); // verbatim, never a format
  __SendToConsole(consoleText);
  __SendToConsole("");
  __SendToConsole(static_cast<const char*>(nullptr));
  KivDebugAlways("%d", 3);
  KivDebugAlways("");
  KivDebugAlways("%s", "");
  KivDebugAlways(fmt, "50%.txt", -7L, 8UL, 255u);
  KivDebugAlways(static_cast<const char*>(nullptr));
  KivDebugAlways(static_cast<unsigned char*>(nullptr));
  KivDebugAlways(p);
  Debug("%d-%s", 12, "ab");
  Debug("");
  ClearDebugWindow();
  DebugTimestamp();
  __SendToDebugWindow("100% %s");
  __SendToDebugWindow(windowText);
  EXPECT_EQ(cap.entries(),
            (Entries{"100% done, %s %d", "second", "", "3", "file 50%.txt at -7/8 0xff", "str:abc",
                     "12-ab", "~c", "~t", "100% %s", "plain"}));
}

TEST(DiagnosticsLog, LongMessagesAreCutToTheirBuffer) {
  const std::string big(3000, 'x');
  // "é" is two bytes: after 1022 'y' the next "é" straddles the 1023-byte limit.
  std::string split(1022, 'y');
  for (int i = 0; i < 10; ++i)
    split += "\xC3\xA9";
  // The console's own cap: 65536 bytes, here inside a three-byte character.
  const std::string huge = std::string(65534, 'z') + "\xE2\x82\xAC" + big;
  kivtest::ConsoleCapture cap;
  KivDebugAlways("%s", big.c_str());
  Debug("%s", big.c_str());
  KivDebugAlways("%s", split.c_str());
  __SendToConsole(huge.c_str());
  // The cut inside "é" drops the half character rather than turning it into a replacement.
  EXPECT_EQ(cap.entries(), (Entries{big.substr(0, 1023), big.substr(0, 511), split.substr(0, 1022),
                                    huge.substr(0, 65534)}));
}

TEST(DiagnosticsLog, InvalidBytesAreReplacedAndControlsShownOnOneLine) {
  unsigned char p[] = "\3a\x80z", q[] = "\3a\nb";
  kivtest::ConsoleCapture cap;
  __SendToConsole("caf\xC3\xA9 ok");
  __SendToConsole("a\xFF\x62\xC3"); // a stray byte and a cut sequence
  KivDebugAlways("name: %s", "r\xE9sum\xE9");
  Debug(p);
  __SendToConsole("a\nb\r\tc\x1B[31m\x7F\x01 \\n \xC2\x85\xC2\xA0.");
  // A name passed as %s cannot forge an entry of its own.
  KivDebugAlways("file %s", "x\n2024-01-01 00:00:00.000 forged[1:1] fake");
  KivDebugAlways(q);
  const std::string r = "\xEF\xBF\xBD";
  EXPECT_EQ(cap.entries(),
            (Entries{"caf\xC3\xA9 ok", "a" + r + "b" + r, "name: r" + r + "sum" + r,
                     "str:a" + r + "z", "a\\nb\\r\\tc\\x1B[31m\\x7F\\x01 \\n \\u0085\xC2\xA0.",
                     "file x\\n2024-01-01 00:00:00.000 forged[1:1] fake", "str:a\\nb"}));
}
