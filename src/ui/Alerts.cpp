// Alerts whose texts come from the localized strings table, and the alert sound.
#include "detail/Alerts.h"

#include "detail/Console.h"
#include "platform/frame/AlertPanel.h"
#include "platform/memory/NoThrow.h"
#include "ui/AlertMessage.h"
#include "ui/LocalizedStrings.h"

#include <string>

namespace {

// Without a user interface the alert is written to the console log and answered with its
// cancel button if it has one, else with its default button.
short answerOnConsole(const std::string& title, const std::string& message, const std::string& ok,
                      const std::string& cancel) {
  std::string entry = "Alert \"" + title + "\": " + message + " [" + ok + "]";
  if (!cancel.empty()) entry += " [" + cancel + "]";
  __SendToConsole(entry.c_str());
  return cancel.empty() ? 1 : 0;
}

} // namespace

short doCocoaAlert(short alertNumber, char* arg1, char* arg2, char* arg3, char* arg4,
                   bool withCancel) {
  try {
    const std::string base = "KIV_ALERT_STRING_" + std::to_string(alertNumber);
    const char* arguments[4] = {arg1, arg2, arg3, arg4};
    // A template that no catalog holds leaves the key: the arguments are shown after it.
    std::string templ = kiv::ui::localizedString(base.c_str());
    std::string message = templ == base ? kiv::ui::messageWithoutTemplate(base, arguments, 4)
                                        : kiv::ui::fillAlertMessage(templ, arguments, 4);
    std::string title = kiv::ui::localizedString((base + "_Title").c_str());
    std::string ok = kiv::ui::localizedString((base + "_OK").c_str());
    // Without a cancel button there is no cancel key: the lookup without a key yields the empty
    // caption, which asks for no second button.
    std::string cancel =
        kiv::ui::localizedString(withCancel ? (base + "_Cancel").c_str() : nullptr);
    if (auto answer = kiv::platform::runAlertPanel(title, message, ok, cancel)) return *answer;
    return answerOnConsole(title, message, ok, cancel);
  } catch (...) {
    // Out of memory while building the texts: answer as an alert that could not be shown.
    return withCancel ? 0 : 1;
  }
}

void KivSysBeep() {
  kiv::platform::noThrow([] { kiv::platform::beep(); });
}
