// The console log over standard error and syslog.
#include "detail/Console.h"

#include "platform/desktop/TextHelpers.h"
#include "platform/string/Utf8.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <pthread.h>
#include <string>
#include <sys/syscall.h>
#include <sys/time.h>
#include <syslog.h>
#include <unistd.h>

namespace {

// The most bytes of text one entry takes; a longer text is cut at a character boundary.
constexpr size_t kMaxEntryText = 65536;

// One entry is written at a time, by any thread of the process: a write to a pipe is only
// atomic up to PIPE_BUF bytes, and a partial write must be resumed before another entry starts.
std::mutex gConsole;

// A child forked while another thread writes must not inherit the lock held.
void lockForFork() { gConsole.lock(); }
void unlockAfterFork() { gConsole.unlock(); }
const bool gForkHandlers = pthread_atfork(lockForFork, unlockAfterFork, unlockAfterFork) == 0;

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

// The length of text cut to kMaxEntryText bytes, never inside a UTF-8 sequence.
size_t entryLength(const char* text) {
  return kiv::platform::utf8CutLength(text, strnlen(text, kMaxEntryText + 1), kMaxEntryText);
}

// Appends valid UTF-8 text with its control characters escaped, so that no text can end the
// line or act on a terminal.
void appendEscaped(std::string& out, const char* text, size_t n) {
  static const char hex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 0xF];
    } else if (c == 0xC2 && i + 1 < n && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      // U+0080 to U+009F: the C1 controls (valid UTF-8, so a continuation byte follows).
      const unsigned char d = static_cast<unsigned char>(text[++i]);
      out += "\\u00";
      out += hex[d >> 4];
      out += hex[d & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
}

} // namespace

void __SendToConsole(const char* text) {
  if (!text) return;
  std::string body;
  try {
    // Invalid UTF-8 becomes U+FFFD instead of losing the entry.
    const std::string valid = kiv::platform::validUtf8(text, entryLength(text));
    appendEscaped(body, valid.data(), valid.size());

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

    std::string line;
    line.reserve(std::strlen(stamp) + std::strlen(who) + body.size() + 1);
    line.append(stamp).append(who).append(body).push_back('\n');
    {
      std::lock_guard<std::mutex> hold(gConsole);
      writeAll(STDERR_FILENO, line.data(), line.size());
    }
  } catch (...) {
    return; // out of memory: the entry is lost, the caller is not disturbed
  }
  syslog(LOG_USER | LOG_NOTICE, "%s", body.c_str());
}

void __SendToConsole(char* text) { __SendToConsole(static_cast<const char*>(text)); }
