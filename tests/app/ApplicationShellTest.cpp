#include "AppDelegate.h"
#include "platform/bundle/Bundle.h"
#include "platform/frame/QtBridge.h"

#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using kiv::platform::widgetOf;

// What the in-process tests saw while the loop ran.
struct Observed {
  AppDelegate* delegate = nullptr;
  QWidget* window = nullptr;
  QString title;
  QStringList menuActions;
  bool stillRunningAfterClose = false;
};
Observed seen;

// Points the main bundle at the built application bundle for the length of a test.
struct UseBuiltBundle {
  kivtest::ScopedEnv platform{"QT_QPA_PLATFORM", std::string("offscreen")};
  UseBuiltBundle() {
    seen = Observed();
    kiv::platform::setMainBundlePath(KIV_APP_BUNDLE_DIR);
  }
  ~UseBuiltBundle() {
    kiv::platform::setMainBundlePath("");
    kiv::platform::registerApplicationDelegate(
        []() -> NSApplicationDelegate* { return new AppDelegate(); });
  }
};

// Waits, from inside the loop, until the delegate's window is on screen, records it and closes
// it; then calls `after`.
void closeWindowOnceShown(AppDelegate* d, std::function<void()> after) {
  auto* poll = new QTimer();
  QObject::connect(poll, &QTimer::timeout, [poll, d, after] {
    QWidget* w = widgetOf(d->window());
    if (!w || !w->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    seen.window = w;
    seen.title = w->windowTitle();
    if (auto* main = qobject_cast<QMainWindow*>(w))
      for (QAction* menu : main->menuBar()->actions())
        if (menu->menu())
          for (QAction* a : menu->menu()->actions())
            seen.menuActions << a->text();
    w->close();
    after();
  });
  poll->start(10);
}

int runLoop() {
  static char name[] = "test_app";
  static char* argv[] = {name, nullptr};
  return NSApplicationMain(1, argv);
}

// Runs `exe` with `env` as its whole environment; returns the wait status and its stderr.
int runChild(const std::string& exe, const std::vector<std::string>& env, std::string& err,
             std::function<void(pid_t)> whileRunning = nullptr) {
  kivtest::TempDir dir;
  std::string errPath = (dir.path() / "stderr").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  std::vector<char*> argv{const_cast<char*>(exe.c_str()), nullptr};
  std::vector<char*> envp;
  for (const auto& e : env)
    envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid;
  int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  if (whileRunning) whileRunning(pid);
  int status = 0;
  waitpid(pid, &status, 0);
  err = kivtest::readFile(errPath);
  return status;
}

// The environment a child needs besides the display variables (sanitizer options, paths).
std::vector<std::string> baseEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string s = *e;
    if (s.rfind("DISPLAY=", 0) == 0 || s.rfind("WAYLAND_DISPLAY=", 0) == 0 ||
        s.rfind("QT_QPA_PLATFORM=", 0) == 0)
      continue;
    env.push_back(s);
  }
  return env;
}

// True once `pid` has a handler for SIGTERM, that is, once the application loop is set up.
bool catchesSigterm(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("SigCgt:", 0) == 0)
      return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
  return false;
}

} // namespace

TEST(ApplicationShell, ClosingTheMainWindowEndsTheLoopWithStatusZero) {
  UseBuiltBundle bundle;
  kiv::platform::registerApplicationDelegate([]() -> NSApplicationDelegate* {
    auto* d = new AppDelegate();
    seen.delegate = d;
    // If closing the window does not end the loop, a late timer ends it with a telling status.
    closeWindowOnceShown(d, [] { QTimer::singleShot(10000, [] { QCoreApplication::exit(99); }); });
    return d;
  });
  EXPECT_EQ(runLoop(), 0);
  ASSERT_NE(seen.delegate, nullptr);
  EXPECT_NE(seen.window, nullptr);
  EXPECT_EQ(seen.title, KIV_APP_NAME);
  EXPECT_TRUE(seen.menuActions.contains(QString("Quit ") + KIV_APP_NAME))
      << seen.menuActions.join(",").toStdString();
}

TEST(ApplicationShell, LoopKeepsRunningWhenTheDelegateSaysNo) {
  struct StayingDelegate : AppDelegate {
    bool applicationShouldTerminateAfterLastWindowClosed(NSApplication*) override { return false; }
  };
  UseBuiltBundle bundle;
  kiv::platform::registerApplicationDelegate([]() -> NSApplicationDelegate* {
    auto* d = new StayingDelegate();
    closeWindowOnceShown(d, [] {
      QTimer::singleShot(300, [] {
        seen.stillRunningAfterClose = true;
        QCoreApplication::exit(7);
      });
    });
    return d;
  });
  EXPECT_EQ(runLoop(), 7);
  EXPECT_TRUE(seen.stillRunningAfterClose);
}

TEST(ApplicationShell, AppDelegateAnswersAndHoldsItsWindowWithoutOwningIt) {
  AppDelegate d;
  EXPECT_EQ(d.window(), nullptr);
  EXPECT_TRUE(d.applicationShouldTerminateAfterLastWindowClosed(nullptr));
  auto* fake = reinterpret_cast<NSWindow*>(&d); // never dereferenced: the setter only stores
  d.setWindow(fake);
  EXPECT_EQ(d.window(), fake);
  d.applicationDidFinishLaunching(nullptr);
  EXPECT_EQ(d.window(), fake);
  d.setWindow(nullptr);
  EXPECT_EQ(d.window(), nullptr);
}

TEST(ApplicationShell, BuiltApplicationEndsCleanlyOnTermination) {
  std::vector<std::string> env = baseEnvironment();
  env.push_back("QT_QPA_PLATFORM=offscreen");
  std::string err;
  bool reachedLoop = false;
  int status = runChild(KIV_APP_EXECUTABLE, env, err, [&](pid_t pid) {
    for (int i = 0; i < 600 && !reachedLoop; ++i) {
      reachedLoop = catchesSigterm(pid);
      if (!reachedLoop) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGTERM);
  });
  EXPECT_TRUE(reachedLoop) << err;
  ASSERT_TRUE(WIFEXITED(status)) << err;
  EXPECT_EQ(WEXITSTATUS(status), 0) << err;
}

TEST(ApplicationShell, WithoutADisplayTheApplicationSaysSoAndFails) {
  std::string err;
  int status = runChild(KIV_APP_EXECUTABLE, baseEnvironment(), err);
  ASSERT_TRUE(WIFEXITED(status)) << err;
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(err.find(KIV_APP_NAME ": cannot start: no usable display"), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

  // A display that does not answer: still one line and status 1, not an abort.
  std::vector<std::string> env = baseEnvironment();
  env.push_back("DISPLAY=:97");
  env.push_back("QT_QPA_PLATFORM=xcb");
  status = runChild(KIV_APP_EXECUTABLE, env, err);
  ASSERT_TRUE(WIFEXITED(status)) << err;
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(err.find(KIV_APP_NAME ": cannot start: no usable display"), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

  // A platform Qt cannot start: Qt's fatal error becomes the same single line, not an abort.
  env = baseEnvironment();
  env.push_back("QT_QPA_PLATFORM=no-such-platform");
  status = runChild(KIV_APP_EXECUTABLE, env, err);
  ASSERT_TRUE(WIFEXITED(status)) << err;
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(err.find(KIV_APP_NAME ": cannot start: no usable display ("), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}
