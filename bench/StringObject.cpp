// Times KIVStr appending (C strings, ints, other strings) and its C string conversion beside
// icu::UnicodeString doing the same work, and prints the ratios.
#include <KIV_Str.h>

#include "BenchRatios.h"

#include <benchmark/benchmark.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const unsigned int kUTF8 = kCFStringEncodingUTF8;
const int kAppends = 16;

// icu::UnicodeString has no integer append: format the digits and append them as invariant
// characters, which is what the string object does too.
void appendInt(icu::UnicodeString& u, int n) {
  char digits[12];
  int count = std::snprintf(digits, sizeof digits, "%d", n);
  u.append(icu::UnicodeString(digits, count, icu::UnicodeString::kInvariant));
}

void BM_KIVStr_AppendCString(benchmark::State& state) {
  for (auto _ : state) {
    KIVStr s(0, kUTF8, nullptr);
    for (int i = 0; i < kAppends; ++i)
      s << "name=value; ";
    benchmark::DoNotOptimize(s.GetCFString());
  }
}
BENCHMARK(BM_KIVStr_AppendCString);

void BM_ICU_AppendCString(benchmark::State& state) {
  for (auto _ : state) {
    icu::UnicodeString u;
    for (int i = 0; i < kAppends; ++i)
      u.append(icu::UnicodeString::fromUTF8("name=value; "));
    benchmark::DoNotOptimize(u.getBuffer());
  }
}
BENCHMARK(BM_ICU_AppendCString);

void BM_KIVStr_AppendInt(benchmark::State& state) {
  for (auto _ : state) {
    KIVStr s(0, kUTF8, nullptr);
    for (int i = 0; i < kAppends; ++i)
      s << i * 7919;
    benchmark::DoNotOptimize(s.GetCFString());
  }
}
BENCHMARK(BM_KIVStr_AppendInt);

void BM_ICU_AppendInt(benchmark::State& state) {
  for (auto _ : state) {
    icu::UnicodeString u;
    for (int i = 0; i < kAppends; ++i)
      appendInt(u, i * 7919);
    benchmark::DoNotOptimize(u.getBuffer());
  }
}
BENCHMARK(BM_ICU_AppendInt);

void BM_KIVStr_AppendString(benchmark::State& state) {
  KIVStr piece(0, kUTF8, nullptr);
  piece << "a piece of text";
  for (auto _ : state) {
    KIVStr s(0, kUTF8, nullptr);
    for (int i = 0; i < kAppends; ++i)
      s << piece;
    benchmark::DoNotOptimize(s.GetCFString());
  }
}
BENCHMARK(BM_KIVStr_AppendString);

void BM_ICU_AppendString(benchmark::State& state) {
  icu::UnicodeString piece = icu::UnicodeString::fromUTF8("a piece of text");
  for (auto _ : state) {
    icu::UnicodeString u;
    for (int i = 0; i < kAppends; ++i)
      u.append(piece);
    benchmark::DoNotOptimize(u.getBuffer());
  }
}
BENCHMARK(BM_ICU_AppendString);

// A mixed line such as a program builds for a log or a label.
void BM_KIVStr_AppendMixed(benchmark::State& state) {
  KIVStr unit(0, kUTF8, nullptr);
  unit << " items";
  for (auto _ : state) {
    KIVStr s(0, kUTF8, nullptr);
    for (int i = 0; i < kAppends; ++i)
      s << "count: " << i << unit;
    benchmark::DoNotOptimize(s.GetCFString());
  }
}
BENCHMARK(BM_KIVStr_AppendMixed);

void BM_ICU_AppendMixed(benchmark::State& state) {
  icu::UnicodeString unit = icu::UnicodeString::fromUTF8(" items");
  for (auto _ : state) {
    icu::UnicodeString u;
    for (int i = 0; i < kAppends; ++i) {
      u.append(icu::UnicodeString::fromUTF8("count: "));
      appendInt(u, i);
      u.append(unit);
    }
    benchmark::DoNotOptimize(u.getBuffer());
  }
}
BENCHMARK(BM_ICU_AppendMixed);

const char kLine[] =
    "The quick brown fox jumps over the lazy dog; \xC3\xA9t\xC3\xA9 \xC3\xA0 Paris. ";

void BM_KIVStr_ToCString(benchmark::State& state) {
  KIVStr s(0, kUTF8, nullptr);
  for (int i = 0; i < 4; ++i)
    s << kLine;
  for (auto _ : state) {
    char* p = s;
    benchmark::DoNotOptimize(p);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_KIVStr_ToCString);

// The same conversion into a buffer kept between calls, as the string object keeps its own.
void BM_ICU_ToCString(benchmark::State& state) {
  icu::UnicodeString u;
  for (int i = 0; i < 4; ++i)
    u.append(icu::UnicodeString::fromUTF8(kLine));
  std::vector<char> buffer(3 * u.length() + 1);
  for (auto _ : state) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strToUTF8(buffer.data(), static_cast<int32_t>(buffer.size()), &length, u.getBuffer(),
                u.length(), &status);
    char* p = U_SUCCESS(status) ? buffer.data() : nullptr;
    benchmark::DoNotOptimize(p);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ICU_ToCString);

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  kivbench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* name :
       {"AppendCString", "AppendInt", "AppendString", "AppendMixed", "ToCString"})
    reporter.printRatio(std::string("KIVStr / icu::UnicodeString, ") + name,
                        std::string("BM_KIVStr_") + name, std::string("BM_ICU_") + name);
  benchmark::Shutdown();
  return 0;
}
