// A tiny application built against the installed library as any program would be: its delegate
// registered from a static initializer, its main the one call to NSApplicationMain. Once the
// loop runs, the delegate says so and sends the program SIGTERM, which the loop takes as a
// normal end.
#include <KivApplication.h>

#include <csignal>
#include <cstdio>

class TinyDelegate : public NSObject, public NSApplicationDelegate {
public:
  void applicationDidFinishLaunching(NSNotification*) override {
    std::printf("launched\n");
    std::fflush(stdout);
    std::raise(SIGTERM);
  }
};

static NSApplicationDelegate* makeDelegate() { return new TinyDelegate(); }
static const bool registered = KivRegisterApplicationDelegate(makeDelegate);

int main(int argc, char* argv[]) { return registered ? NSApplicationMain(argc, argv) : 1; }
