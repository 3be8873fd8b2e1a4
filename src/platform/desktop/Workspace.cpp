#include "platform/workspace/Workspace.h"

#include "platform/bundle/Bundle.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace kiv::platform {

namespace {

bool launchInfo(GAppInfo* info) {
  if (!info) return false;
  GError* error = nullptr;
  gboolean ok = g_app_info_launch(info, nullptr, nullptr, &error);
  g_clear_error(&error);
  g_object_unref(info);
  return ok;
}

// One argument of a desktop entry's command line, to be taken exactly as written: in double
// quotes, with the characters that stay special there (", `, $ and \) escaped by a backslash,
// and every "%" doubled so that none is read as a field code ("%f" would otherwise vanish).
std::string commandLineArgument(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  return quoted + '"';
}

bool launchExecutable(const std::string& path) {
  GError* error = nullptr;
  GAppInfo* info = g_app_info_create_from_commandline(commandLineArgument(path).c_str(), nullptr,
                                                      G_APP_INFO_CREATE_NONE, &error);
  g_clear_error(&error);
  return launchInfo(info);
}

bool isExecutableFile(const fs::path& p) {
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return false;
  auto perms = fs::status(p, ec).permissions();
  return !ec && (perms & (fs::perms::owner_exec | fs::perms::group_exec |
                          fs::perms::others_exec)) != fs::perms::none;
}

// The executable of a bundle: Contents/Linux/<CFBundleExecutable>, else Contents/Linux/<Name>.
std::string bundleExecutable(const fs::path& bundle) {
  fs::path dir = bundle / "Contents" / "Linux";
  std::string exe = bundleInfoValue(bundle.string(), "CFBundleExecutable").value_or("");
  if (!exe.empty() && exe.find('/') == std::string::npos && isExecutableFile(dir / exe))
    return (dir / exe).string();
  fs::path byName = dir / bundle.stem();
  return isExecutableFile(byName) ? byName.string() : std::string();
}

bool sameText(const char* a, const char* b) {
  if (!a || !b) return false;
  gchar* fa = g_utf8_casefold(a, -1);
  gchar* fb = g_utf8_casefold(b, -1);
  bool same = std::strcmp(fa, fb) == 0;
  g_free(fa);
  g_free(fb);
  return same;
}

// The installed application whose name (or, failing that, executable) is `name`.
GAppInfo* findByName(const char* name) {
  GList* all = g_app_info_get_all();
  GAppInfo* found = nullptr;
  for (GList* l = all; l && !found; l = l->next) {
    GAppInfo* info = G_APP_INFO(l->data);
    if (sameText(g_app_info_get_name(info), name) ||
        sameText(g_app_info_get_display_name(info), name))
      found = info;
  }
  for (GList* l = all; l && !found; l = l->next) {
    GAppInfo* info = G_APP_INFO(l->data);
    const char* exe = g_app_info_get_executable(info);
    if (exe && fs::path(exe).filename() == name) found = info;
  }
  if (found) g_object_ref(found);
  g_list_free_full(all, g_object_unref);
  return found;
}

} // namespace

bool openURI(const char* uri) {
  if (!uri || !g_uri_peek_scheme(uri)) return false;
  GError* error = nullptr;
  gboolean ok = g_app_info_launch_default_for_uri(uri, nullptr, &error);
  g_clear_error(&error);
  return ok;
}

bool launchApplication(const char* name) {
  if (!name || !*name || !g_utf8_validate(name, -1, nullptr)) return false;
  std::string text(name);
  std::error_code ec;
  if (text.find('/') != std::string::npos) {
    fs::path p(text);
    if (p.extension() == ".desktop")
      return launchInfo(G_APP_INFO(g_desktop_app_info_new_from_filename(p.c_str())));
    if (fs::is_directory(p, ec)) {
      std::string exe = bundleExecutable(p);
      return !exe.empty() && launchExecutable(exe);
    }
    return isExecutableFile(p) && launchExecutable(text);
  }
  GDesktopAppInfo* byId = g_desktop_app_info_new(name);
  if (!byId) byId = g_desktop_app_info_new((text + ".desktop").c_str());
  if (byId) return launchInfo(G_APP_INFO(byId));
  return launchInfo(findByName(name));
}

} // namespace kiv::platform
