#include "engine/noise_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/support/allocation_counter.h"

namespace vt {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kEntries = NoiseGenerator::kSpectrumSize;

std::vector<float> singleEntry(int entry, float magnitude) {
  std::vector<float> spectrum(kEntries, 0.0f);
  spectrum[entry] = magnitude;
  return spectrum;
}

// Renders 'total' samples from a fresh note state in blocks of 'block' samples.
std::vector<float> renderFresh(NoiseGenerator& generator, const float* spectrum, int total, int block,
                               const float* formant = nullptr, float amplitude = 1.0f) {
  NoiseGrainState state;
  std::vector<float> out(total, 0.0f);
  for (int k = 0; k < total; k += block) {
    const int n = std::min(block, total - k);
    generator.renderSpectrum(spectrum, out.data() + k, n, amplitude, amplitude, state, formant);
  }
  return out;
}

// Power spectrum of a Hann-windowed stretch by direct DFT, bin width rate/size.
std::vector<double> powerSpectrum(const float* x, int size) {
  std::vector<double> cosine(size), sine(size), windowed(size);
  for (int t = 0; t < size; ++t) {
    cosine[t] = std::cos(2.0 * kPi * t / size);
    sine[t] = std::sin(2.0 * kPi * t / size);
    windowed[t] = (0.5 - 0.5 * cosine[t]) * x[t];
  }
  std::vector<double> power(size / 2 + 1, 0.0);
  for (int k = 0; k <= size / 2; ++k) {
    double re = 0.0, im = 0.0;
    for (int t = 0; t < size; ++t) {
      const int phase = static_cast<int>((static_cast<long>(k) * t) % size);
      re += windowed[t] * cosine[phase];
      im -= windowed[t] * sine[phase];
    }
    power[k] = re * re + im * im;
  }
  return power;
}

TEST(RandomSource, SeededSequenceInRangeAndFillMatchesNext) {
  RandomSource a(77), b(77);
  int seen[64] = {};
  for (int i = 0; i < 20000; ++i) {
    const int v = a.next();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, RandomSource::kMax);
    ASSERT_EQ(v, b.next());
    ++seen[v >> 9];
  }
  for (int m = 0; m < 64; ++m) EXPECT_GT(seen[m], 200) << m;  // every phase step is drawn
  EXPECT_EQ(a.drawCount(), 20000u);

  for (int count : {0, 1, 3, 4, 5, 8, 255, 256, 257}) {
    RandomSource stepwise(5), filled(5);
    std::vector<int> out(count + 1, -1);
    filled.fill(out.data(), count);
    for (int i = 0; i < count; ++i) ASSERT_EQ(out[i], stepwise.next()) << count << " " << i;
    EXPECT_EQ(out[count], -1);
    EXPECT_EQ(filled.next(), stepwise.next()) << count;  // the state moved on alike
    EXPECT_EQ(filled.drawCount(), stepwise.drawCount());
  }
  a.seed(77);
  b.seed(78);
  EXPECT_EQ(a.drawCount(), 0u);
  EXPECT_NE(a.next(), b.next());
}

TEST(NoiseGrainSynth, GrainLengthAndTransformFollowTheSampleRate) {
  NoiseGrainSynth synth;
  EXPECT_EQ(synth.grainLength(), 512);
  EXPECT_EQ(synth.transformSize(), 512);
  struct Case {
    float rate;
    int length;
    int transform;
  } cases[] = {{44100.0f, 512, 512},   {48000.0f, 512, 1024},  {22050.0f, 512, 1024},
               {8000.0f, 512, 1024},   {66150.0f, 512, 1024},  {66200.0f, 1024, 1024},
               {88200.0f, 1024, 1024}, {96000.0f, 1024, 1024}, {192000.0f, 1024, 1024}};
  for (const Case& c : cases) {
    synth.setSampleRate(c.rate);
    EXPECT_EQ(synth.grainLength(), c.length) << c.rate;
    EXPECT_EQ(synth.transformSize(), c.transform) << c.rate;
  }
  for (float bad : {0.0f, -48000.0f, NAN, INFINITY}) {
    synth.setSampleRate(bad);
    EXPECT_EQ(synth.sampleRate(), 44100.0f);
    EXPECT_EQ(synth.grainLength(), 512);
  }
}

TEST(NoiseGrainSynth, EntriesKeepTheirFrequencyAtEveryRate) {
  NoiseGrainSynth synth;
  for (int i = 0; i < kEntries; ++i) ASSERT_EQ(synth.binOfEntry(i), i + 1);
  for (float rate : {48000.0f, 88200.0f, 96000.0f, 32000.0f}) {
    synth.setSampleRate(rate);
    const double binWidth = rate / synth.transformSize();
    for (int i = 0; i < kEntries; ++i) {
      const double hz = (i + 1) * 22050.0 / 256.0;
      const int bin = synth.binOfEntry(i);
      if (hz > rate / 2 + binWidth / 2) {
        EXPECT_EQ(bin, -1) << rate << " entry " << i;
      } else {
        ASSERT_GE(bin, 1);
        EXPECT_LE(std::fabs(bin * binWidth - hz), binWidth / 2 + 1e-6) << rate << " entry " << i;
      }
    }
  }
  EXPECT_EQ(synth.binOfEntry(-1), -1);
  EXPECT_EQ(synth.binOfEntry(kEntries), -1);
}

TEST(NoiseGenerator, NewGrainEveryHalfGrain) {
  for (float rate : {44100.0f, 96000.0f}) {
    NoiseGenerator generator;
    generator.setSampleRate(rate);
    const int length = generator.grainLength();
    const std::vector<float> spectrum(kEntries, 0.5f);
    NoiseGrainState state;
    float out[1] = {0.0f};
    std::vector<int> starts;
    for (int t = 0; t < 3 * length; ++t) {
      const auto before = generator.random().drawCount();
      EXPECT_EQ(generator.startsGrain(state, 1), t % (length / 2) == 0) << t;
      generator.renderSpectrum(spectrum.data(), out, 1, 1.0f, 1.0f, state, nullptr);
      const auto drawn = generator.random().drawCount() - before;
      if (drawn) {
        EXPECT_EQ(drawn, static_cast<unsigned>(kEntries));  // one phase per entry
        starts.push_back(t);
      }
    }
    ASSERT_EQ(starts.size(), 6u) << rate;
    for (size_t g = 0; g < starts.size(); ++g) EXPECT_EQ(starts[g], static_cast<int>(g) * length / 2);
  }
}

TEST(NoiseGenerator, BlockSizeDoesNotChangeTheResult) {
  // Grains start at fixed sample positions, whatever the blocks; with one spectrum and a
  // constant amplitude, the output is the same for any block split.
  const std::vector<float> spectrum = singleEntry(20, 1.0f);
  NoiseGenerator a, b;
  a.random().seed(5);
  b.random().seed(5);
  const std::vector<float> x = renderFresh(a, spectrum.data(), 3000, 256);
  const std::vector<float> y = renderFresh(b, spectrum.data(), 3000, 77);
  for (int t = 0; t < 3000; ++t) ASSERT_NEAR(x[t], y[t], 1e-7f) << t;
}

TEST(NoiseGenerator, ZeroSpectrumIsSilentAndDrawsNothingEvenWithFormant) {
  NoiseGenerator generator;
  const std::vector<float> zero(kEntries, 0.0f);
  const std::vector<float> formant(kEntries, 3.0f);
  std::vector<float> out = renderFresh(generator, zero.data(), 2000, 256, formant.data());
  for (float v : out) ASSERT_EQ(v, 0.0f);
  out = renderFresh(generator, nullptr, 2000, 256);
  for (float v : out) ASSERT_EQ(v, 0.0f);
  EXPECT_EQ(generator.random().drawCount(), 0u);

  // A formant table of zeros silences any spectrum.
  const std::vector<float> loud(kEntries, 1.0f);
  const std::vector<float> closed(kEntries, 0.0f);
  out = renderFresh(generator, loud.data(), 2000, 256, closed.data());
  for (float v : out) ASSERT_EQ(v, 0.0f);
}

TEST(NoiseGenerator, NoteStartsFromSilenceWithAHalfSineFadeIn) {
  // During the first half grain only buffer 1 sounds, weighted sqrt(2/3) sin(pi t/L):
  // dividing the window out must leave a pure sinusoid of amplitude 2M/512 at the entry's bin.
  NoiseGenerator generator;
  const int entry = 30;
  const std::vector<float> spectrum = singleEntry(entry, 2.0f);
  const std::vector<float> out = renderFresh(generator, spectrum.data(), 256, 256);
  EXPECT_EQ(out[0], 0.0f);
  std::vector<double> y(256);
  for (int t = 1; t < 256; ++t) y[t] = out[t] / (std::sqrt(2.0 / 3.0) * std::sin(kPi * t / 512.0));
  const double w = 2.0 * kPi * (entry + 1) / 512.0;
  double peak = 0.0;
  for (int t = 2; t < 255; ++t) {
    ASSERT_NEAR(y[t + 1] + y[t - 1], 2.0 * std::cos(w) * y[t], 1e-4) << t;
    peak = std::max(peak, std::fabs(y[t]));
  }
  EXPECT_NEAR(peak, 2.0 * 2.0 / 512.0, 0.002 * 2.0 * 2.0 / 512.0 + 1e-4);
}

// Stationary noise stays stationary: the mean power at each place within the
// half-grain cross-fade period (averaged over many grains) is flat to +-0.5 dB,
// where a linear cross-fade of uncorrelated grains dips by 3 dB in the middle,
// and the long-term level is the one the linear cross-fade gave (2/3 of a
// grain's power), at every grain length.
TEST(NoiseGenerator, CrossFadeKeepsTheNoisePowerSteady) {
  std::vector<float> spectrum(kEntries);
  for (int i = 0; i < kEntries; ++i) spectrum[i] = 1.0f + 0.5f * std::sin(0.1f * i);
  for (float rate : {44100.0f, 96000.0f}) {
    NoiseGenerator generator;
    generator.setSampleRate(rate);
    generator.random().seed(3);
    const int length = generator.grainLength();
    const int half = length / 2;
    const int periods = 3000;
    const std::vector<float> out = renderFresh(generator, spectrum.data(), (periods + 2) * half, 256);

    std::vector<double> power(half, 0.0);
    double total = 0.0;
    for (int p = 2; p < periods + 2; ++p) {
      for (int i = 0; i < half; ++i) {
        const double v = out[static_cast<size_t>(p) * half + i];
        power[i] += v * v;
        total += v * v;
      }
    }
    const double mean = total / (static_cast<double>(periods) * half);
    // Phase-averaged power in 16 stretches of the period, each against the mean.
    const int stretch = half / 16;
    for (int s = 0; s < 16; ++s) {
      double sum = 0.0;
      for (int i = s * stretch; i < (s + 1) * stretch; ++i) sum += power[i];
      const double db = 10.0 * std::log10(sum / (static_cast<double>(periods) * stretch) / mean);
      EXPECT_NEAR(db, 0.0, 0.5) << rate << " stretch " << s;
    }

    // The grains' own power, from the same synthesis, times the linear cross-fade's 2/3.
    RandomSource random(9);
    std::vector<float> grain(NoiseGrainSynth::kMaxGrainLength);
    double grainPower = 0.0;
    const int grains = 400;
    for (int g = 0; g < grains; ++g) {
      generator.grainSynth().synthesize(spectrum.data(), nullptr, random, grain.data());
      for (int i = 0; i < length; ++i) grainPower += static_cast<double>(grain[i]) * grain[i];
    }
    const double scale = generator.grainSynth().grainScale();
    const double expected = grainPower / (static_cast<double>(grains) * length) * scale * scale * 2.0 / 3.0;
    EXPECT_NEAR(10.0 * std::log10(mean / expected), 0.0, 0.5) << rate;
  }
}

TEST(NoiseGenerator, AmplitudeRampsLinearlyAcrossTheBlock) {
  const std::vector<float> spectrum(kEntries, 0.25f);
  NoiseGenerator a, b;
  NoiseGrainState sa, sb;
  std::vector<float> flat(600, 0.0f), ramp(600, 0.0f);
  a.renderSpectrum(spectrum.data(), flat.data(), 100, 1.0f, 1.0f, sa, nullptr);
  b.renderSpectrum(spectrum.data(), ramp.data(), 100, 1.0f, 1.0f, sb, nullptr);
  a.renderSpectrum(spectrum.data(), flat.data() + 100, 500, 1.0f, 1.0f, sa, nullptr);
  b.renderSpectrum(spectrum.data(), ramp.data() + 100, 500, 1.0f, 0.0f, sb, nullptr);
  for (int k = 0; k < 500; ++k) {
    ASSERT_NEAR(ramp[100 + k], flat[100 + k] * (1.0f - k / 500.0f), 1e-6f) << k;
  }
  // Noise is added to what the output already holds.
  std::vector<float> biased(100, 0.5f);
  NoiseGenerator c;
  NoiseGrainState sc;
  c.renderSpectrum(spectrum.data(), biased.data(), 100, 1.0f, 1.0f, sc, nullptr);
  for (int k = 0; k < 100; ++k) ASSERT_NEAR(biased[k], 0.5f + flat[k], 1e-6f);
}

// One non-zero entry: the noise sits at that entry's frequency, at every rate, with the
// power the triangular cross-fade of independent random-phase sinusoids predicts:
// amplitude A = 2M/512 per grain, mean power A^2/2 x E[(1-c)^2 + c^2] = A^2/3.
TEST(NoiseGenerator, SingleEntryLandsAtItsFrequencyWithTheExpectedLevel) {
  const int entry = 40;
  const float magnitude = 1.5f;
  const double entryHz = (entry + 1) * 22050.0 / 256.0;
  for (float rate : {44100.0f, 48000.0f, 96000.0f}) {
    NoiseGenerator generator;
    generator.setSampleRate(rate);
    generator.random().seed(11);
    const std::vector<float> spectrum = singleEntry(entry, magnitude);
    const int total = static_cast<int>(rate * 1.5f);
    const std::vector<float> out = renderFresh(generator, spectrum.data(), total, 256);

    const int settled = generator.grainLength();
    double sum = 0.0;
    for (int t = settled; t < total; ++t) sum += static_cast<double>(out[t]) * out[t];
    const double rms = std::sqrt(sum / (total - settled));
    const double expected = 2.0 * magnitude / 512.0 / std::sqrt(3.0);
    EXPECT_NEAR(rms, expected, 0.05 * expected) << rate;

    const int size = 8192;
    const std::vector<double> power = powerSpectrum(out.data() + settled, size);
    const double binHz = rate / size;
    size_t peak = 0;
    double totalPower = 0.0, nearPower = 0.0;
    for (size_t k = 0; k < power.size(); ++k) {
      totalPower += power[k];
      if (power[k] > power[peak]) peak = k;
      if (std::fabs(k * binHz - entryHz) <= 300.0) nearPower += power[k];
    }
    const double transformBinHz = rate / generator.grainSynth().transformSize();
    EXPECT_LE(std::fabs(peak * binHz - entryHz), transformBinHz / 2 + binHz) << rate;
    EXPECT_GT(nearPower / totalPower, 0.97) << rate;
  }
}

TEST(NoiseGenerator, SameSeedSameNoiseOtherSeedOtherNoise) {
  std::vector<float> spectrum(kEntries);
  for (int i = 0; i < kEntries; ++i) spectrum[i] = 1.0f / (1 + i);
  NoiseGenerator a, b, c;
  a.random().seed(42);
  b.random().seed(42);
  c.random().seed(43);
  const std::vector<float> x = renderFresh(a, spectrum.data(), 4000, 256);
  const std::vector<float> y = renderFresh(b, spectrum.data(), 4000, 256);
  const std::vector<float> z = renderFresh(c, spectrum.data(), 4000, 256);
  EXPECT_EQ(x, y);
  EXPECT_NE(x, z);
}

TEST(NoiseGenerator, StaleGrainPositionsAfterARateChangeRestartCleanly) {
  const std::vector<float> spectrum(kEntries, 1.0f);
  NoiseGenerator generator;
  generator.setSampleRate(96000.0f);
  NoiseGrainState state;
  std::vector<float> out(700, 0.0f);
  generator.renderSpectrum(spectrum.data(), out.data(), 700, 1.0f, 1.0f, state, nullptr);
  generator.setSampleRate(44100.0f);
  std::fill(out.begin(), out.end(), 0.0f);
  generator.renderSpectrum(spectrum.data(), out.data(), 700, 1.0f, 1.0f, state, nullptr);
  EXPECT_EQ(out[0], 0.0f);  // a fresh start fades in from silence
  EXPECT_LE(state.i1, generator.grainLength());
  EXPECT_LE(state.i2, generator.grainLength());
  state.i1 = -5;
  state.i2 = 100000;
  generator.renderSpectrum(spectrum.data(), out.data(), 700, 1.0f, 1.0f, state, nullptr);
  for (float v : out) ASSERT_TRUE(std::isfinite(v));
}

TEST(NoiseGenerator, RenderingDoesNotAllocate) {
  const std::vector<float> spectrum(kEntries, 1.0f);
  const std::vector<float> formant(kEntries, 0.5f);
  NoiseGenerator generator;
  generator.setSampleRate(48000.0f);
  NoiseGrainState state;
  std::vector<float> out(256, 0.0f);
  test::AllocationCounter counter;
  for (int b = 0; b < 20; ++b) {
    generator.renderSpectrum(spectrum.data(), out.data(), 256, 1.0f, 1.0f, state, formant.data());
  }
  EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
}  // namespace vt
