// Module header KivMisc. Compiles as C++11.
#ifndef KIV_KIVMISC_H
#define KIV_KIVMISC_H

#include "detail/ByteOrder.h"
#include "detail/DateTime.h"
#include "detail/FolderCodes.h"
#include "detail/LaunchURL.h"
#include "detail/MacTypes.h"
#include "detail/PrefsRecord.h"
#include "detail/SystemInfo.h"

#endif
