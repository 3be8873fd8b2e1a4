// Helpers shared by the system tests.
#pragma once

#include "Kiv.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

namespace systemtest {

namespace fs = std::filesystem;

inline std::string pstr(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

// RunTaskCommand on copies of the texts; arguments not given are passed as null pointers.
inline int runTask(std::string exe, const char* work, std::vector<std::string> args) {
  std::string folder = work ? work : "";
  char* a[5] = {};
  for (size_t i = 0; i < args.size() && i < 5; ++i)
    a[i] = args[i].data();
  return RunTaskCommand(exe.data(), work ? folder.data() : nullptr, a[0], a[1], a[2], a[3], a[4]);
}

// Runs one library call in a fresh helper process (see helpers/SystemHelper.cpp).
inline void probe(const std::string& action, const std::string& argument,
                  const kivtest::TempDir& dir) {
  EXPECT_EQ(0, runTask(KIV_SYSTEM_HELPER, dir.str().c_str(), {"--probe", action, argument}));
}

} // namespace systemtest
