#include "ui/AlertMessage.h"

#include "detail/CFString.h"

#include <vector>

namespace kiv::ui {

namespace {

// The UTF-8 form of a platform string; empty when it has none.
std::string utf8Of(CFStringRef text) {
  // A UTF-16 unit never takes more than 3 UTF-8 bytes (a surrogate pair takes 4 for 2 units).
  std::vector<char> buffer(static_cast<size_t>(CFStringGetLength(text)) * 3 + 1);
  if (!CFStringGetCString(text, buffer.data(), static_cast<CFIndex>(buffer.size()),
                          kCFStringEncodingUTF8))
    return std::string();
  return buffer.data();
}

} // namespace

std::string alertArgumentText(const char* argument) {
  if (!argument || !*argument) return std::string();
  const CFStringEncoding encodings[] = {CFStringGetSystemEncoding(), kCFStringEncodingUTF8,
                                        kCFStringEncodingMacRoman};
  for (CFStringEncoding encoding : encodings) {
    if (CFStringRef text = CFStringCreateWithCString(kCFAllocatorDefault, argument, encoding)) {
      std::string utf8 = utf8Of(text);
      CFRelease(text);
      return utf8;
    }
  }
  return std::string();
}

std::string fillAlertMessage(const std::string& templ, const char* const* arguments, int count) {
  std::string message;
  message.reserve(templ.size());
  int next = 0;
  for (size_t i = 0; i < templ.size(); ++i) {
    if (templ[i] == '%' && i + 1 < templ.size()) {
      char conversion = templ[i + 1];
      if (conversion == '%') {
        message += '%';
        ++i;
        continue;
      }
      if (conversion == 's' && next < count) {
        message += alertArgumentText(arguments ? arguments[next] : nullptr);
        ++next;
        ++i;
        continue;
      }
    }
    message += templ[i];
  }
  return message;
}

std::string messageWithoutTemplate(const std::string& key, const char* const* arguments,
                                   int count) {
  std::string shown;
  for (int i = 0; arguments && i < count; ++i) {
    std::string text = alertArgumentText(arguments[i]);
    if (text.empty()) continue;
    shown += shown.empty() ? " (" : ", ";
    shown += text;
  }
  return shown.empty() ? key : key + shown + ")";
}

} // namespace kiv::ui
