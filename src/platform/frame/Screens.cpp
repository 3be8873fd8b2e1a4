#include "platform/frame/Screens.h"

#include "platform/frame/GuiApplication.h"

#include <QGuiApplication>
#include <QScreen>

namespace kiv::platform {

ScreenFacts screenFacts() {
  ScreenFacts facts;
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && !ensureGuiApplication())
    return facts;
  facts.count = static_cast<int>(QGuiApplication::screens().size());
  if (QScreen* main = QGuiApplication::primaryScreen()) {
    QRectF frame = main->geometry().toRectF();
    facts.width = frame.width();
    facts.height = frame.height();
  }
  return facts;
}

} // namespace kiv::platform
