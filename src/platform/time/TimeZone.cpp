// The system zone's offset from GMT, from the C library.
#include "platform/time/TimeZone.h"

#include <time.h>

namespace kiv::platform {

long zoneOffsetAt(std::time_t t) {
  // localtime_r need not look at TZ again; tzset makes it.
  tzset();
  struct tm local;
  if (localtime_r(&t, &local) == nullptr) return 0;
  return local.tm_gmtoff;
}

} // namespace kiv::platform
