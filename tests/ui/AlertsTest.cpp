// Real alerts on the offscreen platform, answered from a timer; and alerts without a display.
#include "KivMisc_Frameworks.h"
#include "TestSupport.h"
#include "platform/frame/GuiApplication.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <unistd.h>

using kivtest::ScopedEnv;

namespace {

struct SeenAlert {
  QString title, text;
  QStringList buttons;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  Qt::TextFormat format = Qt::AutoText;
};

// Runs `call`, which shows an alert; a timer records the alert and presses the button captioned
// `press` (or dismisses the alert when there is none).
short answerAlert(const std::function<short()>& call, const QString& press, SeenAlert& seen) {
  QTimer timer;
  int ticks = 0;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || !box->isVisible()) continue;
      timer.stop();
      seen = {box->windowTitle(), box->text(), {}, box->icon(), box->textFormat()};
      QAbstractButton* target = nullptr;
      for (QAbstractButton* b : box->buttons()) {
        seen.buttons << b->text();
        if (b->text() == press) target = b;
      }
      target ? target->click() : box->reject();
      return;
    }
    if (++ticks > 500) timer.stop();
  });
  timer.start(10);
  return call();
}

class Alerts : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ASSERT_TRUE(kiv::platform::ensureGuiApplication());
  }
  ScopedEnv all_{"LC_ALL", "C.UTF-8"};
  ScopedEnv language_{"LANGUAGE", "en"};
};

char a[] = "a.xml", tmp[] = "/tmp", three[] = "three", four[] = "four";

} // namespace

TEST_F(Alerts, ButtonsAnswersAndLanguages) {
  auto withCancel = [] { return doCocoaAlert(7, a, tmp, three, four, true); };
  SeenAlert seen;
  EXPECT_EQ(answerAlert(withCancel, "Don't Save", seen), 0);
  EXPECT_EQ(seen.title, "Save Failed");
  EXPECT_EQ(seen.text, "File a.xml could not be saved to /tmp.");
  EXPECT_EQ(seen.icon, QMessageBox::Information);
  EXPECT_EQ(seen.buttons.size(), 2);
  EXPECT_TRUE(seen.buttons.contains("Save Again"));
  EXPECT_EQ(answerAlert(withCancel, "Save Again", seen), 1);

  // The catalog holds a cancel caption, but none is asked for.
  ScopedEnv german("LANGUAGE", "de");
  auto withoutCancel = [] { return doCocoaAlert(7, a, tmp, nullptr, nullptr, false); };
  EXPECT_EQ(answerAlert(withoutCancel, "Erneut sichern", seen), 1);
  EXPECT_EQ(seen.title, "Sichern fehlgeschlagen");
  EXPECT_EQ(seen.text, "Die Datei a.xml konnte nicht in /tmp gesichert werden.");
  EXPECT_EQ(seen.buttons, QStringList{"Erneut sichern"});
  // Dismissing a one-button alert is its default answer.
  EXPECT_EQ(answerAlert(withoutCancel, "", seen), 1);
}

TEST_F(Alerts, KeysAndTextsAsWritten) {
  // Negative numbers keep their sign in the keys; missing keys show themselves.
  auto minusOne = [] { return doCocoaAlert(-1, a, nullptr, nullptr, nullptr, true); };
  SeenAlert seen;
  EXPECT_EQ(answerAlert(minusOne, "KIV_ALERT_STRING_-1_Cancel", seen), 0);
  EXPECT_EQ(seen.title, "Minus One");
  EXPECT_EQ(seen.text, "Negative alert a.xml");
  EXPECT_TRUE(seen.buttons.contains("Fine"));

  auto missing = [] { return doCocoaAlert(12, nullptr, nullptr, nullptr, nullptr, false); };
  EXPECT_EQ(answerAlert(missing, "KIV_ALERT_STRING_12_OK", seen), 1);
  EXPECT_EQ(seen.title, "KIV_ALERT_STRING_12_Title");
  EXPECT_EQ(seen.text, "KIV_ALERT_STRING_12");

  // Stray conversions and markup in the catalog text are shown as written, percent signs in
  // arguments are kept, and "&" in a caption is not a shortcut marker.
  static char hundred[] = "100%";
  auto alert9 = [] { return doCocoaAlert(9, a, hundred, nullptr, nullptr, false); };
  EXPECT_EQ(answerAlert(alert9, "Save && Close", seen), 1);
  EXPECT_EQ(seen.title, "Copy <i>done</i>");
  EXPECT_EQ(seen.text, "Copied a.xml at %d% <b>%n</b> %@100%|%");
  EXPECT_EQ(seen.format, Qt::PlainText);
}

// Without a display nothing aborts: the alert goes to the console log and is answered with
// its cancel button where it has one, else with its default button.
TEST(AlertsNoDisplay, AnswerOnTheConsole) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto run = [] {
    setenv("LC_ALL", "C.UTF-8", 1);
    setenv("LANGUAGE", "en", 1);
    bool command = true, shift = true, option = true;
    KivCocoaGetKeys(command, shift, option);
    KivSysBeep();
    CocoaCopyToPasteboard(a);
    short withCancel = doCocoaAlert(7, a, tmp, nullptr, nullptr, true);
    short withoutCancel = doCocoaAlert(7, three, four, nullptr, nullptr, false);
    _exit(withCancel == 0 && withoutCancel == 1 && !command && !shift && !option ? 42 : 1);
  };
  const char* entries = "Alert \"Save Failed\": File a.xml could not be saved to /tmp\\. "
                        "\\[Save Again\\] \\[Don't Save\\]\n.*"
                        "Alert \"Save Failed\": File three could not be saved to four\\. "
                        "\\[Save Again\\]\n";
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
        run();
      },
      ::testing::ExitedWithCode(42), entries);
  // A display that is named but cannot be reached counts as none.
  kivtest::TempDir runtime;
  EXPECT_EXIT(
      {
        setenv("DISPLAY", ":97", 1);
        setenv("XDG_RUNTIME_DIR", runtime.str().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
        run();
      },
      ::testing::ExitedWithCode(42), entries);
}
