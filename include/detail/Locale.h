/// \file
/// The user's current locale. Compiles as C++11.
#ifndef KIV_DETAIL_LOCALE_H
#define KIV_DETAIL_LOCALE_H

#include "Export.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// The identifier of the user's current locale (such as "en_US") as a Mac Roman Pascal string
/// in a 32-byte buffer; empty when there is none.
KIV_API void GetLocaleIdentifier(unsigned char* identifier);

/// Looks up the current locale's identifier and does nothing else.
KIV_API void SetLocale();

/// @}

#endif
