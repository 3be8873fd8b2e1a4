/// \file
/// Module header KIV_Str: the string class KIVStr and its feedback interface, the encoding
/// conversions between string forms, and the platform string service they rest on. The Pascal
/// and C string primitives are in KIVStr.h. Compiles as C++11.
#ifndef KIV_KIV_STR_H
#define KIV_KIV_STR_H

#include "detail/CFString.h"
#include "detail/EncodingConversions.h"
#include "detail/MacTypes.h"
#include "detail/StringObject.h"

/// \addtogroup KIV_Str
/// @{

/// @}

#endif
