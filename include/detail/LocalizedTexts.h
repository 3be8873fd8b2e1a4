/// \file
/// Fixed texts from the localized strings table, and Mac Roman to UTF-8 conversion.
/// Compiles as C++11.
#ifndef KIV_DETAIL_LOCALIZEDTEXTS_H
#define KIV_DETAIL_LOCALIZEDTEXTS_H

#include "Export.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// Looks up the key "CARBON_STR_<first>_<second>" (decimal, with sign) in the localized strings
/// table and writes the text found as a Mac Roman C string into `destination`, which must hold
/// 255 bytes: at most 254 characters and the terminator.
///
/// The table is the main bundle's catalogs "Localizable", one per language. The text comes from
/// the first catalog that holds the key, trying in turn the languages of the LANGUAGE list
/// (honoured whatever the locale, "C" included), then the message locale (the first of LC_ALL,
/// LC_MESSAGES and LANG that is set), each as given and then in its less specific forms ("de_AT"
/// then "de"), and last the bundle's development language (CFBundleDevelopmentRegion in its
/// Info.plist). The locales need not be installed on the machine. A key that no catalog in that
/// chain holds gives the key text itself. A text that is empty, longer than 254 Mac Roman bytes or
/// holds a character without a Mac Roman form gives the empty string. `third` is not used.
KIV_API void GetCocoaCString(char* destination, short first, short second, short third);

/// The same text as a Pascal string (at most 254 characters) in `destination` (256 bytes).
KIV_API void GetCocoaString(unsigned char* destination, short first, short second);

/// Reads `source` as a Mac Roman C string and writes its UTF-8 form and a terminator into
/// `destination`, which must hold 3 * strlen(source) + 1 bytes. A null source gives the empty
/// string.
KIV_API void CocoaRomanToUTF(char* source, char* destination);

/// @}

#endif
