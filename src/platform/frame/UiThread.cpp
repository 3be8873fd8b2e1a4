#include "ui/UiThread.h"

#include "platform/frame/GuiApplication.h"

#include <QCoreApplication>
#include <QThread>

namespace kiv::ui {

bool userInterfaceAvailable() {
  if (!kiv::platform::ensureGuiApplication()) return false;
  QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

} // namespace kiv::ui
