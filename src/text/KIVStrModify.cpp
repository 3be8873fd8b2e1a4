// KIVStr: assignment, appending, case mapping and the sum of two strings.
#include "KIV_Str.h"
#include "platform/string/SharedText.h"

using kiv::platform::ownText;

namespace {

const char kEncodingMismatch[] = "KIVStr::operator<<(KIVStr p) : p.encoding != this->encoding";
const char kEmptyOperand[] = "KIVStr::operator<<(KIVStr p) : p is empty";

// Encodings in which the digits and the minus sign are the ASCII bytes, so that
// a formatted number can be appended as UTF-16 units without going through the
// decoder.
bool asciiCompatible(CFStringEncoding encoding) {
  switch (encoding) {
  case kCFStringEncodingMacRoman:
  case kCFStringEncodingWindowsLatin1:
  case kCFStringEncodingShiftJIS:
  case kCFStringEncodingUTF8:
  case kCFStringEncodingASCII:
  case kCFStringEncodingISOLatin1:
    return true;
  default:
    return false;
  }
}

// Writes n in decimal as "%d" does (a minus sign, no leading zeros) and a terminator into
// digits (12 bytes); returns the number of characters.
int formatDecimal(int n, char* digits) {
  char reversed[10];
  unsigned magnitude = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
  int count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  int length = 0;
  if (n < 0) digits[length++] = '-';
  while (count > 0)
    digits[length++] = reversed[--count];
  digits[length] = '\0';
  return length;
}

} // namespace

void KIVStr::Empty() {
  CFIndex units = CFStringGetLength(text);
  if (units == 0) return;
  // A text that copies share is left to them rather than copied only to be emptied.
  if (kiv::platform::textShared(text)) {
    if (CFMutableStringRef fresh = CFStringCreateMutable(kCFAllocatorDefault, 0)) {
      CFRelease(text);
      text = fresh;
    }
    return;
  }
  CFStringDelete(text, CFRangeMake(0, units));
}

void KIVStr::Affect(const char* s) {
  Empty();
  *this << s;
}

void KIVStr::Affect(const unsigned char* p) {
  Empty();
  *this << p;
}

void KIVStr::Affect(int n) {
  Empty();
  *this << n;
}

void KIVStr::Affect(const KIVStr& s) {
  // Emptying first would leave nothing to copy: a string assigned to itself
  // keeps its text.
  if (&s == this) return;
  Empty();
  Append(s);
}

KIVStr& KIVStr::operator=(const char* s) {
  Affect(s);
  return *this;
}

KIVStr& KIVStr::operator=(const unsigned char* p) {
  Affect(p);
  return *this;
}

KIVStr& KIVStr::operator=(int n) {
  Affect(n);
  return *this;
}

KIVStr& KIVStr::operator=(const KIVStr& s) {
  Affect(s);
  return *this;
}

KIVStr& KIVStr::operator<<(int n) {
  char digits[12];
  const int count = formatDecimal(n, digits);
  if (asciiCompatible(encoding)) {
    UniChar units[12];
    for (int i = 0; i < count; ++i)
      units[i] = static_cast<unsigned char>(digits[i]);
    kiv::platform::appendUnits(text, units, static_cast<size_t>(count));
  } else {
    if (ownText(text)) CFStringAppendCString(text, digits, encoding);
  }
  return *this;
}

KIVStr& KIVStr::operator<<(short n) { return *this << static_cast<int>(n); }

KIVStr& KIVStr::operator<<(char c) {
  if (c == 0) return *this;
  const char bytes[2] = {c, 0};
  if (ownText(text)) CFStringAppendCString(text, bytes, encoding);
  return *this;
}

KIVStr& KIVStr::operator<<(const char* s) {
  if (s && *s && ownText(text)) CFStringAppendCString(text, s, encoding);
  return *this;
}

KIVStr& KIVStr::operator<<(const unsigned char* p) {
  if (p && p[0] != 0 && ownText(text)) CFStringAppendPascalString(text, p, encoding);
  return *this;
}

KIVStr& KIVStr::operator<<(unsigned short* u) {
  if (u && u[0] != 0 && ownText(text)) CFStringAppendCharacters(text, u + 1, u[0]);
  return *this;
}

KIVStr& KIVStr::operator<<(const __CFString* s) {
  if (s && ownText(text)) CFStringAppend(text, s);
  return *this;
}

KIVStr& KIVStr::operator<<(KIVStr p) {
  if (p.encoding != encoding)
    Report(kEncodingMismatch);
  else if (!kiv::platform::appendText(text, p.text, false))
    Report(kEmptyOperand);
  // The argument is a copy that ends with this call: the next copy of the same text takes its
  // reference over. Its text is then null, which its destructor passes over.
  kiv::platform::giveUpShare(p.text);
  return *this;
}

// operator<<(KIVStr) after Affect emptied the string, without the copy of its argument.
void KIVStr::Append(const KIVStr& p) {
  if (p.encoding != encoding) {
    Report(kEncodingMismatch);
    return;
  }
  // The string was emptied for the assignment: it shares the other's text, as a copy of it
  // would.
  if (!kiv::platform::appendText(text, p.text, true)) Report(kEmptyOperand);
}

void KIVStr::Upper() {
  if (ownText(text)) CFStringUppercase(text, nullptr);
}

void KIVStr::Lower() {
  if (ownText(text)) CFStringLowercase(text, nullptr);
}

KIVStr operator+(const KIVStr& a, const KIVStr& b) {
  KIVStr sum(a);
  sum << b;
  return sum;
}
