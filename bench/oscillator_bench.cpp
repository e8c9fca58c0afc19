// Throughput of the harmonic oscillator bank in partial-samples per second on
// one core, against a naive bank that calls std::sin for every partial and
// sample over the same partials, and the real-time factor of the instrument's
// heaviest harmonic load: 48 sounding voices x 4 slots x 64 partials.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "engine/breakpoint_curve.h"
#include "engine/denormal_guard.h"
#include "engine/harmonic_set.h"
#include "engine/oscillator_bank.h"

namespace {

using vt::BreakpointCurve;
using vt::HarmonicSet;

constexpr float kRate = 44100.0f;
constexpr int kBlock = 256;
constexpr int kPartials = HarmonicSet::kHarmonics;
constexpr int kVoices = 48;
constexpr int kSlots = 4;
constexpr int kFrames = 100;          // analysis frames of a bench sound
constexpr float kSoundLength = 2.0f;  // seconds
constexpr float kLoopStart = 0.1f, kLoopEnd = 1.8f;

// A sound with every harmonic audible throughout: amplitudes falling with the
// harmonic number and wobbling over time, ratios wandering slightly off k.
void makeSound(HarmonicSet& set, int seed) {
  vt::bench::fillWobblingHarmonics(set, kFrames, kSoundLength, seed);
  set.sampleRate = kRate;
}

// The block curves a voice hands to the bank, rebuilt in place every block.
struct BlockCurves {
  BreakpointCurve pitch, amplitude;
  void set(float t0, float t1, float p0, float p1, float e0, float e1) {
    pitch.reset();
    pitch.add(t0, p0);
    pitch.add(t1, p1);
    amplitude.reset();
    amplitude.add(t0, e0);
    amplitude.add(t1, e1);
  }
};

// One playing voice: a position looping inside the sound, a pitch with a slow
// vibrato, an envelope level, a phase store.
struct BenchVoice {
  float position = kLoopStart;
  float basePitch = 100.0f;
  float phases[kPartials] = {};
  int block = 0;
  BlockCurves curves;

  float pitchAt(int b) const { return basePitch * (1.0f + 0.003f * std::sin(0.05f * b)); }
  // Prepares the block curves and returns the block start.
  float begin() {
    const float t0 = position;
    const float t1 = t0 + kBlock / kRate;
    curves.set(t0, t1, pitchAt(block), pitchAt(block + 1), 0.8f, 0.8f);
    return t0;
  }
  void advance() {
    position += kBlock / kRate;
    if (position >= kLoopEnd) position = kLoopStart;
    ++block;
  }
};

// The single-slot steps of the bank with each partial rendered by std::sin:
// same curve reads, same skips, same partials.
void renderHarmonicsNaive(HarmonicSet& set, float* out, int n, float t0, BreakpointCurve& pitch,
                          BreakpointCurve& amplitude, float* phases) {
  const float sr = set.sampleRate;
  const float t1 = t0 + n / sr;
  const float e0 = amplitude.evaluate(t0), e1 = amplitude.evaluate(t1);
  const float p0 = pitch.evaluate(t0), p1 = pitch.evaluate(t1);
  const float nyquist = sr / 2.0f, fadeStart = nyquist - 0.2f * sr, fadeWidth = 0.2f * sr;
  const float twoPi = 6.2831853f;
  for (int k = 0; k < kPartials; ++k) {
    if (set.amplitude[k].empty()) continue;
    float a0 = set.amplitude[k].evaluate(t0) * e0, a1 = set.amplitude[k].evaluate(t1) * e1;
    if (a0 <= 0.00003f && a1 <= 0.00003f) continue;
    const float r0 = set.frequency[k].evaluate(t0);
    const float f0 = r0 * p0;
    if (!(f0 > 0.0f && f0 < nyquist)) continue;
    if (f0 > fadeStart) {
      const float g = 1.0f - (f0 - fadeStart) / fadeWidth;
      a0 *= g;
      a1 *= g;
    }
    float r1 = set.frequency[k].evaluate(t1);
    if (r1 == 0.0f) r1 = r0;
    const float f1 = r1 * p1;
    // Phase in radians, kept as the bank keeps it (in table steps) between blocks.
    float phase = phases[k] * (twoPi / 200.0f);
    float inc = f0 * twoPi / sr;
    const float dInc = (f1 - f0) * twoPi / sr / n;
    float amp = a0;
    const float dAmp = (a1 - a0) / n;
    for (int j = 0; j < n; ++j) {
      phase += inc;
      if (phase >= twoPi) phase -= twoPi;
      amp += dAmp;
      out[j] += amp * std::sin(phase);
      inc += dInc;
    }
    phases[k] = phase * (200.0f / twoPi);
  }
}

// Sets counters for partial-samples per second and the real-time factor of
// the rendered load.
void report(benchmark::State& state, double partialsPerBlock) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * partialsPerBlock * kBlock));
  state.counters["real_time_factor"] =
      benchmark::Counter(kBlock / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_OscillatorBank(benchmark::State& state) {
  vt::DenormalGuard denormals;
  HarmonicSet set;
  makeSound(set, 1);
  BenchVoice voice;
  float out[kBlock];
  for (auto _ : state) {
    for (float& v : out) v = 0.0f;
    const float t0 = voice.begin();
    vt::renderHarmonics(set, out, kBlock, t0, voice.curves.pitch, voice.curves.amplitude, voice.phases, nullptr);
    voice.advance();
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  report(state, kPartials);
}

void BM_NaiveSinBank(benchmark::State& state) {
  vt::DenormalGuard denormals;
  HarmonicSet set;
  makeSound(set, 1);
  BenchVoice voice;
  float out[kBlock];
  for (auto _ : state) {
    for (float& v : out) v = 0.0f;
    const float t0 = voice.begin();
    renderHarmonicsNaive(set, out, kBlock, t0, voice.curves.pitch, voice.curves.amplitude, voice.phases);
    voice.advance();
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  report(state, kPartials);
}

// Every voice keeps its own copy of each slot's sound, as playing voices do.
struct VoicePool {
  std::vector<std::unique_ptr<HarmonicSet>> sets;  // kVoices x kSlots
  std::vector<BenchVoice> voices{kVoices};
  std::vector<BenchVoice> slotVoices{kVoices * kSlots};  // one phase store per slot for the single-slot load

  VoicePool() {
    HarmonicSet prototypes[kSlots];
    for (int s = 0; s < kSlots; ++s) makeSound(prototypes[s], s);
    for (int v = 0; v < kVoices; ++v) {
      voices[v].basePitch = 55.0f + 2.0f * v;  // 64 partials all below the fade
      voices[v].position = kLoopStart + 0.03f * v;
      for (int s = 0; s < kSlots; ++s) {
        sets.push_back(std::make_unique<HarmonicSet>());
        sets.back()->copyFrom(prototypes[s]);
        BenchVoice& sv = slotVoices[v * kSlots + s];
        sv.basePitch = voices[v].basePitch;
        sv.position = voices[v].position;
      }
    }
  }
};

void BM_WorstCaseSlots(benchmark::State& state) {
  vt::DenormalGuard denormals;
  VoicePool pool;
  float out[kBlock];
  for (auto _ : state) {
    for (float& v : out) v = 0.0f;
    for (int i = 0; i < kVoices * kSlots; ++i) {
      BenchVoice& voice = pool.slotVoices[i];
      const float t0 = voice.begin();
      vt::renderHarmonics(*pool.sets[i], out, kBlock, t0, voice.curves.pitch, voice.curves.amplitude, voice.phases,
                          nullptr);
      voice.advance();
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  report(state, kVoices * kSlots * kPartials);
}

void BM_WorstCaseMorph(benchmark::State& state) {
  vt::DenormalGuard denormals;
  VoicePool pool;
  float out[kBlock];
  const float gains[kSlots] = {1.0f, 0.9f, 0.8f, 0.7f};
  for (auto _ : state) {
    for (float& v : out) v = 0.0f;
    for (int v = 0; v < kVoices; ++v) {
      BenchVoice& voice = pool.voices[v];
      const float t0 = voice.begin();
      const float t1 = t0 + kBlock / kRate;
      const float starts[kSlots] = {t0, t0 * 0.97f, t0 * 1.02f, t0 * 0.99f};
      const float ends[kSlots] = {t1, t1 * 0.97f, t1 * 1.02f, t1 * 0.99f};
      HarmonicSet* sets[kSlots] = {pool.sets[v * kSlots].get(), pool.sets[v * kSlots + 1].get(),
                                   pool.sets[v * kSlots + 2].get(), pool.sets[v * kSlots + 3].get()};
      vt::renderMorphedHarmonics(sets, out, kBlock, starts, ends, voice.curves.pitch, voice.curves.amplitude, t0, t1,
                                 voice.phases, 0.3f, 0.6f, nullptr, gains);
      voice.advance();
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  // Each morphing voice reads 4 x 64 harmonic tracks and renders 64 partials.
  report(state, kVoices * kPartials);
}

// Largest difference between the bank and the naive bank over a few blocks of
// the same voice: both must render the same partials for the ratio to mean anything.
float bankDifference() {
  HarmonicSet set;
  makeSound(set, 1);
  BenchVoice bankVoice, naiveVoice;
  float maxDiff = 0.0f;
  for (int b = 0; b < 20; ++b) {
    float bank[kBlock] = {}, naive[kBlock] = {};
    float t0 = bankVoice.begin();
    vt::renderHarmonics(set, bank, kBlock, t0, bankVoice.curves.pitch, bankVoice.curves.amplitude, bankVoice.phases,
                        nullptr);
    t0 = naiveVoice.begin();
    renderHarmonicsNaive(set, naive, kBlock, t0, naiveVoice.curves.pitch, naiveVoice.curves.amplitude,
                         naiveVoice.phases);
    bankVoice.advance();
    naiveVoice.advance();
    for (int j = 0; j < kBlock; ++j) maxDiff = std::max(maxDiff, std::fabs(bank[j] - naive[j]));
  }
  return maxDiff;
}

}  // namespace

BENCHMARK(BM_OscillatorBank)->MinTime(1.0);
BENCHMARK(BM_NaiveSinBank)->MinTime(1.0);
BENCHMARK(BM_WorstCaseSlots)->MinTime(2.0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorstCaseMorph)->MinTime(1.0)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  vt::bench::SummaryReporter reporter;
  if (!vt::bench::runBenchmarks(argc, argv, reporter)) return 1;

  const double bank = reporter.get("BM_OscillatorBank", "items_per_second");
  const double naive = reporter.get("BM_NaiveSinBank", "items_per_second");
  const double slots = reporter.get("BM_WorstCaseSlots", "items_per_second");
  const double slotsRtf = reporter.get("BM_WorstCaseSlots", "real_time_factor");
  const double morphRtf = reporter.get("BM_WorstCaseMorph", "real_time_factor");
  const double needed = double(kVoices) * kSlots * kPartials * kRate;
  std::printf("\nOscillator bank (one core):\n");
  if (bank > 0.0) std::printf("  table bank        %.3g partial-samples/s\n", bank);
  if (naive > 0.0) std::printf("  std::sin bank     %.3g partial-samples/s\n", naive);
  if (bank > 0.0 && naive > 0.0) {
    std::printf("  ratio             %.2fx (target >= 5x); largest sample difference %.2g\n", bank / naive,
                bankDifference());
  }
  if (slots > 0.0) {
    std::printf("  worst case %d voices x %d slots x %d partials at %.0f Hz needs %.3g partial-samples/s:\n", kVoices,
                kSlots, kPartials, kRate, needed);
    std::printf("    rendered %.3g partial-samples/s, real-time factor %.2f (target >= 1)\n", slots, slotsRtf);
  }
  if (morphRtf > 0.0) {
    std::printf("  %d morphing voices (4 slots blended into 64 partials each): real-time factor %.2f\n", kVoices,
                morphRtf);
  }
  return 0;
}
