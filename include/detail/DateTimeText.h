/// \file
/// Dates and times of day as text, and 1904 time in local time. Compiles as C++11.
///
/// The texts are Mac Roman C strings of at most 103 bytes and the terminator (104 bytes are
/// written at most; a longer text is cut). Characters that Mac Roman lacks are written as '?';
/// spaces of other widths as plain spaces.
///
/// The locale is read from the environment at each call, as the C library orders it for
/// dates: the first of LC_ALL, LC_TIME and LANG that is set and not empty (its encoding and
/// modifier parts ignored); "C", "POSIX" or none give U.S. English in its POSIX form. The time
/// zone is the system's, read at each call as the C library reads it (TZ, else the system's
/// zone file).
#ifndef KIV_DETAIL_DATETIMETEXT_H
#define KIV_DETAIL_DATETIMETEXT_H

#include "Export.h"
#include "MacTypes.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// The localized date of posixTime in the system time zone: form 1 the locale's full style,
/// 2 its long style, anything else its short style; no time of day.
KIV_API void DateToCStringN(long posixTime, short form, char* dst);
/// The time of day of posixTime in the system time zone, "HH:mm:ss" with seconds or "HH:mm"
/// without (24-hour clock, ASCII digits whatever the locale).
KIV_API void TimeToCStringN(long posixTime, char* dst, bool withSeconds);

/// The current time as 1904 time in local time: POSIX time plus the system zone's current
/// offset from GMT (daylight saving included) plus 2082844800, modulo 2^32.
KIV_API void GetCarbonDateTime(unsigned int* now);
/// A 1904 time in local time to POSIX time: localTime1904 - 2082844800 in unsigned 32-bit
/// arithmetic (1904 times before 1970 wrap to times after 2106), minus the system zone's
/// current offset from GMT.
KIV_API void OldDateTimeToBSDTime(unsigned int localTime1904, long* posixTime);

/// @}

#endif
