// The system's name and version as one text.
#include "detail/SystemInfo.h"

#include "detail/SystemVersion.h"

#include "platform/desktop/OsRelease.h"
#include "platform/memory/NoThrow.h"
#include "platform/string/Utf8.h"

#include <cstring>

namespace {

// "<name> <version>" in out (64 bytes): the name cut to 31 bytes, never inside a UTF-8
// sequence, and the version of at most 31 bytes. The name is "Linux" when memory runs out.
void composeSystemInfo(char out[64]) {
  char name[32] = "Linux";
  kiv::platform::noThrow([&] {
    const std::string full = kiv::platform::systemName();
    const size_t n = kiv::platform::utf8CutLength(full.data(), full.size(), 31);
    std::memcpy(name, full.data(), n);
    name[n] = '\0';
  });
  const size_t n = std::strlen(name);
  char version[32];
  GetCocoaSystemVersion(version);
  std::memcpy(out, name, n);
  out[n] = ' ';
  std::strcpy(out + n + 1, version);
}

} // namespace

void GetSystemInfo(unsigned char* info) {
  if (!info) return;
  char text[64];
  composeSystemInfo(text);
  size_t n = std::strlen(text);
  info[0] = static_cast<unsigned char>(n);
  std::memcpy(info + 1, text, n);
}

void GetSystemInfo(char* info) {
  if (!info) return;
  char text[64];
  composeSystemInfo(text);
  std::strcpy(info, text);
}
