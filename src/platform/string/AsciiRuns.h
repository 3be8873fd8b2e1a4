// Runs of ASCII taken 16 bytes or units at a time by the table-driven converters: which of 16
// are not ASCII, and 16 widened to units or narrowed to bytes at once (SSE2 where the target has
// it, which every x86-64 does; plain loops elsewhere).
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "detail/CFString.h"

namespace kiv::platform::ascii {

// The bytes above 0x7F among the 16 at p, one bit each (bit k for p[k]).
inline unsigned highBytes(const unsigned char* p) {
#if defined(__SSE2__)
  return static_cast<unsigned>(
      _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
#else
  unsigned mask = 0;
  for (int k = 0; k < 16; ++k)
    mask |= static_cast<unsigned>(p[k] >> 7) << k;
  return mask;
#endif
}

// The units above 0x7F among the 16 at u, one bit each.
inline unsigned highUnits(const UniChar* u) {
#if defined(__SSE2__)
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + 8));
  const __m128i lowA = _mm_cmpeq_epi16(_mm_and_si128(a, high), zero);
  const __m128i lowB = _mm_cmpeq_epi16(_mm_and_si128(b, high), zero);
  return ~static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(lowA, lowB))) & 0xFFFF;
#else
  unsigned mask = 0;
  for (int k = 0; k < 16; ++k)
    mask |= static_cast<unsigned>(u[k] > 0x7F) << k;
  return mask;
#endif
}

// The 16 bytes at s as 16 units at d, each of the same value.
inline void widen(const unsigned char* s, UniChar* d) {
#if defined(__SSE2__)
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i zero = _mm_setzero_si128();
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi8(v, zero));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 8), _mm_unpackhi_epi8(v, zero));
#else
  for (int k = 0; k < 16; ++k)
    d[k] = s[k];
#endif
}

// The 16 units at u as 16 bytes at d: exact for units below 0x100, the rest to be replaced.
inline void narrow(const UniChar* u, unsigned char* d) {
#if defined(__SSE2__)
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + 8));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(a, b));
#else
  for (int k = 0; k < 16; ++k)
    d[k] = static_cast<unsigned char>(u[k]);
#endif
}

// The position of the lowest bit set in a non-zero mask.
inline int lowest(unsigned mask) { return __builtin_ctz(mask); }

} // namespace kiv::platform::ascii
