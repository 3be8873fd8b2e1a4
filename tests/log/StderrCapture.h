// Captures what the process writes to standard error and splits it into console entries.
#pragma once

#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace kivtest {

class StderrCapture {
public:
  StderrCapture() {
    std::fflush(stderr);
    file_ = std::tmpfile();
    saved_ = ::dup(STDERR_FILENO);
    ::dup2(::fileno(file_), STDERR_FILENO);
  }
  ~StderrCapture() {
    restore();
    if (file_) std::fclose(file_);
  }

  // Everything written since construction (standard error is restored first).
  std::string raw() {
    restore();
    std::string out;
    std::rewind(file_);
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, file_)) > 0;)
      out.append(buf, n);
    return out;
  }

  // The text of a console line after its stamp and process tag, or false when the line does
  // not start with a well-formed one.
  static bool entryText(const std::string& line, std::string* text) {
    static const std::regex head(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [^\[\] ]+\[\d+:\d+\] )");
    // Only the start is matched: the regex engine recurses once per character it consumes.
    const std::string start = line.substr(0, 160);
    std::smatch m;
    if (!std::regex_search(start, m, head)) return false;
    *text = line.substr(static_cast<size_t>(m.length(0)));
    return true;
  }

  // The texts of the console entries: each entry starts with its stamp and process tag, which
  // must be well formed; lines without a stamp continue the previous entry's text.
  std::vector<std::string> entries() {
    std::vector<std::string> out;
    std::string all = raw();
    bool dangling = !all.empty() && all.back() != '\n';
    std::istringstream in(all);
    std::string line, text;
    while (std::getline(in, line)) {
      if (entryText(line, &text))
        out.push_back(text);
      else if (!out.empty())
        out.back() += "\n" + line;
      else
        out.push_back("<unstamped>" + line);
    }
    if (dangling && !out.empty()) out.back() += "<no line end>";
    return out;
  }

private:
  void restore() {
    if (saved_ >= 0) {
      std::fflush(stderr);
      ::dup2(saved_, STDERR_FILENO);
      ::close(saved_);
      saved_ = -1;
    }
  }
  std::FILE* file_ = nullptr;
  int saved_ = -1;
};

} // namespace kivtest
