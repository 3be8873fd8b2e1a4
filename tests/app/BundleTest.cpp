#include "platform/bundle/Bundle.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace kiv::platform;

namespace {

const char* kPlist = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>CFBundleName</key>
	<string>Sample &amp; Co</string>
	<key>Nested</key>
	<dict><key>CFBundleIdentifier</key><string>wrong.level</string></dict>
	<key>LSFlag</key>
	<true/>
	<key>Count</key>
	<integer>42</integer>
	<key>List</key>
	<array><string>CFBundleExecutable</string></array>
	<key>CFBundleExecutable</key>
	<string>Sample</string>
</dict>
</plist>
)";

} // namespace

TEST(Bundle, ReadsTopLevelInfoValues) {
  kivtest::TempDir dir;
  fs::path bundle = dir.path() / "Sample.app";
  dir.write("Sample.app/Contents/Info.plist", kPlist);
  std::string b = bundle.string();

  EXPECT_EQ(bundleInfoValue(b, "CFBundleName"), "Sample & Co");
  EXPECT_EQ(bundleInfoValue(b, "CFBundleExecutable"), "Sample");
  EXPECT_EQ(bundleInfoValue(b, "LSFlag"), "true");
  EXPECT_EQ(bundleInfoValue(b, "Count"), "42");
  // Keys of nested dictionaries, arrays and missing keys give nothing.
  EXPECT_EQ(bundleInfoValue(b, "CFBundleIdentifier"), std::nullopt);
  EXPECT_EQ(bundleInfoValue(b, "List"), std::nullopt);
  EXPECT_EQ(bundleInfoValue(b, "Missing"), std::nullopt);
  EXPECT_EQ(bundleResourcesPath(b), (bundle / "Contents" / "Resources").string());
}

TEST(Bundle, BrokenOrMissingPlistHasNoValues) {
  kivtest::TempDir dir;
  dir.write("Bad.app/Contents/Info.plist", "<plist><dict><key>CFBundleName</key><str");
  EXPECT_EQ(bundleInfoValue((dir.path() / "Bad.app").string(), "CFBundleName"), std::nullopt);
  EXPECT_EQ(bundleInfoValue((dir.path() / "None.app").string(), "CFBundleName"), std::nullopt);
  EXPECT_EQ(bundleInfoValue("", "CFBundleName"), std::nullopt);
  EXPECT_EQ(bundleResourcesPath((dir.path() / "Plain").string()),
            (dir.path() / "Plain" / "Resources").string());
}

TEST(Bundle, MainBundleOfAProgramOutsideABundleIsItsFolder) {
  fs::path exe = executablePath();
  ASSERT_TRUE(fs::exists(exe));
  EXPECT_EQ(exe.filename(), "test_app");
  EXPECT_EQ(mainBundlePath(), exe.parent_path().string());
  EXPECT_EQ(mainBundleResourcesPath(), (exe.parent_path() / "Resources").string());

  kivtest::TempDir dir;
  dir.write("Other.app/Contents/Info.plist", kPlist);
  setMainBundlePath((dir.path() / "Other.app").string());
  EXPECT_EQ(mainBundleInfoValue("CFBundleExecutable"), "Sample");
  EXPECT_EQ(mainBundleResourcesPath(), (dir.path() / "Other.app/Contents/Resources").string());
  setMainBundlePath("");
  EXPECT_EQ(mainBundlePath(), exe.parent_path().string());
}
