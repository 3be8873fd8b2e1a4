// OpenURL, KIVLaunchURL and LaunchApplication start real programs: a scheme handler and an
// application installed as desktop entries in a private XDG_DATA_HOME. The desktop's
// application database is read once per process, so each call runs in a fresh probe process
// started with that environment; the launched program writes a marker file.
#include "Kiv.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class LaunchEnvironment {
public:
  LaunchEnvironment()
      : scheme_("kivtest" + std::to_string(getpid())),
        dataHome_("XDG_DATA_HOME", (dir_.path() / "data").string()),
        configHome_("XDG_CONFIG_HOME", (dir_.path() / "config").string()),
        bus_("DBUS_SESSION_BUS_ADDRESS", std::string("disabled:")) {
    fs::create_directories(dir_.path() / "config");
    desktopEntry("kivtest-handler.desktop", "Kiv Test Handler", "url",
                 "%u\nMimeType=x-scheme-handler/" + scheme_ + ";");
    desktopEntry("kivtest-app.desktop", "Kiv Marker App", "app", "");
    desktopEntry("other.desktop", "Unrelated", "other", "");
    // The index that installing a desktop entry builds (update-desktop-database).
    dir_.write("data/applications/mimeinfo.cache",
               "[MIME Cache]\nx-scheme-handler/" + scheme_ + "=kivtest-handler.desktop;\n");
  }

  const kivtest::TempDir& dir() const { return dir_; }
  const std::string& scheme() const { return scheme_; }
  fs::path marker() const { return dir_.path() / "marker"; }

  // Runs the probe with one action, then waits up to `wait` for the marker of a launched
  // program; returns its text, or "" when nothing was launched.
  std::string run(const std::string& action, const std::string& argument,
                  std::chrono::milliseconds wait = std::chrono::seconds(15)) {
    fs::remove(marker());
    std::string exe = KIV_SYSTEM_PROBE, act = action, arg = argument, work = dir_.str();
    EXPECT_EQ(0, RunTaskCommand(exe.data(), work.data(), act.data(), arg.data(), nullptr, nullptr,
                                nullptr));
    auto deadline = std::chrono::steady_clock::now() + wait;
    while (std::chrono::steady_clock::now() < deadline) {
      if (fs::exists(marker())) return kivtest::readFile(marker());
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return "";
  }

private:
  void desktopEntry(const std::string& id, const std::string& name, const std::string& tag,
                    const std::string& tail) {
    dir_.write("data/applications/" + id, "[Desktop Entry]\nType=Application\nName=" + name +
                                              "\nExec=\"" + std::string(KIV_MARKER_HELPER) +
                                              "\" \"" + marker().string() + "\" " + tag + " " +
                                              tail + "\nNoDisplay=true\n");
  }

  kivtest::TempDir dir_;
  std::string scheme_;
  kivtest::ScopedEnv dataHome_;
  kivtest::ScopedEnv configHome_;
  kivtest::ScopedEnv bus_;
};

bool launchedWith(const std::string& marker, const std::string& line) {
  return marker.find("\n" + line + "\n") != std::string::npos;
}

} // namespace

TEST(Launching, UrlsOpenInTheSchemesHandler) {
  LaunchEnvironment env;
  std::string url = env.scheme() + "://host/path?x=1";
  std::string m = env.run("openurl", url);
  EXPECT_TRUE(launchedWith(m, "arg=url")) << m;
  EXPECT_TRUE(launchedWith(m, "arg=" + url)) << m;

  m = env.run("launchurl-c", env.scheme() + ":c-form");
  EXPECT_TRUE(launchedWith(m, "arg=" + env.scheme() + ":c-form")) << m;
  m = env.run("launchurl-p", env.scheme() + ":pascal-form");
  EXPECT_TRUE(launchedWith(m, "arg=" + env.scheme() + ":pascal-form")) << m;

  // Text that is no URL opens nothing; neither does the empty Pascal string.
  auto brief = std::chrono::milliseconds(1500);
  EXPECT_EQ("", env.run("openurl", env.scheme() + ":with blank", brief));
  EXPECT_EQ("", env.run("launchurl-p", "", brief));
}

TEST(Launching, ApplicationsByIdNameOrPath) {
  LaunchEnvironment env;
  const kivtest::TempDir& dir = env.dir();
  // A bundle whose executable is a script that starts the marker helper.
  std::string script = "#!/bin/sh\nexec \"" + std::string(KIV_MARKER_HELPER) + "\" \"" +
                       env.marker().string() + "\" bundle\n";
  fs::path exe = dir.write("Tool.app/Contents/Linux/ToolExe", script);
  dir.write("Tool.app/Contents/Info.plist",
            "<plist><dict><key>CFBundleExecutable</key><string>ToolExe</string></dict></plist>");
  fs::permissions(exe, fs::perms::owner_all);
  fs::path plain = dir.write("run-me", "#!/bin/sh\nexec \"" + std::string(KIV_MARKER_HELPER) +
                                           "\" \"" + env.marker().string() + "\" plain\n");
  fs::permissions(plain, fs::perms::owner_all);

  EXPECT_TRUE(launchedWith(env.run("launchapp", "kivtest-app"), "arg=app"));
  EXPECT_TRUE(launchedWith(env.run("launchapp", "kivtest-app.desktop"), "arg=app"));
  EXPECT_TRUE(launchedWith(env.run("launchapp", "kiv MARKER app"), "arg=app"));
  EXPECT_TRUE(
      launchedWith(env.run("launchapp", (dir.path() / "data/applications/other.desktop").string()),
                   "arg=other"));
  EXPECT_TRUE(launchedWith(env.run("launchapp", (dir.path() / "Tool.app").string()), "arg=bundle"));
  EXPECT_TRUE(launchedWith(env.run("launchapp", plain.string()), "arg=plain"));

  auto brief = std::chrono::milliseconds(1500);
  EXPECT_EQ("", env.run("launchapp", "no such application", brief));
  EXPECT_EQ("", env.run("launchapp", (dir.path() / "Missing.app").string(), brief));
}
