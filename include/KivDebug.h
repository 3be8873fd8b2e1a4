// Module header KivDebug. Compiles as C++11.
#ifndef KIV_KIVDEBUG_H
#define KIV_KIVDEBUG_H

#include "detail/DiagnosticsLog.h"
#include "detail/MacTypes.h"

#endif
