// The Qt application object the library's windows, panels and alerts need.
#pragma once

namespace kiv::platform {

// True when a display is available to the process: QT_QPA_PLATFORM names a platform that needs
// no display server (offscreen, minimal...), or the Wayland display (WAYLAND_DISPLAY) or the
// local X display (DISPLAY) accepts a connection; a display on another host is trusted. Without
// one, nothing may create windows: Qt would abort the process.
bool hasDisplay();

// Makes sure a QApplication exists, creating one when the caller has none. Returns false, and
// creates nothing, when there is no display or the application object cannot be made.
bool ensureGuiApplication();

} // namespace kiv::platform
