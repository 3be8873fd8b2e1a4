// Conversions between string forms. Each one decodes into UTF-16 and encodes into the
// destination with the room its source allows, working in stack buffers so that
// Pascal-sized text costs no allocation.
#include "detail/EncodingConversions.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "detail/CFString.h"
#include "platform/string/Codec.h"
#include "text/TextScratch.h"

namespace {

using kiv::platform::decode;
using kiv::platform::encode;
using kiv::platform::kCodecNoDirectPath;
using kiv::platform::transcode;

// Unicode strings count in 16-bit signed positions.
constexpr int32_t kMaxUniCount = 32767;

// Room on the stack for the units of any Pascal-size text, even from UTF-8 of three bytes a
// character.
using UnitBuffer = kiv::text::ScratchBuffer<UniChar, 1024>;

// Encodes n units as a Pascal string with at most room text bytes; empty on failure.
void toPascal(CFStringEncoding encoding, const UniChar* u, int32_t n, unsigned char* p,
              int32_t room) {
  const int32_t got =
      encode(encoding, u, n, reinterpret_cast<char*>(p + 1), std::min<int32_t>(room, 255));
  p[0] = got > 0 ? static_cast<unsigned char>(got) : 0;
}

// Encodes n units as a C string in size bytes, terminator included; empty on failure.
void toCString(CFStringEncoding encoding, const UniChar* u, int32_t n, char* c, int32_t size) {
  const int32_t got = encode(encoding, u, n, c, size - 1);
  c[got > 0 ? got : 0] = 0;
}

// Decodes n bytes, giving at most cap units, into the Unicode string u; count 0 on failure.
// u's room follows from the result (count + 1 units), while a decoder may write anywhere in the
// room it is given (a terminator after the result, part of a text that then fails), so the
// decoding is done in scratch space and only a whole result is copied.
void toUniString(CFStringEncoding encoding, const char* bytes, int32_t n, unsigned short* u,
                 int32_t cap) {
  u[0] = 0;
  cap = std::min(cap, kMaxUniCount);
  UnitBuffer units(static_cast<size_t>(cap));
  if (!units.data()) return;
  const int32_t got = decode(encoding, bytes, n, units.data(), cap);
  if (got <= 0) return;
  std::memcpy(u + 1, units.data(), sizeof(UniChar) * static_cast<size_t>(got));
  u[0] = static_cast<unsigned short>(got);
}

// Mac Roman bytes into the Unicode string u. Every byte is one character, so the result's room
// (n + 1 units) is known beforehand and the decoder fills it exactly, in place.
void romanToUniString(const char* bytes, int32_t n, unsigned short* u) {
  const int32_t got =
      n <= kMaxUniCount ? decode(kCFStringEncodingMacRoman, bytes, n, u + 1, n) : -1;
  u[0] = got == n ? static_cast<unsigned short>(got) : 0;
}

// The length of a C string, or -1 when it is too long to convert in one piece.
int32_t measure(const char* s) {
  const size_t n = std::strlen(s);
  return n > static_cast<size_t>(INT32_MAX / 2) ? -1 : static_cast<int32_t>(n);
}

// Bytes in one encoding to a C string in another, in size bytes, terminator included; empty on
// failure. The units come between only where the service has no direct path for the pair;
// unitCap bounds them.
void recodeCString(CFStringEncoding from, const char* bytes, int32_t n, CFStringEncoding to,
                   char* c, int32_t size, int32_t unitCap) {
  const int32_t got = transcode(from, bytes, n, to, c, size - 1);
  if (got != kCodecNoDirectPath) {
    c[got > 0 ? got : 0] = 0;
    return;
  }
  UnitBuffer units(static_cast<size_t>(unitCap));
  if (!units.data()) return;
  const int32_t count = decode(from, bytes, n, units.data(), unitCap);
  if (count < 0) return;
  toCString(to, units.data(), count, c, size);
}

// Mac Roman bytes to UTF-8 in size bytes, terminator included.
void romanToUTF8(const char* bytes, int32_t n, char* s, int32_t size) {
  recodeCString(kCFStringEncodingMacRoman, bytes, n, kCFStringEncodingUTF8, s, size, n);
}

} // namespace

void UniStringToPString(unsigned short* u, unsigned char* p, short) {
  if (!p) return;
  p[0] = 0;
  if (!u || u[0] == 0 || u[0] > kMaxUniCount) return;
  toPascal(CFStringGetSystemEncoding(), u + 1, u[0], p, u[0]);
}

void UniStringToPString(HFSUniStr255* u, unsigned char* p) {
  if (!p) return;
  p[0] = 0;
  if (!u || u->length == 0 || u->length > 255) return;
  toPascal(kCFStringEncodingMacRoman, u->unicode, u->length, p, u->length);
}

void UniStringToCString(HFSUniStr255* u, char* c) {
  if (!c) return;
  c[0] = 0;
  if (!u || u->length == 0 || u->length > 255) return;
  toCString(kCFStringEncodingMacRoman, u->unicode, u->length, c, u->length + 1);
}

void PStringToUniString(unsigned char* p, unsigned short* u, short) {
  if (!u) return;
  u[0] = 0;
  if (!p || p[0] == 0) return;
  romanToUniString(reinterpret_cast<const char*>(p + 1), p[0], u);
}

void PStringToUniString(unsigned char* p, HFSUniStr255* u) {
  if (!u) return;
  unsigned short local[256];
  PStringToUniString(p, local, 0);
  u->length = local[0];
  std::memcpy(u->unicode, local + 1, sizeof(UniChar) * std::min<size_t>(local[0], 255));
}

void CStringToUniString(const char* c, unsigned short* u) {
  if (!u) return;
  u[0] = 0;
  if (!c || c[0] == 0) return;
  const size_t n = strnlen(c, kMaxUniCount + 1);
  if (n > static_cast<size_t>(kMaxUniCount)) return;
  romanToUniString(c, static_cast<int32_t>(n), u);
}

void SJIS_PStringToUniString(unsigned char* p, unsigned short* u) {
  if (!u) return;
  u[0] = 0;
  if (!p || p[0] == 0) return;
  toUniString(kCFStringEncodingShiftJIS, reinterpret_cast<const char*>(p + 1), p[0], u, p[0]);
}

void UniStringToSJIS_PString(unsigned short* u, unsigned char* p) {
  if (!p) return;
  p[0] = 0;
  if (!u || u[0] == 0 || u[0] > kMaxUniCount) return;
  toPascal(kCFStringEncodingShiftJIS, u + 1, u[0], p, 254);
}

void RomanStringToUniString(unsigned char* p, unsigned short* u) {
  if (!u) return;
  u[0] = 0;
  if (!p) return;
  for (int i = 1; i <= p[0]; ++i)
    u[i] = p[i];
  u[0] = p[0];
}

void UTFStringToUniString(char* s, unsigned short* u) {
  if (!u) return;
  u[0] = 0;
  if (!s || s[0] == 0) return;
  const int32_t n = measure(s);
  if (n < 0) return;
  // UTF-8 never gives more units than bytes.
  toUniString(kCFStringEncodingUTF8, s, n, u, n);
}

void UTFStringToCString(char* s, char* c) { UTFStringToCString(s, c, 255); }

void UTFStringToCString(char* s, char* c, int size) {
  if (!c || size <= 0) return;
  c[0] = 0;
  if (!s || s[0] == 0) return;
  const int32_t n = measure(s);
  if (n < 0) return;
  // Mac Roman takes one byte a unit, so more than size - 1 units can never fit.
  recodeCString(kCFStringEncodingUTF8, s, n, kCFStringEncodingMacRoman, c, size,
                std::min(n, size - 1));
}

void UTFStringToPString(char* s, unsigned char* p) {
  if (!p) return;
  p[0] = 0;
  if (!s || s[0] == 0) return;
  // 255 bytes: the length byte and at most 254 characters.
  constexpr int32_t kRoom = 254;
  const size_t n = strnlen(s, 4 * kRoom + 1);
  if (n > 4 * kRoom) return;
  const int32_t got = transcode(kCFStringEncodingUTF8, s, static_cast<int32_t>(n),
                                kCFStringEncodingMacRoman, reinterpret_cast<char*>(p + 1), kRoom);
  if (got != kCodecNoDirectPath) {
    p[0] = got > 0 ? static_cast<unsigned char>(got) : 0;
    return;
  }
  UniChar units[kRoom];
  const int32_t count = decode(kCFStringEncodingUTF8, s, static_cast<int32_t>(n), units, kRoom);
  if (count < 0) return;
  toPascal(kCFStringEncodingMacRoman, units, count, p, kRoom);
}

void UniStringToUTFString(unsigned short* u, char* s) {
  if (!s) return;
  s[0] = 0;
  if (!u || u[0] == 0 || u[0] > kMaxUniCount) return;
  toCString(kCFStringEncodingUTF8, u + 1, u[0], s, 2 * u[0]);
}

void CStringToUTFString(char* c, char* s) {
  if (!s) return;
  s[0] = 0;
  if (!c || c[0] == 0) return;
  const int32_t n = measure(c);
  if (n < 0) return;
  romanToUTF8(c, n, s, 2 * n);
}

void PStringToUTFString(unsigned char* p, char* s) {
  if (!s) return;
  s[0] = 0;
  if (!p || p[0] == 0) return;
  romanToUTF8(reinterpret_cast<const char*>(p + 1), p[0], s, 2 * p[0]);
}
