// The system time zone, from the C library.
#pragma once

#include <ctime>

namespace kiv::platform {

// The system zone's offset from GMT at the instant t, in seconds east of Greenwich, daylight
// saving included. The zone is read again at each call (TZ, else the system's zone file), so a
// change of TZ takes effect at once. 0 when t cannot be converted.
long zoneOffsetAt(std::time_t t);

} // namespace kiv::platform
