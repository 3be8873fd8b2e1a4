// KIVStr: three-way comparisons, exact and case-insensitive.
#include "KIV_Str.h"

namespace {

int sign(CFComparisonResult r) { return r < 0 ? -1 : (r > 0 ? 1 : 0); }

} // namespace

int KIVStr::Compare(const KIVStr& other) const {
  return sign(CFStringCompare(text, other.text, 0));
}

// The C string and Pascal string forms decode their argument in the system
// encoding, whatever this string's encoding is.
int KIVStr::Compare(const char* s) const { return Compare(KIVStr(s, nullptr)); }

int KIVStr::Compare(const unsigned char* p) const { return Compare(KIVStr(p, nullptr)); }

int KIVStr::CompareNoCase(const KIVStr& other) const {
  return sign(CFStringCompare(text, other.text, kCFCompareCaseInsensitive));
}

int KIVStr::CompareNoCase(const char* s) const { return CompareNoCase(KIVStr(s, nullptr)); }

int KIVStr::CompareNoCase(const unsigned char* p) const {
  return CompareNoCase(KIVStr(p, nullptr));
}
