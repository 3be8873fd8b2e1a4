// Helpers shared by the file tests.
#pragma once

#include "TestSupport.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace filestest {

// A folder on a file system other than the one of `near`, or an empty path when none is
// writable. The folder is created; the caller removes it.
inline std::filesystem::path folderOnOtherFileSystem(const std::filesystem::path& near) {
  struct stat a, b;
  if (stat(near.c_str(), &a) != 0) return {};
  for (const char* base : {"/dev/shm", "/run/user", "/tmp", "/var/tmp"}) {
    if (stat(base, &b) != 0 || b.st_dev == a.st_dev || access(base, W_OK) != 0) continue;
    std::string tmpl = std::string(base) + "/kivfiles-XXXXXX";
    if (mkdtemp(tmpl.data())) return tmpl;
  }
  return {};
}

// Captures what the process writes to standard error while it lives.
class StderrCapture {
public:
  StderrCapture() {
    std::fflush(stderr);
    file_ = std::tmpfile();
    saved_ = dup(2);
    dup2(fileno(file_), 2);
  }
  ~StderrCapture() { restore(); }
  // Restores standard error and returns what was written.
  std::string text() {
    restore();
    std::string out;
    std::rewind(file_);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, file_)) > 0)
      out.append(buf, n);
    return out;
  }

private:
  void restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    saved_ = -1;
  }
  std::FILE* file_ = nullptr;
  int saved_ = -1;
};

inline int countLines(const std::string& s) {
  int n = 0;
  for (char c : s)
    n += c == '\n';
  return n;
}

} // namespace filestest
