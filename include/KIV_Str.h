// Module header KIV_Str. Compiles as C++11.
#ifndef KIV_KIV_STR_H
#define KIV_KIV_STR_H

#include "detail/CFString.h"
#include "detail/EncodingConversions.h"
#include "detail/MacTypes.h"
#include "detail/StringObject.h"

#endif
