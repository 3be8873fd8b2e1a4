/// \file
/// Opening a URL in the user's preferred application. Compiles as C++11.
#ifndef KIV_DETAIL_LAUNCHURL_H
#define KIV_DETAIL_LAUNCHURL_H

#include "Export.h"

/// \addtogroup KivMisc
/// @{

/// The same as OpenURL: the URL as a C string.
KIV_API void KIVLaunchURL(const char* url);

/// The URL as a Pascal string: its whole text is opened as OpenURL does. The empty string opens
/// nothing.
KIV_API void KIVLaunchURL(const unsigned char* url);

/// @}

#endif
