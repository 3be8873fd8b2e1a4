/// \file
/// The system's name and version as one text. Compiles as C++11.
#ifndef KIV_DETAIL_SYSTEMINFO_H
#define KIV_DETAIL_SYSTEMINFO_H

#include "Export.h"

/// \addtogroup KivMisc
/// @{

/// The system's name and version: the name from /etc/os-release ("NAME", at most 31 bytes of
/// it), one blank and the text of GetCocoaSystemVersion, for example "Debian GNU/Linux 12".
/// The Pascal form needs a 256-byte buffer; the C string form writes at most 64 bytes with the
/// NUL.
///@{
KIV_API void GetSystemInfo(unsigned char* info);
KIV_API void GetSystemInfo(char* info);
///@}

/// @}

#endif
