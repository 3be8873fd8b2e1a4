// Module header Debug. Compiles as C++11.
#ifndef KIV_DEBUG_H
#define KIV_DEBUG_H

#include "detail/DiagnosticsLog.h"
#include "detail/MacTypes.h"

#endif
