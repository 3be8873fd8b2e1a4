/// \file
/// Module header KivMisc: byte order, 1904 time, the standard folders, opening URLs, the
/// preferences record, system information, bundle versions and the locale. The services written
/// against the desktop are in KivMisc_Frameworks.h. Compiles as C++11.
#ifndef KIV_KIVMISC_H
#define KIV_KIVMISC_H

#include "detail/Bundles.h"
#include "detail/ByteOrder.h"
#include "detail/DateTime.h"
#include "detail/LaunchURL.h"
#include "detail/Locale.h"
#include "detail/MacTypes.h"
#include "detail/PrefsRecord.h"
#include "detail/StandardFolders.h"
#include "detail/SystemInfo.h"

/// \addtogroup KivMisc
/// @{

/// @}

#endif
