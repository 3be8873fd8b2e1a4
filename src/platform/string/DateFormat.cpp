#include "platform/string/DateFormat.h"

#include "detail/CFString.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/simpletz.h>
#include <unicode/smpdtfmt.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

namespace kiv::platform {

namespace {

// The locale that selects date formats: the first of LC_ALL, LC_TIME and LANG that is set and
// not empty, as the C library takes it, without its encoding and modifier parts.
icu::Locale currentLocale() {
  const char* value = nullptr;
  for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
    value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') break;
    value = nullptr;
  }
  std::string id = value != nullptr ? value : "";
  id = id.substr(0, id.find_first_of(".@"));
  if (id.empty() || id == "C" || id == "POSIX") return icu::Locale("en_US_POSIX");
  icu::Locale locale(id.c_str());
  return locale.isBogus() ? icu::Locale("en_US_POSIX") : locale;
}

// The zone at the instant formatted, as a fixed offset: the texts show no zone name, so the
// offset is all the formatter needs.
icu::TimeZone* zoneWithOffset(long offset) {
  return new icu::SimpleTimeZone(static_cast<int32_t>(offset * 1000), icu::UnicodeString("local"));
}

// Writes text into dst as a Mac Roman C string of at most room bytes with its terminator.
void toMacRoman(const icu::UnicodeString& text, char* dst, CFIndex room) {
  dst[0] = '\0';
  icu::UnicodeString clean;
  for (int32_t i = 0; i < text.length();) {
    UChar32 c = text.char32At(i);
    i += U16_LENGTH(c);
    int8_t type = u_charType(c);
    if (type == U_FORMAT_CHAR) continue;
    if (type == U_SPACE_SEPARATOR && c != 0x00A0) c = 0x0020;
    clean.append(c);
  }
  CFStringRef string = CFStringCreateWithCharacters(
      nullptr, reinterpret_cast<const UniChar*>(clean.getBuffer()), clean.length());
  if (string == nullptr) return;
  const CFIndex length = CFStringGetLength(string);
  CFIndex at = 0, used = 0;
  while (at < length && used < room - 1) {
    CFIndex bytes = 0;
    CFIndex units =
        CFStringGetBytes(string, CFRangeMake(at, length - at), kCFStringEncodingMacRoman, 0, false,
                         reinterpret_cast<UInt8*>(dst) + used, room - 1 - used, &bytes);
    at += units;
    used += bytes;
    if (units == 0 && at < length && used < room - 1) {
      // The conversion stopped at a character without a Mac Roman form.
      dst[used++] = '?';
      at += (U16_IS_LEAD(clean[at]) && at + 1 < length && U16_IS_TRAIL(clean[at + 1])) ? 2 : 1;
    }
  }
  dst[used] = '\0';
  CFRelease(string);
}

} // namespace

void formatDate(long posixTime, DateStyle style, long zoneOffset, char* dst, long room) {
  if (dst == nullptr || room <= 0) return;
  dst[0] = '\0';
  icu::DateFormat::EStyle icuStyle = style == DateStyle::full    ? icu::DateFormat::kFull
                                     : style == DateStyle::long_ ? icu::DateFormat::kLong
                                                                 : icu::DateFormat::kShort;
  std::unique_ptr<icu::DateFormat> format(
      icu::DateFormat::createDateInstance(icuStyle, currentLocale()));
  if (!format) return;
  format->adoptTimeZone(zoneWithOffset(zoneOffset));
  icu::UnicodeString text;
  // A time beyond the calendar's range formats as empty text.
  format->format(static_cast<UDate>(posixTime) * 1000.0, text);
  toMacRoman(text, dst, room);
}

void formatTimeOfDay(long posixTime, bool withSeconds, long zoneOffset, char* dst, long room) {
  if (dst == nullptr || room <= 0) return;
  dst[0] = '\0';
  UErrorCode status = U_ZERO_ERROR;
  // The POSIX locale keeps the fixed pattern in ASCII digits whatever the user's locale.
  icu::SimpleDateFormat format(icu::UnicodeString(withSeconds ? "HH:mm:ss" : "HH:mm"),
                               icu::Locale("en_US_POSIX"), status);
  if (U_FAILURE(status)) return;
  format.adoptTimeZone(zoneWithOffset(zoneOffset));
  icu::UnicodeString text;
  format.format(static_cast<UDate>(posixTime) * 1000.0, text);
  toMacRoman(text, dst, room);
}

} // namespace kiv::platform
