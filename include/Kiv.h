// The whole library: every module header.
#ifndef KIV_KIV_H
#define KIV_KIV_H

#include "KivDebug.h"
#include "Debug.h"
#include "KIVStr.h"
#include "KIV_Str.h"
#include "KivMisc.h"
#include "KivMisc_Frameworks.h"
#include "WinFSRef.h"
#include "KivXML.h"

#endif
