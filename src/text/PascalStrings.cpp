#include "detail/PascalStrings.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kMaxPascal = 255;

int clampLength(int n) { return n < 0 ? 0 : n > kMaxPascal ? kMaxPascal : n; }

// Length of a C string, stopping after kMaxPascal + 1 bytes: only the first 255 are ever kept.
size_t boundedLength(const char* s) { return strnlen(s, kMaxPascal + 1); }

} // namespace

void PPcopy(const unsigned char* src, unsigned char* dst) {
  if (!src || !dst) return;
  std::memmove(dst, src, static_cast<size_t>(src[0]) + 1);
}

unsigned char* PPcat(unsigned char* dst, const unsigned char* src) {
  if (!dst || !src) return dst;
  int have = dst[0];
  int add = src[0];
  if (have + add > kMaxPascal) add = kMaxPascal - have;
  // memmove: src may be dst itself or overlap it.
  std::memmove(dst + 1 + have, src + 1, static_cast<size_t>(add));
  dst[0] = static_cast<unsigned char>(have + add);
  return dst;
}

void P2CStrCopy(const unsigned char* src, char* dst) {
  if (!src || !dst) return;
  size_t n = src[0];
  std::memmove(dst, src + 1, n);
  dst[n] = '\0';
}

void C2PStrCopy(const char* src, unsigned char* dst) {
  if (!src || !dst) return;
  size_t n = boundedLength(src);
  if (n > kMaxPascal) n = kMaxPascal;
  std::memmove(dst + 1, src, n);
  dst[0] = static_cast<unsigned char>(n);
}

char* C2pstr(char* s) {
  if (!s) return s;
  size_t n = boundedLength(s);
  if (n > kMaxPascal) n = kMaxPascal;
  std::memmove(s + 1, s, n);
  s[0] = static_cast<char>(static_cast<unsigned char>(n));
  return s;
}

unsigned char* P2cstr(unsigned char* s) {
  if (!s) return s;
  size_t n = s[0];
  std::memmove(s, s + 1, n);
  s[n] = '\0';
  return s;
}

void Trunc(unsigned char* s, short max) {
  if (!s) return;
  if (max < 0) max = 0;
  if (s[0] > max) s[0] = static_cast<unsigned char>(max);
}

bool EndsBy(char* s, char* suffix) {
  if (!s || !suffix) return false;
  const char* at = std::strstr(s, suffix);
  return at && std::strlen(at) == std::strlen(suffix);
}

bool EndsBy(unsigned char* s, unsigned char* suffix) {
  if (!s || !suffix) return false;
  if (s[0] < suffix[0]) return false;
  char cs[256];
  char csuffix[256];
  P2CStrCopy(s, cs);
  P2CStrCopy(suffix, csuffix);
  return EndsBy(cs, csuffix);
}

bool StrBeginBy(const unsigned char* s, const unsigned char* prefix) {
  if (!s || !prefix) return false;
  char cs[256];
  char cprefix[256];
  P2CStrCopy(s, cs);
  P2CStrCopy(prefix, cprefix);
  return std::strncmp(cs, cprefix, prefix[0]) == 0;
}

unsigned char* JSTstr(const unsigned char* src, unsigned char* dst, short width, short gap) {
  if (!src || !dst) return dst;
  int total = clampLength(width + gap);
  for (int i = 1; i <= total; ++i) {
    // src's length is read at every step: src and dst may be the same buffer, and dst's length
    // byte is only written at the end.
    dst[i] = (i <= width && i <= src[0]) ? src[i] : ' ';
  }
  dst[0] = static_cast<unsigned char>(total);
  return dst;
}

unsigned char* JSTlong(int value, unsigned char* dst, short width, short gap, short align) {
  if (!dst) return dst;
  char digits[16];
  int n = std::snprintf(digits, sizeof digits, "%d", value);
  int w = width > n ? width : n; // a number is never cut: the field grows instead
  int total = clampLength(w + gap);
  // The field is the number aligned in w characters followed by blanks; the first total
  // characters of it are written.
  int start = align > 0 ? 1 : w - n + 1; // position of the number's first character
  for (int i = 1; i <= total; ++i) {
    int k = i - start;
    dst[i] = (k >= 0 && k < n) ? static_cast<unsigned char>(digits[k]) : ' ';
  }
  dst[0] = static_cast<unsigned char>(total);
  return dst;
}
