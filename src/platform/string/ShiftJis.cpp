// Shift-JIS over the JIS X 0208 table of ICU's EUC-JP converter.
//
// No converter of ICU follows the published mapping: its Shift-JIS converters are vendor
// variants (rotated control codes, full-width forms in the first row, extra rows). Shift-JIS
// and EUC-JP are two arrangements of the same JIS X 0208 code, though, so the rows of ICU's
// EUC-JP table are read once into a Shift-JIS table, corrected where that table follows a
// vendor choice, and used both ways without a converter.
#include "platform/string/ShiftJis.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <array>
#include <memory>

#include "platform/string/AsciiRuns.h"
#include "platform/string/Codec.h"

namespace kiv::platform::shiftjis {
namespace {

// The EUC-JP table whose JIS X 0208 rows 1 to 84 agree with the published mapping except for
// the entries of kCorrections.
constexpr const char* kSourceConverter = "ibm-954_P101-2007";

// JIS X 0208 code, the published character, and the vendor form ICU's table has there.
struct Correction {
  uint16_t jis;
  UniChar published;
  UniChar vendor;
};
constexpr Correction kCorrections[] = {
    {0x213D, 0x2015, 0x2014}, // horizontal bar, not the em dash
    {0x2171, 0x00A2, 0xFFE0}, // cent sign, not its full-width form
    {0x2172, 0x00A3, 0xFFE1}, // pound sign
    {0x224C, 0x00AC, 0xFFE2}, // not sign
};

// Lead bytes 0x81-0x9F and 0xE0-0xEA carry rows 1 to 84, two rows per lead byte; trail bytes
// 0x40-0x7E and 0x80-0xFC give the 94 cells of the odd row, then those of the even row.
constexpr int kLeads = 42;
constexpr int kTrails = 188;
constexpr int kMaxRow = 84;

int leadIndex(unsigned char b) {
  if (b >= 0x81 && b <= 0x9F) return b - 0x81;
  if (b >= 0xE0 && b <= 0xEA) return b - 0xC1;
  return -1;
}

int trailIndex(unsigned char b) {
  if (b >= 0x40 && b <= 0x7E) return b - 0x40;
  if (b >= 0x80 && b <= 0xFC) return b - 0x41;
  return -1;
}

uint16_t sjisCode(int lead, int trail) {
  const int l = lead < 31 ? 0x81 + lead : 0xC1 + lead;
  const int t = trail < 63 ? 0x40 + trail : 0x41 + trail;
  return static_cast<uint16_t>(l << 8 | t);
}

void stopToUnicode(const void*, UConverterToUnicodeArgs*, const char*, int32_t,
                   UConverterCallbackReason, UErrorCode*) {}

// Both directions; 0 stands for no mapping (no two-byte character is U+0000).
class Tables {
public:
  Tables() {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* euc = ucnv_open(kSourceConverter, &status);
    ucnv_setToUCallBack(euc, stopToUnicode, nullptr, nullptr, nullptr, &status);
    ucnv_setFallback(euc, false);
    if (U_FAILURE(status)) {
      ucnv_close(euc);
      return;
    }
    for (int lead = 0; lead < kLeads; ++lead) {
      for (int trail = 0; trail < kTrails; ++trail) {
        const int row = 2 * lead + 1 + (trail >= 94 ? 1 : 0);
        const int cell = trail % 94 + 1;
        if (row > kMaxRow) continue;
        const char bytes[2] = {static_cast<char>(row + 0xA0), static_cast<char>(cell + 0xA0)};
        UChar u[2];
        status = U_ZERO_ERROR;
        ucnv_resetToUnicode(euc);
        if (ucnv_toUChars(euc, u, 2, bytes, 2, &status) != 1 || U_FAILURE(status)) continue;
        UniChar c = u[0];
        for (const Correction& fix : kCorrections)
          if (fix.jis == ((row + 0x20) << 8 | (cell + 0x20)) && c == fix.vendor) c = fix.published;
        decode_[lead * kTrails + trail] = c;
        page(c)[c & 0xFF] = sjisCode(lead, trail);
      }
    }
    ucnv_close(euc);
    ready_ = true;
  }

  bool ready() const { return ready_; }
  UniChar decode(int lead, int trail) const { return decode_[lead * kTrails + trail]; }
  uint16_t encode(UniChar c) const {
    const auto* p = pages_[c >> 8].get();
    return p ? (*p)[c & 0xFF] : 0;
  }

private:
  using Page = std::array<uint16_t, 256>;
  Page& page(UniChar c) {
    auto& p = pages_[c >> 8];
    if (!p) p = std::make_unique<Page>(Page{});
    return *p;
  }

  std::array<UniChar, kLeads * kTrails> decode_{};
  std::unique_ptr<Page> pages_[256];
  bool ready_ = false;
};

const Tables* tables() {
  static const Tables* t = [] {
    auto* made = new (std::nothrow) Tables;
    return made && made->ready() ? made : nullptr;
  }();
  return t;
}

// A run of ASCII decoded 16 bytes at a time, with room for 16 units at d: all 16 widened, those
// up to the first byte that is not ASCII kept; returns their number (1 to 16 when s starts with
// ASCII). Out of line, so that the loop over two-byte characters stays as lean as it was.
[[gnu::noinline]] int asciiRun(const unsigned char* s, UniChar* d) {
  const unsigned high = ascii::highBytes(s);
  ascii::widen(s, d);
  return high == 0 ? 16 : ascii::lowest(high);
}

// Decodes n bytes; writes the units that fit cap and counts all of them in *total.
// Returns false when the bytes are not Shift-JIS.
bool run(const Tables& t, const unsigned char* s, int32_t n, UniChar* dst, int32_t cap,
         int32_t* total) {
  int32_t out = 0;
  for (int32_t i = 0; i < n;) {
    const unsigned char b = s[i];
    if (b < 0x80 && i + 16 <= n && out + 16 <= cap) {
      const int kept = asciiRun(s + i, dst + out);
      i += kept;
      out += kept;
      continue;
    }
    UniChar c;
    if (b < 0x80) {
      c = b;
      i += 1;
    } else if (b >= 0xA1 && b <= 0xDF) {
      c = static_cast<UniChar>(0xFF61 + (b - 0xA1));
      i += 1;
    } else {
      const int lead = leadIndex(b);
      const int trail = i + 1 < n ? trailIndex(s[i + 1]) : -1;
      if (lead < 0 || trail < 0) return false;
      c = t.decode(lead, trail);
      if (c == 0) return false;
      i += 2;
    }
    if (out < cap) dst[out] = c;
    ++out;
  }
  *total = out;
  return true;
}

} // namespace

int32_t decode(const char* src, int32_t n, UniChar* dst, int32_t cap) {
  const Tables* t = tables();
  int32_t total = 0;
  if (!t || !run(*t, reinterpret_cast<const unsigned char*>(src), n, dst, cap, &total))
    return kCodecInvalid;
  return total > cap ? kCodecOverflow : total;
}

int32_t decodedLength(const char* src, int32_t n) {
  const Tables* t = tables();
  int32_t total = 0;
  if (!t || !run(*t, reinterpret_cast<const unsigned char*>(src), n, nullptr, 0, &total))
    return kCodecInvalid;
  return total;
}

int32_t encode(const UniChar* src, int32_t n, char* dst, int32_t cap) {
  const Tables* t = tables();
  if (!t) return kCodecInvalid;
  int32_t out = 0;
  bool overflow = false;
  for (int32_t i = 0; i < n; ++i) {
    const UniChar c = src[i];
    uint16_t code;
    if (c < 0x80)
      code = c;
    else if (c == 0x00A5)
      code = 0x5C;
    else if (c == 0x203E)
      code = 0x7E;
    else if (c >= 0xFF61 && c <= 0xFF9F)
      code = static_cast<uint16_t>(c - 0xFEC0);
    else if ((code = t->encode(c)) == 0)
      return kCodecInvalid;
    const int32_t size = code > 0xFF ? 2 : 1;
    if (out + size > cap) {
      overflow = true; // go on: a later character without a form still makes it invalid
      out += size;
      continue;
    }
    if (size == 2) dst[out++] = static_cast<char>(code >> 8);
    dst[out++] = static_cast<char>(code & 0xFF);
  }
  return overflow ? kCodecOverflow : out;
}

} // namespace kiv::platform::shiftjis
