// The diagnostics log's formatting on arbitrary texts: each call must write exactly one console
// entry (or none for an empty text), stamped and tagged, holding the formatted text cut to its
// buffer (1023 bytes, 511 for Debug) at a character boundary, with bytes that are not UTF-8
// replaced, control characters shown in their escaped forms and nothing else lost. Standard error
// is read back through a memory file.
#include <fuzzer/FuzzedDataProvider.h>

#include <glib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <regex>
#include <string>

#include "Debug.h"
#include "FuzzSupport.h"
#include "KivDebug.h"
#include "KivMisc_Frameworks.h"

namespace {

// Captures what one call writes to standard error.
class Capture {
public:
  Capture() : file_(memfd_create("kiv-fuzz-log", MFD_CLOEXEC)), saved_(dup(STDERR_FILENO)) {
    FUZZ_CHECK(file_ >= 0 && saved_ >= 0);
  }
  template <typename Call> std::string operator()(Call call) {
    FUZZ_CHECK(ftruncate(file_, 0) == 0 && lseek(file_, 0, SEEK_SET) == 0);
    dup2(file_, STDERR_FILENO);
    call();
    dup2(saved_, STDERR_FILENO);
    std::string out;
    lseek(file_, 0, SEEK_SET);
    char buf[4096];
    for (ssize_t n; (n = read(file_, buf, sizeof buf)) > 0;)
      out.append(buf, static_cast<size_t>(n));
    return out;
  }

private:
  int file_;
  int saved_;
};

// The text of the one entry in `out`: after a well-formed stamp and tag, up to the final line end.
std::string entryText(const std::string& out) {
  static const std::regex head(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [^\[\] ]+\[\d+:\d+\] )");
  std::smatch m;
  FUZZ_CHECK(!out.empty() && out.back() == '\n');
  FUZZ_CHECK(std::regex_search(out, m, head));
  return out.substr(m.length(0), out.size() - m.length(0) - 1);
}

// What an entry shows of a text: invalid UTF-8 replaced, then control characters in their
// visible forms (\n \r \t, \xHH for the other C0 characters and DEL, \u00HH for C1).
std::string valid(const std::string& text) {
  gchar* v = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  std::string out;
  char hex[8];
  for (const gchar* p = v; *p; p = g_utf8_next_char(p)) {
    const gunichar c = g_utf8_get_char(p);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else if (c >= 0x80 && c < 0xA0) {
      std::snprintf(hex, sizeof hex, "\\u%04X", c);
      out += hex;
    } else {
      out.append(p, static_cast<size_t>(g_utf8_next_char(p) - p));
    }
  }
  g_free(v);
  return out;
}

// The entry a formatted text must give in a buffer of `buffer` bytes.
void expectEntry(const std::string& out, const std::string& formatted, size_t buffer) {
  if (formatted.empty()) {
    FUZZ_CHECK(out.empty());
    return;
  }
  const std::string text = entryText(out);
  if (formatted.size() < buffer) {
    FUZZ_CHECK(text == valid(formatted));
    return;
  }
  // Cut to the buffer, less at most the three bytes of a character the cut would split.
  bool matched = false;
  for (size_t n = buffer - 1; n + 4 >= buffer && !matched; --n)
    matched = text == valid(formatted.substr(0, n));
  FUZZ_CHECK(matched);
  if (g_utf8_validate(formatted.data(), static_cast<gssize>(formatted.size()), nullptr)) {
    // Valid text is cut at a character boundary, never inside one.
    FUZZ_CHECK(g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr));
    FUZZ_CHECK(text.size() + 4 > buffer - 1);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Capture capture;
  FuzzedDataProvider input(data, size);
  const int form = input.ConsumeIntegralInRange(0, 6);
  const int number = input.ConsumeIntegral<int>();
  const int precision = input.ConsumeIntegralInRange(-1, 2000);
  std::string text = input.ConsumeRemainingBytesAsString();
  // The texts go through C string arguments: at most a few kilobytes, up to a zero byte.
  if (text.size() > 3000) text.resize(3000);
  const std::string c = text.c_str();
  char formatted[8192];

  switch (form) {
  case 0:
    expectEntry(capture([&] { KivDebugAlways("%s", c.c_str()); }), c, 1024);
    break;
  case 1:
    std::snprintf(formatted, sizeof formatted, "%d:%.*s|%5.3s", number, precision, c.c_str(),
                  c.c_str());
    expectEntry(
        capture([&] { KivDebugAlways("%d:%.*s|%5.3s", number, precision, c.c_str(), c.c_str()); }),
        formatted, 1024);
    break;
  case 2:
    std::snprintf(formatted, sizeof formatted, "%s%%%x", c.c_str(), number);
    expectEntry(capture([&] { Debug("%s%%%x", c.c_str(), number); }), formatted, 512);
    break;
  case 3:
  case 4: {
    const auto p = kivfuzz::pascal(text);
    const std::string pascalText =
        "str:" + std::string(reinterpret_cast<const char*>(p.data() + 1), p[0]).substr(0, p[0]);
    unsigned char* pp = const_cast<unsigned char*>(p.data());
    if (form == 3)
      expectEntry(capture([&] { KivDebugAlways(pp); }), pascalText.c_str(), 1024);
    else
      expectEntry(capture([&] { Debug(pp); }), pascalText.c_str(), 512);
    break;
  }
  case 5: {
    // Written verbatim, never used as a format.
    const std::string out = capture([&] { __SendToConsole(c.c_str()); });
    FUZZ_CHECK(entryText(out) == valid(c));
    break;
  }
  default:
    FUZZ_CHECK(capture([&] { KivNoDebug("%s", c.c_str()); }).empty());
    break;
  }
  return 0;
}
