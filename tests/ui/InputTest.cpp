// Modifier keys of the event being handled, and the clipboard.
#include "KivMisc_Frameworks.h"
#include "platform/frame/GuiApplication.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <functional>
#include <thread>
#include <tuple>

namespace {

// Command, Shift, Option.
using Keys = std::tuple<bool, bool, bool>;
const Keys none{false, false, false};

Keys readKeys() {
  bool command = true, shift = true, option = true;
  KivCocoaGetKeys(command, shift, option);
  return {command, shift, option};
}

// Reads the keys from inside its own key and mouse handlers.
class KeyProbe : public QWidget {
public:
  Keys pressed = none, clicked = none;
  int presses = 0;
  std::function<void()> afterKey;

protected:
  // Key clicks with modifiers press the modifier keys first: only letters are counted.
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() < Qt::Key_A || event->key() > Qt::Key_Z) return;
    pressed = readKeys();
    ++presses;
    if (afterKey) afterKey();
  }
  void mousePressEvent(QMouseEvent*) override { clicked = readKeys(); }
};

class UserInput : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ASSERT_TRUE(kiv::platform::ensureGuiApplication());
  }
};

} // namespace

TEST_F(UserInput, ModifiersOfTheEventBeingHandled) {
  QEventLoop idle;
  QTimer::singleShot(0, &idle, &QEventLoop::quit);
  idle.exec();
  EXPECT_EQ(readKeys(), none) << "no event being handled";

  KeyProbe probe;
  QTest::keyClick(&probe, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(probe.pressed, Keys(true, false, true));
  QTest::keyClick(&probe, Qt::Key_A, Qt::ShiftModifier | Qt::MetaModifier);
  EXPECT_EQ(probe.pressed, Keys(false, true, false));
  QTest::mouseClick(&probe, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(probe.clicked, Keys(true, true, false));

  // Only the thread that handles the events sees them.
  Keys elsewhere{true, true, true};
  std::thread([&] { elsewhere = readKeys(); }).join();
  EXPECT_EQ(elsewhere, none);

  // An event delivered by the loop is current while handled, and no longer once the loop
  // has gone back to waiting: a timer started by the handler fires after that.
  QEventLoop loop;
  Keys later{true, true, true};
  probe.afterKey = [&] {
    QTimer::singleShot(10, [&] {
      later = readKeys();
      loop.quit();
    });
  };
  QCoreApplication::postEvent(
      &probe, new QKeyEvent(QEvent::KeyPress, Qt::Key_B, Qt::ShiftModifier | Qt::AltModifier));
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(probe.presses, 3);
  EXPECT_EQ(probe.pressed, Keys(false, true, true));
  EXPECT_EQ(later, none);
}

TEST_F(UserInput, PasteboardHoldsPlainText) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText("old contents");
  char text[] = "h\xC3\xA9llo w\xC3\xB6rld";
  CocoaCopyToPasteboard(text);
  EXPECT_EQ(clipboard->text(), QString::fromUtf8(text));
  ASSERT_NE(clipboard->mimeData(), nullptr);
  EXPECT_EQ(clipboard->mimeData()->formats(), QStringList{"text/plain"});

  char broken[] = "a\xFF";
  CocoaCopyToPasteboard(broken);
  EXPECT_EQ(clipboard->text(), QString::fromUtf8("a\xEF\xBF\xBD"));
  CocoaCopyToPasteboard(nullptr);
  EXPECT_TRUE(clipboard->text().isEmpty());
}
