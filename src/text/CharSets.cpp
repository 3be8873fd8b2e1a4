// Windows Latin 1 to Mac Roman conversion and the Unicode string primitives.
#include "detail/CharSets.h"

#include <cstring>

#include "detail/ByteOrder.h"
#include "detail/CFString.h"
#include "platform/string/Codec.h"
#include "text/TextScratch.h"

namespace {

constexpr unsigned kMaxUniCount = 32767;

// Converts n Windows-1252 bytes to Mac Roman in out (n bytes); false when a character has no
// Mac Roman form. Both character sets take one byte a character.
bool winToMac(const char* in, int32_t n, char* out) {
  const int32_t got = kiv::platform::transcode(kCFStringEncodingWindowsLatin1, in, n,
                                               kCFStringEncodingMacRoman, out, n);
  if (got != kiv::platform::kCodecNoDirectPath) return got == n;
  kiv::text::ScratchBuffer<UniChar> units(static_cast<size_t>(n));
  if (!units.data()) return false;
  const int32_t count =
      kiv::platform::decode(kCFStringEncodingWindowsLatin1, in, n, units.data(), n);
  if (count < 0) return false;
  return kiv::platform::encode(kCFStringEncodingMacRoman, units.data(), count, out, n) == n;
}

} // namespace

bool ConvertWinString2MacString(unsigned char* s) {
  if (!s) return false;
  // The result is written back with a 254-byte room, length byte included.
  if (s[0] > 253) return false;
  if (s[0] == 0) return true;
  char out[253];
  if (!winToMac(reinterpret_cast<const char*>(s + 1), s[0], out)) return false;
  std::memcpy(s + 1, out, s[0]);
  return true;
}

bool ConvertCWinString2MacString(char* s) {
  if (!s) return false;
  const size_t n = std::strlen(s);
  if (n == 0) return true;
  if (n > static_cast<size_t>(INT32_MAX)) return false;
  kiv::text::ScratchBuffer<char> out(n);
  if (!out.data() || !winToMac(s, static_cast<int32_t>(n), out.data())) return false;
  std::memcpy(s, out.data(), n);
  return true;
}

void WinStr2MacStr(unsigned char*) {}

void MacStr2WinStr(unsigned char*) {}

unsigned short* PPUcopy(unsigned short* src, unsigned short* dst) {
  if (!dst) return dst;
  if (!src || src[0] > kMaxUniCount) {
    dst[0] = 0;
    return dst;
  }
  std::memmove(dst, src, sizeof(unsigned short) * (src[0] + 1u));
  return dst;
}

unsigned short* PPUcat(unsigned short* dst, unsigned short* src) {
  if (!dst) return dst;
  if (dst[0] > kMaxUniCount) {
    dst[0] = 0;
    return dst;
  }
  if (!src || src[0] == 0 || dst[0] + src[0] > kMaxUniCount) return dst;
  const unsigned added = src[0];
  std::memmove(dst + 1 + dst[0], src + 1, sizeof(unsigned short) * added);
  dst[0] = static_cast<unsigned short>(dst[0] + added);
  return dst;
}

bool EqualStringUni(unsigned short* a, unsigned short* b) {
  if (!a || !b || a[0] == 0 || a[0] > kMaxUniCount) return false;
  if (b[0] != a[0]) return false;
  return std::memcmp(a + 1, b + 1, sizeof(unsigned short) * a[0]) == 0;
}

unsigned short AlwaysSwapUniChar(unsigned short c) { return AlwaysSwapByte(c); }

void AlwaysSwapUniString(unsigned short* s) {
  if (!s) return;
  const unsigned short stored = s[0];
  const unsigned short reversed = AlwaysSwapByte(stored);
  if (reversed == 0) return;
  // A count below 256 reads as a multiple of 256 in the other order, so the reading below
  // 256 is the true count; otherwise the stored count is already in host order.
  int count = reversed < 256 ? reversed : static_cast<short>(stored);
  for (int i = 1; i <= count; ++i)
    s[i] = AlwaysSwapByte(s[i]);
  s[0] = reversed;
}

void SwapUniString(unsigned short* s) { AlwaysSwapUniString(s); }
