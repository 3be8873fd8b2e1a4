/// \file
/// Dates and times of day as Mac Roman Pascal strings. Compiles as C++11.
#ifndef KIV_DETAIL_DATETIMEPASCAL_H
#define KIV_DETAIL_DATETIMEPASCAL_H

#include "Export.h"

/// \addtogroup KIVStr
/// @{

/// As DateToCStringN and TimeToCStringN (KivMisc_Frameworks), with the text (at most 103
/// bytes) stored as a Pascal string: its length in dst[0] and its bytes after it.
///@{
KIV_API void DateToStringN(long posixTime, short form, unsigned char* dst);
KIV_API void TimeToStringN(long posixTime, unsigned char* dst, bool withSeconds);
///@}

/// @}

#endif
