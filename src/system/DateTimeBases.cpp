// Conversions between POSIX time, 1904 time and the UTCDateTime record.
//
// The UTCDateTime conversions go through absolute time (seconds since 2001-01-01 00:00:00 UTC
// as a double), as the platform converters do. Their 1904 seconds count UTC, like the
// UTCDateTime record itself, so a UTCDateTime and its 1904 seconds name the same instant.
#include "detail/DateTime.h"
#include "detail/DateTimeText.h"

#include <cmath>
#include <cstdint>
#include <ctime>

#include "system/DateTimeZone.h"

using kiv::datetime::kEpochDifference1904;

namespace {

// Seconds from 1904-01-01 to 2001-01-01 (97 years with 25 leap days).
constexpr double kAbsoluteEpochFrom1904 = 3061152000.0;

double utcDateTimeToAbsoluteTime(const UTCDateTime& date) {
  std::uint64_t seconds = (static_cast<std::uint64_t>(date.highSeconds) << 32) | date.lowSeconds;
  return static_cast<double>(seconds) - kAbsoluteEpochFrom1904 + date.fraction / 65536.0;
}

unsigned int absoluteTimeToSeconds(double absolute) {
  double seconds = std::floor(absolute + kAbsoluteEpochFrom1904);
  if (!(seconds >= 0)) return 0; // before 1904 (or not a number): no 1904 time
  return static_cast<unsigned int>(static_cast<std::uint64_t>(seconds) & 0xFFFFFFFFu);
}

double secondsToAbsoluteTime(unsigned int seconds) {
  return static_cast<double>(seconds) - kAbsoluteEpochFrom1904;
}

void absoluteTimeToUTCDateTime(double absolute, UTCDateTime& date) {
  double since1904 = absolute + kAbsoluteEpochFrom1904;
  double whole = std::floor(since1904);
  std::uint64_t seconds = static_cast<std::uint64_t>(whole);
  date.highSeconds = static_cast<UInt16>((seconds >> 32) & 0xFFFF);
  date.lowSeconds = static_cast<UInt32>(seconds & 0xFFFFFFFFu);
  date.fraction = static_cast<UInt16>((since1904 - whole) * 65536.0);
}

} // namespace

void GetDateTimeN(unsigned int* now) {
  if (now == nullptr) return;
  long t = static_cast<long>(std::time(nullptr));
  *now = static_cast<unsigned int>(static_cast<unsigned long>(t + kEpochDifference1904));
}

void GetCarbonDateTime(unsigned int* now) {
  if (now == nullptr) return;
  std::time_t t = std::time(nullptr);
  long local = static_cast<long>(t) + kiv::datetime::zoneOffsetAt(t);
  *now = static_cast<unsigned int>(static_cast<unsigned long>(local + kEpochDifference1904));
}

void OldDateTimeToBSDTime(unsigned int localTime1904, long* posixTime) {
  if (posixTime == nullptr) return;
  unsigned int d = localTime1904 - static_cast<unsigned int>(kEpochDifference1904);
  *posixTime = static_cast<long>(d) - kiv::datetime::zoneOffsetAt(std::time(nullptr));
}

unsigned int UTCDate2Seconds(UTCDateTime& date) {
  return absoluteTimeToSeconds(utcDateTimeToAbsoluteTime(date));
}

void Seconds2UTCDate(unsigned int seconds, UTCDateTime& date) {
  absoluteTimeToUTCDateTime(secondsToAbsoluteTime(seconds), date);
}
