// The console log over standard error and syslog.
#include "detail/Console.h"

#include <glib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/syscall.h>
#include <sys/time.h>
#include <syslog.h>
#include <unistd.h>

namespace {

// Writes the whole buffer to `fd`, resuming after partial writes and signals.
void writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
}

} // namespace

void __SendToConsole(const char* text) {
  if (!text) return;

  // Invalid UTF-8 becomes U+FFFD instead of losing the entry.
  char* valid = nullptr;
  const char* body = text;
  if (!g_utf8_validate(text, -1, nullptr)) body = valid = g_utf8_make_valid(text, -1);

  struct timeval tv;
  gettimeofday(&tv, nullptr);
  struct tm local;
  localtime_r(&tv.tv_sec, &local);
  char stamp[64];
  size_t len = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::snprintf(stamp + len, sizeof stamp - len, ".%03d", static_cast<int>(tv.tv_usec / 1000));

  char who[96];
  std::snprintf(who, sizeof who, " %s[%ld:%ld] ", program_invocation_short_name,
                static_cast<long>(getpid()), static_cast<long>(syscall(SYS_gettid)));

  // One write per entry, so that entries from several threads never interleave.
  std::string line;
  line.reserve(std::strlen(stamp) + std::strlen(who) + std::strlen(body) + 1);
  line.append(stamp).append(who).append(body).push_back('\n');
  writeAll(STDERR_FILENO, line.data(), line.size());

  syslog(LOG_USER | LOG_NOTICE, "%s", body);
  g_free(valid);
}

void __SendToConsole(char* text) { __SendToConsole(static_cast<const char*>(text)); }
