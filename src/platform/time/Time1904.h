// 1904 time and the UTCDateTime record: the one home of their arithmetic. A UTCDateTime holds
// seconds since 1904-01-01 00:00:00 UTC in 48 bits (highSeconds, lowSeconds) and fractions of a
// second in units of 1/65536.
#pragma once

#include "detail/MacTypes.h"

#include <cstdint>

namespace kiv::platform {

// Seconds from 1904-01-01 to 1970-01-01 (66 years with 17 leap days).
constexpr long kSeconds1904To1970 = 2082844800L;

// The record of `seconds` since 1904 (the lower 48 bits) and `fraction`.
UTCDateTime utcDateTime(std::uint64_t seconds, UInt16 fraction);

// The whole seconds since 1904 that the record holds.
std::uint64_t secondsSince1904(const UTCDateTime& date);

// The record of a POSIX time given in seconds and nanoseconds; all zero before 1904.
UTCDateTime utcDateTimeFromPosix(std::int64_t seconds, long nanoseconds);

// The POSIX time of the record, in seconds and nanoseconds.
void posixTimeOf(const UTCDateTime& date, std::int64_t& seconds, long& nanoseconds);

} // namespace kiv::platform
