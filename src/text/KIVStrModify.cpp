// KIVStr: assignment, appending, case mapping and the sum of two strings.
#include "KIV_Str.h"

#include <cstdio>

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

} // namespace

void KIVStr::Empty() {
  CFIndex units = CFStringGetLength(text);
  if (units > 0) CFStringDelete(text, CFRangeMake(0, units));
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
  *this << s;
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
  int count = std::snprintf(digits, sizeof digits, "%d", n);
  if (count <= 0) return *this;
  if (asciiCompatible(encoding)) {
    UniChar units[12];
    for (int i = 0; i < count; ++i)
      units[i] = static_cast<unsigned char>(digits[i]);
    CFStringAppendCharacters(text, units, count);
  } else {
    CFStringAppendCString(text, digits, encoding);
  }
  return *this;
}

KIVStr& KIVStr::operator<<(short n) { return *this << static_cast<int>(n); }

KIVStr& KIVStr::operator<<(char c) {
  if (c == 0) return *this;
  const char bytes[2] = {c, 0};
  CFStringAppendCString(text, bytes, encoding);
  return *this;
}

KIVStr& KIVStr::operator<<(const char* s) {
  if (s && *s) CFStringAppendCString(text, s, encoding);
  return *this;
}

KIVStr& KIVStr::operator<<(const unsigned char* p) {
  if (p && p[0] != 0) CFStringAppendPascalString(text, p, encoding);
  return *this;
}

KIVStr& KIVStr::operator<<(unsigned short* u) {
  if (u && u[0] != 0) CFStringAppendCharacters(text, u + 1, u[0]);
  return *this;
}

KIVStr& KIVStr::operator<<(const __CFString* s) {
  if (s) CFStringAppend(text, s);
  return *this;
}

KIVStr& KIVStr::operator<<(KIVStr p) {
  if (p.encoding != encoding) {
    Report(kEncodingMismatch);
    return *this;
  }
  if (p.IsEmpty()) {
    Report(kEmptyOperand);
    return *this;
  }
  CFStringAppend(text, p.text);
  return *this;
}

void KIVStr::Upper() { CFStringUppercase(text, nullptr); }

void KIVStr::Lower() { CFStringLowercase(text, nullptr); }

KIVStr operator+(const KIVStr& a, const KIVStr& b) {
  KIVStr sum(a);
  sum << b;
  return sum;
}
