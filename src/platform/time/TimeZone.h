// The system time zone as the date and time functions use it.
#pragma once

#include <ctime>

namespace kiv::datetime {

// Seconds between 1904-01-01 and 1970-01-01 (66 years with 17 leap days).
constexpr long kEpochDifference1904 = 2082844800L;

// The system zone's offset from GMT at the instant t, in seconds east of Greenwich, daylight
// saving included. The zone is read again at each call (TZ, else the system's zone file), so a
// change of TZ takes effect at once. 0 when t cannot be converted.
long zoneOffsetAt(std::time_t t);

} // namespace kiv::datetime
