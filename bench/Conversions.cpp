// Times the Pascal-size conversions and DetectKanjiCode beside the same work done by raw ICU on
// cached converters, by glibc's iconv on a descriptor opened once, and by memcpy of the source
// bytes (the floor no conversion can beat), all in the same run, on two inputs: typical text
// (mostly ASCII with some accented letters, or some kanji) and the worst case (every byte above
// 0x7F). Prints each conversion's ratios to the three, and counts the heap allocations (operator
// new and ICU's allocator) made inside the timed loops.
//
// Every twin is checked once to give the library's own result; the worst-case inputs use only
// the characters on which the three implementations agree, so that no twin stops early.
//
//   bench_Conversions --benchmark_repetitions=5 --benchmark_min_time=0.2
#include <KIVStr.h>
#include <KIV_Str.h>

#include "BenchRatios.h"

#include <benchmark/benchmark.h>
#include <iconv.h>
#include <unicode/uclean.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::atomic<long> gAllocations{0};

void* countingAlloc(const void*, size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size);
}
void* countingRealloc(const void*, void* p, size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::realloc(p, size);
}
void countingFree(const void*, void* p) { std::free(p); }

UConverter* openStopping(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* c = ucnv_open(name, &status);
  ucnv_setToUCallBack(c, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  if (U_FAILURE(status)) std::abort();
  return c;
}

UConverter* icu(const char* name) {
  static std::map<std::string, UConverter*> open;
  UConverter*& c = open[name];
  if (!c) c = openStopping(name);
  return c;
}

iconv_t iconvFor(const char* to, const char* from) {
  static std::map<std::string, iconv_t> open;
  iconv_t& cd = open[std::string(to) + "<" + from];
  if (!cd) cd = iconv_open(to, from);
  return cd;
}

// One iconv call over a whole text from the initial state; the number of bytes written, or -1.
long runIconv(iconv_t cd, const void* in, size_t inBytes, void* out, size_t room) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* src = static_cast<char*>(const_cast<void*>(in));
  char* dst = static_cast<char*>(out);
  size_t left = room;
  if (iconv(cd, &src, &inBytes, &dst, &left) == static_cast<size_t>(-1)) return -1;
  return static_cast<long>(room - left);
}

constexpr const char* kRoman = "macos-0_2-10.2";
constexpr const char* kWin = "windows-1252";
constexpr const char* kSjis = "Shift_JIS";

// Text converted with ICU while the inputs are prepared.
std::string fromUtf8(const char* to, const std::string& utf8) {
  std::u16string u(utf8.size() + 1, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = 0;
  u_strFromUTF8(reinterpret_cast<UChar*>(u.data()), static_cast<int32_t>(u.size()), &n, utf8.data(),
                static_cast<int32_t>(utf8.size()), &status);
  std::string out(4 * n + 4, '\0');
  int32_t m = ucnv_fromUChars(icu(to), out.data(), static_cast<int32_t>(out.size()),
                              reinterpret_cast<UChar*>(u.data()), n, &status);
  if (U_FAILURE(status)) std::abort();
  out.resize(m);
  return out;
}

std::u16string toUnits(const char* from, const std::string& bytes) {
  std::u16string u(bytes.size() + 1, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t n =
      ucnv_toUChars(icu(from), reinterpret_cast<UChar*>(u.data()), static_cast<int32_t>(u.size()),
                    bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) std::abort();
  u.resize(n);
  return u;
}

std::string toUtf8(const std::u16string& u) {
  std::string out(3 * u.size() + 1, '\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = 0;
  u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &n,
              reinterpret_cast<const UChar*>(u.data()), static_cast<int32_t>(u.size()), &status);
  out.resize(n);
  return out;
}

// The first `count` characters of `utf8` repeated.
std::string repeatTo(const std::string& utf8, size_t count) {
  std::u16string u = toUnits("UTF-8", utf8), all;
  while (all.size() < count)
    all += u;
  all.resize(count);
  return toUtf8(all);
}

const char kSentence[] = "Zo\xC3\xAB met the caf\xC3\xA9 owner near the H\xC3\xB4tel de Ville, "
                         "then walked along the river to the old bridge. ";
const char kAsciiSentence[] =
    "Zoe met the cafe owner near the Hotel de Ville, then walked along the river. ";
const char kJapanese[] = "Meeting at 10:00 in \xE4\xBC\x9A\xE8\xAD\xB0\xE5\xAE\xA4 B; bring "
                         "the \xE8\xB3\x87\xE6\x96\x99 please. ";
const char kKanji[] = "\xE6\xBC\xA2\xE5\xAD\x97\xE5\xA4\x89\xE6\x8F\x9B";

// Mac Roman bytes above 0x7F whose character ICU, iconv and the library all give alike, and
// which Windows Latin 1 also has (for the Windows-to-Mac worst case).
std::string agreedHighBytes(const char* icuName, const char* iconvName) {
  std::string out;
  for (int b = 0x80; b < 0x100; ++b) {
    const unsigned char p[2] = {1, static_cast<unsigned char>(b)};
    unsigned short mine[4] = {};
    PStringToUniString(const_cast<unsigned char*>(p), mine, 0);
    std::u16string viaIcu = toUnits(icuName, std::string(1, char(b)));
    char16_t viaIconv[4];
    long n = runIconv(iconvFor("UTF-16LE", iconvName), p + 1, 1, viaIconv, sizeof viaIconv);
    if (mine[0] == 1 && viaIcu.size() == 1 && n == 2 && viaIcu[0] == viaIconv[0]) out += char(b);
  }
  return out;
}

struct Inputs {
  std::string romanTypical, romanWorst;    // 255 Mac Roman bytes
  std::string winTypical, winWorst;        // 253 Windows Latin 1 bytes
  std::string sjisTypical, sjisWorst;      // at most 254 Shift-JIS bytes
  std::string utf8Typical, utf8Worst;      // 254 characters in UTF-8
  std::u16string unitsTypical, unitsWorst; // 255 units, all in Mac Roman
  std::u16string sjisUnitsTypical, sjisUnitsWorst;
  std::u16string asciiUnits; // 255 ASCII units

  Inputs() {
    romanTypical = fromUtf8(kRoman, repeatTo(kSentence, 255));
    asciiUnits = toUnits("UTF-8", repeatTo(kAsciiSentence, 255));
    std::string high = agreedHighBytes(kRoman, "MACINTOSH");
    // Characters that both Windows Latin 1 and Mac Roman have, as the conversion needs.
    std::string both;
    for (char b : high) {
      std::u16string u = toUnits(kRoman, std::string(1, b));
      UErrorCode status = U_ZERO_ERROR;
      char w[4];
      int32_t n = ucnv_fromUChars(icu(kWin), w, 4, reinterpret_cast<UChar*>(u.data()), 1, &status);
      if (U_SUCCESS(status) && n == 1 && static_cast<unsigned char>(w[0]) >= 0x80) both += b;
    }
    for (size_t i = 0; romanWorst.size() < 255; ++i)
      romanWorst += high[i % high.size()];
    unitsTypical = toUnits(kRoman, romanTypical);
    unitsWorst = toUnits(kRoman, romanWorst);
    utf8Typical = toUtf8(unitsTypical.substr(0, 254));
    utf8Worst = toUtf8(unitsWorst.substr(0, 254));
    winTypical = fromUtf8(kWin, toUtf8(unitsTypical.substr(0, 253)));
    std::string bothRoman;
    for (size_t i = 0; bothRoman.size() < 253; ++i)
      bothRoman += both[i % both.size()];
    winWorst = fromUtf8(kWin, toUtf8(toUnits(kRoman, bothRoman)));

    auto fit = [](const std::string& text) {
      std::string all;
      for (size_t i = 0;; ++i) {
        std::string next = fromUtf8(kSjis, repeatTo(text, i + 1));
        if (next.size() > 254) return all;
        all = next;
      }
    };
    sjisTypical = fit(kJapanese);
    sjisWorst = fit(kKanji);
    sjisUnitsTypical = toUnits(kSjis, sjisTypical);
    sjisUnitsWorst = toUnits(kSjis, sjisWorst);
  }
};

const Inputs& inputs() {
  static const Inputs in;
  return in;
}

std::vector<unsigned char> pascal(const std::string& bytes) {
  std::vector<unsigned char> p(256, 0);
  p[0] = static_cast<unsigned char>(bytes.size());
  std::memcpy(p.data() + 1, bytes.data(), bytes.size());
  return p;
}

std::vector<unsigned short> uniString(const std::u16string& u) {
  std::vector<unsigned short> s(u.size() + 1);
  s[0] = static_cast<unsigned short>(u.size());
  std::memcpy(s.data() + 1, u.data(), 2 * u.size());
  return s;
}

// The four ways of doing one conversion on one input. Each returns its result as bytes, so that
// the twins can be checked against the library once before timing.
struct Contest {
  std::string conversion, input;
  std::function<std::string_view()> kiv, icu, iconv, floor;
};

// Where the memcpy floors copy the source to: room for any source here.
unsigned char gFloor[4096];

std::vector<Contest>& contests() {
  static std::vector<Contest> all;
  return all;
}

std::string_view bytesOf(const void* p, size_t n) {
  return std::string_view(static_cast<const char*>(p), n);
}

// Mac Roman (or another single-byte encoding) to UTF-16.
void addDecode(const char* conversion, const char* input, const std::string& bytes) {
  auto p = std::make_shared<std::vector<unsigned char>>(pascal(bytes));
  auto u = std::make_shared<std::vector<unsigned short>>(256);
  contests().push_back({conversion, input,
                        [=] {
                          PStringToUniString(p->data(), u->data(), 0);
                          return bytesOf(u->data() + 1, 2 * (*u)[0]);
                        },
                        [=] {
                          UErrorCode status = U_ZERO_ERROR;
                          int32_t n = ucnv_toUChars(
                              icu(kRoman), reinterpret_cast<UChar*>(u->data() + 1), 255,
                              reinterpret_cast<char*>(p->data() + 1), (*p)[0], &status);
                          (*u)[0] = static_cast<unsigned short>(U_SUCCESS(status) ? n : 0);
                          return bytesOf(u->data() + 1, 2 * (*u)[0]);
                        },
                        [=] {
                          long n = runIconv(iconvFor("UTF-16LE", "MACINTOSH"), p->data() + 1,
                                            (*p)[0], u->data() + 1, 510);
                          (*u)[0] = static_cast<unsigned short>(n > 0 ? n / 2 : 0);
                          return bytesOf(u->data() + 1, 2 * (*u)[0]);
                        },
                        [=] {
                          std::memcpy(gFloor, p->data() + 1, (*p)[0]);
                          return std::string_view();
                        }});
}

// UTF-16 (a file name) to Mac Roman.
void addEncode(const char* input, const std::u16string& units) {
  auto name = std::make_shared<HFSUniStr255>();
  name->length = static_cast<UInt16>(units.size());
  std::memcpy(name->unicode, units.data(), 2 * units.size());
  auto p = std::make_shared<std::vector<unsigned char>>(256);
  contests().push_back({"UniStringToPString", input,
                        [=] {
                          UniStringToPString(name.get(), p->data());
                          return bytesOf(p->data() + 1, (*p)[0]);
                        },
                        [=] {
                          UErrorCode status = U_ZERO_ERROR;
                          int32_t n = ucnv_fromUChars(
                              icu(kRoman), reinterpret_cast<char*>(p->data() + 1), name->length,
                              reinterpret_cast<UChar*>(name->unicode), name->length, &status);
                          (*p)[0] = static_cast<unsigned char>(U_SUCCESS(status) ? n : 0);
                          return bytesOf(p->data() + 1, (*p)[0]);
                        },
                        [=] {
                          long n = runIconv(iconvFor("MACINTOSH", "UTF-16LE"), name->unicode,
                                            2 * name->length, p->data() + 1, name->length);
                          (*p)[0] = static_cast<unsigned char>(n > 0 ? n : 0);
                          return bytesOf(p->data() + 1, (*p)[0]);
                        },
                        [=] {
                          std::memcpy(gFloor, name->unicode, 2 * name->length);
                          return std::string_view();
                        }});
}

// Mac Roman to UTF-8, in 2 * n bytes.
void addRomanToUtf8(const char* input, const std::string& bytes) {
  auto p = std::make_shared<std::vector<unsigned char>>(pascal(bytes));
  auto s = std::make_shared<std::vector<char>>(512);
  contests().push_back({"PStringToUTFString", input,
                        [=] {
                          PStringToUTFString(p->data(), s->data());
                          return std::string_view(s->data());
                        },
                        [=] {
                          UChar u[256];
                          UErrorCode status = U_ZERO_ERROR;
                          int32_t n = ucnv_toUChars(icu(kRoman), u, 256,
                                                    reinterpret_cast<char*>(p->data() + 1), (*p)[0],
                                                    &status);
                          int32_t len = 0;
                          u_strToUTF8(s->data(), 2 * (*p)[0] - 1, &len, u, n, &status);
                          (*s)[U_SUCCESS(status) ? len : 0] = 0;
                          return std::string_view(s->data());
                        },
                        [=] {
                          long n = runIconv(iconvFor("UTF-8", "MACINTOSH"), p->data() + 1, (*p)[0],
                                            s->data(), 2 * (*p)[0] - 1);
                          (*s)[n > 0 ? n : 0] = 0;
                          return std::string_view(s->data());
                        },
                        [=] {
                          std::memcpy(gFloor, p->data() + 1, (*p)[0]);
                          return std::string_view();
                        }});
}

// UTF-8 to a Mac Roman Pascal string of at most 254 characters.
void addUtf8ToRoman(const char* input, const std::string& utf8) {
  auto s = std::make_shared<std::string>(utf8);
  auto p = std::make_shared<std::vector<unsigned char>>(256);
  contests().push_back(
      {"UTFStringToPString", input,
       [=] {
         UTFStringToPString(s->data(), p->data());
         return bytesOf(p->data() + 1, (*p)[0]);
       },
       [=] {
         UChar u[254];
         UErrorCode status = U_ZERO_ERROR;
         int32_t n = 0;
         u_strFromUTF8(u, 254, &n, s->data(), static_cast<int32_t>(s->size()), &status);
         int32_t m = ucnv_fromUChars(icu(kRoman), reinterpret_cast<char*>(p->data() + 1), 254, u, n,
                                     &status);
         (*p)[0] = static_cast<unsigned char>(U_SUCCESS(status) ? m : 0);
         return bytesOf(p->data() + 1, (*p)[0]);
       },
       [=] {
         long n =
             runIconv(iconvFor("MACINTOSH", "UTF-8"), s->data(), s->size(), p->data() + 1, 254);
         (*p)[0] = static_cast<unsigned char>(n > 0 ? n : 0);
         return bytesOf(p->data() + 1, (*p)[0]);
       },
       [=] {
         std::memcpy(gFloor, s->data(), s->size());
         return std::string_view();
       }});
}

// Windows Latin 1 to Mac Roman, in place.
void addWinToMac(const char* input, const std::string& bytes) {
  auto source = std::make_shared<std::vector<unsigned char>>(pascal(bytes));
  auto work = std::make_shared<std::vector<unsigned char>>(256);
  auto reset = [=] { std::memcpy(work->data(), source->data(), 256); };
  contests().push_back({"ConvertWinString2MacString", input,
                        [=] {
                          reset();
                          ConvertWinString2MacString(work->data());
                          return bytesOf(work->data() + 1, (*work)[0]);
                        },
                        [=] {
                          reset();
                          UChar u[253];
                          char out[253];
                          UErrorCode status = U_ZERO_ERROR;
                          int32_t n = ucnv_toUChars(icu(kWin), u, 253,
                                                    reinterpret_cast<char*>(work->data() + 1),
                                                    (*work)[0], &status);
                          int32_t m = ucnv_fromUChars(icu(kRoman), out, 253, u, n, &status);
                          if (U_SUCCESS(status))
                            std::memcpy(work->data() + 1, out, static_cast<size_t>(m));
                          return bytesOf(work->data() + 1, (*work)[0]);
                        },
                        [=] {
                          reset();
                          char out[253];
                          if (runIconv(iconvFor("MACINTOSH", "CP1252"), work->data() + 1,
                                       (*work)[0], out, 253) == (*work)[0])
                            std::memcpy(work->data() + 1, out, (*work)[0]);
                          return bytesOf(work->data() + 1, (*work)[0]);
                        },
                        [=] {
                          reset();
                          char out[253];
                          std::memcpy(out, work->data() + 1, (*work)[0]);
                          benchmark::DoNotOptimize(out);
                          std::memcpy(work->data() + 1, out, (*work)[0]);
                          return std::string_view();
                        }});
}

void addSjisDecode(const char* input, const std::string& bytes) {
  auto p = std::make_shared<std::vector<unsigned char>>(pascal(bytes));
  auto u = std::make_shared<std::vector<unsigned short>>(256);
  contests().push_back({"SJIS_PStringToUniString", input,
                        [=] {
                          SJIS_PStringToUniString(p->data(), u->data());
                          return bytesOf(u->data() + 1, 2 * (*u)[0]);
                        },
                        [=] {
                          UErrorCode status = U_ZERO_ERROR;
                          int32_t n = ucnv_toUChars(
                              icu(kSjis), reinterpret_cast<UChar*>(u->data() + 1), 255,
                              reinterpret_cast<char*>(p->data() + 1), (*p)[0], &status);
                          (*u)[0] = static_cast<unsigned short>(U_SUCCESS(status) ? n : 0);
                          return bytesOf(u->data() + 1, 2 * (*u)[0]);
                        },
                        [=] {
                          long n = runIconv(iconvFor("UTF-16LE", "SHIFT_JIS"), p->data() + 1,
                                            (*p)[0], u->data() + 1, 510);
                          (*u)[0] = static_cast<unsigned short>(n > 0 ? n / 2 : 0);
                          return bytesOf(u->data() + 1, 2 * (*u)[0]);
                        },
                        [=] {
                          std::memcpy(gFloor, p->data() + 1, (*p)[0]);
                          return std::string_view();
                        }});
}

void addSjisEncode(const char* input, const std::u16string& units) {
  auto u = std::make_shared<std::vector<unsigned short>>(uniString(units));
  auto p = std::make_shared<std::vector<unsigned char>>(256);
  contests().push_back({"UniStringToSJIS_PString", input,
                        [=] {
                          UniStringToSJIS_PString(u->data(), p->data());
                          return bytesOf(p->data() + 1, (*p)[0]);
                        },
                        [=] {
                          UErrorCode status = U_ZERO_ERROR;
                          int32_t n = ucnv_fromUChars(
                              icu(kSjis), reinterpret_cast<char*>(p->data() + 1), 254,
                              reinterpret_cast<UChar*>(u->data() + 1), (*u)[0], &status);
                          (*p)[0] = static_cast<unsigned char>(U_SUCCESS(status) ? n : 0);
                          return bytesOf(p->data() + 1, (*p)[0]);
                        },
                        [=] {
                          long n = runIconv(iconvFor("SHIFT_JIS", "UTF-16LE"), u->data() + 1,
                                            2 * (*u)[0], p->data() + 1, 254);
                          (*p)[0] = static_cast<unsigned char>(n > 0 ? n : 0);
                          return bytesOf(p->data() + 1, (*p)[0]);
                        },
                        [=] {
                          std::memcpy(gFloor, u->data() + 1, 2 * (*u)[0]);
                          return std::string_view();
                        }});
}

// UTF-16 to UTF-8 in 2 * count bytes.
void addUnitsToUtf8(const char* input, const std::u16string& units) {
  auto u = std::make_shared<std::vector<unsigned short>>(uniString(units));
  auto s = std::make_shared<std::vector<char>>(1024);
  contests().push_back({"UniStringToUTFString", input,
                        [=] {
                          UniStringToUTFString(u->data(), s->data());
                          return std::string_view(s->data());
                        },
                        [=] {
                          UErrorCode status = U_ZERO_ERROR;
                          int32_t n = 0;
                          u_strToUTF8(s->data(), 2 * (*u)[0] - 1, &n,
                                      reinterpret_cast<UChar*>(u->data() + 1), (*u)[0], &status);
                          (*s)[U_SUCCESS(status) ? n : 0] = 0;
                          return std::string_view(s->data());
                        },
                        [=] {
                          long n = runIconv(iconvFor("UTF-8", "UTF-16LE"), u->data() + 1,
                                            2 * (*u)[0], s->data(), 2 * (*u)[0] - 1);
                          (*s)[n > 0 ? n : 0] = 0;
                          return std::string_view(s->data());
                        },
                        [=] {
                          std::memcpy(gFloor, u->data() + 1, 2 * (*u)[0]);
                          return std::string_view();
                        }});
}

// UTF-16 to a Pascal string in the system encoding (UTF-8 here), count + 1 bytes: ASCII only,
// since any other character takes two bytes or more.
void addUnitsToSystem(const char* input, const std::u16string& units) {
  auto u = std::make_shared<std::vector<unsigned short>>(uniString(units));
  auto p = std::make_shared<std::vector<unsigned char>>(256);
  contests().push_back({"UniStringToPString system", input,
                        [=] {
                          UniStringToPString(u->data(), p->data(), 0);
                          return bytesOf(p->data() + 1, (*p)[0]);
                        },
                        [=] {
                          UErrorCode status = U_ZERO_ERROR;
                          int32_t n = 0;
                          u_strToUTF8(reinterpret_cast<char*>(p->data() + 1), (*u)[0], &n,
                                      reinterpret_cast<UChar*>(u->data() + 1), (*u)[0], &status);
                          (*p)[0] = static_cast<unsigned char>(U_SUCCESS(status) ? n : 0);
                          return bytesOf(p->data() + 1, (*p)[0]);
                        },
                        [=] {
                          long n = runIconv(iconvFor("UTF-8", "UTF-16LE"), u->data() + 1,
                                            2 * (*u)[0], p->data() + 1, (*u)[0]);
                          (*p)[0] = static_cast<unsigned char>(n > 0 ? n : 0);
                          return bytesOf(p->data() + 1, (*p)[0]);
                        },
                        [=] {
                          std::memcpy(gFloor, u->data() + 1, 2 * (*u)[0]);
                          return std::string_view();
                        }});
}

// UTF-8 to UTF-16.
void addUtf8ToUnits(const char* input, const std::string& utf8) {
  auto s = std::make_shared<std::string>(utf8);
  auto u = std::make_shared<std::vector<unsigned short>>(1024);
  contests().push_back({"UTFStringToUniString", input,
                        [=] {
                          UTFStringToUniString(s->data(), u->data());
                          return bytesOf(u->data() + 1, 2 * (*u)[0]);
                        },
                        [=] {
                          UErrorCode status = U_ZERO_ERROR;
                          int32_t n = 0;
                          u_strFromUTF8(reinterpret_cast<UChar*>(u->data() + 1), 1023, &n,
                                        s->data(), static_cast<int32_t>(s->size()), &status);
                          (*u)[0] = static_cast<unsigned short>(U_SUCCESS(status) ? n : 0);
                          return bytesOf(u->data() + 1, 2 * (*u)[0]);
                        },
                        [=] {
                          long n = runIconv(iconvFor("UTF-16LE", "UTF-8"), s->data(), s->size(),
                                            u->data() + 1, 2046);
                          (*u)[0] = static_cast<unsigned short>(n > 0 ? n / 2 : 0);
                          return bytesOf(u->data() + 1, 2 * (*u)[0]);
                        },
                        [=] {
                          std::memcpy(gFloor, s->data(), s->size());
                          return std::string_view();
                        }});
}

void addAll() {
  const Inputs& in = inputs();
  addDecode("PStringToUniString", "typical", in.romanTypical);
  addDecode("PStringToUniString", "worst", in.romanWorst);
  addEncode("typical", in.unitsTypical);
  addEncode("worst", in.unitsWorst);
  addRomanToUtf8("typical", in.romanTypical);
  addRomanToUtf8("worst", in.romanWorst);
  addUtf8ToRoman("typical", in.utf8Typical);
  addUtf8ToRoman("worst", in.utf8Worst);
  addWinToMac("typical", in.winTypical);
  addWinToMac("worst", in.winWorst);
  addSjisDecode("typical", in.sjisTypical);
  addSjisDecode("worst", in.sjisWorst);
  addSjisEncode("typical", in.sjisUnitsTypical);
  addSjisEncode("worst", in.sjisUnitsWorst);
  addUnitsToUtf8("typical", in.unitsTypical);
  addUnitsToSystem("ascii", in.asciiUnits);
  addUtf8ToUnits("typical", in.utf8Typical);
  addUtf8ToUnits("worst", in.utf8Worst);
}

// Runs the timed loop and reports the allocations per iteration as a counter.
template <typename Body> void timed(benchmark::State& state, Body body) {
  body(); // opens the thread's converters before counting
  const long before = gAllocations.load();
  for (auto _ : state) {
    benchmark::DoNotOptimize(body());
    benchmark::ClobberMemory();
  }
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(gAllocations.load() - before) /
                                                static_cast<double>(state.iterations()));
}

// Registers the four timings of every contest, after checking that the twins give the
// library's result; a twin that does not is left out and named.
void registerAll() {
  for (const Contest& c : contests()) {
    const std::string base = c.conversion + "/" + c.input + "/";
    const std::string want(c.kiv());
    if (want.empty()) std::printf("note: %s gives an empty result\n", base.c_str());
    for (auto [who, run] : {std::pair{"kiv", c.kiv}, std::pair{"icu", c.icu},
                            std::pair{"iconv", c.iconv}, std::pair{"memcpy", c.floor}}) {
      const std::string name = base + who;
      if (std::string(who) != "memcpy" && std::string(who) != "kiv" && run() != want) {
        std::printf("note: %s differs from the library's result: not timed\n", name.c_str());
        continue;
      }
      benchmark::RegisterBenchmark(
          name.c_str(), [run](benchmark::State& state) { timed(state, [&] { return run(); }); });
    }
  }
}

// 255 bytes of EUC-JP pairs that stay undecided, so the whole text is scanned.
struct EucText {
  unsigned char p[256];
  EucText() {
    p[0] = 255;
    for (int i = 1; i <= 254; i += 2) {
      p[i] = 0xA4;
      p[i + 1] = 0xA2;
    }
    p[255] = 'a';
  }
};

void BM_DetectKanjiCode(benchmark::State& state) {
  EucText in;
  timed(state, [&] { return DetectKanjiCode(in.p); });
}
BENCHMARK(BM_DetectKanjiCode);

// A single decoding pass over the same bytes: the least work that reads them as Japanese.
void BM_DetectKanjiCode_icu(benchmark::State& state) {
  EucText in;
  timed(state, [&] {
    UChar u[256];
    UErrorCode status = U_ZERO_ERROR;
    return ucnv_toUChars(icu("EUC-JP"), u, 256, reinterpret_cast<char*>(in.p + 1), in.p[0],
                         &status);
  });
}
BENCHMARK(BM_DetectKanjiCode_icu);

// After the table: per conversion and input, the library's CPU time against each twin
// (below 1 is faster), the allocations counted inside its loop.
class ConversionReporter : public kivbench::RatioReporter {
public:
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nCPU time of the library against raw ICU, glibc iconv and memcpy (below 1: "
                "faster);\n%ld allocations counted in all (opening the converters and the "
                "harness), none expected inside the loops.\n",
                gAllocations.load());
    std::printf("%-27s %-8s %8s %8s %8s %8s %7s\n", "conversion", "input", "ns", "/ICU", "/iconv",
                "/memcpy", "allocs");
    for (const Contest& c : contests()) {
      const std::string base = c.conversion + "/" + c.input + "/";
      auto mine = times.find(base + "kiv");
      if (mine == times.end()) continue;
      auto allocs = mine->second.counters.find("allocs");
      std::printf("%-27s %-8s %8.1f %8.2f %8.2f %8.2f %7.2f\n", c.conversion.c_str(),
                  c.input.c_str(), mine->second.cpu, ratio(base + "kiv", base + "icu"),
                  ratio(base + "kiv", base + "iconv"), ratio(base + "kiv", base + "memcpy"),
                  allocs == mine->second.counters.end() ? 0.0 : allocs->second);
    }
    std::printf("%-27s %-8s %8.1f %8.2f\n", "DetectKanjiCode", "worst",
                times["BM_DetectKanjiCode"].cpu,
                ratio("BM_DetectKanjiCode", "BM_DetectKanjiCode_icu"));
  }
};

} // namespace

void* operator new(size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

int main(int argc, char** argv) {
  // ICU takes an allocator only before its first use.
  UErrorCode status = U_ZERO_ERROR;
  u_setMemoryFunctions(nullptr, countingAlloc, countingRealloc, countingFree, &status);
  if (U_FAILURE(status))
    std::fprintf(stderr, "ICU allocations are not counted: %s\n", u_errorName(status));
  setenv("LC_ALL", "C.UTF-8", 1);
  benchmark::Initialize(&argc, argv);
  addAll();
  registerAll();
  ConversionReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
