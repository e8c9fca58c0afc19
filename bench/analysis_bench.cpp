// Sound analysis speed: each stage of turning a recording into a voice, timed
// on the inputs the limits allow at most (12 seconds of sound). The summary
// prints one line per stage with its time and target.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "analysis/pitch_detection.h"
#include "analysis/real_fft.h"
#include "bench/bench_support.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRate = 44100.0;
constexpr double kSeconds = 12.0;

// A plucked-string-like note: 24 harmonics falling with their number and
// decaying over time (higher ones faster), a little breath noise, normalised
// to a peak of 1 as import leaves it.
std::vector<float> twelveSecondNote(double f0, double noise) {
  const int count = static_cast<int>(kSeconds * kRate);
  std::vector<double> x(count, 0.0);
  std::mt19937 random(7);
  std::normal_distribution<double> gauss(0.0, 1.0);
  for (int h = 1; h <= 24 && h * f0 < 0.45 * kRate; ++h) {
    const double w = 2 * kPi * h * f0 / kRate;
    const double decay = std::exp(-(0.15 + 0.05 * h) / kRate);
    double a = 1.0 / h;
    for (int i = 0; i < count; ++i, a *= decay) x[i] += a * std::sin(w * i + h);
  }
  for (double& v : x) v += noise * gauss(random);
  double peak = 0.0;
  for (double v : x) peak = std::max(peak, std::fabs(v));
  std::vector<float> out(count);
  for (int i = 0; i < count; ++i) out[i] = static_cast<float>(x[i] / peak);
  return out;
}

void setSecondsPerCall(benchmark::State& state) {
  state.counters["seconds_per_call"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                          benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// ---- Numeric layer ----

// One real transform of the given length, the unit of every spectrum.
void BM_RealFft(benchmark::State& state) {
  const int length = static_cast<int>(state.range(0));
  vt::analysis::RealFft fft(length);
  std::vector<double> frame(length), re(length / 2 + 1), im(length / 2 + 1);
  std::mt19937 random(3);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  for (double& v : frame) v = uniform(random);
  for (auto _ : state) {
    fft.fft(frame.data(), re.data(), im.data());
    benchmark::DoNotOptimize(re.data());
  }
  state.SetItemsProcessed(state.iterations() * length);
}
BENCHMARK(BM_RealFft)->Arg(512)->Arg(2048)->Arg(32768)->Unit(benchmark::kMicrosecond);

// ---- Pitch detection ----

// noiseLevel 0.5 fills the spectrum with thousands of peaks for the pruning
// step.
void BM_PitchDetection(benchmark::State& state, double noiseLevel) {
  const std::vector<float> note = twelveSecondNote(196.0, noiseLevel);
  double pitch = 0.0;
  for (auto _ : state) {
    pitch = vt::analysis::detectPitch(note.data(), note.size(), kRate);
    benchmark::DoNotOptimize(pitch);
  }
  setSecondsPerCall(state);
  state.counters["pitch_hz"] = pitch;
}
BENCHMARK_CAPTURE(BM_PitchDetection, clean, 0.002)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PitchDetection, noisy, 0.5)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints "<what>: <ms> ms (target <= <ms> ms)" when the run took place.
void printStage(const vt::bench::SummaryReporter& reporter, const char* run, const char* what, double targetSeconds) {
  const double seconds = reporter.get(run, "seconds_per_call");
  if (seconds <= 0.0) return;
  std::printf("  %-48s %8.2f ms (target <= %.0f ms)%s\n", what, 1000.0 * seconds, 1000.0 * targetSeconds,
              seconds <= targetSeconds ? "" : "  ** over target **");
}

}  // namespace

int main(int argc, char** argv) {
  vt::bench::SummaryReporter reporter;
  if (!vt::bench::runBenchmarks(argc, argv, reporter)) return 1;

  std::printf("\nSound analysis (one core, 12 s at 44.1 kHz):\n");
  printStage(reporter, "BM_PitchDetection/clean", "pitch detection of a 12 s note", 0.1);
  printStage(reporter, "BM_PitchDetection/noisy", "pitch detection of a 12 s noisy note", 0.1);
  return 0;
}
