// Each outside library is reached from one folder of src/ only, and the system's calls from the
// platform layer only, so that a port knows what to replace (src/platform/README.md).
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Seam {
  const char* service;
  const char* headers; // a regular expression over the name in #include <...>
  const char* home;    // the one folder below src/ that may include them
};

const Seam kSeams[] = {
    {"ICU", R"(unicode/.*)", "platform/string/"},
    {"Qt", R"(Q[A-Za-z]+|Qt[A-Za-z]*/.*)", "platform/frame/"},
    {"GLib and GIO", R"((glib|gio|gobject)(/.*|\.h|-object\.h))", "platform/desktop/"},
    {"libcurl", R"(curl/.*)", "platform/net/"},
    {"zlib", R"(zlib\.h)", "platform/compression/"},
    {"libxml2", R"(libxml/.*)", "xml/"},
    {"file-system calls",
     R"(sys/(stat|xattr|statvfs|statfs|mount|vfs)\.h|dirent\.h|fcntl\.h|ftw\.h|fts\.h|filesystem)",
     "platform/files/"},
    {"process spawning", R"(spawn\.h|sys/wait\.h)", "platform/process/"},
    {"system calls", R"(unistd\.h|sys/.*|linux/.*|syslog\.h|pthread\.h|sched\.h|iconv\.h)",
     "platform/"},
};

} // namespace

TEST(PlatformSeam, EachOutsideLibraryIsReachedFromItsOwnFolder) {
  const fs::path src = kivtest::sourceDir() / "src";
  const std::regex include(R"(^\s*#\s*include\s*<([^>]+)>)");
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    ++files;
    const std::string file = fs::relative(entry.path(), src).generic_string();
    std::ifstream in(entry.path());
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
      if (!std::regex_search(line, m, include)) continue;
      const std::string header = m[1];
      for (const Seam& seam : kSeams) {
        if (!std::regex_match(header, std::regex(seam.headers))) continue;
        EXPECT_EQ(file.rfind(seam.home, 0), 0u)
            << "src/" << file << " includes <" << header << "> (" << seam.service
            << "), which only src/" << seam.home << " may";
        break;
      }
    }
  }
  EXPECT_GT(files, 100) << "the sources were not found below " << src;
}
