// The small algorithms the whole library shares: cutting UTF-8 at a character boundary,
// splitting and joining paths, and 1904 time in the UTCDateTime record.
#include "platform/files/PathText.h"
#include "platform/string/Utf8.h"
#include "platform/time/Time1904.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kiv::platform;

TEST(SharedHelpers, Utf8CutEndsOnAWholeCharacter) {
  const std::tuple<std::string, size_t, size_t> rows[] = {
      {"abc", 5, 3},
      {"abcdef", 3, 3},
      {"a\xC3\xA9z", 2, 1},
      {"a\xC3\xA9z", 3, 3},
      {"\xE2\x82\xAC\xE2\x82\xAC", 5, 3},
      {"\xF0\x9F\x98\x80!", 3, 0},
      {"\xF0\x9F\x98\x80!", 4, 4},
      {"ab\x80\x80\x80\x80\x80", 6, 6}, // stray bytes kept
      {"a\xE2\x82", 2, 1},              // a character already cut short
  };
  for (const auto& [text, room, cut] : rows)
    EXPECT_EQ(utf8CutLength(text.data(), text.size(), room), cut) << text << " in " << room;
}

TEST(SharedHelpers, PathsSplitAtTheLastSeparatorAndJoinWithOne) {
  const std::tuple<std::string, std::string, std::string> rows[] = {{"/a/b/c.txt", "c.txt", "/a/b"},
                                                                    {"/c", "c", "/"},
                                                                    {"c", "c", "."},
                                                                    {"/", "", "/"},
                                                                    {"a/", "", "a"},
                                                                    {"", "", "."}};
  for (const auto& [path, leaf, folder] : rows) {
    EXPECT_EQ(leafOf(path), leaf) << path;
    EXPECT_EQ(folderOf(path, "."), folder) << path;
  }
  EXPECT_EQ(joinPath("/a", "b") + joinPath("/", "b") + joinPath("", "b"), "/a/b/b/b");
}

TEST(SharedHelpers, UtcDateTimeHoldsFortyEightBitsOfSecondsSince1904) {
  const UTCDateTime epoch = utcDateTimeFromPosix(0, 500000000); // 1970-01-01 00:00:00.5 UTC
  EXPECT_EQ(secondsSince1904(epoch), std::uint64_t(kSeconds1904To1970));
  EXPECT_EQ(epoch.fraction, 32768);
  std::int64_t seconds = 1;
  long nanoseconds = 1;
  posixTimeOf(epoch, seconds, nanoseconds);
  EXPECT_EQ(std::make_pair(seconds, nanoseconds), std::make_pair(std::int64_t(0), 500000000L));
  const UTCDateTime last = utcDateTime(0xFFFFFFFFFFFFull, 0xFFFF);
  EXPECT_EQ(std::make_pair(int(last.highSeconds), last.lowSeconds),
            std::make_pair(0xFFFF, 0xFFFFFFFFu));
  EXPECT_EQ(secondsSince1904(utcDateTime(std::uint64_t(1) << 48, 0)), 0u) << "49th bit dropped";
  // Before 1904 there is no 1904 time: the record is zero.
  EXPECT_EQ(secondsSince1904(utcDateTimeFromPosix(-kSeconds1904To1970 - 1, 0)), 0u);
}
