// Times the Pascal-size conversions and DetectKanjiCode beside raw ICU calls on a cached
// converter doing the same work, prints the ratios, and counts heap allocations (operator new
// and ICU's allocator) made inside the timed loops.
#include <KIVStr.h>
#include <KIV_Str.h>

#include "BenchRatios.h"

#include <benchmark/benchmark.h>
#include <unicode/uclean.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <string>

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

// Runs the timed loop and reports the allocations per iteration as a counter.
template <typename Body> void timed(benchmark::State& state, Body body) {
  body(); // opens the thread's converters before counting
  const long before = gAllocations.load();
  for (auto _ : state) {
    body();
    benchmark::ClobberMemory();
  }
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(gAllocations.load() - before) /
                                                static_cast<double>(state.iterations()));
}

UConverter* openStopping(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* c = ucnv_open(name, &status);
  ucnv_setToUCallBack(c, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  return c;
}

UConverter* roman() {
  static UConverter* c = openStopping("macos-0_2-10.2");
  return c;
}
UConverter* sjis() {
  static UConverter* c = openStopping("Shift_JIS");
  return c;
}
UConverter* win1252() {
  static UConverter* c = openStopping("windows-1252");
  return c;
}
UConverter* eucjp() {
  static UConverter* c = openStopping("EUC-JP");
  return c;
}

// 255 Mac Roman bytes with accented letters among ASCII.
struct RomanText {
  unsigned char p[256];
  RomanText() {
    p[0] = 255;
    for (int i = 1; i <= 255; ++i)
      p[i] = (i % 5 == 0) ? 0x8E : static_cast<unsigned char>('a' + i % 26);
  }
};

// 254 bytes of Shift-JIS: 127 two-byte characters.
struct SjisText {
  unsigned char p[256];
  SjisText() {
    p[0] = 254;
    for (int i = 1; i <= 254; i += 2) {
      p[i] = 0x8A;
      p[i + 1] = 0xBF;
    }
  }
};

void BM_PStringToUniString(benchmark::State& state) {
  RomanText in;
  unsigned short u[256];
  timed(state, [&] {
    PStringToUniString(in.p, u, 0);
    benchmark::DoNotOptimize(u);
  });
}
BENCHMARK(BM_PStringToUniString);

void BM_PStringToUniString_icu(benchmark::State& state) {
  RomanText in;
  unsigned short u[256];
  timed(state, [&] {
    UErrorCode status = U_ZERO_ERROR;
    u[0] = static_cast<unsigned short>(ucnv_toUChars(roman(), reinterpret_cast<UChar*>(u + 1), 255,
                                                     reinterpret_cast<char*>(in.p + 1), in.p[0],
                                                     &status));
    benchmark::DoNotOptimize(u);
  });
}
BENCHMARK(BM_PStringToUniString_icu);

void BM_UniStringToPString(benchmark::State& state) {
  RomanText in;
  HFSUniStr255 name;
  PStringToUniString(in.p, &name);
  unsigned char p[256];
  timed(state, [&] {
    UniStringToPString(&name, p);
    benchmark::DoNotOptimize(p);
  });
}
BENCHMARK(BM_UniStringToPString);

void BM_UniStringToPString_icu(benchmark::State& state) {
  RomanText in;
  HFSUniStr255 name;
  PStringToUniString(in.p, &name);
  unsigned char p[256];
  timed(state, [&] {
    UErrorCode status = U_ZERO_ERROR;
    p[0] = static_cast<unsigned char>(ucnv_fromUChars(roman(), reinterpret_cast<char*>(p + 1), 255,
                                                      reinterpret_cast<UChar*>(name.unicode),
                                                      name.length, &status));
    benchmark::DoNotOptimize(p);
  });
}
BENCHMARK(BM_UniStringToPString_icu);

void BM_PStringToUTFString(benchmark::State& state) {
  RomanText in;
  char s[512];
  timed(state, [&] {
    PStringToUTFString(in.p, s);
    benchmark::DoNotOptimize(s);
  });
}
BENCHMARK(BM_PStringToUTFString);

void BM_PStringToUTFString_icu(benchmark::State& state) {
  RomanText in;
  char s[512];
  timed(state, [&] {
    UChar u[256];
    UErrorCode status = U_ZERO_ERROR;
    int32_t n = ucnv_toUChars(roman(), u, 256, reinterpret_cast<char*>(in.p + 1), in.p[0], &status);
    int32_t len;
    u_strToUTF8(s, 2 * in.p[0], &len, u, n, &status);
    benchmark::DoNotOptimize(s);
  });
}
BENCHMARK(BM_PStringToUTFString_icu);

void BM_UTFStringToPString(benchmark::State& state) {
  RomanText in;
  char utf8[512];
  PStringToUTFString(in.p, utf8);
  utf8[std::strlen(utf8) - 1] = 0; // 254 characters fit the 255 bytes
  unsigned char p[256];
  timed(state, [&] {
    UTFStringToPString(utf8, p);
    benchmark::DoNotOptimize(p);
  });
}
BENCHMARK(BM_UTFStringToPString);

void BM_UTFStringToPString_icu(benchmark::State& state) {
  RomanText in;
  char utf8[512];
  PStringToUTFString(in.p, utf8);
  utf8[std::strlen(utf8) - 1] = 0;
  unsigned char p[256];
  timed(state, [&] {
    UChar u[254];
    UErrorCode status = U_ZERO_ERROR;
    int32_t n;
    u_strFromUTF8(u, 254, &n, utf8, static_cast<int32_t>(std::strlen(utf8)), &status);
    p[0] = static_cast<unsigned char>(
        ucnv_fromUChars(roman(), reinterpret_cast<char*>(p + 1), 254, u, n, &status));
    benchmark::DoNotOptimize(p);
  });
}
BENCHMARK(BM_UTFStringToPString_icu);

void BM_SJIS_PStringToUniString(benchmark::State& state) {
  SjisText in;
  unsigned short u[256];
  timed(state, [&] {
    SJIS_PStringToUniString(in.p, u);
    benchmark::DoNotOptimize(u);
  });
}
BENCHMARK(BM_SJIS_PStringToUniString);

void BM_SJIS_PStringToUniString_icu(benchmark::State& state) {
  SjisText in;
  unsigned short u[256];
  timed(state, [&] {
    UErrorCode status = U_ZERO_ERROR;
    u[0] = static_cast<unsigned short>(ucnv_toUChars(sjis(), reinterpret_cast<UChar*>(u + 1), 255,
                                                     reinterpret_cast<char*>(in.p + 1), in.p[0],
                                                     &status));
    benchmark::DoNotOptimize(u);
  });
}
BENCHMARK(BM_SJIS_PStringToUniString_icu);

void BM_UniStringToSJIS_PString(benchmark::State& state) {
  SjisText in;
  unsigned short u[256];
  SJIS_PStringToUniString(in.p, u);
  unsigned char p[256];
  timed(state, [&] {
    UniStringToSJIS_PString(u, p);
    benchmark::DoNotOptimize(p);
  });
}
BENCHMARK(BM_UniStringToSJIS_PString);

void BM_UniStringToSJIS_PString_icu(benchmark::State& state) {
  SjisText in;
  unsigned short u[256];
  SJIS_PStringToUniString(in.p, u);
  unsigned char p[256];
  timed(state, [&] {
    UErrorCode status = U_ZERO_ERROR;
    p[0] =
        static_cast<unsigned char>(ucnv_fromUChars(sjis(), reinterpret_cast<char*>(p + 1), 254,
                                                   reinterpret_cast<UChar*>(u + 1), u[0], &status));
    benchmark::DoNotOptimize(p);
  });
}
BENCHMARK(BM_UniStringToSJIS_PString_icu);

void BM_ConvertWinString2MacString(benchmark::State& state) {
  unsigned char p[256];
  p[0] = 253;
  for (int i = 1; i <= 253; ++i)
    p[i] = (i % 5 == 0) ? 0xE9 : static_cast<unsigned char>('a' + i % 26);
  unsigned char work[256];
  timed(state, [&] {
    std::memcpy(work, p, 256);
    ConvertWinString2MacString(work);
    benchmark::DoNotOptimize(work);
  });
}
BENCHMARK(BM_ConvertWinString2MacString);

void BM_ConvertWinString2MacString_icu(benchmark::State& state) {
  unsigned char p[256];
  p[0] = 253;
  for (int i = 1; i <= 253; ++i)
    p[i] = (i % 5 == 0) ? 0xE9 : static_cast<unsigned char>('a' + i % 26);
  unsigned char work[256];
  timed(state, [&] {
    std::memcpy(work, p, 256);
    UChar u[253];
    char out[253];
    UErrorCode status = U_ZERO_ERROR;
    int32_t n =
        ucnv_toUChars(win1252(), u, 253, reinterpret_cast<char*>(work + 1), work[0], &status);
    int32_t m = ucnv_fromUChars(roman(), out, 253, u, n, &status);
    if (U_SUCCESS(status)) std::memcpy(work + 1, out, static_cast<size_t>(m));
    benchmark::DoNotOptimize(work);
  });
}
BENCHMARK(BM_ConvertWinString2MacString_icu);

// The system encoding (UTF-8 here): 255 ASCII units into 256 bytes.
void BM_UniStringToPStringSystem(benchmark::State& state) {
  RomanText in;
  unsigned short u[256];
  RomanStringToUniString(in.p, u);
  for (int i = 1; i <= 255; ++i)
    u[i] = static_cast<unsigned short>('a' + i % 26);
  unsigned char p[256];
  timed(state, [&] {
    UniStringToPString(u, p, 0);
    benchmark::DoNotOptimize(p);
  });
}
BENCHMARK(BM_UniStringToPStringSystem);

void BM_UniStringToPStringSystem_icu(benchmark::State& state) {
  unsigned short u[256];
  u[0] = 255;
  for (int i = 1; i <= 255; ++i)
    u[i] = static_cast<unsigned short>('a' + i % 26);
  unsigned char p[256];
  timed(state, [&] {
    UErrorCode status = U_ZERO_ERROR;
    int32_t n;
    u_strToUTF8(reinterpret_cast<char*>(p + 1), 255, &n, reinterpret_cast<UChar*>(u + 1), u[0],
                &status);
    p[0] = static_cast<unsigned char>(n);
    benchmark::DoNotOptimize(p);
  });
}
BENCHMARK(BM_UniStringToPStringSystem_icu);

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
  timed(state, [&] { benchmark::DoNotOptimize(DetectKanjiCode(in.p)); });
}
BENCHMARK(BM_DetectKanjiCode);

// A single decoding pass over the same bytes: the least work that reads them as Japanese.
void BM_DetectKanjiCode_icu(benchmark::State& state) {
  EucText in;
  timed(state, [&] {
    UChar u[256];
    UErrorCode status = U_ZERO_ERROR;
    benchmark::DoNotOptimize(
        ucnv_toUChars(eucjp(), u, 256, reinterpret_cast<char*>(in.p + 1), in.p[0], &status));
  });
}
BENCHMARK(BM_DetectKanjiCode_icu);

// After the table, each operation's ratio to its raw ICU twin and its allocations.
class ConversionReporter : public kivbench::RatioReporter {
public:
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nCPU time against the raw ICU call; %ld allocations counted in all (the\n"
                "converters' opening and the harness), none expected inside the loops.\n",
                gAllocations.load());
    std::printf("%-32s %10s %10s\n", "operation", "ratio", "allocs/op");
    for (const auto& [name, timing] : times) {
      double r = ratio(name, name + "_icu");
      if (r < 0) continue;
      auto allocs = timing.counters.find("allocs");
      std::printf("%-32s %9.2fx %10.2f\n", name.c_str(), r,
                  allocs == timing.counters.end() ? 0.0 : allocs->second);
    }
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
  ConversionReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
