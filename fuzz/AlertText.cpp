// Filling an alert's localized template: each "%s" takes the next argument, "%%" is one "%",
// and every other "%" sequence, or a "%s" without an argument left, is copied as written, so
// that a template can never make the filling read arguments that are not there.
#include <fuzzer/FuzzedDataProvider.h>

#include <glib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "ui/AlertMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int count = input.ConsumeIntegralInRange(0, 3);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i)
    arguments.push_back(input.ConsumeRandomLengthString(24).c_str());
  const std::string templ = input.ConsumeRemainingBytesAsString();
  // The arguments in a block of exactly `count` pointers.
  kivfuzz::Room<const char*> pointers(static_cast<size_t>(count), nullptr);
  for (int i = 0; i < count; ++i)
    pointers[i] = arguments[i].c_str();

  const std::string message = kiv::ui::fillAlertMessage(templ, pointers.data(), count);

  std::string want;
  int next = 0;
  for (size_t i = 0; i < templ.size(); ++i) {
    if (templ[i] == '%' && i + 1 < templ.size() && templ[i + 1] == '%') {
      want += '%';
      ++i;
    } else if (templ[i] == '%' && i + 1 < templ.size() && templ[i + 1] == 's' && next < count) {
      const std::string text = kiv::ui::alertArgumentText(pointers[next++]);
      // An argument is never lost: whatever its bytes, it comes out as valid UTF-8 text.
      FUZZ_CHECK(arguments[next - 1].empty() == text.empty());
      FUZZ_CHECK(g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr));
      want += text;
      ++i;
    } else {
      want += templ[i];
    }
  }
  FUZZ_CHECK(message == want);
  return 0;
}
