// Facts about the installed system: the os-release file and the kernel's uname record.
#pragma once

#include <string>

namespace kiv::platform {

// The value of `key` ("NAME", "VERSION_ID", ...) in /etc/os-release (or /usr/lib/os-release),
// unquoted; empty when the file or the key is missing.
std::string osReleaseValue(const char* key);

// The system's product name: "NAME" of os-release, or "Linux" when it states none.
std::string systemName();

// uname's release ("6.1.0-18-amd64") and version ("#1 SMP PREEMPT_DYNAMIC ..."); empty when
// uname fails.
std::string kernelRelease();
std::string kernelVersion();

} // namespace kiv::platform
