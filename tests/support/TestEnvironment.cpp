// The environment every test program runs in, whoever starts it: a UTF-8 locale and the
// sanitizer settings. Sanitizers read their options before main, through these hooks.
#include <cstdlib>

extern "C" const char* __asan_default_options() { return "detect_leaks=1"; }

extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

// Third-party libraries that keep process-lifetime caches the leak checker cannot see through.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n"
         "leak:libglib-2.0\n"
         "leak:libgobject-2.0\n"
         "leak:libgio-2.0\n"
         "leak:libdbus-1\n"
         "leak:libQt6Core\n"
         "leak:libQt6Gui\n";
}

namespace {
// Runs before main: tests that need another locale or no display set their own.
const bool kEnvironmentSet = [] {
  setenv("LC_ALL", "C.UTF-8", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  return true;
}();
} // namespace
