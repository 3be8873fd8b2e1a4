/// \file
/// Module header Debug: the diagnostics log under its second module name. Programs include the
/// log as KivDebug.h or as Debug.h, so both headers exist and give the same declarations, from
/// detail/DiagnosticsLog.h. Compiles as C++11.
#ifndef KIV_DEBUG_H
#define KIV_DEBUG_H

#include "detail/DiagnosticsLog.h"
#include "detail/MacTypes.h"

/// \addtogroup Debug
/// @{

/// @}

#endif
