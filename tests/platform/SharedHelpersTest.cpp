// The small algorithms that the whole library shares: cutting UTF-8 at a character boundary,
// splitting and joining paths, and 1904 time in the UTCDateTime record.
#include "platform/files/PathText.h"
#include "platform/string/Utf8.h"
#include "platform/time/Time1904.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace kiv::platform;

TEST(SharedHelpers, Utf8CutEndsOnAWholeCharacter) {
  struct Row {
    std::string text;
    size_t room, cut;
  } rows[] = {
      {"abc", 5, 3},                      // fits
      {"abcdef", 3, 3},                   // ASCII anywhere
      {"a\xC3\xA9z", 2, 1},               // inside a 2-byte character
      {"a\xC3\xA9z", 3, 3},               // after it
      {"\xE2\x82\xAC\xE2\x82\xAC", 5, 3}, // inside the second of two 3-byte characters
      {"\xF0\x9F\x98\x80!", 3, 0},        // inside a 4-byte character
      {"\xF0\x9F\x98\x80!", 4, 4},        // after it
      {"ab\x80\x80\x80\x80\x80", 6, 6},   // stray continuation bytes are kept
      {"a\xE2\x82", 2, 1},                // a character already cut short
  };
  for (const Row& r : rows)
    EXPECT_EQ(utf8CutLength(r.text.data(), r.text.size(), r.room), r.cut)
        << "\"" << r.text << "\" in " << r.room << " bytes";
}

TEST(SharedHelpers, PathsSplitAtTheLastSeparatorAndJoinWithOne) {
  struct Row {
    std::string path, leaf, folder;
  } rows[] = {
      {"/a/b/c.txt", "c.txt", "/a/b"},
      {"/c", "c", "/"},
      {"c", "c", "."},
      {"/", "", "/"},
      {"a/", "", "a"},
      {"", "", "."},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(leafOf(r.path), r.leaf) << r.path;
    EXPECT_EQ(folderOf(r.path, "."), r.folder) << r.path;
  }
  EXPECT_EQ(joinPath("/a", "b"), "/a/b");
  EXPECT_EQ(joinPath("/", "b"), "/b");
  EXPECT_EQ(joinPath("", "b"), "/b");
}

TEST(SharedHelpers, UtcDateTimeHoldsFortyEightBitsOfSecondsSince1904) {
  // 1970-01-01 00:00:00.5 UTC, and the last second the record holds.
  const UTCDateTime epoch = utcDateTimeFromPosix(0, 500000000);
  EXPECT_EQ(secondsSince1904(epoch), std::uint64_t(kSeconds1904To1970));
  EXPECT_EQ(epoch.fraction, 32768);
  std::int64_t seconds = 1;
  long nanoseconds = 1;
  posixTimeOf(epoch, seconds, nanoseconds);
  EXPECT_EQ(seconds, 0);
  EXPECT_EQ(nanoseconds, 500000000);

  const UTCDateTime last = utcDateTime(0xFFFFFFFFFFFFull, 0xFFFF);
  EXPECT_EQ(last.highSeconds, 0xFFFF);
  EXPECT_EQ(last.lowSeconds, 0xFFFFFFFFu);
  EXPECT_EQ(secondsSince1904(utcDateTime(std::uint64_t(1) << 48, 0)), 0u) << "49th bit dropped";
  // Before 1904 there is no 1904 time: the record is zero.
  EXPECT_EQ(secondsSince1904(utcDateTimeFromPosix(-kSeconds1904To1970 - 1, 0)), 0u);
}
