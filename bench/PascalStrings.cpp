// Times PPcat and JSTlong beside the plain C calls doing the same work, and prints the ratios.
#include <KIVStr.h>

#include "BenchRatios.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

void BM_PPcat(benchmark::State& state) {
  unsigned char dst[256];
  unsigned char src[256];
  src[0] = 40;
  std::memset(src + 1, 'x', 40);
  for (auto _ : state) {
    dst[0] = 0;
    for (int i = 0; i < 6; ++i)
      PPcat(dst, src);
    benchmark::DoNotOptimize(dst);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PPcat);

// The same appends as memcpy onto a length-prefixed buffer.
void BM_PPcat_memcpy(benchmark::State& state) {
  unsigned char dst[256];
  unsigned char src[256];
  src[0] = 40;
  std::memset(src + 1, 'x', 40);
  for (auto _ : state) {
    benchmark::DoNotOptimize(src);
    dst[0] = 0;
    for (int i = 0; i < 6; ++i) {
      std::memcpy(dst + 1 + dst[0], src + 1, src[0]);
      dst[0] = static_cast<unsigned char>(dst[0] + src[0]);
    }
    benchmark::DoNotOptimize(dst);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PPcat_memcpy);

void BM_JSTlong(benchmark::State& state) {
  unsigned char dst[256];
  int value = -123456;
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    JSTlong(value, dst, 12, 2, 0);
    benchmark::DoNotOptimize(dst);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_JSTlong);

// The same right-justified field written by snprintf.
void BM_JSTlong_snprintf(benchmark::State& state) {
  unsigned char dst[256];
  int value = -123456;
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    int n = std::snprintf(reinterpret_cast<char*>(dst + 1), 255, "%*d  ", 12, value);
    dst[0] = static_cast<unsigned char>(n);
    benchmark::DoNotOptimize(dst);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_JSTlong_snprintf);

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  kivbench::RatioReporter reporter(benchmark::ConsoleReporter::OO_Tabular);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatio("BM_PPcat / BM_PPcat_memcpy", "BM_PPcat", "BM_PPcat_memcpy");
  reporter.printRatio("BM_JSTlong / BM_JSTlong_snprintf", "BM_JSTlong", "BM_JSTlong_snprintf");
  benchmark::Shutdown();
  return 0;
}
