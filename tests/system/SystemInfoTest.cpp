#include "SystemTestSupport.h"

#include "platform/bundle/Bundle.h"
#include "system/SystemVersion.h"

#include <QGuiApplication>
#include <QScreen>

#include <climits>
#include <sys/utsname.h>

using namespace systemtest;

namespace {

// What a shell command prints.
std::string shell(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)
    out += static_cast<char>(c);
  if (pipe) pclose(pipe);
  return out;
}

// What the probe program writes for `action` in a fresh process with the environment in place.
std::string probed(const char* action, const kivtest::TempDir& dir) {
  std::string out = (dir.path() / "probe.out").string();
  probe(action, out, dir);
  return kivtest::readFile(out);
}

} // namespace

TEST(SystemVersion, FromOsReleaseOrTheKernelRelease) {
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"12", "6.1.0-18-amd64", "12"},
      {"", "6.1.0-18-amd64", "6.1.0"},
      {"", "5.10.", "5.10"},
      {"", "", ""},
      {std::string(40, '9'), "", std::string(31, '9')},
  };
  for (const auto& [versionId, release, expected] : cases) {
    SCOPED_TRACE(versionId + " / " + release);
    char out[33];
    std::memset(out, 'Z', sizeof out);
    kiv::system::composeSystemVersion(versionId, release, out, 32);
    EXPECT_EQ(expected, out);
    EXPECT_EQ('Z', out[32]);
  }

  // On this machine, as the shell reads the os-release file.
  const char* osRelease = ". /etc/os-release 2>/dev/null || . /usr/lib/os-release; printf %s ";
  std::string expected = shell(osRelease + std::string("\"$VERSION_ID\""));
  struct utsname u;
  ASSERT_EQ(0, uname(&u));
  char version[32];
  if (expected.empty()) {
    kiv::system::composeSystemVersion("", u.release, version, sizeof version);
    expected = version;
  }
  GetCocoaSystemVersion(version);
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(expected, version);
  char info[64];
  GetSystemInfo(info);
  std::string name = shell(osRelease + std::string("\"${NAME:-Linux}\""));
  EXPECT_EQ(name.substr(0, 31) + " " + version, info);
  unsigned char pinfo[256];
  GetSystemInfo(pinfo);
  EXPECT_EQ(std::string(info), pstr(pinfo));

  // The version description is built from the kernel release.
  int k[3] = {-1, -1, -1}, major = -1, minor = -1, patch = -1;
  std::sscanf(u.release, "%d.%d.%d", &k[0], &k[1], &k[2]);
  GetFullOSVersion(major, minor, patch);
  EXPECT_EQ(std::make_tuple(k[0], k[1], k[2]), std::make_tuple(major, minor, patch));
  short osMinor = -1;
  GetOSVersion(osMinor);
  EXPECT_EQ(k[0] == 10 ? k[1] : 0, osMinor);
}

TEST(SystemVersion, DescriptionsGiveTheirNumbers) {
  // -1 stands for an output the scan does not reach, which keeps the caller's value.
  const std::tuple<std::string, short, int, int, int> cases[] = {
      {"Version 10.15.7 (Build 19H2)", 15, 10, 15, 7},
      {"Version 11.6 (Build 20G165)", 0, 11, 6, -1},
      // Only the major number counts: a "10." elsewhere is no 10.x system.
      {"Version 6.10.3 (Build #1 SMP 10.4)", 0, 6, 10, 3},
      {"Version 110.2.1", 0, 110, 2, 1},
      {"Version 10.x", 0, 10, -1, -1},
      {"Version", 0, -1, -1, -1},
      // A first word longer than the 63-byte scratch buffer is not overrun.
      {std::string(200, 'W') + " 1.2.3", 0, -1, -1, -1},
  };
  for (const auto& [description, osMinor, major, minor, patch] : cases) {
    SCOPED_TRACE(description.substr(0, 40));
    EXPECT_EQ(osMinor, kiv::system::osMinorFromDescription(description.c_str()));
    int got[3] = {-1, -1, -1};
    kiv::system::fullOSVersionFromDescription(description.c_str(), got[0], got[1], got[2]);
    EXPECT_EQ(std::make_tuple(major, minor, patch), std::make_tuple(got[0], got[1], got[2]));
  }
  EXPECT_EQ(0, kiv::system::osMinorFromDescription(nullptr));
}

TEST(SystemBundle, ParentOfTheApplicationBundle) {
  struct Restore {
    ~Restore() { kiv::platform::setMainBundlePath(""); }
  } restore;
  char parent[PATH_MAX] = "x";
  kiv::platform::setMainBundlePath("/Applications/Tools/Example.app");
  GetThisAppBundleParentPathN(parent);
  EXPECT_STREQ("/Applications/Tools", parent);
  kiv::platform::setMainBundlePath("/Example.app");
  GetThisAppBundleParentPathN(parent);
  EXPECT_STREQ("", parent);

  // The bounded form refuses a parent that does not fit, leaving the empty string.
  kiv::platform::setMainBundlePath("/opt/Tools/Example.app");
  char small[11];
  std::memset(small, 'Z', sizeof small);
  EXPECT_EQ(-1, GetThisAppBundleParentPathN(small, 10));
  EXPECT_EQ(std::string("\0Z", 2), std::string(small, 2));
  EXPECT_EQ(0, GetThisAppBundleParentPathN(small, 11));
  EXPECT_STREQ("/opt/Tools", small);
  EXPECT_EQ(-1, GetThisAppBundleParentPathN(small, 0));
}

TEST(SystemBundle, VersionFromInfoPlist) {
  const std::string key = "<key>CFBundleShortVersionString</key><string>";
  // Info.plist texts (an empty one: the bundle has none), the result and the version.
  const std::tuple<std::string, short, std::string> cases[] = {
      {"<key>CFBundleName</key><string>Good</string>" + key + "2.5.1</string>", 0, "2.5.1"},
      // A value whose text looks like a key is not taken for one.
      {"<key>Other</key><string>CFBundleShortVersionString</string><key>Arr</key><array>"
       "<string>x</string></array>" +
           key + "3.0</string>",
       0, "3.0"},
      {"<key>CFBundleName</key><string>NoKey</string>", 0, ""},
      // Cut to 31 characters; in Mac Roman; empty when a character has no Mac Roman form.
      {key + std::string(40, '7') + "</string>", 0, std::string(31, '7')},
      {key + "1.0 b\xC3\xA9ta</string>", 0, "1.0 b\x8Eta"},
      {key + "1.0 \xE7\x89\x88</string>", 0, ""},
      // No information dictionary: no Info.plist, a broken one, or one without a dictionary.
      {"", -1, ""},
      {"<plist><dict><key>x</key>", -1, ""},
      {"<plist><array/></plist>", -1, ""},
  };
  kivtest::TempDir dir;
  int n = 0;
  for (const auto& [info, rc, expected] : cases) {
    SCOPED_TRACE(info);
    std::filesystem::path app = dir.path() / (std::to_string(++n) + ".app");
    std::filesystem::create_directories(app / "Contents");
    if (!info.empty())
      dir.write(app.filename().string() + "/Contents/Info.plist",
                info.rfind("<plist", 0) == 0
                    ? info
                    : "<plist version=\"1.0\"><dict>" + info + "</dict></plist>");
    FSRef ref;
    ASSERT_EQ(noErr, FSPathMakeRef(reinterpret_cast<const UInt8*>(app.c_str()), &ref, nullptr));
    unsigned char version[32];
    std::memset(version, 0x55, sizeof version);
    EXPECT_EQ(rc, FSGetBundleVersion(&ref, version));
    EXPECT_EQ(expected, pstr(version));
  }

  // A file is no bundle: 0 and the empty version; once it has gone, its reference gives no URL.
  FSRef ref;
  auto file = dir.write("file.txt", "text");
  ASSERT_EQ(noErr, FSPathMakeRef(reinterpret_cast<const UInt8*>(file.c_str()), &ref, nullptr));
  unsigned char version[32] = {3, 'o', 'l', 'd'};
  EXPECT_EQ(0, FSGetBundleVersion(&ref, version));
  EXPECT_EQ(0, version[0]);
  std::filesystem::remove(file);
  version[0] = 3;
  EXPECT_EQ(-1, FSGetBundleVersion(&ref, version));
  EXPECT_EQ(0, version[0]);
  EXPECT_EQ(-1, FSGetBundleVersion(nullptr, version));
  version[0] = 3;
  EXPECT_EQ(-1, GetBundleVersion(nullptr, version));
  EXPECT_EQ(0, version[0]);
}

TEST(SystemLocale, IdentifierFollowsTheEnvironment) {
  kivtest::TempDir dir;
  {
    kivtest::ScopedEnv all("LC_ALL", std::string("de_DE.UTF-8"));
    EXPECT_EQ("de_DE", probed("locale", dir));
  }
  {
    kivtest::ScopedEnv all("LC_ALL", std::nullopt), messages("LC_MESSAGES", std::nullopt);
    kivtest::ScopedEnv lang("LANG", std::string("fr_CA.UTF-8"));
    EXPECT_EQ("fr_CA", probed("locale", dir));
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
  EXPECT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(width, height));
  EXPECT_GT(width, 0);
  // Without any display nothing is created: no screens, no size.
  kivtest::TempDir dir;
  kivtest::ScopedEnv qpa("QT_QPA_PLATFORM", std::nullopt), x("DISPLAY", std::nullopt),
      wayland("WAYLAND_DISPLAY", std::nullopt);
  EXPECT_EQ("0 0 0", probed("screens", dir));
}
