// Dates and times as text, and conversions between time bases. Every test pins TZ and the
// locale variables it depends on.
#include <cstring>
#include <ctime>
#include <string>

#include <gtest/gtest.h>

#include "Kiv.h"
#include "TestSupport.h"

namespace {

using kivtest::ScopedEnv;

// 2026-03-01 13:05:09 UTC, a Sunday.
constexpr long kMarch1 = 1772370309L;

// The locale variables in the order the C library consults them for dates.
struct PinnedLocale {
  explicit PinnedLocale(const char* lang)
      : all("LC_ALL", std::nullopt), time("LC_TIME", std::nullopt), lang("LANG", lang) {}
  ScopedEnv all, time, lang;
};

std::string date(long t, short form) {
  char buf[128];
  std::memset(buf, '#', sizeof buf);
  DateToCStringN(t, form, buf);
  return buf;
}

std::string timeOfDay(long t, bool seconds) {
  char buf[128];
  TimeToCStringN(t, buf, seconds);
  return buf;
}

std::string pascal(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

} // namespace

TEST(DateTimeText, TimesInTheSystemZone) {
  PinnedLocale locale("en_US.UTF-8");
  {
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ("13:05:09", timeOfDay(kMarch1, true));
    EXPECT_EQ("13:05", timeOfDay(kMarch1, false));
    EXPECT_EQ("00:00:00", timeOfDay(0, true));
    EXPECT_EQ("23:59", timeOfDay(86399, false));
  }
  {
    // A change of TZ takes effect at the next call; daylight saving follows the date.
    ScopedEnv tz("TZ", "Europe/Berlin");
    EXPECT_EQ("14:05:09", timeOfDay(kMarch1, true));
    EXPECT_EQ("15:05", timeOfDay(kMarch1 + 120L * 86400, false)); // June: summer time
  }
  {
    // A zone in the C library's own notation, nine hours east.
    ScopedEnv tz("TZ", "XYZ-9");
    EXPECT_EQ("22:05:09", timeOfDay(kMarch1, true));
  }
  {
    // Digits stay ASCII whatever the locale's own digits are.
    PinnedLocale arabic("ar_EG.UTF-8");
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ("13:05", timeOfDay(kMarch1, false));
  }
}

TEST(DateTimeText, LocalizedDateStyles) {
  ScopedEnv tz("TZ", "UTC");
  {
    PinnedLocale locale("en_US.UTF-8");
    EXPECT_EQ("Sunday, March 1, 2026", date(kMarch1, 1));
    EXPECT_EQ("March 1, 2026", date(kMarch1, 2));
    EXPECT_EQ("3/1/26", date(kMarch1, 0));
    EXPECT_EQ("3/1/26", date(kMarch1, 5));
    EXPECT_EQ("3/1/26", date(kMarch1, -1));
    // The date is the one in the system zone: still February 28 in Los Angeles at 01:00 UTC.
    ScopedEnv west("TZ", "America/Los_Angeles");
    EXPECT_EQ("2/28/26", date(kMarch1 - 12 * 3600, 0));
  }
  {
    // German, with the Mac Roman byte of "ä"; LC_TIME wins over LANG, LC_ALL over both.
    PinnedLocale locale("en_US.UTF-8");
    ScopedEnv time("LC_TIME", "de_DE.UTF-8");
    EXPECT_EQ("Sonntag, 1. M\x8A"
              "rz 2026",
              date(kMarch1, 1));
    EXPECT_EQ("01.03.26", date(kMarch1, 0));
    ScopedEnv all("LC_ALL", "fr_FR.UTF-8");
    EXPECT_EQ("1 mars 2026", date(kMarch1, 2));
  }
  {
    // The C locale gives U.S. English.
    PinnedLocale locale("C.UTF-8");
    EXPECT_EQ("3/1/26", date(kMarch1, 0));
  }
  {
    // Characters Mac Roman lacks become '?'; the text is never longer than 103 bytes.
    PinnedLocale locale("ru_RU.UTF-8");
    std::string text = date(kMarch1, 2);
    EXPECT_EQ("1 ????? 2026 ?.", text);
    PinnedLocale japanese("ja_JP.UTF-8");
    EXPECT_EQ("2026?3?1?", date(kMarch1, 2));
  }
}

TEST(DateTimeText, PascalFormsAndOutOfRangeTimes) {
  PinnedLocale locale("en_US.UTF-8");
  ScopedEnv zone("TZ", "Europe/Berlin");
  unsigned char p[256];
  for (short form : {0, 1, 2}) {
    std::memset(p, 0xEE, sizeof p);
    DateToStringN(kMarch1, form, p);
    EXPECT_EQ(date(kMarch1, form), pascal(p));
    EXPECT_EQ(0xEE, p[p[0] + 1]);
  }
  TimeToStringN(kMarch1, p, true);
  EXPECT_EQ("14:05:09", pascal(p));
  TimeToStringN(kMarch1, p, false);
  EXPECT_EQ("14:05", pascal(p));

  // Times beyond any calendar give short or empty texts, never a crash.
  for (long t : {2147483647L * 100000L, -2147483647L * 100000L, 0x7FFFFFFFFFFFFFFFL,
                 static_cast<long>(0x8000000000000000UL)}) {
    char buf[104];
    DateToCStringN(t, 1, buf);
    EXPECT_LT(std::strlen(buf), sizeof buf);
    TimeToCStringN(t, buf, true);
    EXPECT_LT(std::strlen(buf), sizeof buf);
    DateToStringN(t, 2, p);
    EXPECT_LT(p[0], 104);
  }
  DateToCStringN(kMarch1, 1, nullptr);
  TimeToStringN(kMarch1, nullptr, true);
}

TEST(DateTimeBases, CurrentTimeAndZoneOffset) {
  unsigned int utc = 0, local = 0;
  {
    ScopedEnv tz("TZ", "UTC");
    unsigned int expected = static_cast<unsigned int>(std::time(nullptr) + 2082844800L);
    GetDateTimeN(&utc);
    GetCarbonDateTime(&local);
    EXPECT_LE(utc - expected, 1u);
    EXPECT_LE(local - utc, 1u);
  }
  {
    ScopedEnv tz("TZ", "XYZ-9");
    GetDateTimeN(&utc);
    GetCarbonDateTime(&local);
    EXPECT_LE(local - utc - 9u * 3600u, 1u);
  }
  {
    ScopedEnv tz("TZ", "ABC+5");
    GetDateTimeN(&utc);
    GetCarbonDateTime(&local);
    EXPECT_LE(utc - local - 5u * 3600u, 1u);
  }
  GetDateTimeN(nullptr);
  GetCarbonDateTime(nullptr);
}

TEST(DateTimeBases, LocalTime1904ToPosix) {
  long t = 99;
  {
    ScopedEnv tz("TZ", "UTC");
    OldDateTimeToBSDTime(2082844800u, &t);
    EXPECT_EQ(0, t);
    OldDateTimeToBSDTime(2082844800u + 1772370309u, &t);
    EXPECT_EQ(kMarch1, t);
    // Before 1970 the difference wraps: the result lies after 2106.
    OldDateTimeToBSDTime(0u, &t);
    EXPECT_EQ(4294967296L - 2082844800L, t);
  }
  {
    ScopedEnv tz("TZ", "XYZ-9");
    OldDateTimeToBSDTime(2082844800u, &t);
    EXPECT_EQ(-9L * 3600, t);
  }
  {
    // A round trip through local 1904 time gives the POSIX time back.
    ScopedEnv tz("TZ", "ABC+5");
    unsigned int local = 0;
    GetCarbonDateTime(&local);
    OldDateTimeToBSDTime(local, &t);
    EXPECT_LE(std::time(nullptr) - t, 1);
  }
  OldDateTimeToBSDTime(0u, nullptr);
}

TEST(DateTimeBases, UTCDateTimeRecords) {
  UTCDateTime d = {7, 7, 7};
  Seconds2UTCDate(3061152000u, d); // 2001-01-01 00:00:00 UTC
  EXPECT_EQ(0, d.highSeconds);
  EXPECT_EQ(3061152000u, d.lowSeconds);
  EXPECT_EQ(0, d.fraction);
  EXPECT_EQ(3061152000u, UTCDate2Seconds(d));

  // The fraction is dropped, not rounded; whole seconds beyond 32 bits wrap.
  d = {0, 100, 0xFFFF};
  EXPECT_EQ(100u, UTCDate2Seconds(d));
  d = {1, 5, 0x8000};
  EXPECT_EQ(5u, UTCDate2Seconds(d));

  // The 1904 seconds count UTC: the same in any zone, and 2082844800 from the POSIX epoch.
  ScopedEnv tz("TZ", "XYZ-9");
  Seconds2UTCDate(2082844800u, d);
  EXPECT_EQ(2082844800u, d.lowSeconds);
  EXPECT_EQ(2082844800u, UTCDate2Seconds(d));
  unsigned int now = 0;
  GetDateTimeN(&now);
  Seconds2UTCDate(now, d);
  EXPECT_EQ(now, UTCDate2Seconds(d));
}
