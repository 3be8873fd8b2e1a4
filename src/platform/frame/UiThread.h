// Whether the calling code may use the user interface.
#pragma once

namespace kiv::ui {

// True when a Qt application object with a display exists (it is created on demand) and the
// caller runs on its thread, the only one that may create windows or touch the clipboard.
bool userInterfaceAvailable();

} // namespace kiv::ui
