// The modal informational alert panel and the alert sound, over Qt.
#pragma once

#include <optional>
#include <string>

namespace kiv::platform {

// Shows the alert with its title, message (plain text, never read as markup) and buttons
// (UTF-8; an empty `ok` gives the standard button, an empty `cancel` no second button) and
// waits for the user: 1 for the default button, 0 for the cancel button; closing the panel by
// other means counts as its escape button (cancel, else the default). Nothing when the user
// interface is not available to the caller (no display, or another thread than its own).
std::optional<short> runAlertPanel(const std::string& title, const std::string& message,
                                   const std::string& ok, const std::string& cancel);

// Plays the system alert sound; does nothing when the user interface is not available.
void beep();

} // namespace kiv::platform
