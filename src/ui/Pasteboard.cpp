// The general pasteboard.
#include "detail/Pasteboard.h"

#include "platform/frame/Pasteboard.h"
#include "platform/memory/NoThrow.h"

void CocoaCopyToPasteboard(char* text) {
  kiv::platform::noThrow([text] { kiv::platform::copyToClipboard(text); });
}
