// OpenURL, KIVLaunchURL, OpenFile and LaunchApplication start real programs: a scheme handler, a
// default application for text files and desktop entries in a private XDG_DATA_HOME and
// XDG_CONFIG_HOME. The application database is read once per process, so each call runs in a
// fresh probe process; the launched program writes a marker file.
#include "SystemTestSupport.h"

#include <chrono>
#include <thread>
#include <unistd.h>

using namespace systemtest;

TEST(Launching, UrlsAndApplicationsStartTheirPrograms) {
  kivtest::TempDir dir;
  const std::string scheme = "kivtest" + std::to_string(getpid()), d = dir.str();
  const fs::path marker = dir.path() / "marker";
  kivtest::ScopedEnv dataHome("XDG_DATA_HOME", d + "/data"), config("XDG_CONFIG_HOME", d + "/cfg");
  kivtest::ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", std::string("disabled:"));
  // Every program started runs the marker helper with its own tag as the first argument.
  const std::string helper = "\"" KIV_SYSTEM_HELPER "\" \"" + marker.string() + "\" ";
  const std::tuple<std::string, std::string, std::string> entries[] = {
      {"kivtest-handler", "Kiv Test Handler", "url %u\nMimeType=x-scheme-handler/" + scheme + ";"},
      {"kivtest-open", "Kiv Text Opener", "open %f\nMimeType=text/plain;"},
      {"kivtest-app", "Kiv Marker App", "app"},
      {"other", "Unrelated", "other"}};
  dir.write("cfg/mimeapps.list", "[Default Applications]\ntext/plain=kivtest-open.desktop\n");
  for (const auto& [id, name, tail] : entries)
    dir.write("data/applications/" + id + ".desktop",
              "[Desktop Entry]\nType=Application\nNoDisplay=true\nName=" + name +
                  "\nExec=" + helper + tail + "\n");
  dir.write("data/applications/mimeinfo.cache",
            "[MIME Cache]\nx-scheme-handler/" + scheme + "=kivtest-handler.desktop;\n");
  // Names holding field codes, quotes, blanks, a variable, a command substitution, backslashes.
  const std::string odd = "odd %f%%%u \"q\" 'a' $HOME `id` \\b";
  const std::string oddUrl = scheme + "://h/a%20b%25c%f$HOME'q'\"d\"\\e`id`";
  // Bundles whose executables are scripts, and plain executable scripts.
  using Pair = std::pair<std::string, std::string>;
  for (const auto& [path, tag] :
       {Pair("Tool.app/Contents/Linux/ToolExe", "bundle"), Pair("run-me", "plain"),
        Pair(odd, "odd-plain"), Pair(odd + ".app/Contents/Linux/" + odd, "odd-bundle")})
    fs::permissions(dir.write(path, "#!/bin/sh\nexec " + helper + tag + "\n"),
                    fs::perms::owner_all);
  for (const auto& [bundle, exe] : {Pair("Tool", "ToolExe"), Pair(odd, odd)})
    dir.write(bundle + ".app/Contents/Info.plist",
              "<plist><dict><key>CFBundleExecutable</key><string>" + exe +
                  "</string></dict></plist>");
  const std::string oddFile = dir.write(odd + ".txt", "text").string();

  // An empty expectation: nothing is launched (waiting briefly to be sure).
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"openurl", scheme + "://host/path?x=1", "url\narg=" + scheme + "://host/path?x=1"},
      {"launchurl-c", scheme + ":c-form", "url\narg=" + scheme + ":c-form"},
      {"launchurl-p", scheme + ":pascal-form", "url\narg=" + scheme + ":pascal-form"},
      // Text that is no URL opens nothing; neither does the empty Pascal string.
      {"openurl", scheme + ":with blank", ""},
      {"launchurl-p", "", ""},
      // URLs and paths reach the program as they were given.
      {"openurl", oddUrl, "url\narg=" + oddUrl},
      {"openfile", oddFile, "open\narg=" + oddFile},
      // By desktop-file id with or without suffix, by name in any case, by path.
      {"launchapp", "kivtest-app", "app"},
      {"launchapp", "kivtest-app.desktop", "app"},
      {"launchapp", "kiv MARKER app", "app"},
      {"launchapp", d + "/data/applications/other.desktop", "other"},
      {"launchapp", d + "/Tool.app", "bundle"},
      {"launchapp", d + "/run-me", "plain"},
      {"launchapp", d + "/" + odd, "odd-plain"},
      {"launchapp", d + "/" + odd + ".app", "odd-bundle"},
      {"launchapp", "no such application", ""},
      {"launchapp", d + "/Missing.app", ""},
  };
  for (const auto& [action, argument, expected] : cases) {
    SCOPED_TRACE(action + " " + argument);
    fs::remove(marker);
    probe(action, argument, dir);
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(expected.empty() ? 1500 : 15000);
    while (!fs::exists(marker) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::string seen = fs::exists(marker) ? kivtest::readFile(marker) : "";
    if (expected.empty())
      EXPECT_EQ("", seen);
    else
      EXPECT_NE(std::string::npos, seen.find("=" + marker.string() + "\narg=" + expected + "\n"))
          << seen;
  }
}
