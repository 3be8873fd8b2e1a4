#include "platform/frame/GuiApplication.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using kiv::platform::hasDisplay;
using kivtest::ScopedEnv;

namespace {

// A listening local socket, standing in for a display server; '@' starts an abstract name.
struct FakeServer {
  explicit FakeServer(const std::string& path) : fd(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.data(), path.size());
    if (path[0] == '@') addr.sun_path[0] = '\0';
    socklen_t len = offsetof(sockaddr_un, sun_path) + path.size();
    ok = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 && ::listen(fd, 4) == 0;
  }
  ~FakeServer() { ::close(fd); }
  int fd;
  bool ok = false;
};

} // namespace

TEST(Display, FoundOnlyWhenAServerAnswersOrThePlatformNeedsNone) {
  kivtest::TempDir runtime;
  ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.str());
  ScopedEnv platform("QT_QPA_PLATFORM", std::nullopt);
  ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
  ScopedEnv x("DISPLAY", std::nullopt);
  EXPECT_FALSE(hasDisplay());
  {
    ScopedEnv p("QT_QPA_PLATFORM", std::string("offscreen"));
    EXPECT_TRUE(hasDisplay());
  }
  // X: a display number nobody serves, then served on its abstract socket. Another process may
  // hold a number: take the first free one from a per-process start.
  int number = 3000 + static_cast<int>(getpid() % 20000);
  for (int i = 0; i < 100 && !FakeServer("@/tmp/.X11-unix/X" + std::to_string(number)).ok; ++i)
    ++number;
  {
    ScopedEnv d("DISPLAY", ":" + std::to_string(number) + ".0");
    EXPECT_FALSE(hasDisplay());
    FakeServer server("@/tmp/.X11-unix/X" + std::to_string(number));
    ASSERT_TRUE(server.ok);
    EXPECT_TRUE(hasDisplay());
    ScopedEnv p("QT_QPA_PLATFORM", std::string("xcb"));
    EXPECT_TRUE(hasDisplay());
    ScopedEnv bad("DISPLAY", std::string(":"));
    EXPECT_FALSE(hasDisplay());
    ScopedEnv remote("DISPLAY", std::string("otherhost:0"));
    EXPECT_TRUE(hasDisplay()); // trusted: not probed
  }
  // Wayland: a socket in the runtime folder.
  ScopedEnv w("WAYLAND_DISPLAY", std::string("wl-test"));
  EXPECT_FALSE(hasDisplay());
  FakeServer server((runtime.path() / "wl-test").string());
  ASSERT_TRUE(server.ok);
  EXPECT_TRUE(hasDisplay());
  ScopedEnv p("QT_QPA_PLATFORM", std::string("xcb")); // xcb asked for, and no X display
  EXPECT_FALSE(hasDisplay());
}
