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

namespace {

struct Keys {
  bool command = false, shift = false, option = false;
  bool operator==(const Keys& o) const {
    return command == o.command && shift == o.shift && option == o.option;
  }
};

void PrintTo(const Keys& k, std::ostream* os) {
  *os << "{command " << k.command << ", shift " << k.shift << ", option " << k.option << "}";
}

Keys readKeys() {
  Keys k{true, true, true};
  KivCocoaGetKeys(k.command, k.shift, k.option);
  return k;
}

// Reads the keys from inside its own key and mouse handlers.
class KeyProbe : public QWidget {
public:
  Keys pressed, clicked;
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

// Runs the event loop for `ms` milliseconds.
void runLoop(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

class UserInput : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ASSERT_TRUE(kiv::platform::ensureGuiApplication());
  }
};

} // namespace

TEST_F(UserInput, ModifiersOfTheEventBeingHandled) {
  runLoop(0);
  EXPECT_EQ(readKeys(), (Keys{false, false, false})) << "no event being handled";

  KeyProbe probe;
  QTest::keyClick(&probe, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(probe.pressed, (Keys{true, false, true}));
  QTest::keyClick(&probe, Qt::Key_A, Qt::ShiftModifier | Qt::MetaModifier);
  EXPECT_EQ(probe.pressed, (Keys{false, true, false}));
  QTest::mouseClick(&probe, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(probe.clicked, (Keys{true, true, false}));
  EXPECT_EQ(probe.presses, 2);

  // Only the thread that handles the events sees them.
  Keys elsewhere{true, true, true};
  std::thread other([&] { KivCocoaGetKeys(elsewhere.command, elsewhere.shift, elsewhere.option); });
  other.join();
  EXPECT_EQ(elsewhere, (Keys{false, false, false}));

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
  EXPECT_EQ(probe.pressed, (Keys{false, true, true}));
  EXPECT_EQ(later, (Keys{false, false, false}));
}

TEST_F(UserInput, PasteboardHoldsPlainText) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText("old contents");
  char text[] = "h\xC3\xA9llo w\xC3\xB6rld";
  CocoaCopyToPasteboard(text);
  EXPECT_EQ(clipboard->text(), QString::fromUtf8("h\xC3\xA9llo w\xC3\xB6rld"));
  const QMimeData* data = clipboard->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->hasText());
  EXPECT_FALSE(data->hasHtml());

  char broken[] = "a\xFF";
  CocoaCopyToPasteboard(broken);
  EXPECT_EQ(clipboard->text(), QString::fromUtf8("a\xEF\xBF\xBD"));

  CocoaCopyToPasteboard(nullptr);
  EXPECT_TRUE(clipboard->text().isEmpty());
}
