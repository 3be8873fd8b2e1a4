// The application frame as the program sees it: the application loop entry, the delegate
// protocol and opaque window and application handles. The Qt objects behind them stay inside the
// frame layer (see QtBridge.h for code that needs them).
#pragma once

class NSApplication;  // the running application
class NSWindow;       // a top-level window
class NSNotification; // the argument of notification messages; may be null

// The root of the delegate's class tree.
class NSObject {
public:
  virtual ~NSObject();
};

// What the application loop asks of its delegate. The defaults are the loop's own behaviour.
class NSApplicationDelegate {
public:
  virtual ~NSApplicationDelegate();
  // Called once the main window is shown, before the first event is dispatched.
  virtual void applicationDidFinishLaunching(NSNotification* notification);
  // Asked when the last window has closed: true quits the loop. Default: false.
  virtual bool applicationShouldTerminateAfterLastWindowClosed(NSApplication* sender);
  // Connects the interface file's top-level window (the outlet "window"). Default: ignored.
  virtual void setWindow(NSWindow* window);
};

namespace kiv::platform {

// Makes the application loop create its delegate with `factory`. A program registers its
// delegate class once, from a static initializer, so that its main stays the single call to
// NSApplicationMain. Returns true so that the result can initialise that static object.
using DelegateFactory = NSApplicationDelegate* (*)();
bool registerApplicationDelegate(DelegateFactory factory);

} // namespace kiv::platform

// Runs the application: creates the Qt application (or uses the caller's), reads the main
// bundle's Info.plist, loads the main interface file NSMainNibFile + ".ui" from the bundle's
// resources, creates the registered delegate, connects its window, titles the window with
// CFBundleName, adds an application menu with About (a panel with CFBundleName and
// CFBundleShortVersionString) and Quit, shows the window and runs the loop until Quit,
// until the last window closes and the delegate agrees, or until SIGTERM or SIGINT. Returns the
// loop's exit status (0 after a normal end). Without a display, or when the interface cannot be
// loaded, it writes one line to standard error and returns 1.
int NSApplicationMain(int argc, char* argv[]);
