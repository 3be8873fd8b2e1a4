/// \file
/// Module header KivMisc_Frameworks: the services written against the desktop: alerts, the
/// console log, date texts, file operations and choosers, launching, localized texts, modifier
/// keys, the pasteboard, the system version, screens, bundles, the locale, standard folders and
/// web requests. Byte order, 1904 time and system information are in KivMisc.h. Compiles as
/// C++11.
#ifndef KIV_KIVMISC_FRAMEWORKS_H
#define KIV_KIVMISC_FRAMEWORKS_H

#include "detail/Alerts.h"
#include "detail/Bundles.h"
#include "detail/Console.h"
#include "detail/DateTimeText.h"
#include "detail/FileOperations.h"
#include "detail/FilePanels.h"
#include "detail/Launching.h"
#include "detail/Locale.h"
#include "detail/LocalizedTexts.h"
#include "detail/MacTypes.h"
#include "detail/ModifierKeys.h"
#include "detail/Pasteboard.h"
#include "detail/Screens.h"
#include "detail/StandardFolders.h"
#include "detail/SystemVersion.h"
#include "detail/WebRequests.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// @}

#endif
