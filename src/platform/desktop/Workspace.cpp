#include "platform/desktop/Workspace.h"

#include "platform/bundle/Bundle.h"
#include "platform/desktop/GlibOwners.h"
#include "platform/desktop/TextHelpers.h"
#include "platform/files/Entries.h"
#include "platform/files/PathText.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>
#include <string>

namespace kiv::platform {

namespace {

using AppInfo = GlibOwned<GAppInfo>;

bool launchInfo(AppInfo info) {
  if (!info) return false;
  GError* error = nullptr;
  gboolean ok = g_app_info_launch(info.get(), nullptr, nullptr, &error);
  GlibOwned<GError> failure(error);
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
  AppInfo info(g_app_info_create_from_commandline(commandLineArgument(path).c_str(), nullptr,
                                                  G_APP_INFO_CREATE_NONE, &error));
  GlibOwned<GError> failure(error);
  return launchInfo(std::move(info));
}

// The executable of a bundle: Contents/Linux/<CFBundleExecutable>, else Contents/Linux/<Name>
// (the bundle's name without ".app").
std::string bundleExecutable(const std::string& bundle) {
  const std::string dir = joinPath(joinPath(bundle, "Contents"), "Linux");
  std::string exe = bundleInfoValue(bundle, "CFBundleExecutable").value_or("");
  if (!exe.empty() && exe.find('/') == std::string::npos &&
      isExecutableFile(joinPath(dir, exe).c_str()))
    return joinPath(dir, exe);
  std::string name(leafOf(bundle));
  const std::string::size_type dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  const std::string byName = joinPath(dir, name);
  return isExecutableFile(byName.c_str()) ? byName : std::string();
}

bool endsWith(const std::string& text, const char* suffix) {
  const std::string::size_type n = std::char_traits<char>::length(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// The installed application whose name (or, failing that, executable) is `name`.
AppInfo findByName(const char* name) {
  GlibOwned<GList> all(g_app_info_get_all());
  for (GList* l = all.get(); l; l = l->next) {
    GAppInfo* info = G_APP_INFO(l->data);
    if (sameTextIgnoringCase(g_app_info_get_name(info), name) ||
        sameTextIgnoringCase(g_app_info_get_display_name(info), name))
      return AppInfo(G_APP_INFO(g_object_ref(info)));
  }
  for (GList* l = all.get(); l; l = l->next) {
    GAppInfo* info = G_APP_INFO(l->data);
    const char* exe = g_app_info_get_executable(info);
    if (exe && leafOf(exe) == name) return AppInfo(G_APP_INFO(g_object_ref(info)));
  }
  return nullptr;
}

} // namespace

bool openURI(const char* uri) {
  if (!uri || !g_uri_peek_scheme(uri)) return false;
  GError* error = nullptr;
  gboolean ok = g_app_info_launch_default_for_uri(uri, nullptr, &error);
  GlibOwned<GError> failure(error);
  return ok;
}

bool openFile(const char* path) {
  if (!path || !*path) return false;
  GlibOwned<GFile> file(g_file_new_for_path(path));
  GlibOwned<char> uri(g_file_get_uri(file.get()));
  return uri && openURI(uri.get());
}

bool launchApplication(const char* name) {
  if (!name || !*name || !g_utf8_validate(name, -1, nullptr)) return false;
  const std::string text(name);
  if (text.find('/') != std::string::npos) {
    if (endsWith(text, ".desktop"))
      return launchInfo(AppInfo(G_APP_INFO(g_desktop_app_info_new_from_filename(name))));
    if (kindOf(name) == ObjectKind::folder) {
      std::string exe = bundleExecutable(text);
      return !exe.empty() && launchExecutable(exe);
    }
    return isExecutableFile(name) && launchExecutable(text);
  }
  GDesktopAppInfo* byId = g_desktop_app_info_new(name);
  if (!byId) byId = g_desktop_app_info_new((text + ".desktop").c_str());
  if (byId) return launchInfo(AppInfo(G_APP_INFO(byId)));
  return launchInfo(findByName(name));
}

} // namespace kiv::platform
