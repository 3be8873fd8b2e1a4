// Opening URLs and starting desktop applications through the workspace.
#include "detail/Launching.h"
#include "detail/LaunchURL.h"

#include "platform/desktop/Workspace.h"
#include "platform/memory/NoThrow.h"

#include <cstring>

namespace {

// The text as the URL object would take it: printable ASCII without blanks.
bool isUrlText(const char* text) {
  if (!text || !*text) return false;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
    if (*p <= 0x20 || *p >= 0x7F) return false;
  return true;
}

} // namespace

void OpenURL(const char* url) {
  if (isUrlText(url)) kiv::platform::openURI(url);
}

void KIVLaunchURL(const char* url) { OpenURL(url); }

void KIVLaunchURL(const unsigned char* url) {
  if (!url) return;
  char text[256];
  std::memcpy(text, url + 1, url[0]);
  text[url[0]] = '\0';
  OpenURL(text);
}

void LaunchApplication(const char* name) {
  kiv::platform::noThrow([name] { kiv::platform::launchApplication(name); });
}
