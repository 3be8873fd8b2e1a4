#include "platform/files/PathText.h"

namespace kiv::platform {

std::string_view leafOf(std::string_view path) {
  const std::string_view::size_type slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string folderOf(std::string_view path, std::string_view none) {
  const std::string_view::size_type slash = path.rfind('/');
  if (slash == std::string_view::npos) return std::string(none);
  return slash == 0 ? std::string("/") : std::string(path.substr(0, slash));
}

std::string joinPath(std::string_view folder, std::string_view name) {
  std::string path(folder == "/" ? std::string_view() : folder);
  path += '/';
  path += name;
  return path;
}

} // namespace kiv::platform
