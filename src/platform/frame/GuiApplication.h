// The Qt application object that the library's windows, panels and alerts need, and the one
// place where the library creates it.
#pragma once

#include <memory>
#include <string>

class QApplication;

namespace kiv::platform {

// True when a display is available to the process: QT_QPA_PLATFORM names a platform that needs
// no display server (offscreen, minimal...), or the Wayland display (WAYLAND_DISPLAY) or the
// local X display (DISPLAY) accepts a connection; a display on another host is trusted. Without
// one, nothing may create windows: Qt would abort the process.
bool hasDisplay();

// Creates the Qt application object (Qt keeps argc and argv for its lifetime). A fatal Qt message
// while it is being made (no platform plugin could connect to the display) ends the process with
// the line "<name>: cannot start: no usable display (...)" and status 1 instead of an abort;
// the other messages of the start are held back and passed on once the object exists.
std::unique_ptr<QApplication> makeGuiApplication(int& argc, char** argv, const std::string& name);

// Makes sure a QApplication exists, creating one for the rest of the process when the caller has
// none. Returns false, and creates nothing, when there is no display or a non-graphical
// application object is in place.
bool ensureGuiApplication();

// True when a Qt application object with a display exists (it is created on demand) and the
// caller runs on its thread, the only one that may create windows or touch the clipboard.
bool userInterfaceAvailable();

// Writes "<name>: cannot start: <what>" to standard error.
void reportStartFailure(const std::string& name, const std::string& what);

} // namespace kiv::platform
