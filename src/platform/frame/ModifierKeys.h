// The modifier keys of the input event that the application is handling, over Qt.
#pragma once

namespace kiv::platform {

// Whether Control, Shift and Alt were held in the input event (key, mouse, wheel, touch...) that
// the application is handling. An input event counts as being handled from its delivery until
// the user interface thread's event loop next waits for events. All three are false before the
// first input event, while the event loop is idle, without an application object and on any
// other thread.
void inputModifiers(bool& control, bool& shift, bool& alt);

} // namespace kiv::platform
