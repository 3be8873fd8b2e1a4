// The number of screens and the size of the main one.
#include "detail/Screens.h"

#include "platform/frame/Screens.h"
#include "platform/memory/NoThrow.h"

namespace {

// Truncates toward zero; values outside the int range are held at its ends.
int toInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

} // namespace

void GetScreensInfo(int& count, int& width, int& height) {
  // Qt reports running out of memory as an exception: then no screen is seen.
  kiv::platform::ScreenFacts facts = kiv::platform::noThrow(
      kiv::platform::ScreenFacts(), [] { return kiv::platform::screenFacts(); });
  count = facts.count;
  width = toInt(facts.width);
  height = toInt(facts.height);
}
