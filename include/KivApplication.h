/// \file
/// Module header KivApplication: the application frame, for a program's main and its delegate.
/// Compiles as C++11.
///
/// A program registers its delegate class once, from a static initializer, so that its main stays
/// the single call to NSApplicationMain:
///
/// \code
///   class AppDelegate : public NSObject, public NSApplicationDelegate { ... };
///   static const bool registered = KivRegisterApplicationDelegate(
///       []() -> NSApplicationDelegate* { return new AppDelegate(); });
///   int main(int argc, char* argv[]) { return NSApplicationMain(argc, argv); }
/// \endcode
///
/// The program runs as an application bundle `<Name>.app`: Contents/Info.plist names the main
/// interface file (NSMainNibFile, a Qt Designer file without its ".ui" extension) and the
/// application (CFBundleName, CFBundleShortVersionString), Contents/Resources/ holds that file, and
/// the executable is in Contents/Linux/. A program outside a bundle is its own bundle: its
/// resources are in a Resources/ folder beside it.
#ifndef KIV_KIVAPPLICATION_H
#define KIV_KIVAPPLICATION_H

#include "detail/Export.h"

/// \addtogroup KivApplication
/// @{

class NSApplication;  ///< the running application
class NSWindow;       ///< a top-level window
class NSNotification; ///< the argument of notification messages; may be null

/// The root of the delegate's class tree.
class KIV_API NSObject {
public:
  virtual ~NSObject();
};

/// What the application loop asks of its delegate. The defaults are the loop's own behaviour.
class KIV_API NSApplicationDelegate {
public:
  virtual ~NSApplicationDelegate();
  /// Called once the main window is shown, before the first event is dispatched.
  virtual void applicationDidFinishLaunching(NSNotification* notification);
  /// Asked when the last window has closed: true quits the loop. Default: false.
  virtual bool applicationShouldTerminateAfterLastWindowClosed(NSApplication* sender);
  /// Connects the interface file's top-level window (the outlet "window"). Default: ignored.
  virtual void setWindow(NSWindow* window);
};

/// Makes a new delegate; the application loop owns and deletes it.
typedef NSApplicationDelegate* (*KivApplicationDelegateFactory)();

/// Makes the application loop create its delegate with `factory` (a later registration replaces
/// an earlier one; without any the loop uses an NSApplicationDelegate). Returns true, so that the
/// result can initialise a static object.
KIV_API bool KivRegisterApplicationDelegate(KivApplicationDelegateFactory factory);

/// Runs the application: creates the application object (or uses the caller's Qt application),
/// reads the main bundle's Info.plist, loads the main interface file NSMainNibFile + ".ui" from the
/// bundle's resources, creates the registered delegate, connects its window, titles the window
/// with CFBundleName, adds an application menu with About (a panel with CFBundleName and
/// CFBundleShortVersionString) and Quit, shows the window and runs the loop until Quit, until the
/// last window closes and the delegate agrees, or until SIGTERM or SIGINT. Returns the loop's exit
/// status (0 after a normal end). Without a display, or when the interface cannot be loaded, it
/// writes one line to standard error ("<name>: cannot start: <reason>") and returns 1.
KIV_API int NSApplicationMain(int argc, char* argv[]);

/// @}

#endif
