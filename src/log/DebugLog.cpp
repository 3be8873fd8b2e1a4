// The diagnostics log: format into a fixed stack buffer, then one console entry.
#include "detail/DiagnosticsLog.h"

#include "platform/string/Utf8.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>

namespace {

constexpr size_t kAlwaysBuffer = 1024;
constexpr size_t kDebugBuffer = 512;

// A cut at the buffer's end may split a UTF-8 sequence; the incomplete tail is dropped so that
// the entry ends on a whole character.
void trimPartialUtf8(char* buf, size_t len) {
  buf[kiv::platform::utf8CompleteLength(buf, len)] = '\0';
}

// Writes the text that formatting into `buf` (of `size` bytes) gave, `n` bytes as the
// formatting counts them, unless it is empty or the formatting failed.
void send(char* buf, size_t size, int n) {
  if (n <= 0) return;
  if (static_cast<size_t>(n) >= size) trimPartialUtf8(buf, size - 1);
  __SendToConsole(buf);
}

void formatAndSend(char* buf, size_t size, const char* format, va_list args) {
  if (format) send(buf, size, std::vsnprintf(buf, size, format, args));
}

// "str:" and the p[0] characters of a Pascal string, which need no terminator.
void sendPascal(char* buf, size_t size, const unsigned char* p) {
  if (p)
    send(buf, size,
         std::snprintf(buf, size, "str:%.*s", static_cast<int>(p[0]),
                       reinterpret_cast<const char*>(p + 1)));
}

} // namespace

void KivDebugAlways(const char* format, ...) {
  char buf[kAlwaysBuffer];
  va_list args;
  va_start(args, format);
  formatAndSend(buf, sizeof buf, format, args);
  va_end(args);
}

void KivDebugAlways(char* format, ...) {
  char buf[kAlwaysBuffer];
  va_list args;
  va_start(args, format);
  formatAndSend(buf, sizeof buf, format, args);
  va_end(args);
}

void KivDebugAlways(unsigned char* p) {
  char buf[kAlwaysBuffer];
  sendPascal(buf, sizeof buf, p);
}

void KivNoDebug(char*, ...) {}
void KivNoDebug(const char*, ...) {}
void KivNoDebug(unsigned char*) {}

extern "C" void Debug(const char* format, ...) {
  char buf[kDebugBuffer];
  va_list args;
  va_start(args, format);
  formatAndSend(buf, sizeof buf, format, args);
  va_end(args);
}

void Debug(unsigned char* p) {
  char buf[kDebugBuffer];
  sendPascal(buf, sizeof buf, p);
}

extern "C" void debugcstr(const char*) {}

void print_trace() {}

void __SendToDebugWindow(char* text) { __SendToConsole(text); }
void __SendToDebugWindow(const char* text) { __SendToConsole(text); }

extern "C" void ClearDebugWindow(void) { __SendToConsole("~c"); }
extern "C" void DebugTimestamp(void) { __SendToConsole("~t"); }
