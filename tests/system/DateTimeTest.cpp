// Dates and times as text, and conversions between time bases, with TZ and the locale pinned.
#include "SystemTestSupport.h"

#include <ctime>

using kivtest::ScopedEnv;

namespace {

constexpr long kMarch1 = 1772370309L;         // 2026-03-01 13:05:09 UTC, a Sunday
constexpr unsigned int kEpochs = 2082844800u; // from 1904 to 1970

std::optional<std::string> opt(const char* v) {
  return v ? std::optional<std::string>(v) : std::nullopt;
}

// TZ and the locale variables the C library consults for dates; null ones are unset.
struct Pinned {
  Pinned(const char* tz, const char* lang, const char* lcTime = nullptr,
         const char* lcAll = nullptr)
      : tz("TZ", opt(tz)), all("LC_ALL", opt(lcAll)), time("LC_TIME", opt(lcTime)),
        lang("LANG", opt(lang)) {}
  ScopedEnv tz, all, time, lang;
};

// The date in the given form, or the time of day with (kHMS) or without (kHM) seconds.
constexpr int kHMS = 100, kHM = 101;
std::string text(long t, short form) {
  char buf[128];
  std::memset(buf, '#', sizeof buf);
  if (form < kHMS)
    DateToCStringN(t, form, buf);
  else
    TimeToCStringN(t, buf, form == kHMS);
  return buf;
}

} // namespace

TEST(DateTimeText, InTheSystemZoneAndLocale) {
  const char *en = "en_US.UTF-8", *de = "de_DE.UTF-8";
  const std::tuple<const char*, const char*, const char*, const char*, long, short, const char*>
      cases[] = {
          {"UTC", en, nullptr, nullptr, kMarch1, kHMS, "13:05:09"},
          {"UTC", en, nullptr, nullptr, kMarch1, kHM, "13:05"},
          {"UTC", en, nullptr, nullptr, 0, kHMS, "00:00:00"},
          {"Europe/Berlin", en, nullptr, nullptr, kMarch1, kHMS, "14:05:09"},
          {"Europe/Berlin", en, nullptr, nullptr, kMarch1 + 120 * 86400L, kHM, "15:05"}, // summer
          {"XYZ-9", en, nullptr, nullptr, kMarch1, kHMS, "22:05:09"}, // the C library's notation
          {"UTC", "ar_EG.UTF-8", nullptr, nullptr, kMarch1, kHM, "13:05"}, // digits stay ASCII
          {"UTC", en, nullptr, nullptr, kMarch1, 1, "Sunday, March 1, 2026"},
          {"UTC", en, nullptr, nullptr, kMarch1, 2, "March 1, 2026"},
          {"UTC", en, nullptr, nullptr, kMarch1, 0, "3/1/26"},
          {"UTC", en, nullptr, nullptr, kMarch1, 5, "3/1/26"},
          {"UTC", en, nullptr, nullptr, kMarch1, -1, "3/1/26"},
          // The date in the system zone: still February 28 in Los Angeles at 01:00 UTC.
          {"America/Los_Angeles", en, nullptr, nullptr, kMarch1 - 12 * 3600, 0, "2/28/26"},
          // LC_TIME wins over LANG, LC_ALL over both; "ä" becomes its Mac Roman byte.
          {"UTC", en, de, nullptr, kMarch1, 1, "Sonntag, 1. M\x8Arz 2026"},
          {"UTC", en, de, nullptr, kMarch1, 0, "01.03.26"},
          {"UTC", en, de, "fr_FR.UTF-8", kMarch1, 2, "1 mars 2026"},
          {"UTC", "C.UTF-8", nullptr, nullptr, kMarch1, 0, "3/1/26"}, // U.S. English
          // Characters Mac Roman lacks become '?'.
          {"UTC", "ru_RU.UTF-8", nullptr, nullptr, kMarch1, 2, "1 ????? 2026 ?."},
          {"UTC", "ja_JP.UTF-8", nullptr, nullptr, kMarch1, 2, "2026?3?1?"},
      };
  for (const auto& [tz, lang, lcTime, lcAll, t, form, expected] : cases) {
    SCOPED_TRACE(std::string(tz) + " " + lang + " form " + std::to_string(form));
    Pinned pinned(tz, lang, lcTime, lcAll);
    EXPECT_EQ(expected, text(t, form));
  }
}

TEST(DateTimeText, PascalFormsAndOutOfRangeTimes) {
  Pinned pinned("Europe/Berlin", "en_US.UTF-8");
  unsigned char p[256];
  for (short form : {0, 1, 2, kHMS, kHM}) {
    std::memset(p, 0xEE, sizeof p);
    if (form < kHMS)
      DateToStringN(kMarch1, form, p);
    else
      TimeToStringN(kMarch1, p, form == kHMS);
    EXPECT_EQ(text(kMarch1, form), systemtest::pstr(p));
    EXPECT_EQ(0xEE, p[p[0] + 1]);
  }
  EXPECT_EQ("14:05", systemtest::pstr(p)); // the last one, kHM

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
  DateToCStringN(kMarch1, 1, nullptr), TimeToStringN(kMarch1, nullptr, true);
}

TEST(DateTimeBases, CurrentTimeAndLocal1904ToPosix) {
  // Zones and their offsets east of Greenwich.
  const std::pair<const char*, long> zones[] = {
      {"UTC", 0}, {"XYZ-9", 9 * 3600}, {"ABC+5", -5 * 3600}};
  for (auto [zone, offset] : zones) {
    SCOPED_TRACE(zone);
    ScopedEnv tz("TZ", zone);
    unsigned int utc = 0, local = 0;
    unsigned int expected = static_cast<unsigned int>(std::time(nullptr) + kEpochs);
    GetDateTimeN(&utc);
    GetCarbonDateTime(&local);
    EXPECT_LE(utc - expected, 1u);
    EXPECT_LE(local - utc - static_cast<unsigned int>(offset), 1u);
    // The 1904 epoch in local time is the POSIX epoch less the offset; a round trip through
    // local 1904 time gives the POSIX time back.
    long t = 99;
    OldDateTimeToBSDTime(kEpochs, &t);
    EXPECT_EQ(-offset, t);
    OldDateTimeToBSDTime(local, &t);
    EXPECT_LE(std::time(nullptr) - t, 1);
  }
  ScopedEnv tz("TZ", "UTC");
  long t = 99;
  OldDateTimeToBSDTime(kEpochs + kMarch1, &t);
  EXPECT_EQ(kMarch1, t);
  OldDateTimeToBSDTime(0u, &t); // before 1970 the difference wraps: the result lies after 2106
  EXPECT_EQ(4294967296L - kEpochs, t);
  GetDateTimeN(nullptr), GetCarbonDateTime(nullptr), OldDateTimeToBSDTime(0u, nullptr);
}

TEST(DateTimeBases, UTCDateTimeRecords) {
  UTCDateTime d = {7, 7, 7};
  Seconds2UTCDate(3061152000u, d); // 2001-01-01 00:00:00 UTC
  EXPECT_EQ(std::make_tuple(0, 3061152000u, 0),
            std::make_tuple(d.highSeconds, d.lowSeconds, d.fraction));
  EXPECT_EQ(3061152000u, UTCDate2Seconds(d));
  // The fraction is dropped, not rounded; whole seconds beyond 32 bits wrap.
  for (auto [date, seconds] :
       {std::pair(UTCDateTime{0, 100, 0xFFFF}, 100u), std::pair(UTCDateTime{1, 5, 0x8000}, 5u)})
    EXPECT_EQ(seconds, UTCDate2Seconds(date));
  // The 1904 seconds count UTC: the same in any zone, and 2082844800 from the POSIX epoch.
  ScopedEnv tz("TZ", "XYZ-9");
  Seconds2UTCDate(kEpochs, d);
  EXPECT_EQ(kEpochs, d.lowSeconds);
  EXPECT_EQ(kEpochs, UTCDate2Seconds(d));
}
