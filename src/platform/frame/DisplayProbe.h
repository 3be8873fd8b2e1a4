// Which Qt platform plugin can really start in this process.
#pragma once

#include <string>

namespace kiv::platform {

// The platform Qt should be started with, as a value for its "-platform" argument (plugin name
// and options, e.g. "xcb" or "offscreen:size=800x600"), or empty when none can start. Qt aborts
// the process when no platform plugin can be initialised (a DISPLAY naming an X server that is
// gone, a Wayland socket that does not exist), so the candidates are checked beforehand:
// QT_QPA_PLATFORM's list in order when it is set, otherwise Wayland then X11 in a Wayland
// session and X11 then Wayland elsewhere. A candidate counts when its plugin is installed and,
// for X11 and Wayland, a connection to the display server succeeds (through the display
// libraries the plugins themselves use, loaded at run time). Other plugins are trusted.
std::string usableGuiPlatform();

} // namespace kiv::platform
