/// \file
/// The general pasteboard (the desktop clipboard). Compiles as C++11.
#ifndef KIV_DETAIL_PASTEBOARD_H
#define KIV_DETAIL_PASTEBOARD_H

#include "Export.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// Replaces the clipboard's contents with `text`, read as UTF-8 (invalid bytes become U+FFFD),
/// as plain text. A null text only clears the clipboard. Does nothing without a display or when
/// called from a thread other than the user interface's.
KIV_API void CocoaCopyToPasteboard(char* text);

/// @}

#endif
