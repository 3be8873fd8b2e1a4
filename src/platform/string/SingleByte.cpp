// Single-byte encodings through tables read from ICU's converters.
//
// Each table is read once per process, on first use, from a converter set up exactly as the
// service sets up its own (no fallback mappings, stop at a character without a form): the
// decoding table byte by byte, the encoding map by converting every code point of the Basic
// Multilingual Plane in one pass. A converter that could do what a table cannot (give several
// units for one byte, map a character beyond the plane) gets no table and stays in use.
#include "platform/string/SingleByte.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/uset.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "platform/string/AsciiRuns.h"
#include "platform/string/Codec.h"

namespace kiv::platform::singlebyte {

using ascii::highBytes;
using ascii::highUnits;
using ascii::lowest;
using ascii::narrow;
using ascii::widen;

class Table {
public:
  // A byte without a character. No single-byte converter maps a byte to U+FFFF, a
  // noncharacter; a table is refused if one ever did.
  static constexpr UniChar kNone = 0xFFFF;

  // The character of each byte, or kNone.
  UniChar toUnicode[256];
  // The UTF-8 form of each byte's character, padded to four bytes, and its length (0 for none).
  unsigned char utf8[256][4];
  unsigned char utf8Length[256];
  // The byte of each character, by its high and low byte; 0 stands for none, except for
  // U+0000 when zeroMaps is set.
  const unsigned char* page[256];
  bool zeroMaps = false;
  // The bytes of the characters below U+0800 in one array, as page[0] to page[7] hold them.
  const unsigned char* low = nullptr;
  // Some byte has no character.
  bool holes = false;
  // Bytes 0x00 to 0x7F are the ASCII characters both ways, so runs of them need no table.
  bool ascii = false;

  // The byte of c, or -1.
  int byteOf(UniChar c) const {
    const unsigned char b = page[c >> 8][c & 0xFF];
    return b != 0 || (c == 0 && zeroMaps) ? b : -1;
  }

  std::unique_ptr<unsigned char[]> pages; // the storage behind page
};

namespace {

const unsigned char kEmptyPage[256] = {};
constexpr int kLowPages = 8;

void stopToUnicode(const void*, UConverterToUnicodeArgs*, const char*, int32_t,
                   UConverterCallbackReason, UErrorCode*) {}

// Passes over a character without a form, so that one pass converts all the others.
void skipFromUnicode(const void*, UConverterFromUnicodeArgs*, const UChar*, int32_t, UChar32,
                     UConverterCallbackReason reason, UErrorCode* status) {
  if (reason <= UCNV_IRREGULAR) *status = U_ZERO_ERROR;
}

struct CloseConverter {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
struct CloseSet {
  void operator()(USet* s) const { uset_close(s); }
};

bool mapsBeyondThePlane(UConverter* converter) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<USet, CloseSet> mapped(uset_openEmpty());
  std::unique_ptr<USet, CloseSet> beyond(uset_open(0x10000, 0x10FFFF));
  if (!mapped || !beyond) return true;
  ucnv_getUnicodeSet(converter, mapped.get(), UCNV_ROUNDTRIP_AND_FALLBACK_SET, &status);
  return U_FAILURE(status) || uset_containsSome(mapped.get(), beyond.get());
}

// Fills the decoding table and the UTF-8 forms; false when a byte gives more than one unit.
bool readDecoding(UConverter* converter, Table& t) {
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    UChar u[2];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetToUnicode(converter);
    const int32_t n = ucnv_toUChars(converter, u, 2, &byte, 1, &status);
    t.toUnicode[b] = Table::kNone;
    t.utf8Length[b] = 0;
    std::memset(t.utf8[b], 0, 4);
    if (U_FAILURE(status) || n == 0) continue;
    if (n != 1 || U16_IS_SURROGATE(u[0]) || u[0] == Table::kNone) return false;
    t.toUnicode[b] = u[0];
    int32_t length = 0;
    U8_APPEND_UNSAFE(t.utf8[b], length, u[0]);
    t.utf8Length[b] = static_cast<unsigned char>(length);
  }
  return true;
}

// Fills the encoding map; false when a character other than U+0000 takes the byte 0.
bool readEncoding(UConverter* converter, Table& t) {
  std::vector<UChar> chars;
  chars.reserve(0x10000 - 0x800);
  for (UChar32 c = 0; c <= 0xFFFF; ++c)
    if (!U_IS_SURROGATE(c)) chars.push_back(static_cast<UChar>(c));
  std::vector<char> bytes(chars.size());
  std::vector<int32_t> offsets(chars.size());

  UErrorCode status = U_ZERO_ERROR;
  ucnv_setFromUCallBack(converter, skipFromUnicode, nullptr, nullptr, nullptr, &status);
  ucnv_resetFromUnicode(converter);
  const UChar* source = chars.data();
  char* target = bytes.data();
  ucnv_fromUnicode(converter, &target, bytes.data() + bytes.size(), &source,
                   chars.data() + chars.size(), offsets.data(), true, &status);
  if (U_FAILURE(status)) return false;

  // Pages of the high bytes that hold a mapped character, numbered in order of first use after
  // the first eight, which are always there: the characters below U+0800, all of the two-byte
  // UTF-8 forms, are found in one step.
  const size_t produced = static_cast<size_t>(target - bytes.data());
  int pageNumber[256];
  std::memset(pageNumber, -1, sizeof pageNumber);
  int pageCount = kLowPages;
  for (int high = 0; high < kLowPages; ++high)
    pageNumber[high] = high;
  for (size_t i = 0; i < produced; ++i) {
    const int high = chars[static_cast<size_t>(offsets[i])] >> 8;
    if (pageNumber[high] < 0) pageNumber[high] = pageCount++;
  }
  t.pages.reset(new unsigned char[static_cast<size_t>(pageCount) * 256]());
  for (int high = 0; high < 256; ++high)
    t.page[high] = pageNumber[high] < 0 ? kEmptyPage : t.pages.get() + pageNumber[high] * 256;
  for (size_t i = 0; i < produced; ++i) {
    const UChar c = chars[static_cast<size_t>(offsets[i])];
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b == 0 && c != 0) return false;
    if (c == 0) t.zeroMaps = b == 0;
    const_cast<unsigned char*>(t.page[c >> 8])[c & 0xFF] = b;
  }
  t.low = t.pages.get();
  return true;
}

Table* build(const char* icuName) {
  if (icuName == nullptr) return nullptr;
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, CloseConverter> converter(ucnv_open(icuName, &status));
  if (U_FAILURE(status) || ucnv_getMaxCharSize(converter.get()) != 1) return nullptr;
  ucnv_setToUCallBack(converter.get(), stopToUnicode, nullptr, nullptr, nullptr, &status);
  ucnv_setFallback(converter.get(), false);
  if (U_FAILURE(status) || mapsBeyondThePlane(converter.get())) return nullptr;

  std::unique_ptr<Table> t(new Table);
  if (!readDecoding(converter.get(), *t) || !readEncoding(converter.get(), *t)) return nullptr;
  t->ascii = true;
  for (int b = 0; b < 256; ++b) {
    if (b < 0x80 && (t->toUnicode[b] != b || t->byteOf(static_cast<UniChar>(b)) != b))
      t->ascii = false;
    if (t->toUnicode[b] == Table::kNone) t->holes = true;
  }
  return t.release();
}

// One table per known encoding, built at most once; tables live as long as the process.
struct Slot {
  std::atomic<bool> built{false};
  const Table* table = nullptr;
};
Slot gSlots[kMaxKnownEncodings];
std::mutex gBuilding;

// Whether a lead byte from 0xE0 to 0xEF and the two bytes after it are a well-formed UTF-8
// sequence: neither an overlong form (after 0xE0) nor a surrogate (after 0xED).
inline bool threeByteForm(unsigned lead, unsigned second, unsigned third) {
  const unsigned low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
  return second >= low && second <= high && (third & 0xC0) == 0x80;
}

// Decodes n bytes through the table, four units a store.
inline void lookUp(const Table& t, const unsigned char* s, int32_t n, UniChar* d) {
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const uint64_t units = uint64_t{t.toUnicode[s[i]]} | uint64_t{t.toUnicode[s[i + 1]]} << 16 |
                           uint64_t{t.toUnicode[s[i + 2]]} << 32 |
                           uint64_t{t.toUnicode[s[i + 3]]} << 48;
    std::memcpy(d + i, &units, sizeof units);
  }
  for (; i < n; ++i)
    d[i] = t.toUnicode[s[i]];
}

// Whether no decoded unit is Table::kNone.
inline bool allDecoded(const UniChar* d, int32_t n) {
  int32_t i = 0;
#if defined(__SSE2__)
  const __m128i none = _mm_set1_epi16(static_cast<short>(Table::kNone));
  __m128i found = _mm_setzero_si128();
  for (; i + 8 <= n; i += 8)
    found = _mm_or_si128(
        found, _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i)), none));
  if (_mm_movemask_epi8(found) != 0) return false;
#endif
  for (; i < n; ++i)
    if (d[i] == Table::kNone) return false;
  return true;
}

// Whether every byte of s[i..n) has a character.
bool allDecode(const Table& t, const unsigned char* s, int32_t i, int32_t n) {
  if (!t.holes) return true;
  for (; i < n; ++i)
    if (t.toUnicode[s[i]] == Table::kNone) return false;
  return true;
}

// Whether every unit of u[0..n) has a byte.
bool allEncode(const Table& t, const UniChar* u, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (t.byteOf(u[i]) < 0) return false;
  return true;
}

// Encodes n units through the map; false at the first without a byte.
inline bool mapUnits(const Table& t, const UniChar* u, int32_t n, unsigned char* d) {
  for (int32_t i = 0; i < n; ++i) {
    const UniChar c = u[i];
    const unsigned char b = t.page[c >> 8][c & 0xFF];
    if (b == 0 && (c != 0 || !t.zeroMaps)) return false;
    d[i] = b;
  }
  return true;
}

// Reads the UTF-8 character at s[i] and moves i past it; -1 when it is ill-formed or beyond
// the Basic Multilingual Plane.
UChar32 nextChar(const unsigned char* s, int32_t& i, int32_t n) {
  UChar32 c;
  U8_NEXT(s, i, n, c);
  return c > 0xFFFF ? -1 : c;
}

// Whether at most four bits of mask are set.
inline bool atMostFour(unsigned mask) {
  for (int k = 0; k < 4; ++k)
    mask &= mask - 1;
  return mask == 0;
}

// Writes the UTF-8 forms of the 16 bytes at s to d, each as a four-byte store, so d must have
// room for 49 bytes; the bytes written, or -1 at a byte without a character.
inline int32_t blockToUtf8(const Table& t, const unsigned char* s, unsigned char* d) {
  int32_t out = 0;
  for (int k = 0; k < 16; ++k) {
    const unsigned char b = s[k];
    if (t.utf8Length[b] == 0) return -1;
    std::memcpy(d + out, t.utf8[b], 4);
    out += t.utf8Length[b];
  }
  return out;
}

} // namespace

const Table* tableFor(CFStringEncoding encoding) {
  const int index = encodingIndex(encoding);
  if (index < 0) return nullptr;
  Slot& slot = gSlots[index];
  if (slot.built.load(std::memory_order_acquire)) return slot.table;
  std::lock_guard<std::mutex> lock(gBuilding);
  if (!slot.built.load(std::memory_order_relaxed)) {
    slot.table = build(icuConverterName(encoding));
    slot.built.store(true, std::memory_order_release);
  }
  return slot.table;
}

int32_t decode(const Table& t, const char* src, int32_t n, UniChar* dst, int32_t cap) {
  const auto* s = reinterpret_cast<const unsigned char*>(src);
  if (n > cap) return allDecode(t, s, 0, n) ? kCodecOverflow : kCodecInvalid;
  int32_t i = 0;
  // 16 bytes a step: widened at once, then the bytes above 0x7F replaced from the table.
  for (; t.ascii && i + 16 <= n; i += 16) {
    unsigned mask = highBytes(s + i);
    if (mask == 0xFFFF) {
      lookUp(t, s + i, 16, dst + i);
      continue;
    }
    widen(s + i, dst + i);
    for (; mask != 0; mask &= mask - 1) {
      const int k = lowest(mask);
      dst[i + k] = t.toUnicode[s[i + k]];
    }
  }
  lookUp(t, s + i, n - i, dst + i);
  if (t.holes && !allDecoded(dst, n)) return kCodecInvalid;
  return n;
}

int32_t decodedLength(const Table& t, const char* src, int32_t n) {
  return allDecode(t, reinterpret_cast<const unsigned char*>(src), 0, n) ? n : kCodecInvalid;
}

int32_t encode(const Table& t, const UniChar* src, int32_t n, char* dst, int32_t cap) {
  if (n > cap) return allEncode(t, src, n) ? kCodecOverflow : kCodecInvalid;
  auto* d = reinterpret_cast<unsigned char*>(dst);
  int32_t i = 0;
  // 16 units a step: narrowed at once, then the units above 0x7F replaced from the map.
  for (; t.ascii && i + 16 <= n; i += 16) {
    unsigned mask = highUnits(src + i);
    if (mask == 0xFFFF) {
      if (!mapUnits(t, src + i, 16, d + i)) return kCodecInvalid;
      continue;
    }
    narrow(src + i, d + i);
    for (; mask != 0; mask &= mask - 1) {
      const int k = lowest(mask);
      if (!mapUnits(t, src + i + k, 1, d + i + k)) return kCodecInvalid;
    }
  }
  return mapUnits(t, src + i, n - i, d + i) ? n : kCodecInvalid;
}

int32_t toUtf8(const Table& t, const char* src, int32_t n, char* dst, int32_t cap) {
  const auto* s = reinterpret_cast<const unsigned char*>(src);
  auto* d = reinterpret_cast<unsigned char*>(dst);
  int32_t out = 0, i = 0;
  // 16 bytes a step while even three UTF-8 bytes for each would fit: copied at once when all
  // are ASCII; with a few other bytes, each of them is written in its place and the ASCII after
  // it copied at once again (when 16 more bytes can be read); else byte by byte.
  for (; t.ascii && i + 16 <= n && out + 64 <= cap; i += 16) {
    unsigned mask = highBytes(s + i);
    if (mask == 0) {
      std::memcpy(d + out, s + i, 16);
      out += 16;
      continue;
    }
    if (i + 32 > n || !atMostFour(mask)) {
      const int32_t written = blockToUtf8(t, s + i, d + out);
      if (written < 0) return kCodecInvalid;
      out += written;
      continue;
    }
    int32_t next = i; // the first source byte not yet counted in out
    std::memcpy(d + out, s + next, 16);
    for (; mask != 0; mask &= mask - 1) {
      const int32_t at = i + lowest(mask);
      out += at - next;
      const unsigned char b = s[at];
      if (t.utf8Length[b] == 0) return kCodecInvalid;
      std::memcpy(d + out, t.utf8[b], 4);
      out += t.utf8Length[b];
      next = at + 1;
      std::memcpy(d + out, s + next, 16);
    }
    out += i + 16 - next;
  }
  for (; i + 16 <= n && out + 49 <= cap; i += 16) {
    const int32_t written = blockToUtf8(t, s + i, d + out);
    if (written < 0) return kCodecInvalid;
    out += written;
  }
  for (; i < n; ++i) {
    const unsigned char b = s[i];
    const int32_t length = t.utf8Length[b];
    if (length == 0) return kCodecInvalid;
    if (out + length > cap) return allDecode(t, s, i + 1, n) ? kCodecOverflow : kCodecInvalid;
    for (int32_t k = 0; k < length; ++k)
      d[out + k] = t.utf8[b][k];
    out += length;
  }
  return out;
}

int32_t fromUtf8(const Table& t, const char* src, int32_t n, char* dst, int32_t cap) {
  const auto* s = reinterpret_cast<const unsigned char*>(src);
  auto* d = reinterpret_cast<unsigned char*>(dst);
  int32_t out = 0, i = 0;
  while (i < n) {
    // 16 bytes a step: copied at once when all are ASCII; otherwise the ASCII ones before the
    // first other byte are kept.
    if (t.ascii && i + 16 <= n && out + 16 <= cap) {
      const unsigned high = highBytes(s + i);
      std::memcpy(d + out, s + i, 16);
      if (high == 0) {
        i += 16;
        out += 16;
        continue;
      }
      const int k = lowest(high);
      i += k;
      out += k;
    }
    // A run of two- and three-byte characters, as long as three bytes can be read.
    while (i + 3 <= n && out < cap) {
      const unsigned lead = s[i];
      if (lead - 0xC2 > 0xEF - 0xC2) break;
      const unsigned second = s[i + 1];
      unsigned char b;
      if (lead < 0xE0) {
        if ((second & 0xC0) != 0x80) return kCodecInvalid;
        b = t.low[(lead & 0x1F) << 6 | (second & 0x3F)];
        i += 2;
      } else {
        const unsigned third = s[i + 2];
        if (!threeByteForm(lead, second, third)) return kCodecInvalid;
        const unsigned c = (lead & 0x0F) << 12 | (second & 0x3F) << 6 | (third & 0x3F);
        b = t.page[c >> 8][c & 0xFF];
        i += 3;
      }
      if (b == 0) return kCodecInvalid;
      d[out++] = b;
    }
    // ASCII near the end of the text or of the room.
    while (t.ascii && i < n && s[i] < 0x80 && out < cap && (i + 16 > n || out + 16 > cap))
      d[out++] = s[i++];
    if (i >= n) break;
    if (s[i] < 0x80 && t.ascii && out < cap) continue;
    // Anything else, one character: the end of the text or of the room, a character beyond the
    // plane, an ill-formed sequence, an encoding whose ASCII needs the map.
    const UChar32 c = nextChar(s, i, n);
    const int b = c < 0 ? -1 : t.byteOf(static_cast<UniChar>(c));
    if (b < 0) return kCodecInvalid;
    if (out < cap) {
      d[out++] = static_cast<unsigned char>(b);
      continue;
    }
    // Past the room the text is still read: a later character without a form makes it invalid
    // rather than too long.
    while (i < n) {
      const UChar32 more = nextChar(s, i, n);
      if (more < 0 || t.byteOf(static_cast<UniChar>(more)) < 0) return kCodecInvalid;
    }
    return kCodecOverflow;
  }
  return out;
}

int32_t recode(const Table& from, const Table& to, const char* src, int32_t n, char* dst,
               int32_t cap) {
  const auto* s = reinterpret_cast<const unsigned char*>(src);
  auto* d = reinterpret_cast<unsigned char*>(dst);
  auto byteOf = [&](unsigned char b) {
    const UniChar c = from.toUnicode[b];
    return c == Table::kNone ? -1 : to.byteOf(c);
  };
  if (n > cap) {
    for (int32_t i = 0; i < n; ++i)
      if (byteOf(s[i]) < 0) return kCodecInvalid;
    return kCodecOverflow;
  }
  int32_t i = 0;
  // 16 bytes a step: copied at once, then the bytes above 0x7F replaced.
  if (from.ascii && to.ascii) {
    for (; i + 16 <= n; i += 16) {
      std::memcpy(d + i, s + i, 16);
      for (unsigned mask = highBytes(s + i); mask != 0; mask &= mask - 1) {
        const int k = lowest(mask);
        const int b = byteOf(s[i + k]);
        if (b < 0) return kCodecInvalid;
        d[i + k] = static_cast<unsigned char>(b);
      }
    }
  }
  for (; i < n; ++i) {
    const int b = byteOf(s[i]);
    if (b < 0) return kCodecInvalid;
    d[i] = static_cast<unsigned char>(b);
  }
  return n;
}

} // namespace kiv::platform::singlebyte
