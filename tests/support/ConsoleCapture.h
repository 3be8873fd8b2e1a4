// Captures what the process writes to standard error and splits it into console entries. The
// capture is a memory file, or with throughPipe a pipe that a reader thread drains, so that
// writes beyond the pipe's atomic size can interleave as they would on a terminal.
#pragma once

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kivtest {

class ConsoleCapture {
public:
  explicit ConsoleCapture(bool throughPipe = false) {
    std::fflush(stderr);
    int fds[2] = {-1, -1};
    if (throughPipe ? ::pipe(fds) != 0 : (fds[0] = fds[1] = ::memfd_create("console", 0)) < 0)
      ADD_FAILURE() << "standard error cannot be captured";
    read_ = fds[0];
    saved_ = ::dup(STDERR_FILENO);
    ::dup2(fds[1], STDERR_FILENO);
    if (throughPipe) {
      ::close(fds[1]);
      reader_ = std::thread([this] { drain(); });
    }
  }
  ~ConsoleCapture() { raw(); }

  // Everything written since construction (standard error is restored first, which closes the
  // pipe's last write end and lets the reader finish).
  const std::string& raw() {
    if (saved_ < 0) return data_;
    std::fflush(stderr);
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
    saved_ = -1;
    if (reader_.joinable())
      reader_.join();
    else if (::lseek(read_, 0, SEEK_SET) == 0)
      drain();
    ::close(read_);
    return data_;
  }

  // The texts of the console entries: each entry starts with its stamp and process tag, which
  // must be well formed; lines without a stamp continue the previous entry's text.
  std::vector<std::string> entries() {
    static const std::regex head(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [^\[\] ]+\[\d+:\d+\] )");
    std::vector<std::string> out;
    std::istringstream in(raw());
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
      // Only the start is matched: the regex engine recurses once per character it consumes.
      const std::string start = line.substr(0, 160);
      if (std::regex_search(start, m, head))
        out.push_back(line.substr(m.length(0)));
      else if (!out.empty())
        out.back() += "\n" + line;
      else
        out.push_back("<unstamped>" + line);
    }
    if (!data_.empty() && data_.back() != '\n') out.back() += "<no line end>";
    return out;
  }

private:
  void drain() {
    char buf[65536];
    for (ssize_t n; (n = ::read(read_, buf, sizeof buf)) > 0;)
      data_.append(buf, static_cast<size_t>(n));
  }

  int read_ = -1, saved_ = -1;
  std::thread reader_;
  std::string data_;
};

} // namespace kivtest
