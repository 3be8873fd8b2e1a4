// A child program for the system tests.
//   system_helper <marker file> [exit:N | signal:N | sigchld] [more arguments...]
// writes "argc=<n>", "cwd=<folder>" and one "arg=<text>" line per argument into the marker file
// (through a rename, so that a reader never sees half of it), then exits with N, raises signal
// N, or exits with 0 when SIGCHLD is at its default action (else 1).
//   system_helper --probe openurl|launchurl-c|launchurl-p|openfile|launchapp <argument>
//   system_helper --probe locale|screens <output file>
// runs one library call in a fresh process, for what is read once per process (the desktop's
// application database, the locale, the display). Extra arguments are ignored.
#include "Kiv.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

static int probe(const std::string& action, const char* arg) {
  unsigned char p[256];
  p[0] = static_cast<unsigned char>(std::strlen(arg) > 255 ? 255 : std::strlen(arg));
  std::memcpy(p + 1, arg, p[0]);
  if (action == "openurl")
    OpenURL(arg);
  else if (action == "launchurl-c")
    KIVLaunchURL(arg);
  else if (action == "launchurl-p")
    KIVLaunchURL(static_cast<const unsigned char*>(p));
  else if (action == "openfile")
    OpenFile(arg);
  else if (action == "launchapp")
    LaunchApplication(arg);
  else if (action == "locale") {
    GetLocaleIdentifier(p);
    std::ofstream(arg) << std::string(reinterpret_cast<const char*>(p + 1), p[0]);
  } else if (action == "screens") {
    int count = -1, width = -1, height = -1;
    GetScreensInfo(count, width, height);
    std::ofstream(arg) << count << ' ' << width << ' ' << height;
  } else
    return 2;
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 2 || !*argv[1]) return 99;
  if (std::strcmp(argv[1], "--probe") == 0) return argc < 4 ? 2 : probe(argv[2], argv[3]);
  std::string tmp = std::string(argv[1]) + ".part";
  FILE* f = std::fopen(tmp.c_str(), "w");
  if (!f) return 98;
  char cwd[4096];
  std::fprintf(f, "argc=%d\ncwd=%s\n", argc, getcwd(cwd, sizeof cwd) ? cwd : "?");
  for (int i = 1; i < argc; ++i)
    std::fprintf(f, "arg=%s\n", argv[i]);
  std::fclose(f);
  std::rename(tmp.c_str(), argv[1]);
  const char* action = argc > 2 ? argv[2] : "";
  if (std::strncmp(action, "exit:", 5) == 0) return std::atoi(action + 5);
  if (std::strcmp(action, "sigchld") == 0) {
    struct sigaction current;
    return sigaction(SIGCHLD, nullptr, &current) == 0 && current.sa_handler == SIG_DFL ? 0 : 1;
  }
  if (std::strncmp(action, "signal:", 7) == 0) {
    std::signal(std::atoi(action + 7), SIG_DFL);
    std::raise(std::atoi(action + 7));
  }
  return 0;
}
