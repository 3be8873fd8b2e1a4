// A Qt program that asks a localized question with doCocoaAlert: whether to save a document
// before closing it.
//
//   ask [document name] [--timeout seconds]
//
// The question, its title and its buttons are the alert number 1 of the program's localized
// strings table: Resources/locale/<language>/LC_MESSAGES/Localizable.mo beside the executable,
// compiled from po/<language>.po; the language follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG.
// With --timeout, a question nobody answers in time is closed, which answers it with its cancel
// button. Without a display the library writes the question to the console log and answers with
// the cancel button.
//
// Exit status: 0 when the answer is to save, 1 when it is not to, 2 for a usage error.
#include <Kiv.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const short kSaveChangesAlert = 1;

bool displayConfigured() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

} // namespace

int main(int argc, char* argv[]) {
  const char* document = "Untitled";
  int timeout = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
      timeout = std::atoi(argv[++i]);
      if (timeout < 1) {
        std::fprintf(stderr, "ask: the time-out is a number of seconds above 0\n");
        return 2;
      }
    } else if (argv[i][0] == '-') {
      std::fprintf(stderr, "usage: ask [document name] [--timeout seconds]\n");
      return 2;
    } else {
      document = argv[i];
    }
  }

  // The program's own application object, when there is a display for it. Without one the
  // library answers on the console, so the question is asked either way.
  std::unique_ptr<QApplication> app;
  if (displayConfigured()) app = std::make_unique<QApplication>(argc, argv);

  // The alert runs modally inside doCocoaAlert; a timer set beforehand fires while it is shown.
  if (app && timeout > 0) {
    QTimer::singleShot(timeout * 1000, [timeout] {
      if (QWidget* alert = QApplication::activeModalWidget()) {
        std::fprintf(stderr, "ask: no answer to \"%s\" after %d s\n",
                     alert->windowTitle().toUtf8().constData(), timeout);
        alert->close();
      }
    });
  }

  short answer =
      doCocoaAlert(kSaveChangesAlert, const_cast<char*>(document), nullptr, nullptr, nullptr, true);
  std::printf("%s\n", answer == 1 ? "save" : "do not save");
  return answer == 1 ? 0 : 1;
}
