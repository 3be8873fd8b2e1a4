#include "platform/bundle/Bundle.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace kiv::platform;

namespace {
const char* kPlist = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>CFBundleName</key><string>Sample &amp; Co</string>
  <key>Nested</key><dict><key>CFBundleIdentifier</key><string>wrong.level</string></dict>
  <key>LSFlag</key><true/>
  <key>Count</key><integer>42</integer>
  <key>List</key><array><string>CFBundleExecutable</string></array>
  <key>CFBundleExecutable</key><string>Sample</string>
</dict></plist>
)";
} // namespace

TEST(Bundle, ReadsTopLevelInfoValuesOnly) {
  kivtest::TempDir dir;
  dir.write("Sample.app/Contents/Info.plist", kPlist);
  dir.write("Bad.app/Contents/Info.plist", "<plist><dict><key>CFBundleName</key><str");
  const std::string sample = dir.str() + "/Sample.app", bad = dir.str() + "/Bad.app";
  // Keys of nested dictionaries and arrays, missing keys, broken or missing lists: no value.
  const std::tuple<std::string, const char*, std::optional<std::string>> rows[] = {
      {sample, "CFBundleName", "Sample & Co"},
      {sample, "CFBundleExecutable", "Sample"},
      {sample, "LSFlag", "true"},
      {sample, "Count", "42"},
      {sample, "CFBundleIdentifier", {}},
      {sample, "List", {}},
      {sample, "Missing", {}},
      {bad, "CFBundleName", {}},
      {dir.str() + "/None.app", "CFBundleName", {}},
      {"", "CFBundleName", {}}};
  for (const auto& [bundle, key, value] : rows)
    EXPECT_EQ(bundleInfoValue(bundle, key), value) << bundle << " " << key;
  EXPECT_EQ(bundleResourcesPath(sample), sample + "/Contents/Resources");
  EXPECT_EQ(bundleResourcesPath(dir.str() + "/Plain"), dir.str() + "/Plain/Resources");
}

// The main bundle inside a bundle is exercised by the application shell tests.
TEST(Bundle, MainBundleOfAProgramOutsideABundleIsItsFolder) {
  const fs::path exe = executablePath();
  EXPECT_EQ(exe.filename(), "test_platform");
  EXPECT_EQ(mainBundlePath(), exe.parent_path().string());
  EXPECT_EQ(mainBundleResourcesPath(), (exe.parent_path() / "Resources").string());
}
