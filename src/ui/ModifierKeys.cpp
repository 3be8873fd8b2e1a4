// The modifier keys of the input event being handled.
#include "detail/ModifierKeys.h"

#include "platform/frame/ModifierKeys.h"

void KivCocoaGetKeys(bool& command, bool& shift, bool& option) {
  // Command is the Control key here, Option the Alt key.
  kiv::platform::inputModifiers(command, shift, option);
}
