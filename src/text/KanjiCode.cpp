// Guessing the Japanese encoding of a byte string from escape sequences and byte ranges.
#include <cstring>

#include "detail/CharSets.h"

namespace {

constexpr unsigned char kEsc = 0x1B;

constexpr bool in(unsigned char c, unsigned char lo, unsigned char hi) {
  return c >= lo && c <= hi;
}

// Lead bytes that only Shift-JIS uses.
constexpr bool sjisOnlyLead(unsigned char c) { return in(c, 0x81, 0x8D) || in(c, 0x8F, 0x9F); }

enum KanjiCode {
  kJis83 = 1,
  kJis78 = 2,
  kJisKana = 3,
  kNecJis = 4,
  kEucJp = 5,
  kShiftJis = 6,
  kEucOrSjis = 7,
  kUndecided = 8
};

} // namespace

int DetectKanjiCode(const unsigned char* s) {
  if (!s) return kUndecided;
  // The text ends at its length or at its first zero byte, whichever comes first; every
  // read below stops at that zero, so nothing past it is examined.
  unsigned char buf[256];
  std::memcpy(buf, s + 1, s[0]);
  buf[s[0]] = 0;

  int r = kUndecided;
  int i = 0;
  for (;;) {
    const unsigned char c = buf[i];
    bool atEnd = false; // the step examined the terminating zero

    if (c == kEsc) {
      const unsigned char c1 = buf[i + 1];
      if (c1 == '$') {
        const unsigned char c2 = buf[i + 2];
        if (c2 == '@') return kJis78;
        if (c2 == 'B') return kJis83;
        i += 3;
        atEnd = c2 == 0;
      } else if (c1 == '(') {
        const unsigned char c2 = buf[i + 2];
        if (c2 == 'I') r = kJisKana;
        i += 3;
        atEnd = c2 == 0;
      } else if (c1 == 'K') {
        return kNecJis;
      } else {
        i += 2;
        atEnd = c1 == 0;
      }
    } else if (c == 0) {
      return r;
    } else if (sjisOnlyLead(c)) {
      return kShiftJis;
    } else if (c == 0x8E) {
      const unsigned char c1 = buf[i + 1];
      if (in(c1, 0x40, 0x7E) || in(c1, 0x80, 0xA0) || in(c1, 0xE0, 0xFC)) return kShiftJis;
      i += 2;
      if (in(c1, 0xA1, 0xDF)) r = kEucOrSjis;
      atEnd = c1 == 0;
    } else if (in(c, 0xA1, 0xDF)) {
      const unsigned char c1 = buf[i + 1];
      if (in(c1, 0xF0, 0xFE)) return kEucJp;
      i += 2;
      if (in(c1, 0xA1, 0xDF)) {
        r = kEucOrSjis;
      } else if (in(c1, 0xE0, 0xEF)) {
        r = kEucOrSjis;
        // A run of bytes from 0x40 up; the first byte below 0x40 ends it and is skipped.
        while (buf[i] >= 0x40) {
          const unsigned char b = buf[i];
          if (sjisOnlyLead(b)) return kShiftJis;
          if (in(b, 0xFD, 0xFE)) return kEucJp;
          ++i;
        }
        atEnd = buf[i] == 0;
        ++i;
      } else if (c1 < 0xA0) {
        return kShiftJis;
      }
      // c1 of 0xA0 or 0xFF leaves r as it is.
    } else if (in(c, 0xF0, 0xFE)) {
      return kEucJp;
    } else if (in(c, 0xE0, 0xEF)) {
      const unsigned char c1 = buf[i + 1];
      if (in(c1, 0x40, 0x7E) || in(c1, 0x80, 0xA0)) return kShiftJis;
      if (in(c1, 0xFD, 0xFE)) return kEucJp;
      i += 2;
      if (in(c1, 0xA1, 0xFC)) r = kEucOrSjis;
      atEnd = c1 == 0;
    } else {
      ++i;
    }

    if (r != kEucOrSjis && r != kUndecided) return r;
    if (atEnd) return r;
  }
}
