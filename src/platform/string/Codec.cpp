// The converters behind the string service. Single-byte encodings use their tables, built once
// per process; for the other encodings each thread opens an ICU converter on first use and keeps
// it until the thread ends; every conversion resets and reuses it.
#include "platform/string/Codec.h"
#include "platform/string/ShiftJis.h"
#include "platform/string/SingleByte.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace kiv::platform {
namespace {

// Mac Roman is the current published table (0xDB is the euro sign, 0xF0 the private-use
// U+F8FF); Windows Latin 1 is Windows-1252. Shift-JIS has no converter of its own: ShiftJis.cpp
// converts it after the published table.
constexpr KnownEncoding kEncodings[] = {
    {kCFStringEncodingMacRoman, "macos-0_2-10.2"},
    {kCFStringEncodingWindowsLatin1, "windows-1252"},
    {kCFStringEncodingShiftJIS, nullptr},
    {kCFStringEncodingUTF8, "UTF-8"},
    {kCFStringEncodingASCII, "US-ASCII"},
    {kCFStringEncodingISOLatin1, "ISO-8859-1"},
    {kCFStringEncodingISOLatin2, "ISO-8859-2"},
    {kCFStringEncodingISOLatin3, "ISO-8859-3"},
    {kCFStringEncodingISOLatin4, "ISO-8859-4"},
    {kCFStringEncodingISOLatinCyrillic, "ISO-8859-5"},
    {kCFStringEncodingISOLatinArabic, "ISO-8859-6"},
    {kCFStringEncodingISOLatinGreek, "ISO-8859-7"},
    {kCFStringEncodingISOLatinHebrew, "ISO-8859-8"},
    {kCFStringEncodingISOLatin5, "ISO-8859-9"},
    {kCFStringEncodingISOLatin6, "ISO-8859-10"},
    {kCFStringEncodingISOLatinThai, "ISO-8859-11"},
    {kCFStringEncodingISOLatin7, "ISO-8859-13"},
    {kCFStringEncodingISOLatin8, "ISO-8859-14"},
    {kCFStringEncodingISOLatin9, "ISO-8859-15"},
    {kCFStringEncodingWindowsLatin2, "windows-1250"},
    {kCFStringEncodingWindowsCyrillic, "windows-1251"},
    {kCFStringEncodingWindowsGreek, "windows-1253"},
    {kCFStringEncodingWindowsLatin5, "windows-1254"},
    {kCFStringEncodingWindowsHebrew, "windows-1255"},
    {kCFStringEncodingWindowsArabic, "windows-1256"},
    {kCFStringEncodingWindowsBalticRim, "windows-1257"},
    {kCFStringEncodingWindowsVietnamese, "windows-1258"},
    {kCFStringEncodingGBK_95, "GBK"},
    {kCFStringEncodingGB_18030_2000, "GB18030"},
    {kCFStringEncodingEUC_JP, "EUC-JP"},
    {kCFStringEncodingEUC_CN, "EUC-CN"},
    {kCFStringEncodingEUC_TW, "EUC-TW"},
    {kCFStringEncodingEUC_KR, "EUC-KR"},
    {kCFStringEncodingKOI8_R, "KOI8-R"},
    {kCFStringEncodingBig5, "Big5"},
    {kCFStringEncodingKOI8_U, "KOI8-U"},
};

constexpr int kEncodingCount = static_cast<int>(sizeof kEncodings / sizeof kEncodings[0]);
static_assert(kEncodingCount <= kMaxKnownEncodings);

void stopToUnicode(const void*, UConverterToUnicodeArgs*, const char*, int32_t,
                   UConverterCallbackReason, UErrorCode*) {}

void stopFromUnicode(const void*, UConverterFromUnicodeArgs*, const UChar*, int32_t, UChar32,
                     UConverterCallbackReason, UErrorCode*) {}

// The calling thread's open converters. A handful of encodings is ever used, so a short
// array searched linearly (most recent first) beats a map.
class ConverterCache {
public:
  ConverterCache() = default;
  ConverterCache(const ConverterCache&) = delete;
  ConverterCache& operator=(const ConverterCache&) = delete;
  ~ConverterCache() {
    for (int i = 0; i < count_; ++i)
      ucnv_close(slots_[i].converter);
  }

  UConverter* get(CFStringEncoding encoding) {
    for (int i = 0; i < count_; ++i) {
      if (slots_[i].encoding == encoding) {
        if (i != 0) {
          Slot found = slots_[i];
          std::memmove(&slots_[1], &slots_[0], sizeof(Slot) * i);
          slots_[0] = found;
        }
        return slots_[0].converter;
      }
    }
    UConverter* converter = open(encoding);
    if (!converter) return nullptr;
    if (count_ == kSlots) {
      ucnv_close(slots_[kSlots - 1].converter);
      --count_;
    }
    std::memmove(&slots_[1], &slots_[0], sizeof(Slot) * count_);
    slots_[0] = Slot{encoding, converter};
    ++count_;
    return converter;
  }

private:
  static UConverter* open(CFStringEncoding encoding) {
    const char* name = icuConverterName(encoding);
    if (!name) return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name, &status);
    if (U_FAILURE(status)) return nullptr;
    // Stop instead of substituting, both ways. ICU's own stop callback silently skips
    // default-ignorable characters (soft hyphen, zero-width space, ...) that the target lacks;
    // these callbacks leave the converter's error in place for every character without a form.
    ucnv_setToUCallBack(converter, stopToUnicode, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(converter, stopFromUnicode, nullptr, nullptr, nullptr, &status);
    ucnv_setFallback(converter, false);
    if (U_FAILURE(status)) {
      ucnv_close(converter);
      return nullptr;
    }
    return converter;
  }

  struct Slot {
    CFStringEncoding encoding;
    UConverter* converter;
  };
  static constexpr int kSlots = 8;
  Slot slots_[kSlots] = {};
  int count_ = 0;
};

UConverter* converterFor(CFStringEncoding encoding) {
  thread_local ConverterCache cache;
  return cache.get(encoding);
}

int32_t resultOf(UErrorCode status, int32_t length) {
  if (status == U_BUFFER_OVERFLOW_ERROR) return kCodecOverflow;
  if (U_FAILURE(status)) return kCodecInvalid;
  return length;
}

UChar* asUChar(UniChar* p) { return reinterpret_cast<UChar*>(p); }
const UChar* asUChar(const UniChar* p) { return reinterpret_cast<const UChar*>(p); }

} // namespace

const KnownEncoding* knownEncodings(int* count) {
  *count = kEncodingCount;
  return kEncodings;
}

int encodingIndex(CFStringEncoding encoding) {
  for (int i = 0; i < kEncodingCount; ++i)
    if (kEncodings[i].code == encoding) return i;
  return -1;
}

const char* icuConverterName(CFStringEncoding encoding) {
  const int i = encodingIndex(encoding);
  return i < 0 ? nullptr : kEncodings[i].icuName;
}

bool isKnownEncoding(CFStringEncoding encoding) { return encodingIndex(encoding) >= 0; }

int32_t decode(CFStringEncoding encoding, const char* src, int32_t n, UniChar* dst, int32_t cap) {
  if (n < 0 || cap < 0 || (n > 0 && !src) || (cap > 0 && !dst)) return kCodecInvalid;
  if (n == 0) return isKnownEncoding(encoding) ? 0 : kCodecInvalid;
  UErrorCode status = U_ZERO_ERROR;
  int32_t length;
  if (encoding == kCFStringEncodingShiftJIS) return shiftjis::decode(src, n, dst, cap);
  if (encoding == kCFStringEncodingUTF8) {
    u_strFromUTF8(asUChar(dst), cap, &length, src, n, &status);
  } else if (const singlebyte::Table* t = singlebyte::tableFor(encoding)) {
    return singlebyte::decode(*t, src, n, dst, cap);
  } else {
    UConverter* converter = converterFor(encoding);
    if (!converter) return kCodecInvalid;
    length = ucnv_toUChars(converter, asUChar(dst), cap, src, n, &status);
  }
  return resultOf(status, length);
}

int32_t decodedLength(CFStringEncoding encoding, const char* src, int32_t n) {
  if (n < 0 || (n > 0 && !src)) return kCodecInvalid;
  if (n == 0) return isKnownEncoding(encoding) ? 0 : kCodecInvalid;
  UErrorCode status = U_ZERO_ERROR;
  int32_t length;
  if (encoding == kCFStringEncodingShiftJIS) return shiftjis::decodedLength(src, n);
  if (encoding == kCFStringEncodingUTF8) {
    u_strFromUTF8(nullptr, 0, &length, src, n, &status);
  } else if (const singlebyte::Table* t = singlebyte::tableFor(encoding)) {
    return singlebyte::decodedLength(*t, src, n);
  } else {
    UConverter* converter = converterFor(encoding);
    if (!converter) return kCodecInvalid;
    length = ucnv_toUChars(converter, nullptr, 0, src, n, &status);
  }
  if (status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status)) return length;
  return kCodecInvalid;
}

int32_t encode(CFStringEncoding encoding, const UniChar* src, int32_t n, char* dst, int32_t cap) {
  if (n < 0 || cap < 0 || (n > 0 && !src) || (cap > 0 && !dst)) return kCodecInvalid;
  if (n == 0) return isKnownEncoding(encoding) ? 0 : kCodecInvalid;
  UErrorCode status = U_ZERO_ERROR;
  int32_t length;
  if (encoding == kCFStringEncodingShiftJIS) return shiftjis::encode(src, n, dst, cap);
  if (encoding == kCFStringEncodingUTF8) {
    u_strToUTF8(dst, cap, &length, asUChar(src), n, &status);
  } else if (const singlebyte::Table* t = singlebyte::tableFor(encoding)) {
    return singlebyte::encode(*t, src, n, dst, cap);
  } else {
    UConverter* converter = converterFor(encoding);
    if (!converter) return kCodecInvalid;
    length = ucnv_fromUChars(converter, dst, cap, asUChar(src), n, &status);
  }
  return resultOf(status, length);
}

int32_t transcode(CFStringEncoding from, const char* src, int32_t n, CFStringEncoding to, char* dst,
                  int32_t cap) {
  const bool fromUtf8 = from == kCFStringEncodingUTF8, toUtf8 = to == kCFStringEncodingUTF8;
  if (fromUtf8 && toUtf8) return kCodecNoDirectPath;
  const singlebyte::Table* in = fromUtf8 ? nullptr : singlebyte::tableFor(from);
  const singlebyte::Table* out = toUtf8 ? nullptr : singlebyte::tableFor(to);
  if ((!fromUtf8 && !in) || (!toUtf8 && !out)) return kCodecNoDirectPath;
  if (n < 0 || cap < 0 || (n > 0 && !src) || (cap > 0 && !dst)) return kCodecInvalid;
  if (fromUtf8) return singlebyte::fromUtf8(*out, src, n, dst, cap);
  if (toUtf8) return singlebyte::toUtf8(*in, src, n, dst, cap);
  return singlebyte::recode(*in, *out, src, n, dst, cap);
}

namespace {

// Lower case with '-' and '_' removed, so that "UTF-8", "utf8" and "UTF_8" compare equal.
std::string_view normalise(std::string_view in, char* out, size_t room) {
  size_t n = 0;
  for (char c : in) {
    if (c == '-' || c == '_') continue;
    if (n + 1 >= room) break;
    out[n++] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return std::string_view(out, n);
}

struct CodesetName {
  const char* name; // normalised
  CFStringEncoding code;
};

constexpr CodesetName kCodesets[] = {
    {"utf8", kCFStringEncodingUTF8},
    {"ansix3.41968", kCFStringEncodingASCII},
    {"ascii", kCFStringEncodingASCII},
    {"usascii", kCFStringEncodingASCII},
    {"iso88591", kCFStringEncodingISOLatin1},
    {"iso88592", kCFStringEncodingISOLatin2},
    {"iso88593", kCFStringEncodingISOLatin3},
    {"iso88594", kCFStringEncodingISOLatin4},
    {"iso88595", kCFStringEncodingISOLatinCyrillic},
    {"iso88596", kCFStringEncodingISOLatinArabic},
    {"iso88597", kCFStringEncodingISOLatinGreek},
    {"iso88598", kCFStringEncodingISOLatinHebrew},
    {"iso88599", kCFStringEncodingISOLatin5},
    {"iso885910", kCFStringEncodingISOLatin6},
    {"iso885911", kCFStringEncodingISOLatinThai},
    {"tis620", kCFStringEncodingISOLatinThai},
    {"iso885913", kCFStringEncodingISOLatin7},
    {"iso885914", kCFStringEncodingISOLatin8},
    {"iso885915", kCFStringEncodingISOLatin9},
    {"cp1250", kCFStringEncodingWindowsLatin2},
    {"cp1251", kCFStringEncodingWindowsCyrillic},
    {"cp1252", kCFStringEncodingWindowsLatin1},
    {"cp1253", kCFStringEncodingWindowsGreek},
    {"cp1254", kCFStringEncodingWindowsLatin5},
    {"cp1255", kCFStringEncodingWindowsHebrew},
    {"cp1256", kCFStringEncodingWindowsArabic},
    {"cp1257", kCFStringEncodingWindowsBalticRim},
    {"cp1258", kCFStringEncodingWindowsVietnamese},
    {"windows1250", kCFStringEncodingWindowsLatin2},
    {"windows1251", kCFStringEncodingWindowsCyrillic},
    {"windows1252", kCFStringEncodingWindowsLatin1},
    {"gbk", kCFStringEncodingGBK_95},
    {"gb18030", kCFStringEncodingGB_18030_2000},
    {"gb2312", kCFStringEncodingEUC_CN},
    {"euccn", kCFStringEncodingEUC_CN},
    {"eucjp", kCFStringEncodingEUC_JP},
    {"euckr", kCFStringEncodingEUC_KR},
    {"euctw", kCFStringEncodingEUC_TW},
    {"sjis", kCFStringEncodingShiftJIS},
    {"shiftjis", kCFStringEncodingShiftJIS},
    {"big5", kCFStringEncodingBig5},
    {"koi8r", kCFStringEncodingKOI8_R},
    {"koi8u", kCFStringEncodingKOI8_U},
};

// Character sets of the locales whose names carry no codeset; the rest default to Latin 1.
struct LanguageDefault {
  const char* prefix;
  CFStringEncoding code;
};

constexpr LanguageDefault kLanguageDefaults[] = {
    {"ja_JP", kCFStringEncodingEUC_JP},           {"ko_KR", kCFStringEncodingEUC_KR},
    {"zh_CN", kCFStringEncodingEUC_CN},           {"zh_TW", kCFStringEncodingBig5},
    {"ru_RU", kCFStringEncodingISOLatinCyrillic}, {"uk_UA", kCFStringEncodingKOI8_U},
    {"el_GR", kCFStringEncodingISOLatinGreek},    {"pl_PL", kCFStringEncodingISOLatin2},
    {"cs_CZ", kCFStringEncodingISOLatin2},        {"hu_HU", kCFStringEncodingISOLatin2},
    {"tr_TR", kCFStringEncodingISOLatin5},        {"he_IL", kCFStringEncodingISOLatinHebrew},
    {"th_TH", kCFStringEncodingISOLatinThai},
};

// The encoding of a locale name such as "de_DE.ISO-8859-1" or "de_DE@euro".
CFStringEncoding encodingOfLocale(std::string_view locale) {
  if (locale == "C" || locale == "POSIX") return kCFStringEncodingASCII;

  std::string_view modifier;
  if (size_t at = locale.find('@'); at != std::string_view::npos) {
    modifier = locale.substr(at + 1);
    locale = locale.substr(0, at);
  }
  if (size_t dot = locale.find('.'); dot != std::string_view::npos) {
    char buffer[32];
    std::string_view codeset = normalise(locale.substr(dot + 1), buffer, sizeof buffer);
    for (const auto& c : kCodesets)
      if (codeset == c.name) return c.code;
    // A character set the service cannot convert: the C library could not load such a
    // locale either and would run in the C locale.
    return kCFStringEncodingASCII;
  }
  if (modifier == "euro") return kCFStringEncodingISOLatin9;
  for (const auto& d : kLanguageDefaults)
    if (locale == d.prefix) return d.code;
  return kCFStringEncodingISOLatin1;
}

} // namespace

CFStringEncoding systemEncodingFromEnvironment() {
  const char* value = nullptr;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* v = std::getenv(name);
    if (v && *v) {
      value = v;
      break;
    }
  }
  if (!value) return kCFStringEncodingASCII;
  // The environment is read on every call, as it may change, but rarely does: the last value
  // this thread read and its encoding are kept.
  thread_local char lastValue[64] = "";
  thread_local CFStringEncoding lastCode = kCFStringEncodingASCII;
  if (lastValue[0] != '\0' && std::strcmp(value, lastValue) == 0) return lastCode;
  const CFStringEncoding code = encodingOfLocale(value);
  if (std::strlen(value) < sizeof lastValue) {
    std::strcpy(lastValue, value);
    lastCode = code;
  }
  return code;
}

} // namespace kiv::platform
