/// \file
/// The system version and the version description. Compiles as C++11.
///
/// The system version is VERSION_ID of /etc/os-release or, where the system states none, the
/// numeric part of the kernel release ("6.1.0" of "6.1.0-18-amd64"). The version description
/// read by GetOSVersion and GetFullOSVersion is
/// \verbatim
///   "Version <kernel release> (Build <kernel version>)"
/// \endverbatim
/// as uname reports them.
#ifndef KIV_DETAIL_SYSTEMVERSION_H
#define KIV_DETAIL_SYSTEMVERSION_H

#include "Export.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// The system version as a C string, at most 31 bytes and the NUL (buffer of 32 bytes).
KIV_API void GetCocoaSystemVersion(char* version);

/// The minor number of the version description when its major number is 10, else 0.
KIV_API void GetOSVersion(short& minor);

/// The three numbers of the version description. An output that the description does not
/// reach keeps the value the caller put in it.
KIV_API void GetFullOSVersion(int& major, int& minor, int& patch);

/// @}

#endif
