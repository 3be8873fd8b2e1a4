// The desktop clipboard, over Qt.
#pragma once

namespace kiv::platform {

// Replaces the clipboard's contents with `text`, read as UTF-8 (invalid bytes become U+FFFD),
// as plain text; a null text only clears it. Does nothing when the user interface is not
// available to the caller (no display, or another thread than its own).
void copyToClipboard(const char* text);

} // namespace kiv::platform
