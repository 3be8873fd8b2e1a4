#include "platform/desktop/OsRelease.h"

#include "platform/desktop/GlibOwners.h"

#include <sys/utsname.h>

namespace kiv::platform {

std::string osReleaseValue(const char* key) {
  if (!key) return std::string();
  // GLib reads /etc/os-release, falling back to /usr/lib/os-release, and removes the quoting.
  GlibOwned<char> value(g_get_os_info(key));
  return value ? std::string(value.get()) : std::string();
}

std::string systemName() {
  std::string name = osReleaseValue("NAME");
  return name.empty() ? std::string("Linux") : name;
}

std::string kernelRelease() {
  struct utsname u;
  return uname(&u) == 0 ? std::string(u.release) : std::string();
}

std::string kernelVersion() {
  struct utsname u;
  return uname(&u) == 0 ? std::string(u.version) : std::string();
}

} // namespace kiv::platform
