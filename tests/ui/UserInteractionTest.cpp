// Real alerts on the offscreen platform answered from a timer, alerts without a display, the
// modifier keys of the event being handled and the clipboard.
#include "KivMisc_Frameworks.h"
#include "TestSupport.h"
#include "platform/frame/GuiApplication.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <thread>
#include <unistd.h>

using kivtest::ScopedEnv;

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

class UserInteraction : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_TRUE(kiv::platform::ensureGuiApplication()); }
  ScopedEnv all_{"LC_ALL", "C.UTF-8"};
};

struct Alert {
  short answer;
  QString title, text;
  QStringList buttons; // sorted
  bool informationalPlainText;
};

// Shows an alert through `call`; a timer records it and presses the button captioned `press`
// (or dismisses the alert when there is none).
Alert answerAlert(const std::function<short()>& call, const QString& press) {
  Alert seen;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || !box->isVisible()) continue;
      timer.stop();
      seen.title = box->windowTitle();
      seen.text = box->text();
      seen.informationalPlainText =
          box->icon() == QMessageBox::Information && box->textFormat() == Qt::PlainText;
      QAbstractButton* target = nullptr;
      for (QAbstractButton* b : box->buttons()) {
        seen.buttons << b->text();
        if (b->text() == press) target = b;
      }
      seen.buttons.sort();
      target ? target->click() : box->reject();
      return;
    }
  });
  timer.start(10);
  seen.answer = call();
  return seen;
}

char a[] = "a.xml", tmp[] = "/tmp", three[] = "three", four[] = "four", hundred[] = "100%";

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
  std::function<void()> afterKey;

protected:
  // Key clicks with modifiers press the modifier keys first: only letters are counted.
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() < Qt::Key_A || event->key() > Qt::Key_Z) return;
    pressed = readKeys();
    if (afterKey) afterKey();
  }
  void mousePressEvent(QMouseEvent*) override { clicked = readKeys(); }
};

} // namespace

// Each button of each alert is pressed, and the alert dismissed: the default button answers 1,
// the cancel button 0, and dismissing answers as the cancel button where there is one.
TEST_F(UserInteraction, AlertsShowTheirTextsAndAnswerWithTheButtonPressed) {
  auto check = [](const char* language, short number, char* a1, char* a2, bool cancel,
                  const QString& ok, const QString& title, const QString& text,
                  QStringList buttons) {
    SCOPED_TRACE(std::string(language) + " alert " + std::to_string(number));
    ScopedEnv lang("LANGUAGE", language);
    buttons.sort();
    for (const QString& press : buttons + QStringList{""}) {
      Alert seen = answerAlert(
          [&] { return doCocoaAlert(number, a1, a2, nullptr, nullptr, cancel); }, press);
      EXPECT_EQ(seen.answer, press == ok || (press.isEmpty() && !cancel) ? 1 : 0)
          << press.toStdString();
      EXPECT_EQ(seen.title, title);
      EXPECT_EQ(seen.text, text);
      EXPECT_EQ(seen.buttons, buttons);
      EXPECT_TRUE(seen.informationalPlainText);
    }
  };
  // No French catalog: the bundle's development language, English, stands in.
  check("fr", 7, a, tmp, true, "Save Again", "Save Failed",
        "File a.xml could not be saved to /tmp.", {"Save Again", "Don't Save"});
  // The catalog holds a cancel caption, but none is asked for.
  check("de", 7, a, tmp, false, "Erneut sichern", "Sichern fehlgeschlagen",
        "Die Datei a.xml konnte nicht in /tmp gesichert werden.", {"Erneut sichern"});
  // Keys carry the number's sign; missing keys show themselves, a missing message with the
  // arguments after it.
  check("de", -1, a, nullptr, true, "Fine", "Minus One", "Negative alert a.xml",
        {"Fine", "KIV_ALERT_STRING_-1_Cancel"});
  check("en", 12, a, tmp, false, "KIV_ALERT_STRING_12_OK", "KIV_ALERT_STRING_12_Title",
        "KIV_ALERT_STRING_12 (a.xml, /tmp)", {"KIV_ALERT_STRING_12_OK"});
  // Stray conversions and markup in the catalog text are shown as written, percent signs in
  // arguments are kept, and "&" in a caption is not a shortcut marker.
  check("en", 9, a, hundred, false, "Save && Close", "Copy <i>done</i>",
        "Copied a.xml at %d% <b>%n</b> %@100%|%", {"Save && Close"});
}

// Without a display nothing aborts: the alert goes to the console log and is answered with its
// cancel button where it has one, else with its default button; the keys read all false. A
// display that is named but cannot be reached counts as none.
TEST(UserInteractionNoDisplay, AnswersOnTheConsole) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  kivtest::TempDir runtime;
  for (const char* display : {static_cast<const char*>(nullptr), ":97"}) {
    SCOPED_TRACE(display ? display : "no display");
    EXPECT_EXIT(
        {
          display ? setenv("DISPLAY", display, 1) : unsetenv("DISPLAY");
          setenv("XDG_RUNTIME_DIR", runtime.str().c_str(), 1);
          unsetenv("WAYLAND_DISPLAY");
          unsetenv("QT_QPA_PLATFORM");
          setenv("LC_ALL", "C.UTF-8", 1);
          unsetenv("LANGUAGE");
          Keys keys = readKeys();
          KivSysBeep();
          CocoaCopyToPasteboard(a);
          short withCancel = doCocoaAlert(7, a, tmp, nullptr, nullptr, true);
          short withoutCancel = doCocoaAlert(7, three, four, nullptr, nullptr, false);
          _exit(withCancel == 0 && withoutCancel == 1 && keys == none ? 42 : 1);
        },
        ::testing::ExitedWithCode(42),
        "Alert \"Save Failed\": File a.xml could not be saved to /tmp\\. "
        "\\[Save Again\\] \\[Don't Save\\]\n.*"
        "Alert \"Save Failed\": File three could not be saved to four\\. \\[Save Again\\]\n");
  }
}

TEST_F(UserInteraction, ModifiersOfTheEventBeingHandled) {
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

  // An event delivered by the loop is current while handled, and no longer once the loop has
  // gone back to waiting: a timer started by the handler fires after that.
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
  EXPECT_EQ(probe.pressed, Keys(false, true, true));
  EXPECT_EQ(later, none);
}

TEST_F(UserInteraction, PasteboardHoldsPlainText) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText("old contents");
  char text[] = "h\xC3\xA9llo w\xC3\xB6rld", broken[] = "a\xFF";
  CocoaCopyToPasteboard(text);
  EXPECT_EQ(clipboard->text(), QString::fromUtf8(text));
  ASSERT_NE(clipboard->mimeData(), nullptr);
  EXPECT_EQ(clipboard->mimeData()->formats(), QStringList{"text/plain"});
  CocoaCopyToPasteboard(broken);
  EXPECT_EQ(clipboard->text(), QString::fromUtf8("a\xEF\xBF\xBD"));
  CocoaCopyToPasteboard(nullptr);
  EXPECT_TRUE(clipboard->text().isEmpty());
}
