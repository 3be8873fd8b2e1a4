// Taking path text apart at its '/' separators and putting it together, without any access to
// the file system: the one place the library splits and joins paths. (The public path
// functions of Paths.h follow their own documented rules.)
#pragma once

#include <string>
#include <string_view>

namespace kiv::platform {

// The text after the last '/'; the whole path when it has none ("" for "/" and for "a/").
std::string_view leafOf(std::string_view path);

// The text before the last '/': "/" when that '/' is the first character, `none` when the path
// has no '/'.
std::string folderOf(std::string_view path, std::string_view none);

// The folder, a '/' and the name; the root folder "/" (and the empty folder) give "/" + name.
std::string joinPath(std::string_view folder, std::string_view name);

} // namespace kiv::platform
