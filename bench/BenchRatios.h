// The console report of a benchmark program, which also keeps each benchmark's time so that the
// program can print its ratio to the raw dependency call doing the same work in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace kivbench {

struct Timing {
  double cpu = 0;  // CPU time per iteration (the machine may be shared)
  double real = 0; // wall time per iteration
  std::map<std::string, double> counters;
  bool median = false;
};

// Keeps, per benchmark function and arguments, the median over its repetitions when it has any,
// else its fastest run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  explicit RatioReporter(OutputOptions options = OO_Defaults) : ConsoleReporter(options) {}

  std::map<std::string, Timing> times;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.error_occurred) continue;
      const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
      if (r.run_type != Run::RT_Iteration && !median) continue;
      // The function's name, and its arguments when it has any ("BM_Read/1000").
      std::string key = r.run_name.function_name;
      if (!r.run_name.args.empty()) key += "/" + r.run_name.args;
      Timing& t = times[key];
      const bool fresh = t.cpu == 0 && !t.median;
      if (median || (!t.median && (fresh || r.GetAdjustedCPUTime() < t.cpu))) {
        t.cpu = r.GetAdjustedCPUTime();
        t.real = r.GetAdjustedRealTime();
        t.median = median;
        for (const auto& [name, counter] : r.counters)
          t.counters[name] = counter.value;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // ours / twin in CPU time (or wall time), or a negative number when either is missing.
  double ratio(const std::string& ours, const std::string& twin, bool wall = false) const {
    auto a = times.find(ours), b = times.find(twin);
    if (a == times.end() || b == times.end()) return -1;
    double num = wall ? a->second.real : a->second.cpu;
    double den = wall ? b->second.real : b->second.cpu;
    return den > 0 ? num / den : -1;
  }

  // Prints "ratio <label>: r" when both benchmarks ran.
  void printRatio(const std::string& label, const std::string& ours,
                  const std::string& twin) const {
    double r = ratio(ours, twin);
    if (r >= 0) std::printf("ratio %s: %.2f\n", label.c_str(), r);
  }
};

} // namespace kivbench
