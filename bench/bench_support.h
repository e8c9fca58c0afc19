// Pieces shared by the benchmark programs: a busy test sound and a reporter
// that keeps every run's counters for the closing summary.
#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "engine/harmonic_set.h"

namespace vt::bench {

// A recording with every harmonic audible: amplitudes falling with the
// harmonic number and wobbling over time, ratios wandering slightly off k.
// With silentEnds the first and last frames are silent, as an analysed sound.
inline void fillWobblingHarmonics(HarmonicSet& set, int frames, float length, int seed, float gain = 1.0f,
                                  bool silentEnds = false) {
  set.reset();
  for (int h = 0; h < HarmonicSet::kHarmonics; ++h) {
    for (int i = 0; i < frames; ++i) {
      const float t = length * i / (frames - 1);
      const float wobble = std::sin(0.37f * i + 0.11f * h + seed);
      const float edge = (silentEnds && (i == 0 || i == frames - 1)) ? 0.0f : 1.0f;
      set.amplitude[h].add(t, edge * gain * (0.6f + 0.3f * wobble) / (h + 1.0f));
      set.frequency[h].add(t, (h + 1.0f) * (1.0f + 0.002f * wobble));
    }
  }
  set.updateDuration();
}

class SummaryReporter : public benchmark::ConsoleReporter {
public:
  std::map<std::string, std::map<std::string, double>> results;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      for (const auto& [name, counter] : run.counters) results[run.run_name.function_name][name] = counter.value;
    ConsoleReporter::ReportRuns(runs);
  }
  // A counter of a finished run, 0 when the run or counter is missing.
  double get(const std::string& run, const std::string& counter) const {
    const auto r = results.find(run);
    if (r == results.end()) return 0.0;
    const auto c = r->second.find(counter);
    return c == r->second.end() ? 0.0 : c->second;
  }
};

// Runs the registered benchmarks with the summary reporter; false when the
// command line held arguments the library does not know.
inline bool runBenchmarks(int& argc, char** argv, SummaryReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return false;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return true;
}

}  // namespace vt::bench
