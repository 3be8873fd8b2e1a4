/// \file
/// Time bases: POSIX time, 1904 time and the UTCDateTime record. Compiles as C++11.
///
/// POSIX time counts seconds since 1970-01-01 00:00:00 UTC in a long. 1904 time counts seconds
/// since 1904-01-01 00:00:00 in an unsigned 32-bit integer and wraps modulo 2^32; the two epochs
/// are 2082844800 seconds apart. Each function says whether its 1904 time counts UTC or local
/// time.
#ifndef KIV_DETAIL_DATETIME_H
#define KIV_DETAIL_DATETIME_H

#include "Export.h"
#include "MacTypes.h"

/// \addtogroup KivMisc
/// @{

/// The current time as 1904 time in UTC.
KIV_API void GetDateTimeN(unsigned int* now);

/// The 1904 time of a UTCDateTime, both counting UTC: its whole seconds modulo 2^32 (the
/// fraction is dropped).
KIV_API unsigned int UTCDate2Seconds(UTCDateTime& date);
/// A UTCDateTime from a 1904 time in UTC, with no fraction.
KIV_API void Seconds2UTCDate(unsigned int seconds, UTCDateTime& date);

/// @}

#endif
