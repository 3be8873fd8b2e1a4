/// \file
/// Module header KivDebug: the diagnostics log (KivDebugAlways, its silent twin KivNoDebug,
/// Debug and the control entries). Debug.h is the same header under the second module name that
/// programs include the log by; both give the same declarations, from detail/DiagnosticsLog.h.
/// The console log itself is in KivMisc_Frameworks.h. Compiles as C++11.
#ifndef KIV_KIVDEBUG_H
#define KIV_KIVDEBUG_H

#include "detail/DiagnosticsLog.h"
#include "detail/MacTypes.h"

/// \addtogroup KivDebug
/// @{

/// @}

#endif
