#include "platform/desktop/UserFolders.h"

#include "platform/files/PathText.h"

#include <glib.h>

#include <cstdlib>
#include <mutex>

namespace kiv::platform {

// The variable's value when it is an absolute path, without trailing separators; else empty.
static std::string absoluteEnv(const char* name) {
  const char* v = std::getenv(name);
  if (!v || v[0] != '/') return std::string();
  std::string s = v;
  while (s.size() > 1 && s.back() == '/')
    s.pop_back();
  return s;
}

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  const char* fallback = g_get_home_dir();
  return fallback ? fallback : "/";
}

std::string configHome() {
  std::string dir = absoluteEnv("XDG_CONFIG_HOME");
  return dir.empty() ? joinPath(homeFolder(), ".config") : dir;
}

std::string dataHome() {
  std::string dir = absoluteEnv("XDG_DATA_HOME");
  return dir.empty() ? joinPath(joinPath(homeFolder(), ".local"), "share") : dir;
}

// GLib caches user-dirs.dirs per process; reloading it on each call makes a changed HOME or
// XDG_CONFIG_HOME visible. The reload is serialised because it replaces GLib's table. GLib
// keeps previously returned strings alive, so copying right after the look-up is safe.
static std::string specialFolder(GUserDirectory which, const char* fallbackLeaf) {
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  g_reload_user_special_dirs_cache();
  const char* dir = g_get_user_special_dir(which);
  if (dir && *dir) return dir;
  return joinPath(homeFolder(), fallbackLeaf);
}

std::string desktopFolder() { return specialFolder(G_USER_DIRECTORY_DESKTOP, "Desktop"); }

std::string documentsFolder() { return specialFolder(G_USER_DIRECTORY_DOCUMENTS, "Documents"); }

std::string temporaryFolder() {
  const char* dir = g_get_tmp_dir();
  return dir && *dir ? dir : "/tmp";
}

} // namespace kiv::platform
