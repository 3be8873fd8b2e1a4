// The screens attached to the display, through Qt.
#pragma once

namespace kiv::platform {

struct ScreenFacts {
  int count = 0;      // number of screens
  double width = 0.0; // the main screen's size in device-independent pixels; 0 without one
  double height = 0.0;
};

// Creates the application object when the caller has none and a display exists; without a
// display every field is 0.
ScreenFacts screenFacts();

} // namespace kiv::platform
