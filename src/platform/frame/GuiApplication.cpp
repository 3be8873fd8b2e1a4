#include "platform/frame/GuiApplication.h"

#include <QApplication>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace kiv::platform {

namespace {

const char* valueOf(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? v : nullptr;
}

// True when a local stream socket at `path` accepts a connection; a leading '@' names an
// abstract socket.
bool socketAnswers(const std::string& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.data(), path.size());
  socklen_t len = offsetof(sockaddr_un, sun_path) + path.size();
  if (path[0] == '@') addr.sun_path[0] = '\0';
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0;
  ::close(fd);
  return ok;
}

// An X display ":N" or ":N.S" is reachable through its local socket. Displays on other hosts
// (or in forms we do not parse) are trusted as given.
bool xDisplayAnswers(const char* display) {
  if (display[0] != ':' && std::strncmp(display, "unix:", 5) != 0) return true;
  const char* n = std::strchr(display, ':') + 1;
  std::string number;
  while (std::isdigit(static_cast<unsigned char>(*n)))
    number += *n++;
  if (number.empty()) return false;
  const std::string path = "/tmp/.X11-unix/X" + number;
  return socketAnswers("@" + path) || socketAnswers(path);
}

bool waylandDisplayAnswers(const char* display) {
  if (display[0] == '/') return socketAnswers(display);
  const char* runtime = valueOf("XDG_RUNTIME_DIR");
  return runtime && socketAnswers(std::string(runtime) + "/" + display);
}

} // namespace

bool hasDisplay() {
  // An explicit platform other than the windowing systems (offscreen, minimal, vnc...) needs no
  // display server.
  const char* platform = valueOf("QT_QPA_PLATFORM");
  if (platform && std::strncmp(platform, "xcb", 3) != 0 &&
      std::strncmp(platform, "wayland", 7) != 0)
    return true;
  const char* wayland = valueOf("WAYLAND_DISPLAY");
  const char* x = valueOf("DISPLAY");
  if (platform && std::strncmp(platform, "xcb", 3) == 0) return x && xDisplayAnswers(x);
  if (platform) return wayland && waylandDisplayAnswers(wayland);
  return (wayland && waylandDisplayAnswers(wayland)) || (x && xDisplayAnswers(x));
}

bool ensureGuiApplication() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
  if (QCoreApplication::instance()) return false; // a non-GUI application object is in place
  if (!hasDisplay()) return false;
  // Qt keeps references to argc and argv for the application's lifetime.
  static int argc = 1;
  static char name[] = "kiv";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return app != nullptr;
}

} // namespace kiv::platform
