// Building the message of an alert from its localized template.
#pragma once

#include <string>

namespace kiv::ui {

// A C string argument of an alert as UTF-8: read in the system encoding, or, when its bytes are
// not valid there, as UTF-8, or failing that as Mac Roman (where every byte is a character), so
// that no argument is lost. Null reads as empty.
std::string alertArgumentText(const char* argument);

// The message: `templ` (UTF-8) with each "%s" replaced by the next of the `count` arguments
// (converted by alertArgumentText) and each "%%" by "%". Every other "%" sequence, and a "%s"
// left without an argument, is copied as written: the template comes from a catalog, and a
// conversion it should not hold must not read arguments that are not there.
std::string fillAlertMessage(const std::string& templ, const char* const* arguments, int count);

// The message of an alert whose template no catalog holds: the key, then the arguments that are
// not empty in parentheses, so that what the alert is about still shows:
// "KIV_ALERT_STRING_2 (a.xml, /tmp)". Without such arguments, the key alone.
std::string messageWithoutTemplate(const std::string& key, const char* const* arguments, int count);

} // namespace kiv::ui
