// Copying and moving whole file trees, shared by the file service and the file operations.
#pragma once

#include <filesystem>
#include <system_error>

namespace kiv::platform {

// Copies a file or folder tree to `to`, which must not exist; symbolic links are copied as
// links.
void copyTree(const std::filesystem::path& from, const std::filesystem::path& to,
              std::error_code& ec);

// Renames `from` to `to`; across file systems, copies the tree and then removes the original.
// A copy that fails is removed again, so the original stays whole at its place.
void moveTree(const std::filesystem::path& from, const std::filesystem::path& to,
              std::error_code& ec);

} // namespace kiv::platform
