// The real application loop on the built bundle in-process, and the built executable as a child.
#include "AppDelegate.h"
#include "platform/bundle/Bundle.h"
#include "platform/frame/QtBridge.h"

#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

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

struct LoopRun {
  int status = -1;
  QWidget* window = nullptr;
  QString title;
  QStringList actions;
};
LoopRun run;
void (*afterClose)() = nullptr;

// Runs NSApplicationMain on the built bundle with a delegate of type D. Once the delegate's
// window is on screen it is recorded and closed, then afterClose runs inside the loop.
template <class D> LoopRun runLoop(void (*after)()) {
  run = LoopRun();
  afterClose = after;
  kivtest::ScopedEnv platform{"QT_QPA_PLATFORM", std::string("offscreen")};
  kiv::platform::setMainBundlePath(KIV_APP_BUNDLE_DIR);
  kiv::platform::registerApplicationDelegate([]() -> NSApplicationDelegate* {
    auto* d = new D();
    auto* poll = new QTimer();
    QObject::connect(poll, &QTimer::timeout, [poll, d] {
      QWidget* w = kiv::platform::widgetOf(d->window());
      if (!w || !w->isVisible()) return;
      poll->stop();
      poll->deleteLater();
      run.window = w;
      run.title = w->windowTitle();
      for (QAction* a : w->findChildren<QAction*>())
        run.actions << a->text();
      w->close();
      afterClose();
    });
    poll->start(10);
    return d;
  });
  static char name[] = "test_app";
  static char* argv[] = {name, nullptr};
  run.status = NSApplicationMain(1, argv);
  kiv::platform::setMainBundlePath("");
  kiv::platform::registerApplicationDelegate(
      []() -> NSApplicationDelegate* { return new AppDelegate(); });
  return run;
}

// Runs the built application with this process's environment less its display variables, plus
// `extra`; returns the wait status and fills `err` with its standard error.
int runApp(const std::vector<std::string>& extra, std::string& err,
           std::function<void(pid_t)> whileRunning = nullptr) {
  std::vector<std::string> env = extra;
  for (char** e = environ; *e; ++e) {
    std::string s = *e;
    if (s.rfind("DISPLAY=", 0) && s.rfind("WAYLAND_DISPLAY=", 0) && s.rfind("QT_QPA_PLATFORM=", 0))
      env.push_back(s);
  }
  std::vector<char*> envp;
  for (auto& e : env)
    envp.push_back(e.data());
  envp.push_back(nullptr);
  kivtest::TempDir dir;
  const std::string errPath = (dir.path() / "stderr").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  char* argv[] = {const_cast<char*>(KIV_APP_EXECUTABLE), nullptr};
  pid_t pid;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  if (whileRunning) whileRunning(pid);
  int status = 0;
  waitpid(pid, &status, 0);
  err = kivtest::readFile(errPath);
  return status;
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
  // If closing does not end the loop, a late timer ends it with a telling status.
  LoopRun r =
      runLoop<AppDelegate>([] { QTimer::singleShot(10000, [] { QCoreApplication::exit(99); }); });
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.window, nullptr);
  EXPECT_EQ(r.title, KIV_APP_NAME);
  EXPECT_TRUE(r.actions.contains(QString("Quit ") + KIV_APP_NAME))
      << r.actions.join(",").toStdString();

  struct StayingDelegate : AppDelegate {
    bool applicationShouldTerminateAfterLastWindowClosed(NSApplication*) override { return false; }
  };
  r = runLoop<StayingDelegate>([] { QTimer::singleShot(300, [] { QCoreApplication::exit(7); }); });
  EXPECT_EQ(r.status, 7) << "the loop must keep running when the delegate says no";
}

TEST(ApplicationShell, AppDelegateAnswersAndHoldsItsWindowWithoutOwningIt) {
  AppDelegate d;
  EXPECT_TRUE(d.applicationShouldTerminateAfterLastWindowClosed(nullptr));
  auto* fake = reinterpret_cast<NSWindow*>(&d); // never dereferenced: the setter only stores
  d.setWindow(fake);
  d.applicationDidFinishLaunching(nullptr);
  EXPECT_EQ(d.window(), fake);
  d.setWindow(nullptr);
  EXPECT_EQ(d.window(), nullptr);
}

TEST(ApplicationShell, BuiltApplicationEndsCleanlyOnTermination) {
  std::string err;
  bool reachedLoop = false;
  int status = runApp({"QT_QPA_PLATFORM=offscreen"}, err, [&](pid_t pid) {
    for (int i = 0; i < 600 && !(reachedLoop = catchesSigterm(pid)); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(pid, SIGTERM);
  });
  EXPECT_TRUE(reachedLoop) << err;
  ASSERT_TRUE(WIFEXITED(status)) << err;
  EXPECT_EQ(WEXITSTATUS(status), 0) << err;
}

// No display, a display that does not answer, a platform Qt cannot start (Qt's fatal error):
// each gives one line and status 1, never an abort.
TEST(ApplicationShell, WithoutADisplayTheApplicationSaysSoAndFails) {
  const std::vector<std::vector<std::string>> cases = {
      {}, {"DISPLAY=:97", "QT_QPA_PLATFORM=xcb"}, {"QT_QPA_PLATFORM=no-such-platform"}};
  for (const auto& env : cases) {
    SCOPED_TRACE(env.empty() ? "no display" : env.back());
    std::string err;
    int status = runApp(env, err);
    ASSERT_TRUE(WIFEXITED(status)) << err;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(err.find(KIV_APP_NAME ": cannot start: no usable display ("), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  }
}
