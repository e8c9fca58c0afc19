// Cost of the noise generator per voice (spectrum interpolation, one grain with
// its inverse FFT every half grain, overlap-add) next to the cost of the same
// voice's 64 harmonics from the oscillator bank, at the same sample rate.
// Target: the noise costs at most 15 % of the harmonics.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "engine/breakpoint_curve.h"
#include "engine/denormal_guard.h"
#include "engine/harmonic_set.h"
#include "engine/noise_generator.h"
#include "engine/noise_set.h"
#include "engine/oscillator_bank.h"
#include "engine/real_fft.h"

namespace {

using vt::BreakpointCurve;
using vt::HarmonicSet;
using vt::NoiseSet;

constexpr int kBlock = 256;
constexpr int kSlots = 4;
constexpr int kFrames = 64;           // analysis frames of a bench sound
constexpr float kSoundLength = 3.0f;  // seconds
constexpr float kLoopLength = 2.9f;   // the benchmark plays round the first 2.9 s
constexpr float kPitch = 110.0f;      // every one of the 64 harmonics stays audible
constexpr float kMorphX = 0.3f, kMorphY = 0.6f;

// The machine is shared: each figure is the fastest of five repetitions, the one least
// disturbed by other work.
void fastestOfFive(benchmark::internal::Benchmark* b) {
  b->Repetitions(5)->ReportAggregatesOnly(true)->ComputeStatistics(
      "fastest", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

void atRates(benchmark::internal::Benchmark* b) { b->Arg(44100)->Arg(48000)->Arg(96000)->Apply(fastestOfFive); }

// A recorded sound: 64 audible harmonics with wobbling amplitudes and ratios, and a
// noise part of 64 frames with a sloping, slowly changing spectrum.
void makeHarmonics(HarmonicSet& set, float rate, int seed) {
  vt::bench::fillWobblingHarmonics(set, kFrames, kSoundLength, seed);
  set.sampleRate = rate;
}

void makeNoise(NoiseSet& set, float tilt) {
  set.reset();
  for (int f = 0; f < kFrames; ++f) {
    vt::NoiseFrame* frame = set.appendFrame(f * kSoundLength / kFrames);
    for (int i = 0; i < vt::NoiseFrame::kBins; ++i) frame->bins[i] = (1.0f + 0.01f * f) / (1.0f + tilt * i);
    frame->silent = false;
  }
}

// The two-point block curves a voice hands to the bank.
struct BlockCurves {
  BreakpointCurve pitch, amplitude;
  void set(float t0, float t1) {
    pitch.reset();
    pitch.add(t0, kPitch);
    pitch.add(t1, kPitch * 1.0005f);
    amplitude.reset();
    amplitude.add(t0, 0.8f);
    amplitude.add(t1, 0.8f);
  }
};

float advance(float t, float rate) {
  t += kBlock / rate;
  return t > kLoopLength ? 0.0f : t;
}

void BM_Harmonics64(benchmark::State& state) {
  vt::DenormalGuard denormals;
  const float rate = static_cast<float>(state.range(0));
  HarmonicSet set;
  makeHarmonics(set, rate, 1);
  BlockCurves curves;
  float phases[HarmonicSet::kHarmonics] = {};
  float out[kBlock] = {};
  float t = 0.0f;
  for (auto _ : state) {
    curves.set(t, t + kBlock / rate);
    vt::renderHarmonics(set, out, kBlock, t, curves.pitch, curves.amplitude, phases, nullptr);
    t = advance(t, rate);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Harmonics64)->Apply(atRates);

void BM_NoiseVoice(benchmark::State& state) {
  vt::DenormalGuard denormals;
  const float rate = static_cast<float>(state.range(0));
  vt::NoiseGenerator generator;
  generator.setSampleRate(rate);
  vt::NoiseGrainState grains;
  NoiseSet set;
  makeNoise(set, 0.05f);
  BlockCurves curves;
  float out[kBlock] = {};
  float t = 0.0f;
  for (auto _ : state) {
    curves.set(t, t + kBlock / rate);
    generator.renderNoise(set, out, kBlock, t, curves.amplitude, grains, nullptr);
    t = advance(t, rate);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_NoiseVoice)->Apply(atRates);

// A morph group: its leader renders the harmonics and the noise of all four slots.
struct MorphSounds {
  HarmonicSet harmonics[kSlots];
  NoiseSet noise[kSlots];
  HarmonicSet* harmonicSets[kSlots];
  const NoiseSet* noiseSets[kSlots];
  MorphSounds(float rate) {
    for (int s = 0; s < kSlots; ++s) {
      makeHarmonics(harmonics[s], rate, s + 1);
      makeNoise(noise[s], 0.02f * (s + 1));
      harmonicSets[s] = &harmonics[s];
      noiseSets[s] = &noise[s];
    }
  }
};

void BM_MorphedHarmonics64(benchmark::State& state) {
  vt::DenormalGuard denormals;
  const float rate = static_cast<float>(state.range(0));
  MorphSounds sounds(rate);
  BlockCurves curves;
  const float gains[kSlots] = {1.0f, 1.0f, 1.0f, 1.0f};
  float phases[HarmonicSet::kHarmonics] = {};
  float out[kBlock] = {};
  float t = 0.0f;
  for (auto _ : state) {
    const float t1 = t + kBlock / rate;
    const float starts[kSlots] = {t, t, t, t}, ends[kSlots] = {t1, t1, t1, t1};
    curves.set(t, t1);
    vt::renderMorphedHarmonics(sounds.harmonicSets, out, kBlock, starts, ends, curves.pitch, curves.amplitude, t, t1,
                               phases, kMorphX, kMorphY, nullptr, gains);
    t = advance(t, rate);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MorphedHarmonics64)->Apply(atRates);

void BM_MorphedNoiseVoice(benchmark::State& state) {
  vt::DenormalGuard denormals;
  const float rate = static_cast<float>(state.range(0));
  MorphSounds sounds(rate);
  vt::NoiseGenerator generator;
  generator.setSampleRate(rate);
  vt::NoiseGrainState grains;
  BlockCurves curves;
  float out[kBlock] = {};
  float t = 0.0f;
  for (auto _ : state) {
    const float starts[kSlots] = {t, t, t, t};
    curves.set(t, t + kBlock / rate);
    generator.renderMorphedNoise(sounds.noiseSets, out, kBlock, starts, t, curves.amplitude, grains, kMorphX, kMorphY,
                                 nullptr);
    t = advance(t, rate);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MorphedNoiseVoice)->Apply(atRates);

// The pieces of one grain, per grain (not per sample).
void BM_InverseFft(benchmark::State& state) {
  const vt::RealFft* fft = vt::RealFft::ofSize(static_cast<int>(state.range(0)));
  std::vector<float> data(vt::RealFft::kMaxSize, 0.1f);
  for (auto _ : state) {
    fft->inverse(data.data());
    std::fill(data.begin(), data.begin() + 8, 0.1f);
    benchmark::DoNotOptimize(data.data());
  }
}
BENCHMARK(BM_InverseFft)->Arg(512)->Arg(1024)->Apply(fastestOfFive);

void BM_GrainSynth(benchmark::State& state) {
  vt::NoiseGrainSynth synth;
  synth.setSampleRate(static_cast<float>(state.range(0)));
  vt::RandomSource random(3);
  float spectrum[vt::NoiseGrainSynth::kSpectrumSize];
  for (int i = 0; i < vt::NoiseGrainSynth::kSpectrumSize; ++i) spectrum[i] = 1.0f / (1 + i);
  std::vector<float> grain(vt::NoiseGrainSynth::kMaxGrainLength);
  for (auto _ : state) {
    synth.synthesize(spectrum, nullptr, random, grain.data());
    benchmark::DoNotOptimize(grain.data());
  }
}
BENCHMARK(BM_GrainSynth)->Arg(44100)->Arg(48000)->Apply(fastestOfFive);

// Collects the fastest CPU time per sample of every per-voice run for the summary.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.aggregate_name != "fastest") continue;
      names.push_back(run.run_name.function_name + "/" + run.run_name.args);
      nsPerSample.push_back(run.GetAdjustedCPUTime() / kBlock);  // default unit is ns
    }
  }
  double find(const std::string& name) const {
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return nsPerSample[i];
    return 0.0;
  }
  std::vector<std::string> names;
  std::vector<double> nsPerSample;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nper voice, ns per output sample  (target: noise at most 15%% of the 64 harmonics)\n");
  std::printf("%-8s %-7s %12s %10s %8s\n", "voice", "rate", "harmonics", "noise", "noise %");
  for (const char* kind : {"", "Morphed"}) {
    for (const char* rate : {"44100", "48000", "96000"}) {
      const double h = reporter.find(std::string("BM_") + kind + "Harmonics64/" + rate);
      const double n = reporter.find(std::string("BM_") + kind + "NoiseVoice/" + rate);
      if (h <= 0.0 || n <= 0.0) continue;
      std::printf("%-8s %-7s %12.2f %10.2f %7.1f%%\n", *kind ? "morph" : "single", rate, h, n, 100.0 * n / h);
    }
  }
  benchmark::Shutdown();
  return 0;
}
