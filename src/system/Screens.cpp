// The number of screens and the size of the main one.
#include "detail/Screens.h"

#include "platform/frame/Screens.h"

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
  kiv::platform::ScreenFacts facts = kiv::platform::screenFacts();
  count = facts.count;
  width = toInt(facts.width);
  height = toInt(facts.height);
}
