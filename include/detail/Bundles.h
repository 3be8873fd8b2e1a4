/// \file
/// Application bundles: the version a bundle's Info.plist states, and the folder that holds the
/// running application's bundle. Compiles as C++11.
#ifndef KIV_DETAIL_BUNDLES_H
#define KIV_DETAIL_BUNDLES_H

#include <stddef.h>

#include "Export.h"

/// \addtogroup KivMisc_Frameworks
/// @{

struct __CFBundle;
struct FSRef;

/// The "CFBundleShortVersionString" of the bundle's Info.plist as a Mac Roman Pascal string of
/// at most 31 characters (32-byte buffer; a longer version is cut, a character without a Mac
/// Roman form leaves it empty). The destination is emptied first. Returns -1 when the bundle
/// has no information dictionary (no readable Info.plist holding a dictionary, or a null
/// bundle), else 0, also when the key is absent.
KIV_API short GetBundleVersion(__CFBundle* bundle, unsigned char* version);

/// The same for the bundle folder (`<Name>.app`) that ref designates. Returns -1 when the
/// reference gives no path; 0 with an empty version when no bundle can be made from it (it is
/// not a folder).
KIV_API short FSGetBundleVersion(FSRef* ref, unsigned char* version);

/// The folder that contains the running application's bundle: "/opt/Tools" for the bundle
/// "/opt/Tools/Example.app", the empty string for "/Example.app". The buffer must hold the whole
/// bundle path and its NUL (PATH_MAX, 4096 bytes, is always enough).
KIV_API void GetThisAppBundleParentPathN(char* parent);
/// The same with the buffer's size: a parent path that does not fit leaves the empty string and
/// returns -1; 0 otherwise.
KIV_API int GetThisAppBundleParentPathN(char* parent, size_t parentSize);

/// @}

#endif
