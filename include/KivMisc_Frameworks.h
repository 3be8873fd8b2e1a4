// Module header KivMisc_Frameworks. Compiles as C++11.
#ifndef KIV_KIVMISC_FRAMEWORKS_H
#define KIV_KIVMISC_FRAMEWORKS_H

#include "detail/Alerts.h"
#include "detail/Console.h"
#include "detail/DateTimeText.h"
#include "detail/FileOperations.h"
#include "detail/FilePanels.h"
#include "detail/Launching.h"
#include "detail/LocalizedTexts.h"
#include "detail/MacTypes.h"
#include "detail/ModifierKeys.h"
#include "detail/Pasteboard.h"
#include "detail/SystemVersion.h"
#include "detail/WebRequests.h"

#endif
