// Dates and times of day as Mac Roman text, formatted by ICU.
//
// The texts are Mac Roman C strings written into `room` bytes with their terminator (a longer
// text is cut). Characters that Mac Roman lacks are written as '?', spaces of other widths as
// plain spaces, and invisible format characters (direction marks) are dropped.
#pragma once

namespace kiv::platform {

// The locale's styles of a date.
enum class DateStyle { full, long_, short_ };

// The date of posixTime, without a time of day, in the locale's `style`, seen at `zoneOffset`
// seconds east of Greenwich. The locale is read from the environment at each call, as the C
// library orders it for dates: the first of LC_ALL, LC_TIME and LANG that is set and not empty
// (its encoding and modifier parts ignored); "C", "POSIX" or none give U.S. English in its POSIX
// form. A time beyond the calendar's range gives the empty text.
void formatDate(long posixTime, DateStyle style, long zoneOffset, char* dst, long room);

// The time of day of posixTime at `zoneOffset`, "HH:mm:ss" with seconds or "HH:mm" without
// (24-hour clock, ASCII digits whatever the locale).
void formatTimeOfDay(long posixTime, bool withSeconds, long zoneOffset, char* dst, long room);

} // namespace kiv::platform
