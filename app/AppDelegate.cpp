#include "AppDelegate.h"

// The application loop creates this delegate; registering it here keeps main a single call.
[[maybe_unused]] static const bool registered =
    KivRegisterApplicationDelegate([]() -> NSApplicationDelegate* { return new AppDelegate(); });

// Releases nothing: the window belongs to the application loop.
AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching(NSNotification*) {}

bool AppDelegate::applicationShouldTerminateAfterLastWindowClosed(NSApplication*) { return true; }

NSWindow* AppDelegate::window() const { return window_.load(); }

void AppDelegate::setWindow(NSWindow* window) { window_.store(window); }
