// Dates and times of day as Mac Roman text in the current locale and the system time zone.
#include "detail/DateTimeText.h"
#include "detail/DateTimePascal.h"

#include "detail/PascalStrings.h"
#include "platform/memory/NoThrow.h"
#include "platform/string/DateFormat.h"
#include "platform/time/TimeZone.h"

namespace {

// Room of every text, terminator included.
constexpr long kTextRoom = 104;

} // namespace

void DateToCStringN(long posixTime, short form, char* dst) {
  using kiv::platform::DateStyle;
  if (dst == nullptr) return;
  const DateStyle style = form == 1   ? DateStyle::full
                          : form == 2 ? DateStyle::long_
                                      : DateStyle::short_;
  dst[0] = '\0';
  kiv::platform::noThrow([&] {
    kiv::platform::formatDate(posixTime, style, kiv::platform::zoneOffsetAt(posixTime), dst,
                              kTextRoom);
  });
}

void TimeToCStringN(long posixTime, char* dst, bool withSeconds) {
  if (dst == nullptr) return;
  dst[0] = '\0';
  kiv::platform::noThrow([&] {
    kiv::platform::formatTimeOfDay(posixTime, withSeconds, kiv::platform::zoneOffsetAt(posixTime),
                                   dst, kTextRoom);
  });
}

void DateToStringN(long posixTime, short form, unsigned char* dst) {
  if (dst == nullptr) return;
  char text[kTextRoom];
  DateToCStringN(posixTime, form, text);
  C2PStrCopy(text, dst);
}

void TimeToStringN(long posixTime, unsigned char* dst, bool withSeconds) {
  if (dst == nullptr) return;
  char text[kTextRoom];
  TimeToCStringN(posixTime, text, withSeconds);
  C2PStrCopy(text, dst);
}
