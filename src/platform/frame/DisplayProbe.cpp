#include "platform/frame/DisplayProbe.h"

#include <QLibraryInfo>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <string_view>
#include <vector>

namespace kiv::platform {

namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = s.find(sep, start);
    std::string part = s.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!part.empty()) parts.push_back(part);
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

// Folders Qt searches for platform plugins: QT_PLUGIN_PATH, then its installation's folder.
std::vector<std::filesystem::path> pluginFolders() {
  std::vector<std::filesystem::path> folders;
  for (const std::string& p : split(env("QT_PLUGIN_PATH"), ':'))
    folders.emplace_back(std::filesystem::path(p) / "platforms");
  folders.emplace_back(
      std::filesystem::path(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString()) /
      "platforms");
  return folders;
}

bool pluginInstalled(const std::string& name) {
  // The Wayland client plugin is named "wayland" but ships as libqwayland-generic.so.
  std::vector<std::string> files = {"libq" + name + ".so"};
  if (name == "wayland") files.push_back("libqwayland-generic.so");
  std::error_code ec;
  for (const auto& folder : pluginFolders())
    for (const auto& file : files)
      if (std::filesystem::exists(folder / file, ec)) return true;
  return false;
}

// A function of a display library that is loaded only for the probe.
template <typename F> F symbol(void* lib, const char* name) {
  return reinterpret_cast<F>(dlsym(lib, name));
}

bool canReachX11() {
  if (env("DISPLAY").empty()) return false;
  void* lib = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
  if (!lib) return false;
  using Connect = void* (*)(const char*, int*);
  using HasError = int (*)(void*);
  using Disconnect = void (*)(void*);
  auto connect = symbol<Connect>(lib, "xcb_connect");
  auto hasError = symbol<HasError>(lib, "xcb_connection_has_error");
  auto disconnect = symbol<Disconnect>(lib, "xcb_disconnect");
  bool ok = false;
  if (connect && hasError && disconnect) {
    void* c = connect(nullptr, nullptr); // never null: errors are reported on the connection
    ok = c && hasError(c) == 0;
    if (c) disconnect(c);
  }
  dlclose(lib);
  return ok;
}

bool canReachWayland() {
  void* lib = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
  if (!lib) return false;
  using Connect = void* (*)(const char*);
  using Disconnect = void (*)(void*);
  auto connect = symbol<Connect>(lib, "wl_display_connect");
  auto disconnect = symbol<Disconnect>(lib, "wl_display_disconnect");
  bool ok = false;
  if (connect && disconnect) {
    if (void* d = connect(nullptr)) {
      ok = true;
      disconnect(d);
    }
  }
  dlclose(lib);
  return ok;
}

bool canStart(const std::string& candidate) {
  std::string name = candidate.substr(0, candidate.find(':'));
  if (name.empty() || !pluginInstalled(name)) return false;
  if (name == "xcb") return canReachX11();
  if (std::string_view(name).substr(0, 7) == "wayland") return canReachWayland();
  return true;
}

} // namespace

std::string usableGuiPlatform() {
  std::string list = env("QT_QPA_PLATFORM");
  if (list.empty()) list = env("XDG_SESSION_TYPE") == "wayland" ? "wayland;xcb" : "xcb;wayland";
  for (const std::string& candidate : split(list, ';'))
    if (canStart(candidate)) return candidate;
  return "";
}

} // namespace kiv::platform
