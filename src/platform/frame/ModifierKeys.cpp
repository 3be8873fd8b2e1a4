#include "platform/frame/ModifierKeys.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QInputEvent>
#include <QPointer>
#include <QThread>

namespace {

// The modifiers of the input event being handled. Written and read on the application's
// thread only: the recorder runs there and inputModifiers answers nothing elsewhere.
bool haveCurrentEvent = false;
Qt::KeyboardModifiers currentModifiers;

// Sees every event delivered on the application's thread before its receiver does, and keeps
// the modifiers of the last input event. The record ends when the thread's event loop is about
// to wait for more events: the event has been handled by then.
class InputEventRecorder : public QObject {
public:
  using QObject::QObject;
  ~InputEventRecorder() override { haveCurrentEvent = false; }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->isInputEvent()) {
      currentModifiers = static_cast<QInputEvent*>(event)->modifiers();
      haveCurrentEvent = true;
      watchIdle();
    }
    return QObject::eventFilter(watched, event);
  }

private:
  void watchIdle() {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread());
    if (!dispatcher || dispatcher == watchedDispatcher_) return;
    watchedDispatcher_ = dispatcher;
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                     [] { haveCurrentEvent = false; });
  }

  QPointer<QAbstractEventDispatcher> watchedDispatcher_;
};

// Called when an application object is made (or at once when one exists): every event of its
// thread passes the recorder from then on.
void installInputEventRecorder() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  app->installEventFilter(new InputEventRecorder(app));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installInputEventRecorder)

namespace kiv::platform {

void inputModifiers(bool& control, bool& shift, bool& alt) {
  control = shift = alt = false;
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() != app->thread() || !haveCurrentEvent) return;
  control = currentModifiers.testFlag(Qt::ControlModifier);
  shift = currentModifiers.testFlag(Qt::ShiftModifier);
  alt = currentModifiers.testFlag(Qt::AltModifier);
}

} // namespace kiv::platform
