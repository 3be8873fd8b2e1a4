#include "SystemTestSupport.h"

#include "platform/bundle/Bundle.h"
#include "system/SystemVersion.h"

#include <QGuiApplication>
#include <QScreen>

#include <climits>
#include <functional>
#include <sys/utsname.h>

using namespace systemtest;

namespace {

std::string shell(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)
    out += static_cast<char>(c);
  if (pipe) pclose(pipe);
  return out;
}

// What the probe writes for `action` in a fresh process with the environment in place.
std::string probed(const char* action, const kivtest::TempDir& dir) {
  std::string out = dir.str() + "/probe.out";
  probe(action, out, dir);
  return kivtest::readFile(out);
}

} // namespace

// The version from VERSION_ID or the kernel release, on any text, is a fuzz target's; here it is
// the one this machine's os-release file gives.
TEST(SystemVersion, FromOsReleaseOrTheKernelRelease) {
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

// Cuts in exactly the room are checked by the exact-room rows.
TEST(SystemBundle, ParentOfTheApplicationBundle) {
  struct Restore {
    ~Restore() { kiv::platform::setMainBundlePath(""); }
  } restore;
  char parent[PATH_MAX] = "x";
  for (auto [bundle, expected] :
       {std::pair("/Applications/Tools/Example.app", "/Applications/Tools"),
        std::pair("/Example.app", "")}) {
    kiv::platform::setMainBundlePath(bundle);
    EXPECT_EQ(0, GetThisAppBundleParentPathN(parent, sizeof parent));
    EXPECT_STREQ(expected, parent);
  }
  EXPECT_EQ(-1, GetThisAppBundleParentPathN(parent, 0));
}

// The version as the bundle's information dictionary gives it, on any Info.plist, is a fuzz
// target's: here a bundle with a version, one without an information dictionary, a file, an
// object that has gone, and none at all. The version is empty unless one was found.
TEST(SystemBundle, VersionFromInfoPlist) {
  kivtest::TempDir dir;
  auto refTo = [&](const std::string& name, const std::string& text) {
    FSRef ref{};
    fs::path p = dir.write(name, text);
    if (name.find(".app/") != std::string::npos) p = p.parent_path().parent_path();
    EXPECT_EQ(noErr, FSPathMakeRef(reinterpret_cast<const UInt8*>(p.c_str()), &ref, nullptr));
    return ref;
  };
  FSRef a = refTo("A.app/Contents/Info.plist",
                  "<plist><dict><key>CFBundleShortVersionString</key><string>1.0 b\xC3\xA9ta"
                  "</string></dict></plist>"),
        b = refTo("B.app/Contents/Info.plist", "<plist><array/></plist>"),
        file = refTo("file.txt", "text"), gone = refTo("gone.txt", "text");
  fs::remove(dir.path() / "gone.txt");
  unsigned char version[32];
  const std::tuple<const char*, std::function<short()>, std::string> rows[] = {
      {"bundle", [&] { return FSGetBundleVersion(&a, version); }, "0 1.0 b\x8Eta"},
      {"no dictionary", [&] { return FSGetBundleVersion(&b, version); }, "-1 "},
      {"file", [&] { return FSGetBundleVersion(&file, version); }, "0 "},
      {"gone", [&] { return FSGetBundleVersion(&gone, version); }, "-1 "},
      {"no reference", [&] { return FSGetBundleVersion(nullptr, version); }, "-1 "},
      {"no bundle", [&] { return GetBundleVersion(nullptr, version); }, "-1 "},
  };
  for (const auto& [name, call, expected] : rows) {
    std::memset(version, 0x55, sizeof version);
    const short rc = call();
    EXPECT_EQ(expected, std::to_string(rc) + " " + pstr(version)) << name;
  }
}

TEST(SystemLocale, IdentifierFollowsTheEnvironment) {
  kivtest::TempDir dir;
  {
    kivtest::ScopedEnv all("LC_ALL", std::string("de_DE.UTF-8"));
    EXPECT_EQ("de_DE", probed("locale", dir));
  }
  kivtest::ScopedEnv all("LC_ALL", std::nullopt), messages("LC_MESSAGES", std::nullopt);
  kivtest::ScopedEnv lang("LANG", std::string("fr_CA.UTF-8"));
  EXPECT_EQ("fr_CA", probed("locale", dir));
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

namespace {
struct Block {
  short s;
  int i;
};
// A record whose defaults are known values and whose Swap reverses each field.
struct TestPref : KIVGlobalPref {
  using KIVGlobalPref::fIntParam, KIVGlobalPref::fName, KIVGlobalPref::fShortParam;
  int swaps = 0;
  explicit TestPref(unsigned char* name) : KIVGlobalPref(7, name, 3) {}
  void DefaultValues(char* data) override { *reinterpret_cast<Block*>(data) = {0x1234, 0x5678}; }
  void Swap(char* data) override {
    Block* b = reinterpret_cast<Block*>(data);
    *b = {AlwaysSwapByte(b->s), AlwaysSwapByte(b->i)}, ++swaps;
  }
};
static_assert(std::has_virtual_destructor_v<KIVGlobalPref>);
} // namespace

// The storage keeps nothing: reading gives the defaults, writing leaves the block as it was.
// That the base record writes nothing is checked by the exact-room rows.
TEST(PrefsRecord, ReadGivesDefaultsAndTheNameHoldsUpTo63Bytes) {
  unsigned char name[256];
  auto named = [&](const std::string& s) {
    name[0] = static_cast<unsigned char>(s.size());
    std::memcpy(name + 1, s.data(), s.size());
    return name;
  };
  for (auto [given, held] : {std::pair(std::string(63, 'n'), std::string(63, 'n')),
                             std::pair(std::string(255, 'x'), std::string(63, 'x')),
                             std::pair(std::string(), std::string())})
    EXPECT_EQ(held, pstr(TestPref(named(given)).fName));
  EXPECT_EQ("", pstr(TestPref(nullptr).fName));
  TestPref pref(named("Settings"));
  EXPECT_EQ(std::make_tuple(std::string("Settings"), 7, 3),
            std::make_tuple(pstr(pref.fName), pref.fIntParam, int(pref.fShortParam)));
  Block block{-1, -1};
  EXPECT_EQ(-1, pref.Read(reinterpret_cast<char*>(&block)));
  EXPECT_EQ(-1, pref.Write(reinterpret_cast<char*>(&block)));
  EXPECT_EQ(std::make_tuple(short(0x1234), 0x5678, 2),
            std::make_tuple(block.s, block.i, pref.swaps));
  EXPECT_EQ(-1, GetPrefsData(nullptr, nullptr, 0, 0));
  EXPECT_EQ(-1, SetPrefsData(nullptr, nullptr, -1, -1));
}
