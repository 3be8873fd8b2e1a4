// Owners of GLib's and GIO's objects, each released by the call GLib names for it.
#pragma once

#include <gio/gio.h>
#include <glib.h>

#include <memory>

namespace kiv::platform {

struct GlibDeleter {
  void operator()(char* text) const { g_free(text); }
  void operator()(char** texts) const { g_strfreev(texts); }
  void operator()(GError* error) const { g_error_free(error); }
  void operator()(GList* objects) const { g_list_free_full(objects, g_object_unref); }
  void operator()(GAppInfo* info) const { g_object_unref(info); }
  void operator()(GFile* file) const { g_object_unref(file); }
};

template <class T> using GlibOwned = std::unique_ptr<T, GlibDeleter>;

} // namespace kiv::platform
