// The application's delegate: it does no work of its own, keeps a non-owning reference to the
// main window and lets the application quit when that window closes.
#pragma once

#include <KivApplication.h>

#include <atomic>

class AppDelegate : public NSObject, public NSApplicationDelegate {
public:
  AppDelegate() = default;
  ~AppDelegate() override;

  // Does nothing.
  void applicationDidFinishLaunching(NSNotification* notification) override;
  // Yes: closing the main window quits the application.
  bool applicationShouldTerminateAfterLastWindowClosed(NSApplication* sender) override;

  // The main window, connected when the interface file is loaded. Atomic and non-owning: the
  // setter stores the reference without taking or giving up ownership of any window.
  NSWindow* window() const;
  void setWindow(NSWindow* window) override;

private:
  std::atomic<NSWindow*> window_{nullptr};
};
