// Copying, moving and removing files and whole trees by path, judged by identity and replacing
// through staged replacement; shared by the file service and the user-level file operations.
#pragma once

#include <string>
#include <system_error>

namespace kiv::platform {

// Copies (or, with `move`, moves) the object at `source`, a file or a whole tree, to the path
// `destination`. An existing destination is replaced when `replace` is set and refused with
// EEXIST otherwise.
// - The same object under two spellings (links, "..", bind mounts, hard links) is left alone:
//   success, nothing touched.
// - A folder into its own contents, a destination that holds the source, and a source link onto
//   what it leads to are refused with EINVAL before anything changes.
// - A missing source fails with the destination untouched. A replaced destination is removed
//   only after the new object is complete and in its place.
// - Across file systems a move first checks that every entry of the source can be removed,
//   copies, and removes the source last. A socket or device in the tree fails the copy before
//   anything changes (EOPNOTSUPP).
void transferObject(const std::string& source, const std::string& destination, bool move,
                    bool replace, std::error_code& ec);

// Removes the object at `path`, a file or a whole tree, after checking that every entry can be
// removed. The root folder, however it is spelled, is refused with EPERM.
void removeObject(const std::string& path, std::error_code& ec);

} // namespace kiv::platform
