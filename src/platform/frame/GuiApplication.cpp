#include "platform/frame/GuiApplication.h"

#include <QApplication>
#include <cstdlib>

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
  // Qt keeps references to argc and argv for the application's lifetime.
  static int argc = 1;
  static char name[] = "kiv";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return app != nullptr;
}

} // namespace kiv::platform
