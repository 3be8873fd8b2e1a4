// Dates and times of day as Mac Roman text, formatted by ICU in the current locale and the
// system time zone.
#include "detail/DateTimeText.h"
#include "detail/DateTimePascal.h"

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/simpletz.h>
#include <unicode/smpdtfmt.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

#include "detail/CFString.h"
#include "detail/PascalStrings.h"
#include "system/DateTimeZone.h"

namespace {

// Room of every text, terminator included.
constexpr CFIndex kTextRoom = 104;

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

// The system time zone at the instant formatted, as a fixed offset: the texts show no zone
// name, so the offset is all the formatter needs.
icu::TimeZone* systemZoneAt(long posixTime) {
  long offset = kiv::datetime::zoneOffsetAt(static_cast<std::time_t>(posixTime));
  return new icu::SimpleTimeZone(static_cast<int32_t>(offset * 1000), icu::UnicodeString("local"));
}

// Writes text into dst as a Mac Roman C string of at most room bytes with its terminator.
// Spaces of other widths become plain spaces and invisible format characters (direction marks)
// are dropped; any other character Mac Roman lacks is written as '?'.
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

void DateToCStringN(long posixTime, short form, char* dst) {
  if (dst == nullptr) return;
  dst[0] = '\0';
  icu::DateFormat::EStyle style = form == 1   ? icu::DateFormat::kFull
                                  : form == 2 ? icu::DateFormat::kLong
                                              : icu::DateFormat::kShort;
  std::unique_ptr<icu::DateFormat> format(
      icu::DateFormat::createDateInstance(style, currentLocale()));
  if (!format) return;
  format->adoptTimeZone(systemZoneAt(posixTime));
  icu::UnicodeString text;
  // A time beyond the calendar's range formats as empty text.
  format->format(static_cast<UDate>(posixTime) * 1000.0, text);
  toMacRoman(text, dst, kTextRoom);
}

void TimeToCStringN(long posixTime, char* dst, bool withSeconds) {
  if (dst == nullptr) return;
  dst[0] = '\0';
  UErrorCode status = U_ZERO_ERROR;
  // The POSIX locale keeps the fixed pattern in ASCII digits whatever the user's locale.
  icu::SimpleDateFormat format(icu::UnicodeString(withSeconds ? "HH:mm:ss" : "HH:mm"),
                               icu::Locale("en_US_POSIX"), status);
  if (U_FAILURE(status)) return;
  format.adoptTimeZone(systemZoneAt(posixTime));
  icu::UnicodeString text;
  format.format(static_cast<UDate>(posixTime) * 1000.0, text);
  toMacRoman(text, dst, kTextRoom);
}

void DateToStringN(long posixTime, short form, unsigned char* dst) {
  if (dst == nullptr) return;
  char text[kTextRoom];
  DateToCStringN(posixTime, form, text);
  C2PStrCopy(text, dst);
}

void TimeToStringN(long posixTime, unsigned char* dst, bool withSeconds) {
  if (dst == nullptr) return;
  char text[kTextRoom];
  TimeToCStringN(posixTime, text, withSeconds);
  C2PStrCopy(text, dst);
}
