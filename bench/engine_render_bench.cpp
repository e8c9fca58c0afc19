// Whole-engine rendering: held notes on four loaded slots of 64 harmonics and
// a noise part each, through the voice stage and the default effect chain, in
// host blocks of 512 frames at 44.1 kHz. Prints the real-time factor (seconds
// of audio rendered per second of processor time on one core).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "engine/synth_engine.h"

namespace {

using vt::SynthEngine;

constexpr float kRate = 44100.0f;
constexpr int kHostBlock = 512;
constexpr int kRows = 2;
constexpr int kFrames = 100;  // analysis frames of a bench recording
constexpr int kNoiseFrames = 40;
constexpr float kSoundLength = 2.0f;
constexpr int kWarmUpBlocks = 20;

// A recording with all 64 harmonics audible throughout, amplitudes wobbling over
// time and ratios wandering slightly off their harmonic number.
void makeRecording(vt::HarmonicSet& set, float baseFrequency, int seed) {
  vt::bench::fillWobblingHarmonics(set, kFrames, kSoundLength, seed, 0.2f, true);
  set.baseFrequency = baseFrequency;
}

void makeNoise(vt::NoiseSet& set, int seed) {
  set.reset();
  for (int i = 0; i < kNoiseFrames; ++i) {
    vt::NoiseFrame* frame = set.appendFrame(kSoundLength * i / (kNoiseFrames - 1));
    if (!frame) return;
    for (int b = 0; b < vt::NoiseFrame::kBins; ++b)
      frame->bins[b] = 0.02f * (1.0f + std::sin(0.05f * b + 0.3f * i + seed)) / (1.0f + b * 0.02f);
    frame->silent = false;
  }
}

std::unique_ptr<SynthEngine> makeEngine(bool morphing) {
  auto engine = std::make_unique<SynthEngine>();
  engine->setSampleRate(kRate);
  for (int k = 0; k < vt::kNumSlots; ++k) {
    vt::VoiceSlot& slot = engine->slot(k);
    slot.reset();
    slot.rowCount = kRows;
    for (int r = 0; r < kRows; ++r) {
      for (int layer = 0; layer < vt::VoiceSlot::kLayers; ++layer) {
        makeRecording(slot.harmonics[r][layer], 110.0f * (r + 1), k * 7 + r * 3 + layer);
        makeNoise(slot.noise[r][layer], k + r + layer);
      }
    }
    slot.prepare();
  }
  engine->setParameter(vt::NumMultisamplesA, 1.0f / 8.0f);  // keep the two rows on every slot
  engine->setParameter(vt::NumMultisamplesB, 1.0f / 8.0f);
  engine->setParameter(vt::NumMultisamplesC, 1.0f / 8.0f);
  engine->setParameter(vt::NumMultisamplesD, 1.0f / 8.0f);
  engine->setParameter(vt::Stretch, 0.5f);
  engine->setParameter(vt::GlobalLoopOn, 1.0f);  // held notes sustain in their loops
  engine->setParameter(vt::LfoOn, 1.0f);
  engine->setParameter(vt::LfoVibrato, 0.2f);
  engine->setParameter(vt::LfoTremolo, 0.2f);
  engine->setParameter(vt::DoMorphing, morphing ? 1.0f : 0.0f);
  engine->setParameter(vt::MorphHarmX, 0.4f);
  engine->setParameter(vt::MorphHarmY, 0.3f);
  engine->setParameter(vt::MorphNoiseX, 0.6f);
  engine->setParameter(vt::MorphNoiseY, 0.7f);
  engine->setParameter(vt::MorphAmpX, 0.5f);
  engine->setParameter(vt::MorphAmpY, 0.5f);
  return engine;
}

// Renders held notes: 'notes' morph groups (four voices each) or single-slot
// notes on one, two or four slots depending on the pads.
void renderHeldNotes(benchmark::State& state, bool morphing, int notes) {
  auto engine = makeEngine(morphing);
  std::vector<float> left(kHostBlock), right(kHostBlock);
  for (int n = 0; n < notes; ++n) {
    const std::uint8_t on[3] = {0x90, static_cast<std::uint8_t>(36 + 2 * n), 100};
    engine->queueMessage(on, 3, n % kHostBlock);
  }
  for (int b = 0; b < kWarmUpBlocks; ++b) engine->render(left.data(), right.data(), kHostBlock);
  const int voices = engine->activeVoiceCount();
  for (auto _ : state) {
    engine->render(left.data(), right.data(), kHostBlock);
    benchmark::DoNotOptimize(left.data());
  }
  state.counters["voices"] = voices;
  state.counters["real_time_factor"] =
      benchmark::Counter(kHostBlock / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Morph16Voices(benchmark::State& state) { renderHeldNotes(state, true, 4); }
void BM_Morph48Voices(benchmark::State& state) { renderHeldNotes(state, true, 12); }
void BM_SingleSlot48Voices(benchmark::State& state) { renderHeldNotes(state, false, 12); }

}  // namespace

BENCHMARK(BM_Morph16Voices)->MinTime(1.0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Morph48Voices)->MinTime(1.0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SingleSlot48Voices)->MinTime(1.0)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  vt::bench::SummaryReporter reporter;
  if (!vt::bench::runBenchmarks(argc, argv, reporter)) return 1;

  std::printf("\nWhole engine at %.0f Hz, 64 harmonics and noise per slot, one core:\n", kRate);
  const struct {
    const char* run;
    const char* what;
  } rows[] = {{"BM_Morph16Voices", "4 morph groups (16 voices, 4 slots blended each)"},
              {"BM_Morph48Voices", "12 morph groups (48 voices, the most that sound at once)"},
              {"BM_SingleSlot48Voices", "48 single-slot voices (12 notes on all four slots)"}};
  for (const auto& row : rows) {
    const double rtf = reporter.get(row.run, "real_time_factor");
    if (rtf > 0.0)
      std::printf("  %-58s %2.0f voices  real-time factor %.2f\n", row.what, reporter.get(row.run, "voices"), rtf);
  }
  return 0;
}
