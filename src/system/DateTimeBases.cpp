// Conversions between POSIX time, 1904 time and the UTCDateTime record. The record's 1904
// seconds count UTC, like the record itself, so a UTCDateTime and its 1904 seconds name the same
// instant.
#include "detail/DateTime.h"
#include "detail/DateTimeText.h"

#include <ctime>

#include "platform/time/Time1904.h"
#include "platform/time/TimeZone.h"

using kiv::platform::kSeconds1904To1970;

void GetDateTimeN(unsigned int* now) {
  if (now == nullptr) return;
  long t = static_cast<long>(std::time(nullptr));
  *now = static_cast<unsigned int>(static_cast<unsigned long>(t + kSeconds1904To1970));
}

void GetCarbonDateTime(unsigned int* now) {
  if (now == nullptr) return;
  std::time_t t = std::time(nullptr);
  long local = static_cast<long>(t) + kiv::platform::zoneOffsetAt(t);
  *now = static_cast<unsigned int>(static_cast<unsigned long>(local + kSeconds1904To1970));
}

void OldDateTimeToBSDTime(unsigned int localTime1904, long* posixTime) {
  if (posixTime == nullptr) return;
  unsigned int d = localTime1904 - static_cast<unsigned int>(kSeconds1904To1970);
  *posixTime = static_cast<long>(d) - kiv::platform::zoneOffsetAt(std::time(nullptr));
}

unsigned int UTCDate2Seconds(UTCDateTime& date) {
  return static_cast<unsigned int>(kiv::platform::secondsSince1904(date) & 0xFFFFFFFFu);
}

void Seconds2UTCDate(unsigned int seconds, UTCDateTime& date) {
  date = kiv::platform::utcDateTime(seconds, 0);
}
