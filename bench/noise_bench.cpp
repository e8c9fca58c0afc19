// Cost of the noise generator per voice (overlap-add plus one grain with its
// inverse FFT every half grain), next to the cost of the same voice's 64
// harmonics. Target: the noise costs at most 15 % of the harmonics.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/noise_generator.h"
#include "engine/noise_set.h"
#include "engine/real_fft.h"

namespace {

constexpr int kBlock = 256;
constexpr int kPartials = 64;
constexpr int kTableSteps = 200;

// The machine is shared: each figure is the fastest of five repetitions, the one least
// disturbed by other work.
void fastestOfFive(benchmark::internal::Benchmark* b) {
  b->Repetitions(5)->ReportAggregatesOnly(true)->ComputeStatistics(
      "fastest", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

// Reference load: 64 table-lookup sine partials with linearly ramped frequency and
// amplitude, rendered four at a time like the oscillator bank does.
struct PartialLoad {
  float table[kTableSteps + 1];
  float phases[kPartials] = {};
  PartialLoad() {
    for (int i = 0; i <= kTableSteps; ++i) table[i] = static_cast<float>(std::sin(6.283185307179586 * i / kTableSteps));
  }
  void render(float* out, int n, float sampleRate) {
    for (int k0 = 0; k0 < kPartials; k0 += 4) {
      float inc[4], dInc[4], amp[4], dAmp[4], ph[4];
      for (int q = 0; q < 4; ++q) {
        const int k = k0 + q;
        const float f0 = 110.0f * (k + 1), f1 = f0 * 1.001f;
        inc[q] = f0 * kTableSteps / sampleRate;
        dInc[q] = (f1 - f0) * kTableSteps / sampleRate / n;
        amp[q] = 0.5f / (k + 1);
        dAmp[q] = -0.0001f / n;
        ph[q] = phases[k];
      }
      for (int s = 0; s < n; ++s) {
        float sum = 0.0f;
        for (int q = 0; q < 4; ++q) {
          const int i = static_cast<int>(ph[q]);
          const float frac = ph[q] - i;
          sum += amp[q] * (table[i] + frac * (table[i + 1] - table[i]));
          ph[q] += inc[q];
          if (ph[q] >= kTableSteps) ph[q] -= kTableSteps;
          inc[q] += dInc[q];
          amp[q] += dAmp[q];
        }
        out[s] += sum;
      }
      for (int q = 0; q < 4; ++q) phases[k0 + q] = ph[q];
    }
  }
};

void BM_Harmonics64(benchmark::State& state) {
  PartialLoad load;
  std::vector<float> out(kBlock, 0.0f);
  for (auto _ : state) {
    load.render(out.data(), kBlock, 44100.0f);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Harmonics64)->Apply(fastestOfFive);

// A recorded noise part: 64 frames over 3 s with a sloping, slowly changing spectrum.
void fillNoiseSet(vt::NoiseSet& set, float tilt) {
  set.reset();
  for (int f = 0; f < vt::NoiseSet::kMaxFrames; ++f) {
    vt::NoiseFrame* frame = set.appendFrame(f * 3.0f / vt::NoiseSet::kMaxFrames);
    for (int i = 0; i < vt::NoiseFrame::kBins; ++i) frame->bins[i] = (1.0f + 0.01f * f) / (1.0f + tilt * i);
    frame->silent = false;
  }
}

constexpr float kLoopLength = 2.9f;  // seconds of the set the benchmark plays round

// One voice playing one slot: spectrum interpolation, grains with their FFT, overlap-add.
void BM_NoiseVoice(benchmark::State& state) {
  const float rate = static_cast<float>(state.range(0));
  vt::NoiseGenerator generator;
  generator.setSampleRate(rate);
  generator.random().seed(7);
  vt::NoiseGrainState grains;
  vt::NoiseSet set;
  fillNoiseSet(set, 0.05f);
  std::vector<float> out(kBlock, 0.0f);
  float p0 = 0.0f;
  for (auto _ : state) {
    generator.renderNoise(set, out.data(), kBlock, p0, 0.5f, 0.5f, grains, nullptr);
    p0 += kBlock / rate;
    if (p0 > kLoopLength) p0 = 0.0f;
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_NoiseVoice)->Arg(44100)->Arg(48000)->Arg(96000)->Apply(fastestOfFive);

// A morph group's noise, blended from four slots at an inner morph position, with the
// formant table on (the leader renders it for all four voices of the group).
void BM_MorphedNoiseVoice(benchmark::State& state) {
  const float rate = static_cast<float>(state.range(0));
  vt::NoiseGenerator generator;
  generator.setSampleRate(rate);
  vt::NoiseGrainState grains;
  vt::NoiseSet sets[4];
  const vt::NoiseSet* pointers[4];
  for (int s = 0; s < 4; ++s) {
    fillNoiseSet(sets[s], 0.02f * (s + 1));
    pointers[s] = &sets[s];
  }
  float formant[vt::NoiseFrame::kBins];
  for (int i = 0; i < vt::NoiseFrame::kBins; ++i) formant[i] = 0.5f + 0.5f * std::sin(0.05f * i);
  std::vector<float> out(kBlock, 0.0f);
  float times[4] = {0.0f, 0.1f, 0.2f, 0.3f};
  for (auto _ : state) {
    generator.renderMorphedNoise(pointers, out.data(), kBlock, times, 0.5f, 0.5f, grains, 0.3f, 0.6f, formant);
    for (float& t : times) {
      t += kBlock / rate;
      if (t > kLoopLength) t = 0.0f;
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MorphedNoiseVoice)->Arg(44100)->Arg(48000)->Apply(fastestOfFive);

// The pieces of one grain, per grain (not per sample).
void BM_InverseFft(benchmark::State& state) {
  const vt::RealFft* fft = vt::RealFft::ofSize(static_cast<int>(state.range(0)));
  std::vector<float> data(vt::RealFft::kMaxSize, 0.1f);
  for (auto _ : state) {
    fft->inverse(data.data());
    data[3] = 0.1f;
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

// Collects the CPU time per sample of every run so that main can print ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.aggregate_name != "fastest" || (run.benchmark_name().find("Voice") == std::string::npos &&
                                              run.benchmark_name().find("Harmonics") == std::string::npos))
        continue;
      names.push_back(run.benchmark_name());
      nsPerSample.push_back(run.GetAdjustedCPUTime() / kBlock);  // default unit is ns
    }
  }
  std::vector<std::string> names;
  std::vector<double> nsPerSample;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  double harmonics = 0.0;
  for (size_t i = 0; i < reporter.names.size(); ++i) {
    if (reporter.names[i].rfind("BM_Harmonics64", 0) == 0) harmonics = reporter.nsPerSample[i];
  }
  std::printf("\n%-28s %12s %16s\n", "per voice", "ns/sample", "of 64 harmonics");
  for (size_t i = 0; i < reporter.names.size(); ++i) {
    const double ratio = harmonics > 0.0 ? 100.0 * reporter.nsPerSample[i] / harmonics : 0.0;
    std::printf("%-28s %12.2f %15.1f%%\n", reporter.names[i].c_str(), reporter.nsPerSample[i], ratio);
  }
  std::printf("target: noise at most 15%% of the 64 harmonics\n");
  benchmark::Shutdown();
  return 0;
}
