#include "platform/frame/GuiApplication.h"

#include <QApplication>
#include <QStringList>
#include <QThread>

#include <cctype>
#include <cstdio>
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

// The name used in the failure line of the application object being made, and the messages Qt
// gave while making it. Only one application object is ever made at a time: Qt allows one.
std::string startupName;
QStringList startupWarnings;

void startupMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    startupWarnings << message;
    return;
  }
  std::string detail = startupWarnings.isEmpty()
                           ? message.simplified().toStdString()
                           : startupWarnings.first().simplified().toStdString();
  reportStartFailure(startupName, "no usable display (" + detail + ")");
  std::_Exit(1);
}

} // namespace

void reportStartFailure(const std::string& name, const std::string& what) {
  std::fprintf(stderr, "%s: cannot start: %s\n", name.c_str(), what.c_str());
  std::fflush(stderr);
}

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

std::unique_ptr<QApplication> makeGuiApplication(int& argc, char** argv, const std::string& name) {
  startupName = name;
  startupWarnings.clear();
  QtMessageHandler previous = qInstallMessageHandler(startupMessageHandler);
  std::unique_ptr<QApplication> app;
  try {
    app = std::make_unique<QApplication>(argc, argv);
  } catch (...) {
    qInstallMessageHandler(previous);
    throw;
  }
  qInstallMessageHandler(previous);
  for (const QString& warning : startupWarnings)
    qWarning("%s", qPrintable(warning));
  startupWarnings.clear();
  return app;
}

bool ensureGuiApplication() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
  if (QCoreApplication::instance()) return false; // a non-GUI application object is in place
  if (!hasDisplay()) return false;
  static int argc = 1;
  static char name[] = "kiv";
  static char* argv[] = {name, nullptr};
  try {
    // Kept for the rest of the process: the caller's windows and panels may outlive any scope.
    static QApplication* app = makeGuiApplication(argc, argv, name).release();
    return app != nullptr;
  } catch (...) {
    return false; // out of memory: no application object, and a later call tries again
  }
}

bool userInterfaceAvailable() {
  if (!ensureGuiApplication()) return false;
  QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

} // namespace kiv::platform
