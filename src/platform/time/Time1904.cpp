#include "platform/time/Time1904.h"

namespace kiv::platform {

UTCDateTime utcDateTime(std::uint64_t seconds, UInt16 fraction) {
  UTCDateTime date;
  date.highSeconds = UInt16((seconds >> 32) & 0xFFFF);
  date.lowSeconds = UInt32(seconds & 0xFFFFFFFFu);
  date.fraction = fraction;
  return date;
}

std::uint64_t secondsSince1904(const UTCDateTime& date) {
  return (std::uint64_t(date.highSeconds) << 32) | date.lowSeconds;
}

UTCDateTime utcDateTimeFromPosix(std::int64_t seconds, long nanoseconds) {
  const std::int64_t since1904 = seconds + kSeconds1904To1970;
  if (since1904 < 0) return utcDateTime(0, 0);
  return utcDateTime(std::uint64_t(since1904),
                     UInt16((std::uint64_t(nanoseconds) * 65536u) / 1000000000u));
}

void posixTimeOf(const UTCDateTime& date, std::int64_t& seconds, long& nanoseconds) {
  seconds = std::int64_t(secondsSince1904(date)) - kSeconds1904To1970;
  nanoseconds = long((std::uint64_t(date.fraction) * 1000000000u) >> 16);
}

} // namespace kiv::platform
