// Modal file choosers on Qt's own file dialog (the same on every desktop, and drivable in
// tests). Each answers the chosen path as the file system's bytes, or nothing when the user
// cancels or the user interface is not available to the caller (no display, or another thread
// than its own).
#pragma once

#include <optional>
#include <string>

namespace kiv::platform {

// One existing file. `type` (UTF-8) is a file-name extension such as "xml" (a leading '.' is
// passed over), a MIME type such as "text/plain" when it holds '/', or empty for any file.
std::optional<std::string> chooseExistingFile(const std::string& type);

// One folder.
std::optional<std::string> chooseFolder();

// A folder and a name for a new file (which is not created); `proposedName` (UTF-8), when
// given, fills the name field.
std::optional<std::string> chooseNewFileLocation(const std::optional<std::string>& proposedName);

} // namespace kiv::platform
