// Runs one library call in a fresh process, for what depends on process-wide state read once
// (the desktop's application database, the locale, the display).
//   system_probe openurl|launchurl-c|launchurl-p|launchapp <argument>
//   system_probe locale|screens <output file>
#include "Kiv.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  // Extra arguments are ignored, so that RunTaskCommand's five can start it.
  if (argc < 3) return 2;
  std::string action = argv[1];
  const char* arg = argv[2];
  if (action == "openurl") {
    OpenURL(arg);
  } else if (action == "launchurl-c") {
    KIVLaunchURL(arg);
  } else if (action == "launchurl-p") {
    unsigned char p[256];
    size_t n = std::strlen(arg) > 255 ? 255 : std::strlen(arg);
    p[0] = static_cast<unsigned char>(n);
    std::memcpy(p + 1, arg, n);
    KIVLaunchURL(static_cast<const unsigned char*>(p));
  } else if (action == "launchapp") {
    LaunchApplication(arg);
  } else if (action == "locale" || action == "screens") {
    FILE* f = std::fopen(arg, "w");
    if (!f) return 3;
    if (action == "locale") {
      unsigned char id[32];
      GetLocaleIdentifier(id);
      std::fwrite(id + 1, 1, id[0], f);
    } else {
      int count = -1, width = -1, height = -1;
      GetScreensInfo(count, width, height);
      std::fprintf(f, "%d %d %d", count, width, height);
    }
    std::fclose(f);
  } else {
    return 2;
  }
  return 0;
}
