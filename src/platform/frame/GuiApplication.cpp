#include "platform/frame/GuiApplication.h"
#include "platform/frame/DisplayProbe.h"

#include <QApplication>
#include <cstdlib>
#include <string>

namespace kiv::platform {

static bool isSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

bool hasDisplay() {
  return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM");
}

bool ensureGuiApplication() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
  if (QCoreApplication::instance()) return false; // a non-GUI application object is in place
  if (!hasDisplay()) return false;
  // Qt aborts when its platform plugin cannot start (an unreachable DISPLAY): start it only
  // with a platform that was checked to work, passed as "-platform".
  static std::string platform;
  if (platform.empty()) platform = usableGuiPlatform();
  if (platform.empty()) return false;
  // Qt keeps references to argc and argv for the application's lifetime.
  static int argc = 3;
  static char name[] = "kiv";
  static char option[] = "-platform";
  static char* argv[] = {name, option, platform.data(), nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return app != nullptr;
}

} // namespace kiv::platform
