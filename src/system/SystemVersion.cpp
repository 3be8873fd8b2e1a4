// The system version and its description.
#include "detail/SystemVersion.h"

#include "platform/desktop/OsRelease.h"
#include "platform/memory/NoThrow.h"
#include "system/SystemVersion.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kiv::system {

namespace {

// Copies text into out (outSize bytes with the NUL), cut to fit.
void copyCut(const std::string& text, char* out, size_t outSize) {
  if (!out || outSize == 0) return;
  size_t n = text.size() < outSize - 1 ? text.size() : outSize - 1;
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

// strtol cut to 16 bits the way a long is cut to a short.
short toShort(long v) { return static_cast<short>(static_cast<unsigned long>(v) & 0xFFFFu); }

} // namespace

void composeSystemVersion(const std::string& versionId, const std::string& kernelRelease, char* out,
                          size_t outSize) {
  if (!versionId.empty()) return copyCut(versionId, out, outSize);
  size_t n = 0;
  while (n < kernelRelease.size() &&
         (std::isdigit(static_cast<unsigned char>(kernelRelease[n])) || kernelRelease[n] == '.'))
    ++n;
  while (n > 0 && kernelRelease[n - 1] == '.')
    --n;
  copyCut(kernelRelease.substr(0, n), out, outSize);
}

std::string versionDescription() {
  return "Version " + platform::kernelRelease() + " (Build " + platform::kernelVersion() + ")";
}

short osMinorFromDescription(const char* description) {
  if (!description) return 0;
  // Skip the first word and the blanks after it, as the scan of GetFullOSVersion does; the
  // version number must start right there.
  const char* p = description;
  while (*p && std::isspace(static_cast<unsigned char>(*p)))
    ++p;
  while (*p && !std::isspace(static_cast<unsigned char>(*p)))
    ++p;
  while (*p && std::isspace(static_cast<unsigned char>(*p)))
    ++p;
  if (std::strncmp(p, "10.", 3) != 0) return 0;
  errno = 0;
  long minor = std::strtol(p + 3, nullptr, 10);
  if (errno == ERANGE) minor = minor < 0 ? LONG_MIN : LONG_MAX;
  return toShort(minor);
}

void fullOSVersionFromDescription(const char* description, int& major, int& minor, int& patch) {
  if (!description) return;
  char buffer[104];
  copyCut(description, buffer, sizeof buffer);
  char word[64];
  int numbers[3];
  int got = std::sscanf(buffer, "%63s %d.%d.%d ", word, &numbers[0], &numbers[1], &numbers[2]);
  if (got >= 2) major = numbers[0];
  if (got >= 3) minor = numbers[1];
  if (got >= 4) patch = numbers[2];
}

} // namespace kiv::system

// The facts come as strings: when memory runs out, the version is empty, the minor number 0
// and the three numbers stay as they were.

void GetCocoaSystemVersion(char* version) {
  if (!version) return;
  version[0] = '\0';
  kiv::platform::noThrow([&] {
    kiv::system::composeSystemVersion(kiv::platform::osReleaseValue("VERSION_ID"),
                                      kiv::platform::kernelRelease(), version, 32);
  });
}

void GetOSVersion(short& minor) {
  minor = kiv::platform::noThrow<short>(0, [] {
    return kiv::system::osMinorFromDescription(kiv::system::versionDescription().c_str());
  });
}

void GetFullOSVersion(int& major, int& minor, int& patch) {
  kiv::platform::noThrow([&] {
    kiv::system::fullOSVersionFromDescription(kiv::system::versionDescription().c_str(), major,
                                              minor, patch);
  });
}
