// The real application loop on the built bundle in-process, and the built executable as a child.
#include "AppDelegate.h"
#include "platform/bundle/Bundle.h"
#include "platform/frame/QtBridge.h"

#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <thread>

namespace {

struct LoopRun {
  int status = -1;
  QString title;
  QStringList actions;
  QString about; // the About panel's title and text, as "title|text"
};
LoopRun run;
void (*afterClose)() = nullptr;

// Runs NSApplicationMain on the bundle (the built one by default) with a delegate of type D.
// Once the delegate's window is on screen it is recorded, its About entry is chosen and the panel
// recorded and dismissed; then the window is closed and afterClose runs inside the loop.
template <class D>
LoopRun runLoop(void (*after)(), const std::string& bundle = KIV_APP_BUNDLE_DIR) {
  run = LoopRun();
  afterClose = after;
  kivtest::ScopedEnv platform{"QT_QPA_PLATFORM", std::string("offscreen")};
  kiv::platform::setMainBundlePath(bundle);
  KivRegisterApplicationDelegate([]() -> NSApplicationDelegate* {
    auto* d = new D();
    auto* poll = new QTimer();
    QObject::connect(poll, &QTimer::timeout, [poll, d] {
      QWidget* w = kiv::platform::widgetOf(d->window());
      if (!w || !w->isVisible()) return;
      poll->stop();
      poll->deleteLater();
      run.title = w->windowTitle();
      QAction* about = nullptr;
      for (QAction* a : w->findChildren<QAction*>()) {
        run.actions << a->text();
        if (a->objectName() == "aboutAction") about = a;
      }
      if (about) {
        // The panel runs modally inside trigger(): a timer reads and dismisses it.
        auto* panelPoll = new QTimer();
        QObject::connect(panelPoll, &QTimer::timeout, [panelPoll] {
          auto* panel = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
          if (!panel) return;
          panelPoll->stop();
          panelPoll->deleteLater();
          run.about = panel->windowTitle() + "|" + panel->text();
          panel->accept();
        });
        panelPoll->start(10);
        about->trigger();
      }
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
  return run;
}

// Runs the built application without this process's display variables, plus `extra`.
struct Child {
  bool exited; // by itself, within a minute
  int status;
  std::string err;
};
Child runApp(const QStringList& extra, std::function<void(qint64)> whileRunning = nullptr) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    env.remove(name);
  for (const QString& e : extra)
    env.insert(e.section('=', 0, 0), e.section('=', 1));
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(KIV_APP_EXECUTABLE, {});
  if (p.waitForStarted() && whileRunning) whileRunning(p.processId());
  const bool exited = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
  return {exited, p.exitCode(), p.readAllStandardError().toStdString()};
}

// Should closing not end the loop, a late timer ends it with a telling status.
void lateExit() {
  QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
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
  LoopRun r = runLoop<AppDelegate>(lateExit);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.title, KIV_APP_NAME);
  EXPECT_TRUE(r.actions.contains(QString("Quit ") + KIV_APP_NAME))
      << r.actions.join(",").toStdString();

  struct StayingDelegate : AppDelegate {
    bool applicationShouldTerminateAfterLastWindowClosed(NSApplication*) override { return false; }
  };
  r = runLoop<StayingDelegate>([] { QTimer::singleShot(300, [] { QCoreApplication::exit(7); }); });
  EXPECT_EQ(r.status, 7) << "the loop must keep running when the delegate says no";
}

// The About entry shows the name and the version that the bundle's Info.plist gives.
TEST(ApplicationShell, AboutShowsTheNameAndVersionFromTheBundlesInfoPlist) {
  kivtest::TempDir dir;
  const std::string bundle = (dir.path() / "Sample.app").string();
  dir.write(
      "Sample.app/Contents/Resources/MainWindow.ui",
      kivtest::readFile(std::string(KIV_APP_BUNDLE_DIR) + "/Contents/Resources/MainWindow.ui"));
  for (const char* version : {"<key>CFBundleShortVersionString</key><string>9.8.7</string>", ""}) {
    dir.write("Sample.app/Contents/Info.plist",
              std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                          "<key>CFBundleName</key><string>Sample &amp; Co</string>"
                          "<key>NSMainNibFile</key><string>MainWindow</string>") +
                  version + "</dict></plist>");
    LoopRun r = runLoop<AppDelegate>(lateExit, bundle);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.actions.contains("About Sample & Co")) << r.actions.join(",").toStdString();
    EXPECT_EQ(r.about.toStdString(), *version ? "About Sample & Co|Sample & Co\nVersion 9.8.7"
                                              : "About Sample & Co|Sample & Co");
  }
}

TEST(ApplicationShell, BuiltApplicationEndsCleanlyOnTermination) {
  bool reachedLoop = false;
  Child c = runApp({"QT_QPA_PLATFORM=offscreen"}, [&](qint64 pid) {
    for (int i = 0; i < 600 && !(reachedLoop = catchesSigterm(pid)); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(pid, SIGTERM);
  });
  EXPECT_TRUE(reachedLoop) << c.err;
  EXPECT_TRUE(c.exited) << c.err;
  EXPECT_EQ(c.status, 0) << c.err;
}

// No display, a display that does not answer, a platform Qt cannot start (Qt's fatal error):
// each gives one line and status 1, never an abort.
TEST(ApplicationShell, WithoutADisplayTheApplicationSaysSoAndFails) {
  for (const QStringList& env : {QStringList{}, QStringList{"DISPLAY=:97", "QT_QPA_PLATFORM=xcb"},
                                 QStringList{"QT_QPA_PLATFORM=no-such-platform"}}) {
    SCOPED_TRACE(env.join(" ").toStdString());
    Child c = runApp(env);
    EXPECT_TRUE(c.exited) << c.err;
    EXPECT_EQ(c.status, 1);
    EXPECT_EQ(c.err.find(KIV_APP_NAME ": cannot start: no usable display ("), 0u) << c.err;
    EXPECT_EQ(std::count(c.err.begin(), c.err.end(), '\n'), 1) << c.err;
  }
}
