// A child program for the tests: records how it was started, then ends as asked.
//   marker_helper <marker file> <action> [more arguments...]
// Writes "argc=<n>", "cwd=<folder>" and one "arg=<text>" line per argument into the marker file
// (through a temporary file and a rename, so that a reader never sees half of it). Action
// "exit:N" ends with status N, "signal:N" raises signal N, "sigchld" ends with 0 when SIGCHLD is
// at its default action and 1 otherwise; anything else ends with 0.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 2 || !*argv[1]) return 99;
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
