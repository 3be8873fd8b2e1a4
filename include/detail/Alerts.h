/// \file
/// Alerts whose texts come from the localized strings table, and the alert sound.
/// Compiles as C++11.
#ifndef KIV_DETAIL_ALERTS_H
#define KIV_DETAIL_ALERTS_H

#include "Export.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// Shows alert number `alertNumber` as a modal informational alert and returns 1 when the user
/// presses the default button, 0 for the cancel button.
///
/// The texts are looked up in the localized strings table under these keys (n in decimal, with
/// its sign): "KIV_ALERT_STRING_n" (the message), "KIV_ALERT_STRING_n_Title",
/// "KIV_ALERT_STRING_n_OK" (the default button) and, only when `withCancel` is true,
/// "KIV_ALERT_STRING_n_Cancel". The table is read in the user's language with its fallbacks
/// (see GetCocoaCString); a key that no catalog holds stands for itself.
///
/// The message text is a template: each "%s" takes the next of `arg1` to `arg4` (C strings in
/// the system encoding; null reads as empty), "%%" is a percent sign, and every other "%"
/// sequence is shown as written. Arguments beyond those the template uses are ignored. When no
/// catalog holds the message, the message is its key followed by the arguments that are not
/// empty, in parentheses and separated by ", ": "KIV_ALERT_STRING_2 (a.xml, /tmp)".
///
/// Without a display, or when called from a thread other than the user interface's, the texts
/// are written to the console log and the answer is 0 if the alert has a cancel button, else 1.
KIV_API short doCocoaAlert(short alertNumber, char* arg1, char* arg2, char* arg3, char* arg4,
                           bool withCancel);

/// Plays the system alert sound; does nothing without a display.
KIV_API void KivSysBeep();

/// @}

#endif
