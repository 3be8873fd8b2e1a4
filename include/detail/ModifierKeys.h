/// \file
/// The modifier keys of the input event being handled. Compiles as C++11.
#ifndef KIV_DETAIL_MODIFIERKEYS_H
#define KIV_DETAIL_MODIFIERKEYS_H

#include "Export.h"

/// \addtogroup KivMisc_Frameworks
/// @{

/// Sets `command`, `shift` and `option` to whether the Control, Shift and Alt keys were held
/// in the input event (key, mouse, wheel, touch...) that the application is handling; other
/// modifiers are not reported.
///
/// An input event counts as being handled from its delivery until the user interface thread's
/// event loop next waits for events, so the code a key press, a click or a menu choice runs
/// sees its modifiers. All three are false before the first input event, while the event loop
/// is idle, without an application object and on any other thread.
KIV_API void KivCocoaGetKeys(bool& command, bool& shift, bool& option);

/// @}

#endif
