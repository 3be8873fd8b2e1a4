// KIVStr: substrings, the suffix test and the byte-swapping members.
#include "KIV_Str.h"
#include "platform/string/SharedText.h"

namespace {

const char kMidPastEnd[] = "KIVStr::Mid() : start > length !!!";

} // namespace

void KIVStr::AppendUnitsOf(const KIVStr& source, long start, long count) {
  if (!kiv::platform::ownText(text)) return;
  UniChar chunk[256];
  while (count > 0) {
    long n = count < 256 ? count : 256;
    CFStringGetCharacters(source.text, CFRangeMake(start, n), chunk);
    CFStringAppendCharacters(text, chunk, n);
    start += n;
    count -= n;
  }
}

// Positions are taken as long so that texts past 32767 units are read where
// they are.
KIVStr KIVStr::Substring(long start, long count) const {
  KIVStr result(0, CFStringGetSystemEncoding(), nullptr);
  long units = Units();
  if (units <= start) {
    Report(kMidPastEnd);
    return result;
  }
  if (start < 0 || count <= 0) return result;
  if (start + count > units) count = units - start;
  result.AppendUnitsOf(*this, start, count);
  return result;
}

KIVStr KIVStr::Mid(short start, short count) const { return Substring(start, count); }

KIVStr KIVStr::Mid(short start) const { return Substring(start, Units() - start); }

KIVStr KIVStr::Left(short n) const { return Substring(0, n); }

KIVStr KIVStr::Right(short n) const {
  long units = Units();
  if (units > n) return Substring(units - n, n);
  return KIVStr(*this);
}

bool KIVEndsBy(KIVStr s, KIVStr suffix) {
  long n = suffix.Units();
  long units = s.Units();
  KIVStr tail = units > n ? s.Substring(units - n, n) : KIVStr(s);
  return tail.CompareNoCase(suffix) == 0;
}

void KIVStr::SwapBuffer(char* buffer, int n) {
  if (!buffer) return;
  for (int i = 0; i + 1 < n; i += 2) {
    char first = buffer[i];
    buffer[i] = buffer[i + 1];
    buffer[i + 1] = first;
  }
}

int KIVStr::strSwapLong(int value) {
  return static_cast<int>(__builtin_bswap32(static_cast<unsigned int>(value)));
}
