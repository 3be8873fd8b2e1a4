#include "platform/files/Trees.h"

namespace fs = std::filesystem;

namespace kiv::platform {

void copyTree(const fs::path& from, const fs::path& to, std::error_code& ec) {
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
}

void moveTree(const fs::path& from, const fs::path& to, std::error_code& ec) {
  fs::rename(from, to, ec);
  if (ec != std::make_error_code(std::errc::cross_device_link)) return;
  ec.clear();
  copyTree(from, to, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove_all(to, ignored);
    return;
  }
  fs::remove_all(from, ec);
}

} // namespace kiv::platform
