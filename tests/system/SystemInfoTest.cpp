#include "Kiv.h"
#include "TestSupport.h"

#include "platform/bundle/Bundle.h"
#include "system/SystemFacts.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/utsname.h>

namespace {

std::string pstr(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

// VERSION_ID of the os-release file, read plainly.
std::string osReleaseVersionId() {
  for (const char* file : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::ifstream in(file);
    if (!in) continue;
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("VERSION_ID=", 0) != 0) continue;
      std::string v = line.substr(11);
      if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'')) v = v.substr(1, v.size() - 2);
      return v;
    }
    return "";
  }
  return "";
}

std::string plist(const std::string& entries) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" + entries +
         "</dict>\n</plist>\n";
}

// The version FSGetBundleVersion reads from the folder at path, with its result code.
std::pair<short, std::string> bundleVersionAt(const std::filesystem::path& path) {
  FSRef ref;
  if (FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), &ref, nullptr) != noErr)
    return {99, "no reference"};
  unsigned char version[32];
  std::memset(version, 0x55, sizeof version);
  short rc = FSGetBundleVersion(&ref, version);
  return {rc, pstr(version)};
}

// Runs the probe program with the environment changes in place and returns what it wrote.
std::string probe(const char* action, const kivtest::TempDir& dir) {
  std::string exe = KIV_SYSTEM_PROBE, act = action, out = (dir.path() / "probe.out").string();
  std::string work = dir.str();
  std::remove(out.c_str());
  int rc =
      RunTaskCommand(exe.data(), work.data(), act.data(), out.data(), nullptr, nullptr, nullptr);
  EXPECT_EQ(0, rc);
  return kivtest::readFile(out);
}

} // namespace

TEST(SystemVersion, ComposedFromOsReleaseOrTheKernelRelease) {
  char out[32];
  kiv::system::composeSystemVersion("12", "6.1.0-18-amd64", out, sizeof out);
  EXPECT_STREQ("12", out);
  kiv::system::composeSystemVersion("", "6.1.0-18-amd64", out, sizeof out);
  EXPECT_STREQ("6.1.0", out);
  kiv::system::composeSystemVersion("", "6.18.44-fc-v1272", out, sizeof out);
  EXPECT_STREQ("6.18.44", out);
  kiv::system::composeSystemVersion("", "5.10.", out, sizeof out);
  EXPECT_STREQ("5.10", out);
  kiv::system::composeSystemVersion("", "", out, sizeof out);
  EXPECT_STREQ("", out);
  std::memset(out, 'Z', sizeof out);
  kiv::system::composeSystemVersion(std::string(40, '9'), "", out, 32);
  EXPECT_EQ(std::string(31, '9'), out);

  // On this machine.
  char version[32];
  GetCocoaSystemVersion(version);
  std::string expected = osReleaseVersionId();
  if (expected.empty()) {
    struct utsname u;
    ASSERT_EQ(0, uname(&u));
    kiv::system::composeSystemVersion("", u.release, out, sizeof out);
    expected = out;
  }
  EXPECT_EQ(expected, version);
  EXPECT_FALSE(expected.empty());
}

TEST(SystemVersion, DescriptionsGiveTheirNumbers) {
  using kiv::system::fullOSVersionFromDescription;
  using kiv::system::osMinorFromDescription;
  EXPECT_EQ(15, osMinorFromDescription("Version 10.15.7 (Build 19H2)"));
  EXPECT_EQ(9, osMinorFromDescription("Version 10.9.5 (Build 13F1911)"));
  EXPECT_EQ(0, osMinorFromDescription("Version 11.6 (Build 20G165)"));
  // Only the major number counts: a "10." elsewhere is no 10.x system.
  EXPECT_EQ(0, osMinorFromDescription("Version 6.10.3 (Build #1 SMP 10.4)"));
  EXPECT_EQ(0, osMinorFromDescription("Version 110.2.1"));
  EXPECT_EQ(0, osMinorFromDescription("Version 10.x"));
  EXPECT_EQ(0, osMinorFromDescription(""));
  EXPECT_EQ(0, osMinorFromDescription(nullptr));

  int major = -1, minor = -1, patch = -1;
  fullOSVersionFromDescription("Version 10.15.7 (Build 19H2)", major, minor, patch);
  EXPECT_EQ(10, major);
  EXPECT_EQ(15, minor);
  EXPECT_EQ(7, patch);
  major = minor = patch = -1;
  fullOSVersionFromDescription("Version 11.6 (Build 20G165)", major, minor, patch);
  EXPECT_EQ(11, major);
  EXPECT_EQ(6, minor);
  EXPECT_EQ(-1, patch);
  major = minor = patch = -1;
  fullOSVersionFromDescription("Version", major, minor, patch);
  EXPECT_EQ(-1, major);
  // A first word longer than the 63-byte scratch buffer is not overrun, and only the first 103
  // bytes are examined.
  major = minor = patch = -1;
  fullOSVersionFromDescription((std::string(200, 'W') + " 1.2.3").c_str(), major, minor, patch);
  EXPECT_EQ(-1, patch);

  // On this machine the description comes from the kernel release.
  struct utsname u;
  ASSERT_EQ(0, uname(&u));
  int kMajor = -1, kMinor = -1, kPatch = -1;
  std::sscanf(u.release, "%d.%d.%d", &kMajor, &kMinor, &kPatch);
  major = minor = patch = -1;
  GetFullOSVersion(major, minor, patch);
  EXPECT_EQ(kMajor, major);
  EXPECT_EQ(kMinor, minor);
  EXPECT_EQ(kPatch, patch);
  short osMinor = -1;
  GetOSVersion(osMinor);
  EXPECT_EQ(kMajor == 10 ? kMinor : 0, osMinor);
}

TEST(SystemVersion, SystemInfoNamesTheSystem) {
  char version[32];
  GetCocoaSystemVersion(version);
  char info[64];
  GetSystemInfo(info);
  std::string name = kiv::system::systemName();
  EXPECT_EQ(name.substr(0, 31) + " " + version, info);
  unsigned char pinfo[256];
  GetSystemInfo(pinfo);
  EXPECT_EQ(std::string(info), pstr(pinfo));
  EXPECT_EQ(std::strlen(info), pinfo[0]);
}

TEST(SystemBundle, ParentOfTheApplicationBundle) {
  struct Restore {
    ~Restore() { kiv::platform::setMainBundlePath(""); }
  } restore;
  char parent[PATH_MAX];
  kiv::platform::setMainBundlePath("/Applications/Tools/Example.app");
  GetThisAppBundleParentPathN(parent);
  EXPECT_STREQ("/Applications/Tools", parent);
  kiv::platform::setMainBundlePath("/Example.app");
  std::strcpy(parent, "x");
  GetThisAppBundleParentPathN(parent);
  EXPECT_STREQ("", parent);

  // The bounded form refuses a parent that does not fit, leaving the empty string.
  kiv::platform::setMainBundlePath("/opt/Tools/Example.app");
  char small[11];
  std::memset(small, 'Z', sizeof small);
  EXPECT_EQ(-1, GetThisAppBundleParentPathN(small, 10));
  EXPECT_STREQ("", small);
  EXPECT_EQ('Z', small[1]);
  EXPECT_EQ(0, GetThisAppBundleParentPathN(small, 11));
  EXPECT_STREQ("/opt/Tools", small);
  EXPECT_EQ(-1, GetThisAppBundleParentPathN(small, 0));
}

TEST(SystemBundle, VersionFromInfoPlist) {
  kivtest::TempDir dir;
  auto make = [&](const std::string& name, const std::string& entries) {
    dir.write(name + "/Contents/Info.plist", plist(entries));
    return dir.path() / name;
  };
  auto ok = make("Good.app", "<key>CFBundleName</key><string>Good</string>\n"
                             "<key>CFBundleShortVersionString</key><string>2.5.1</string>\n");
  EXPECT_EQ(std::make_pair(short(0), std::string("2.5.1")), bundleVersionAt(ok));

  // A value whose text looks like a key is not taken for one.
  auto tricky = make("Tricky.app", "<key>Other</key><string>CFBundleShortVersionString</string>\n"
                                   "<key>Arr</key><array><string>x</string></array>\n"
                                   "<key>CFBundleShortVersionString</key><string>3.0</string>\n");
  EXPECT_EQ(std::make_pair(short(0), std::string("3.0")), bundleVersionAt(tricky));

  auto noKey = make("NoKey.app", "<key>CFBundleName</key><string>NoKey</string>\n");
  EXPECT_EQ(std::make_pair(short(0), std::string()), bundleVersionAt(noKey));

  // Cut to 31 characters; converted to Mac Roman; empty when a character has no Mac Roman form.
  auto longer = make("Long.app", "<key>CFBundleShortVersionString</key><string>" +
                                     std::string(40, '7') + "</string>\n");
  EXPECT_EQ(std::make_pair(short(0), std::string(31, '7')), bundleVersionAt(longer));
  auto accented =
      make("Accent.app", "<key>CFBundleShortVersionString</key><string>1.0 b\xC3\xA9ta</string>\n");
  EXPECT_EQ(std::make_pair(short(0), std::string("1.0 b\x8Eta")), bundleVersionAt(accented));
  auto han =
      make("Han.app", "<key>CFBundleShortVersionString</key><string>1.0 \xE7\x89\x88</string>\n");
  EXPECT_EQ(std::make_pair(short(0), std::string()), bundleVersionAt(han));

  // No information dictionary: no Info.plist, a broken one, or one without a dictionary.
  std::filesystem::create_directories(dir.path() / "Bare.app" / "Contents");
  EXPECT_EQ(std::make_pair(short(-1), std::string()), bundleVersionAt(dir.path() / "Bare.app"));
  dir.write("Broken.app/Contents/Info.plist", "<plist><dict><key>x</key>");
  EXPECT_EQ(std::make_pair(short(-1), std::string()), bundleVersionAt(dir.path() / "Broken.app"));
  dir.write("Array.app/Contents/Info.plist", "<plist><array/></plist>");
  EXPECT_EQ(std::make_pair(short(-1), std::string()), bundleVersionAt(dir.path() / "Array.app"));

  // A file is no bundle: 0 and the empty version.
  auto file = dir.write("file.txt", "text");
  EXPECT_EQ(std::make_pair(short(0), std::string()), bundleVersionAt(file));

  // A reference whose object has gone gives no URL.
  FSRef ref;
  ASSERT_EQ(noErr, FSPathMakeRef(reinterpret_cast<const UInt8*>(ok.c_str()), &ref, nullptr));
  std::filesystem::remove_all(ok);
  unsigned char version[32] = {3, 'o', 'l', 'd'};
  EXPECT_EQ(-1, FSGetBundleVersion(&ref, version));
  EXPECT_EQ(0, version[0]);
  EXPECT_EQ(-1, FSGetBundleVersion(nullptr, version));
  EXPECT_EQ(-1, GetBundleVersion(nullptr, version));
  EXPECT_EQ(0, version[0]);
}

TEST(SystemLocale, IdentifierFollowsTheEnvironment) {
  kivtest::TempDir dir;
  {
    kivtest::ScopedEnv all("LC_ALL", std::string("de_DE.UTF-8"));
    EXPECT_EQ("de_DE", probe("locale", dir));
  }
  {
    kivtest::ScopedEnv all("LC_ALL", std::nullopt);
    kivtest::ScopedEnv messages("LC_MESSAGES", std::nullopt);
    kivtest::ScopedEnv lang("LANG", std::string("fr_CA.UTF-8"));
    EXPECT_EQ("fr_CA", probe("locale", dir));
  }
  unsigned char id[32];
  std::memset(id, 0x55, sizeof id);
  GetLocaleIdentifier(id);
  EXPECT_GT(id[0], 0);
  EXPECT_LE(id[0], 31);
  SetLocale();
}

TEST(SystemScreens, OffscreenScreensAndNoDisplay) {
  int count = -1, width = -1, height = -1;
  GetScreensInfo(count, width, height);
  ASSERT_NE(nullptr, QGuiApplication::primaryScreen());
  EXPECT_EQ(QGuiApplication::screens().size(), count);
  EXPECT_GE(count, 1);
  EXPECT_EQ(QGuiApplication::primaryScreen()->geometry().width(), width);
  EXPECT_EQ(QGuiApplication::primaryScreen()->geometry().height(), height);
  EXPECT_GT(width, 0);

  // Without any display nothing is created: no screens, no size.
  kivtest::TempDir dir;
  kivtest::ScopedEnv qpa("QT_QPA_PLATFORM", std::nullopt);
  kivtest::ScopedEnv x("DISPLAY", std::nullopt);
  kivtest::ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
  EXPECT_EQ("0 0 0", probe("screens", dir));
}
