// Module header KIVStr. Compiles as C++11.
#ifndef KIV_KIVSTR_H
#define KIV_KIVSTR_H

#include "detail/CharSets.h"
#include "detail/DateTimePascal.h"
#include "detail/MacTypes.h"
#include "detail/PascalStrings.h"

#endif
