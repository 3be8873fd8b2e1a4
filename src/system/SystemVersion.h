// The pieces behind the system-version functions, separated from the system queries so that
// each can be checked on given texts.
#pragma once

#include <cstddef>
#include <string>

namespace kiv::system {

// Writes the system version into out (outSize bytes with the NUL, cut to fit): versionId when
// it is not empty, else the leading numeric part of the kernel release ("6.1.0" of
// "6.1.0-18-amd64"). Writes nothing when outSize is 0.
void composeSystemVersion(const std::string& versionId, const std::string& kernelRelease, char* out,
                          size_t outSize);

// "Version <kernel release> (Build <kernel version>)".
std::string versionDescription();

// The minor number of a description whose version number has the major number 10, else 0.
short osMinorFromDescription(const char* description);

// Scans the description (at most its first 103 bytes) as "<word> <major>.<minor>.<patch>",
// storing each number reached and leaving the others as they were.
void fullOSVersionFromDescription(const char* description, int& major, int& minor, int& patch);

} // namespace kiv::system
