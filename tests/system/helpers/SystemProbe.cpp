// Runs one library call in a fresh process, for what depends on process-wide state read once
// (the desktop's application database, the locale, the display). Extra arguments are ignored,
// so that RunTaskCommand's five can start it.
//   system_probe openurl|launchurl-c|launchurl-p|openfile|launchapp <argument>
//   system_probe locale|screens <output file>
#include "Kiv.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::string action = argv[1];
  const char* arg = argv[2];
  unsigned char p[256];
  p[0] = static_cast<unsigned char>(std::min<size_t>(std::strlen(arg), 255));
  std::memcpy(p + 1, arg, p[0]);
  if (action == "openurl") {
    OpenURL(arg);
  } else if (action == "launchurl-c") {
    KIVLaunchURL(arg);
  } else if (action == "launchurl-p") {
    KIVLaunchURL(static_cast<const unsigned char*>(p));
  } else if (action == "openfile") {
    OpenFile(arg);
  } else if (action == "launchapp") {
    LaunchApplication(arg);
  } else if (action == "locale") {
    GetLocaleIdentifier(p);
    std::ofstream(arg) << std::string(reinterpret_cast<const char*>(p + 1), p[0]);
  } else if (action == "screens") {
    int count = -1, width = -1, height = -1;
    GetScreensInfo(count, width, height);
    std::ofstream(arg) << count << ' ' << width << ' ' << height;
  } else {
    return 2;
  }
  return 0;
}
