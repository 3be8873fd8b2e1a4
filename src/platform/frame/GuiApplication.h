// The Qt application object the library's windows, panels and alerts need.
#pragma once

namespace kiv::platform {

// True when a display is available to the process: DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM
// is set. Without one, nothing may create windows.
bool hasDisplay();

// Makes sure a QApplication exists, creating one when the caller has none. Returns false, and
// creates nothing, when there is no display or the application object cannot be made.
bool ensureGuiApplication();

} // namespace kiv::platform
