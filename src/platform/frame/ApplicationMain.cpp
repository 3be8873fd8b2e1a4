// The application loop over Qt: the main window comes from a Qt Designer file in the bundle's
// resources, the delegate from the program's registration.
#include "KivApplication.h"

#include "platform/bundle/Bundle.h"
#include "platform/files/PathText.h"
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
#include <QUiLoader>
#include <QWidget>

#include <atomic>
#include <csignal>
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

std::atomic<KivApplicationDelegateFactory> delegateFactory{nullptr};

// The application's name: CFBundleName of the main bundle, else the executable's name.
std::string applicationName(int argc, char* argv[]) {
  const std::string name = mainBundleInfoValue("CFBundleName")
                               .value_or(std::string(leafOf(argc > 0 && argv[0] ? argv[0] : "")));
  return name.empty() ? "application" : name;
}

// The caller's Qt application, or a new one in `own` for the length of the loop; null, with the
// reason on standard error, when there is no display or the caller's is not graphical.
QApplication* startApplication(const std::string& name, int& argc, char* argv[],
                               std::unique_ptr<QApplication>& own) {
  if (!hasDisplay()) {
    reportStartFailure(name, "no usable display (set DISPLAY or WAYLAND_DISPLAY to a running "
                             "display server, or QT_QPA_PLATFORM, for example to offscreen)");
    return nullptr;
  }
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return app;
  if (QCoreApplication::instance()) {
    reportStartFailure(name, "a non-graphical application object is already running");
    return nullptr;
  }
  own = makeGuiApplication(argc, argv, name);
  QCoreApplication::setApplicationName(QString::fromStdString(name));
  return own.get();
}

// The main window from the interface file that NSMainNibFile names (without its ".ui"
// extension) in the bundle's resources; null, with the reason on standard error, when there is
// none.
std::unique_ptr<QWidget> loadMainWindow(const std::string& name) {
  std::string nib = mainBundleInfoValue("NSMainNibFile").value_or("");
  if (nib.empty()) {
    reportStartFailure(name,
                       "the bundle's Info.plist names no main interface file (NSMainNibFile)");
    return nullptr;
  }
  if (nib.size() < 3 || nib.compare(nib.size() - 3, 3, ".ui") != 0) nib += ".ui";
  const std::string uiPath = joinPath(mainBundleResourcesPath(), nib);
  QFile uiFile(QString::fromStdString(uiPath));
  if (!uiFile.open(QIODevice::ReadOnly)) {
    reportStartFailure(name, "cannot read the interface file " + uiPath);
    return nullptr;
  }
  QUiLoader loader;
  std::unique_ptr<QWidget> window(loader.load(&uiFile));
  if (!window)
    reportStartFailure(name, "cannot load the interface file " + uiPath + ": " +
                                 loader.errorString().toStdString());
  return window;
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

// While it lives, closing the last window quits the loop only when the delegate agrees.
class LastWindowRule {
public:
  LastWindowRule(QApplication& app, NSApplicationDelegate& delegate, NSApplication& application)
      : app_(app), savedQuitOnClose_(app.quitOnLastWindowClosed()) {
    app.setQuitOnLastWindowClosed(false);
    connection_ = QObject::connect(&app, &QGuiApplication::lastWindowClosed, [&] {
      if (delegate.applicationShouldTerminateAfterLastWindowClosed(&application))
        QCoreApplication::quit();
    });
  }
  ~LastWindowRule() {
    QObject::disconnect(connection_);
    app_.setQuitOnLastWindowClosed(savedQuitOnClose_);
  }
  LastWindowRule(const LastWindowRule&) = delete;
  LastWindowRule& operator=(const LastWindowRule&) = delete;

private:
  QApplication& app_;
  bool savedQuitOnClose_;
  QMetaObject::Connection connection_;
};

// While it lives, SIGTERM and SIGINT end the loop normally: the handler only writes to a socket
// that the loop watches.
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
  char byte = 1;
  ssize_t ignored = ::write(signalPipe[1], &byte, 1);
  (void)ignored;
}

class TerminationSignals {
public:
  explicit TerminationSignals(QApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [&app] {
      char byte;
      ssize_t ignored = ::read(signalPipe[0], &byte, 1);
      (void)ignored;
      app.closeAllWindows();
      QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, &oldTerm_);
    sigaction(SIGINT, &action, &oldInt_);
    installed_ = true;
  }
  ~TerminationSignals() {
    if (!installed_) return;
    sigaction(SIGTERM, &oldTerm_, nullptr);
    sigaction(SIGINT, &oldInt_, nullptr);
    notifier_.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
  }
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
  std::unique_ptr<QSocketNotifier> notifier_;
  struct sigaction oldTerm_ {};
  struct sigaction oldInt_ {};
  bool installed_ = false;
};

// Connects the delegate to the window, titles the window, adds the application menu, shows the
// window and runs the loop; returns the loop's exit status.
int runLoop(QApplication& app, QWidget& window, NSApplicationDelegate& delegate,
            const std::string& name) {
  NSApplication application;
  application.app = &app;
  NSWindow mainWindow;
  mainWindow.widget = &window;
  delegate.setWindow(&mainWindow);

  window.setWindowTitle(QString::fromStdString(name));
  addApplicationMenu(&window, QString::fromStdString(name));
  LastWindowRule lastWindowRule(app, delegate, application);
  TerminationSignals termination(app);

  window.show();
  delegate.applicationDidFinishLaunching(nullptr);
  const int status = app.exec();
  delegate.setWindow(nullptr);
  return status;
}

} // namespace

QWidget* widgetOf(NSWindow* window) { return window ? window->widget.data() : nullptr; }

} // namespace kiv::platform

bool KivRegisterApplicationDelegate(KivApplicationDelegateFactory factory) {
  kiv::platform::delegateFactory.store(factory);
  return true;
}

int NSApplicationMain(int argc, char* argv[]) {
  using namespace kiv::platform;
  std::string name = "application";
  try {
    name = applicationName(argc, argv);
    std::unique_ptr<QApplication> ownApp;
    QApplication* app = startApplication(name, argc, argv, ownApp);
    if (!app) return 1;
    std::unique_ptr<QWidget> window = loadMainWindow(name);
    if (!window) return 1;
    KivApplicationDelegateFactory factory = delegateFactory.load();
    std::unique_ptr<NSApplicationDelegate> delegate(factory ? factory()
                                                            : new NSApplicationDelegate());
    return runLoop(*app, *window, *delegate, name);
  } catch (...) {
    reportStartFailure(name, "out of memory");
    return 1;
  }
}
