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

std::vector<Contest>& contests() {
  static std::vector<Contest> all;
  return all;
}

std::string_view bytesOf(const void* p, size_t n) {
  return std::string_view(static_cast<const char*>(p), n);
}

// One side of a conversion: the ICU converter ("UTF-8": ICU's UTF-8 functions; null: UTF-16
// units, no converter) and glibc's name for it.
struct Side {
  const char* icu;
  const char* iconv;
};
const Side kUnits{nullptr, "UTF-16LE"}, kUtf8{"UTF-8", "UTF-8"}, kRomanSide{kRoman, "MACINTOSH"},
    kWinSide{kWin, "CP1252"}, kSjisSide{kSjis, "SHIFT_JIS"};

// A side as the twins use it, resolved once, outside the timed loops.
struct Resolved {
  bool units;      // UTF-16 units: no conversion on this side
  bool utf8;       // ICU's UTF-8 functions
  UConverter* icu; // otherwise this converter
};

Resolved resolve(Side side) {
  const bool utf8 = side.icu != nullptr && std::strcmp(side.icu, "UTF-8") == 0;
  return {side.icu == nullptr, utf8, side.icu == nullptr || utf8 ? nullptr : icu(side.icu)};
}

// The raw ICU way: the source decoded into units (straight into out when units are wanted),
// then encoded. The bytes written, or -1.
long icuConvert(const Resolved& from, const char* in, int32_t n, const Resolved& to, char* out,
                int32_t room) {
  UErrorCode status = U_ZERO_ERROR;
  UChar scratch[1024];
  UChar* units = to.units ? reinterpret_cast<UChar*>(out) : scratch;
  const int32_t unitRoom = to.units ? room / 2 : 1024;
  const UChar* decoded = units;
  int32_t count = 0;
  if (from.units) {
    decoded = reinterpret_cast<const UChar*>(in);
    count = n / 2;
  } else if (from.utf8) {
    u_strFromUTF8(units, unitRoom, &count, in, n, &status);
  } else {
    count = ucnv_toUChars(from.icu, units, unitRoom, in, n, &status);
  }
  if (U_FAILURE(status)) return -1;
  if (to.units) return 2L * count;
  int32_t written = 0;
  if (to.utf8)
    u_strToUTF8(out, room, &written, decoded, count, &status);
  else
    written = ucnv_fromUChars(to.icu, out, room, decoded, count, &status);
  return U_SUCCESS(status) ? written : -1;
}

// Adds a contest: the library's call (which returns its result's bytes) beside raw ICU and
// iconv converting the same source bytes from one side to the other into `room` bytes, and
// memcpy of the source bytes.
void add(const char* conversion, const char* input, const std::string& source, Side from, Side to,
         int32_t room, std::function<std::string_view()> kiv) {
  auto in = std::make_shared<std::string>(source);
  auto out = std::make_shared<std::vector<char>>(4096);
  auto floor = std::make_shared<std::vector<char>>(4096);
  const auto n = static_cast<int32_t>(source.size());
  const Resolved icuFrom = resolve(from), icuTo = resolve(to);
  const iconv_t cd = iconvFor(to.iconv, from.iconv);
  auto result = [out](long length) { return bytesOf(out->data(), length > 0 ? length : 0); };
  contests().push_back(
      {conversion, input, std::move(kiv),
       [=] { return result(icuConvert(icuFrom, in->data(), n, icuTo, out->data(), room)); },
       [=] { return result(runIconv(cd, in->data(), in->size(), out->data(), room)); },
       [=] {
         std::memcpy(floor->data(), in->data(), in->size());
         return std::string_view();
       }});
}

std::string bytesOfUnits(const std::u16string& units) {
  return std::string(reinterpret_cast<const char*>(units.data()), 2 * units.size());
}

void addAll() {
  const Inputs& in = inputs();
  for (const char* input : {"typical", "worst"}) {
    const bool typical = input[0] == 't';
    const std::string& roman = typical ? in.romanTypical : in.romanWorst;
    const std::u16string& units = typical ? in.unitsTypical : in.unitsWorst;
    const std::string& utf8 = typical ? in.utf8Typical : in.utf8Worst;
    const std::string& win = typical ? in.winTypical : in.winWorst;
    const std::string& sjis = typical ? in.sjisTypical : in.sjisWorst;
    const std::u16string& sjisUnits = typical ? in.sjisUnitsTypical : in.sjisUnitsWorst;

    // Mac Roman to UTF-16.
    auto p = std::make_shared<std::vector<unsigned char>>(pascal(roman));
    auto u = std::make_shared<std::vector<unsigned short>>(1024);
    add("PStringToUniString", input, roman, kRomanSide, kUnits, 510, [=] {
      PStringToUniString(p->data(), u->data(), 0);
      return bytesOf(u->data() + 1, 2 * (*u)[0]);
    });
    // A file name (UTF-16) to Mac Roman, in length + 1 bytes.
    auto name = std::make_shared<HFSUniStr255>();
    name->length = static_cast<UInt16>(units.size());
    std::memcpy(name->unicode, units.data(), 2 * units.size());
    auto out = std::make_shared<std::vector<unsigned char>>(1024);
    add("UniStringToPString", input, bytesOfUnits(units), kUnits, kRomanSide, name->length, [=] {
      UniStringToPString(name.get(), out->data());
      return bytesOf(out->data() + 1, (*out)[0]);
    });
    // Mac Roman to UTF-8, in 2 * n bytes (a text of only other bytes never fits).
    add("PStringToUTFString", input, roman, kRomanSide, kUtf8, 2 * (*p)[0] - 1, [=] {
      PStringToUTFString(p->data(), reinterpret_cast<char*>(out->data()));
      return std::string_view(reinterpret_cast<char*>(out->data()));
    });
    // UTF-8 to a Mac Roman Pascal string of at most 254 characters.
    auto s = std::make_shared<std::string>(utf8);
    add("UTFStringToPString", input, utf8, kUtf8, kRomanSide, 254, [=] {
      UTFStringToPString(s->data(), out->data());
      return bytesOf(out->data() + 1, (*out)[0]);
    });
    // Windows Latin 1 to Mac Roman, in place: each run starts from a fresh copy, whose cost the
    // library's time bears alone.
    auto w = std::make_shared<std::vector<unsigned char>>(pascal(win));
    add("ConvertWinString2MacString", input, win, kWinSide, kRomanSide, (*w)[0], [=] {
      std::memcpy(out->data(), w->data(), 256);
      ConvertWinString2MacString(out->data());
      return bytesOf(out->data() + 1, (*out)[0]);
    });
    // Shift-JIS to UTF-16, and UTF-16 to at most 254 bytes of Shift-JIS.
    auto j = std::make_shared<std::vector<unsigned char>>(pascal(sjis));
    add("SJIS_PStringToUniString", input, sjis, kSjisSide, kUnits, 510, [=] {
      SJIS_PStringToUniString(j->data(), u->data());
      return bytesOf(u->data() + 1, 2 * (*u)[0]);
    });
    auto ju = std::make_shared<std::vector<unsigned short>>(uniString(sjisUnits));
    add("UniStringToSJIS_PString", input, bytesOfUnits(sjisUnits), kUnits, kSjisSide, 254, [=] {
      UniStringToSJIS_PString(ju->data(), out->data());
      return bytesOf(out->data() + 1, (*out)[0]);
    });
    // UTF-8 to UTF-16.
    add("UTFStringToUniString", input, utf8, kUtf8, kUnits, 2046, [=] {
      UTFStringToUniString(s->data(), u->data());
      return bytesOf(u->data() + 1, 2 * (*u)[0]);
    });
    if (!typical) continue; // only two-byte characters never fit the room of the two below
    // UTF-16 to UTF-8 in 2 * count bytes.
    auto uu = std::make_shared<std::vector<unsigned short>>(uniString(units));
    add("UniStringToUTFString", input, bytesOfUnits(units), kUnits, kUtf8, 2 * (*uu)[0] - 1, [=] {
      UniStringToUTFString(uu->data(), reinterpret_cast<char*>(out->data()));
      return std::string_view(reinterpret_cast<char*>(out->data()));
    });
    // UTF-16 to a Pascal string in the system encoding (UTF-8 here), count + 1 bytes: ASCII.
    auto ascii = std::make_shared<std::vector<unsigned short>>(uniString(in.asciiUnits));
    add("UniStringToPString system", "ascii", bytesOfUnits(in.asciiUnits), kUnits, kUtf8,
        (*ascii)[0], [=] {
          UniStringToPString(ascii->data(), out->data(), 0);
          return bytesOf(out->data() + 1, (*out)[0]);
        });
  }
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
  UConverter* eucJp = icu("EUC-JP");
  timed(state, [&] {
    UChar u[256];
    UErrorCode status = U_ZERO_ERROR;
    return ucnv_toUChars(eucJp, u, 256, reinterpret_cast<char*>(in.p + 1), in.p[0], &status);
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
