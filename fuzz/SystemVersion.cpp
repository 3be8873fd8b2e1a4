// The readers of the system-version facts on arbitrary texts: the version from os-release's
// VERSION_ID or the kernel release, written into exactly the room it is given, and the numbers
// scanned from a version description, which must leave alone what the text does not reach.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "system/SystemVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const size_t room = input.ConsumeIntegralInRange<size_t>(0, 40);
  const std::string versionId = input.ConsumeRandomLengthString(64);
  const std::string release = input.ConsumeRandomLengthString(64);
  const std::string description = input.ConsumeRemainingBytesAsString();

  kivfuzz::Room<char> out(room);
  kiv::system::composeSystemVersion(versionId, release, out.data(), room);
  if (room > 0) {
    const std::string got = out.cString();
    FUZZ_CHECK(got.size() < room);
    if (!versionId.empty()) {
      // VERSION_ID as it stands, cut to the room.
      FUZZ_CHECK(got == std::string(versionId.substr(0, room - 1).c_str()));
    } else {
      // Else a leading part of the kernel release, digits and dots only, never ending in a dot.
      FUZZ_CHECK(release.compare(0, got.size(), got) == 0);
      FUZZ_CHECK(got.find_first_not_of("0123456789.") == std::string::npos);
      if (got.size() + 1 < room) FUZZ_CHECK(got.empty() || got.back() != '.');
      if (got.size() + 1 < room && got.size() < release.size())
        FUZZ_CHECK(release.find_first_not_of("0123456789.", got.size()) == got.size() ||
                   release[got.size()] == '.');
    }
  }

  const short minor = kiv::system::osMinorFromDescription(description.c_str());
  int major = -77, minor2 = -77, patch = -77;
  kiv::system::fullOSVersionFromDescription(description.c_str(), major, minor2, patch);
  // A later number is only reached through the earlier ones.
  FUZZ_CHECK(major != -77 || (minor2 == -77 && patch == -77));
  FUZZ_CHECK(minor2 != -77 || patch == -77);
  // Without digits nothing is reached, and the minor number needs a version "10.".
  if (description.find_first_of("0123456789") == std::string::npos)
    FUZZ_CHECK(major == -77 && minor == 0);
  if (minor != 0) FUZZ_CHECK(description.find("10.") != std::string::npos);
  return 0;
}
