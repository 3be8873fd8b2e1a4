// The application loop over Qt: the main window comes from a Qt Designer file in the bundle's
// resources, the delegate from the program's registration.
#include "platform/bundle/Bundle.h"
#include "platform/frame/ApplicationFrame.h"
#include "platform/frame/GuiApplication.h"
#include "platform/frame/QtBridge.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeySequence>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QSocketNotifier>
#include <QStringList>
#include <QUiLoader>
#include <QWidget>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

class NSWindow {
public:
  QPointer<QWidget> widget;
};

class NSApplication {
public:
  QApplication* app = nullptr;
};

NSObject::~NSObject() = default;
NSApplicationDelegate::~NSApplicationDelegate() = default;
void NSApplicationDelegate::applicationDidFinishLaunching(NSNotification*) {}
bool NSApplicationDelegate::applicationShouldTerminateAfterLastWindowClosed(NSApplication*) {
  return false;
}
void NSApplicationDelegate::setWindow(NSWindow*) {}

namespace kiv::platform {

namespace {

std::atomic<DelegateFactory> delegateFactory{nullptr};

// The name used in start-up failure lines, and the warnings Qt gave while starting.
std::string startupName;
QStringList startupWarnings;

void reportFailure(const std::string& name, const std::string& what) {
  std::fprintf(stderr, "%s: cannot start: %s\n", name.c_str(), what.c_str());
  std::fflush(stderr);
}

// While the Qt application is being made, a fatal Qt message (no platform plugin could connect
// to the display) ends the process with one clear line and status 1 instead of an abort; other
// messages are held back so that a failing start prints only that line.
void startupMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    startupWarnings << message;
    return;
  }
  std::string detail = startupWarnings.isEmpty()
                           ? message.simplified().toStdString()
                           : startupWarnings.first().simplified().toStdString();
  reportFailure(startupName, "no usable display (" + detail + ")");
  std::_Exit(1);
}

// SIGTERM and SIGINT end the loop normally: the handler only writes to a pipe that the loop
// watches.
int signalPipe[2] = {-1, -1};
void onTerminationSignal(int) {
  char byte = 1;
  ssize_t ignored = ::write(signalPipe[1], &byte, 1);
  (void)ignored;
}

std::string baseName(const char* path) {
  std::string p = path ? path : "";
  size_t slash = p.find_last_of('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

// The standard About panel: the application's name and the bundle's version, from its Info.plist.
void showAboutPanel(QWidget* window, const QString& name) {
  const QString version =
      QString::fromStdString(mainBundleInfoValue("CFBundleShortVersionString").value_or(""));
  QMessageBox panel(QMessageBox::NoIcon, QObject::tr("About %1").arg(name),
                    version.isEmpty() ? name : QObject::tr("%1\nVersion %2").arg(name, version),
                    QMessageBox::Ok, window);
  panel.setObjectName("aboutPanel");
  panel.setTextFormat(Qt::PlainText);
  if (!QApplication::windowIcon().isNull())
    panel.setIconPixmap(QApplication::windowIcon().pixmap(64, 64));
  panel.exec();
}

void addApplicationMenu(QWidget* window, const QString& title) {
  QMenuBar* bar = nullptr;
  if (auto* main = qobject_cast<QMainWindow*>(window))
    bar = main->menuBar();
  else if (window->layout()) {
    bar = new QMenuBar(window);
    window->layout()->setMenuBar(bar);
  } else {
    bar = new QMenuBar(window);
  }
  QMenu* menu = bar->addMenu(title);
  QAction* about = menu->addAction(QObject::tr("About %1").arg(title));
  about->setObjectName("aboutAction");
  about->setMenuRole(QAction::AboutRole);
  QObject::connect(about, &QAction::triggered, window,
                   [window, title] { showAboutPanel(window, title); });
  menu->addSeparator();
  QAction* quit = menu->addAction(QObject::tr("Quit %1").arg(title));
  quit->setObjectName("quitAction");
  quit->setShortcut(QKeySequence::Quit);
  QObject::connect(quit, &QAction::triggered, [] { QCoreApplication::quit(); });
}

} // namespace

bool registerApplicationDelegate(DelegateFactory factory) {
  delegateFactory.store(factory);
  return true;
}

QWidget* widgetOf(NSWindow* window) { return window ? window->widget.data() : nullptr; }

} // namespace kiv::platform

int NSApplicationMain(int argc, char* argv[]) {
  using namespace kiv::platform;

  const std::string bundleName =
      mainBundleInfoValue("CFBundleName").value_or(baseName(argc > 0 ? argv[0] : nullptr));
  const std::string name = bundleName.empty() ? "application" : bundleName;

  if (!hasDisplay()) {
    reportFailure(name, "no usable display (set DISPLAY or WAYLAND_DISPLAY to a running display "
                        "server, or QT_QPA_PLATFORM, for example to offscreen)");
    return 1;
  }

  // The caller's application object, or our own for the length of the loop.
  std::unique_ptr<QApplication> ownApp;
  QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!app) {
    if (QCoreApplication::instance()) {
      reportFailure(name, "a non-graphical application object is already running");
      return 1;
    }
    startupName = name;
    startupWarnings.clear();
    QtMessageHandler previous = qInstallMessageHandler(startupMessageHandler);
    ownApp = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const QString& w : startupWarnings)
      qWarning("%s", qPrintable(w));
    startupWarnings.clear();
    app = ownApp.get();
    QCoreApplication::setApplicationName(QString::fromStdString(name));
  }

  // The main interface file: NSMainNibFile names it without its ".ui" extension.
  std::string nib = mainBundleInfoValue("NSMainNibFile").value_or("");
  if (nib.empty()) {
    reportFailure(name, "the bundle's Info.plist names no main interface file (NSMainNibFile)");
    return 1;
  }
  if (nib.size() < 3 || nib.compare(nib.size() - 3, 3, ".ui") != 0) nib += ".ui";
  const QString uiPath = QString::fromStdString(mainBundleResourcesPath() + "/" + nib);
  QFile uiFile(uiPath);
  if (!uiFile.open(QIODevice::ReadOnly)) {
    reportFailure(name, "cannot read the interface file " + uiPath.toStdString());
    return 1;
  }
  QUiLoader loader;
  std::unique_ptr<QWidget> window(loader.load(&uiFile));
  uiFile.close();
  if (!window) {
    reportFailure(name, "cannot load the interface file " + uiPath.toStdString() + ": " +
                            loader.errorString().toStdString());
    return 1;
  }

  DelegateFactory factory = delegateFactory.load();
  std::unique_ptr<NSApplicationDelegate> delegate(factory ? factory()
                                                          : new NSApplicationDelegate());
  NSApplication application;
  application.app = app;
  NSWindow mainWindow;
  mainWindow.widget = window.get();
  delegate->setWindow(&mainWindow);

  window->setWindowTitle(QString::fromStdString(name));
  addApplicationMenu(window.get(), QString::fromStdString(name));

  // Closing the last window quits only when the delegate says so.
  const bool savedQuitOnClose = app->quitOnLastWindowClosed();
  app->setQuitOnLastWindowClosed(false);
  QMetaObject::Connection lastClosed =
      QObject::connect(app, &QGuiApplication::lastWindowClosed, [&] {
        if (delegate->applicationShouldTerminateAfterLastWindowClosed(&application))
          QCoreApplication::quit();
      });

  std::unique_ptr<QSocketNotifier> signalNotifier;
  struct sigaction oldTerm {
  }, oldInt{};
  bool signalsInstalled = false;
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) == 0) {
    signalNotifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, [app] {
      char byte;
      ssize_t ignored = ::read(signalPipe[0], &byte, 1);
      (void)ignored;
      app->closeAllWindows();
      QCoreApplication::quit();
    });
    struct sigaction sa {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, &oldTerm);
    sigaction(SIGINT, &sa, &oldInt);
    signalsInstalled = true;
  }

  window->show();
  delegate->applicationDidFinishLaunching(nullptr);
  const int status = app->exec();

  if (signalsInstalled) {
    sigaction(SIGTERM, &oldTerm, nullptr);
    sigaction(SIGINT, &oldInt, nullptr);
    signalNotifier.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
  }
  QObject::disconnect(lastClosed);
  app->setQuitOnLastWindowClosed(savedQuitOnClose);
  delegate->setWindow(nullptr);
  delegate.reset();
  window.reset();
  return status;
}
