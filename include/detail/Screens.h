/// \file
/// The screens of the display. Compiles as C++11.
#ifndef KIV_DETAIL_SCREENS_H
#define KIV_DETAIL_SCREENS_H

#include "Export.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// The number of screens and the size of the main screen. Without a display, or without a main
/// screen, width and height are 0 (and without a display, the count too).
KIV_API void GetScreensInfo(int& count, int& width, int& height);

/// @}

#endif
