#include "StderrCapture.h"

#include <KivMisc_Frameworks.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using kivtest::StderrCapture;

TEST(Console, WritesOneStampedEntryPerCallVerbatim) {
  StderrCapture cap;
  __SendToConsole("100% done, %s %d");
  char text[] = "second";
  __SendToConsole(text);
  __SendToConsole("");
  __SendToConsole(static_cast<const char*>(nullptr));
  std::vector<std::string> e = cap.entries();
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0], "100% done, %s %d");
  EXPECT_EQ(e[1], "second");
  EXPECT_EQ(e[2], "");
}

TEST(Console, ReplacesInvalidUtf8InsteadOfDropping) {
  StderrCapture cap;
  __SendToConsole("caf\xC3\xA9 ok"); // valid UTF-8 passes unchanged
  __SendToConsole("a\xFF"
                  "b\xC3"); // a stray byte and a cut sequence
  std::vector<std::string> e = cap.entries();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0], "caf\xC3\xA9 ok");
  EXPECT_EQ(e[1], "a\xEF\xBF\xBD"
                  "b\xEF\xBF\xBD");
}

TEST(Console, EntriesFromThreadsDoNotInterleave) {
  StderrCapture cap;
  const std::string line(3000, 'x');
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 50; ++i)
        __SendToConsole(line.c_str());
    });
  for (auto& t : threads)
    t.join();
  std::vector<std::string> e = cap.entries();
  ASSERT_EQ(e.size(), 200u);
  for (const auto& s : e)
    ASSERT_EQ(s, line);
}
