/// \file
/// Module header KIVStr: Pascal and C string primitives, Windows Latin 1 to Mac Roman conversion,
/// Unicode string primitives, Kanji-code detection and dates as Pascal strings. The string class
/// KIVStr itself, with the encoding conversions, is declared by KIV_Str.h. Compiles as C++11.
#ifndef KIV_KIVSTR_H
#define KIV_KIVSTR_H

#include "detail/CharSets.h"
#include "detail/DateTimePascal.h"
#include "detail/MacTypes.h"
#include "detail/PascalStrings.h"

/// \addtogroup KIVStr
/// @{

/// @}

#endif
