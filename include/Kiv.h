/// \file
/// The whole library: every module header. Compiles as C++11.
#ifndef KIV_KIV_H
#define KIV_KIV_H

#include "Debug.h"
#include "KIVStr.h"
#include "KIV_Str.h"
#include "KivApplication.h"
#include "KivDebug.h"
#include "KivMisc.h"
#include "KivMisc_Frameworks.h"
#include "KivXML.h"
#include "WinFSRef.h"

/// \addtogroup Kiv
/// @{

/// @}

#endif
