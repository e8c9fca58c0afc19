// The filter effect: the cutoff map, mode selection, the 24 dB cascade
// against the analytic Butterworth response, the other two modes, the
// envelope follower, the saturation and the idle state before a sample rate.
#include "effects/effect_filter.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/effects/response_measurement.h"

namespace vt {
namespace {

using test::measureGain;
using test::warped;

constexpr float kRate = 48000.0f;

// Cutoff value whose frequency is f with the envelope amount at 0.
float cutoffValueFor(double f) { return static_cast<float>(1.0 - std::pow(10.0, -(f - 80.0) / 15920.0 / 0.25)); }

EffectFilter makeFilter(float mode, float cutoffValue, float resonance) {
  EffectFilter f;
  f.setSampleRate(kRate);
  f.setEnvAmount(0.0f);
  f.setMode(mode);
  f.setCutoff(cutoffValue);
  f.setResonance(resonance);
  return f;
}

double gainOf(EffectFilter filter, double frequency, double amplitude = 0.1) {
  return measureGain(
      [&filter](float x) {
        filter.process(&x, 1);
        return x;
      },
      frequency, kRate, amplitude);
}

// |H| of the cascade: two sections 1 / (s^2 + (d/R) s + 1) at the pre-warped corner.
double cascadeGain(double f, double fc, double r) {
  const double omega = warped(f, fc, kRate);
  return std::abs(test::lowPassPrototype(omega, r / 0.765367) * test::lowPassPrototype(omega, r / 1.847759));
}

TEST(EffectFilter, CutoffMapsFrom80HzTo16kHz) {
  EffectFilter f;
  f.setEnvAmount(0.0f);
  f.setCutoff(0.0f);
  EXPECT_FLOAT_EQ(f.cutoffFrequency(), 80.0f);
  f.setCutoff(1.0f);
  EXPECT_FLOAT_EQ(f.cutoffFrequency(), 16000.0f);
  f.setCutoff(0.9f);
  EXPECT_NEAR(f.cutoffFrequency(), 4060.0f, 0.05f);
  f.setCutoff(0.5f);
  EXPECT_NEAR(f.cutoffFrequency(), 80.0 + 15920.0 * 0.25 * std::log10(2.0), 0.05);
  // The envelope amount scales the cutoff towards the (silent) envelope level.
  f.setEnvAmount(0.5f);
  f.setCutoff(0.8f);
  EXPECT_NEAR(f.cutoffFrequency(), 80.0 - 15920.0 * 0.25 * std::log10(1.0 - 0.4), 0.05);
}

TEST(EffectFilter, ModeIsChosenFromTheValueInThirds) {
  EffectFilter f;
  const std::pair<float, int> cases[] = {{0.0f, 0},  {0.1f, 0}, {0.16f, 0}, {0.17f, 1}, {0.2f, 1},
                                         {0.49f, 1}, {0.5f, 2}, {1.0f, 2},  {7.0f, 2},  {-3.0f, 0}};
  for (const auto& c : cases) {
    f.setMode(c.first);
    EXPECT_EQ(f.mode, c.second) << c.first;
  }
}

TEST(EffectFilter, LowPassCascadeFollowsTheButterworthResponse) {
  const double fc = 1000.0;
  const EffectFilter f = makeFilter(1.0f, cutoffValueFor(fc), 0.0f);
  EXPECT_NEAR(f.cutoffFrequency(), fc, 0.01);
  EXPECT_EQ(f.sectionCount, 2);
  for (double freq : {100.0, 500.0, 1000.0, 3000.0}) {
    EXPECT_NEAR(gainOf(f, freq), cascadeGain(freq, fc, 1.0), 2e-3) << freq;
  }
  // Four poles: an octave above the cutoff lies about 24 dB down.
  const double octaveUp = test::toDb(gainOf(f, 2 * fc));
  EXPECT_NEAR(octaveUp, -24.0, 0.6);
  EXPECT_NEAR(octaveUp, test::toDb(cascadeGain(2 * fc, fc, 1.0)), 0.05);
  EXPECT_NEAR(test::toDb(gainOf(f, fc)), -3.01, 0.05);
}

TEST(EffectFilter, ResonanceRaisesThePeakAtTheCutoff) {
  const double fc = 2000.0;
  const EffectFilter f = makeFilter(1.0f, cutoffValueFor(fc), 0.5f);  // R = 4
  EXPECT_FLOAT_EQ(f.resonanceFigure(), 4.0f);
  // Small input keeps the resonant peak under the saturation threshold.
  for (double freq : {500.0, 1600.0, 2000.0, 2400.0}) {
    EXPECT_NEAR(gainOf(f, freq, 0.005), cascadeGain(freq, fc, 4.0), 5e-3 * cascadeGain(freq, fc, 4.0)) << freq;
  }
  EXPECT_GT(gainOf(f, fc, 0.005), 3.0);
}

TEST(EffectFilter, HighPassAndBandPassModesUseResonanceAsQAndBandwidth) {
  const double fc = 1000.0;
  const float value = cutoffValueFor(fc);
  const EffectFilter hp = makeFilter(0.0f, value, 0.0f);  // Q = 1
  for (double freq : {250.0, 1000.0, 4000.0}) {
    EXPECT_NEAR(gainOf(hp, freq), std::abs(test::highPassPrototype(warped(freq, fc, kRate), 1.0)), 2e-3) << freq;
  }
  const EffectFilter bp = makeFilter(0.3f, value, 0.0f);  // band of 1 octave, then +4 dB peak of 1 octave
  const double q = test::qFromBandwidth(1.0, fc, kRate);
  for (double freq : {250.0, 1000.0, 4000.0}) {
    const double omega = warped(freq, fc, kRate);
    const double expected = std::abs(test::bandPassPrototype(omega, q) * test::peakPrototype(omega, q, 4.0));
    EXPECT_NEAR(gainOf(bp, freq), expected, 3e-3) << freq;
  }
}

TEST(EffectFilter, CutoffStaysBelowNyquistAtLowSampleRates) {
  EffectFilter f;
  f.setSampleRate(22050.0f);
  f.setEnvAmount(0.0f);
  f.setCutoff(1.0f);  // 16 kHz asked for, above Nyquist
  std::vector<float> noise(22050);
  unsigned seed = 1;
  for (float& v : noise) {
    seed = seed * 1664525u + 1013904223u;
    v = static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
  }
  f.process(noise.data(), static_cast<int>(noise.size()));
  for (float v : noise) ASSERT_LE(std::fabs(v), 2.0f);  // stable and bounded by the saturation
}

TEST(EffectFilter, SaturationLimitsLoudSignalsWithoutFoldingThem) {
  // A constant passes the low-pass at unity; the saturation shapes it.
  auto settle = [](float level) {
    EffectFilter f = makeFilter(1.0f, 0.5f, 0.0f);  // R = 1
    std::vector<float> dc(4800, level);
    f.process(dc.data(), static_cast<int>(dc.size()));
    return dc.back();
  };
  EXPECT_NEAR(settle(0.4f), 0.4f, 1e-4f);  // below the knee: x * 0.5 = 0.2, times 2
  // At the knee's ceiling (x * 0.5 = R) the output is 2; beyond it stays there.
  EXPECT_NEAR(settle(2.0f), 2.0f, 1e-4f);
  EXPECT_NEAR(settle(8.0f), 2.0f, 1e-4f);
  EXPECT_NEAR(settle(-8.0f), -2.0f, 1e-4f);
  float previous = 0.0f;
  for (float level = 0.05f; level < 6.0f; level += 0.05f) {
    const float out = settle(level);
    ASSERT_GE(out, previous - 1e-6f) << level;
    previous = out;
  }
}

TEST(EffectFilter, EnvelopeOpensTheCutoffAndSilenceClosesIt) {
  EffectFilter f;
  f.setSampleRate(kRate);
  f.setMode(1.0f);
  f.setCutoff(1.0f);
  f.setEnvAmount(1.0f);
  EXPECT_FLOAT_EQ(f.cutoffFrequency(), 80.0f);  // no envelope yet
  const float coefBefore = f.sectionCoefs[0][0];

  std::vector<float> loud(4800, 1.2f);  // envelope rises towards 0.6 at 1/(0.505 s)
  f.process(loud.data(), static_cast<int>(loud.size()));
  EXPECT_NEAR(f.envelope, 4800.0f / (0.505f * kRate) - 4800.0f / (1.6f * kRate), 1e-3f);
  EXPECT_NEAR(f.cutoffFrequency(), 80.0 - 15920.0 * 0.25 * std::log10(1.0 - f.envelope), 0.5);
  EXPECT_GT(f.cutoffFrequency(), 300.0f);
  EXPECT_NE(f.sectionCoefs[0][0], coefBefore);  // redesigned while running
  EXPECT_LE(f.samplesSinceDesign, 32);

  std::vector<float> silence(static_cast<size_t>(kRate), 0.0f);
  f.process(silence.data(), static_cast<int>(silence.size()));
  EXPECT_FLOAT_EQ(f.envelope, 0.0f);
  EXPECT_FLOAT_EQ(f.cutoffFrequency(), 80.0f);
}

TEST(EffectFilter, RedesignsEvery33SamplesOnlyWhileTheEnvelopeActs) {
  EffectFilter f = makeFilter(1.0f, 0.6f, 0.1f);
  f.setEnvAmount(0.5f);  // designs: the counter starts at 0
  std::vector<float> block(100, 0.3f);
  f.process(block.data(), 32);
  EXPECT_EQ(f.samplesSinceDesign, 32);
  f.process(block.data(), 1);  // the 33rd sample redesigns
  EXPECT_EQ(f.samplesSinceDesign, 0);
  f.process(block.data(), 32);
  EXPECT_EQ(f.samplesSinceDesign, 32);
  f.process(block.data(), 1);
  EXPECT_EQ(f.samplesSinceDesign, 0);

  // Once the amount has glided to 0 (20 ms) the coefficients stay put.
  f.setEnvAmount(0.0f);
  std::vector<float> glide(1000, 0.3f);
  f.process(glide.data(), 1000);
  const float coef = f.sectionCoefs[0][0];
  f.process(block.data(), 100);
  EXPECT_GE(f.samplesSinceDesign, 32);
  EXPECT_EQ(f.sectionCoefs[0][0], coef);
}

TEST(EffectFilter, NothingHappensBeforeTheSampleRateIsKnown) {
  EffectFilter f;
  f.setCutoff(0.3f);
  f.setMode(0.0f);
  float samples[3] = {0.5f, -0.25f, 1.0f};
  f.process(samples, 3);
  EXPECT_EQ(samples[0], 0.5f);
  EXPECT_EQ(samples[1], -0.25f);
  EXPECT_EQ(samples[2], 1.0f);
  f.setSampleRate(1000000.0f);  // unsupported: idle as well
  f.process(samples, 3);
  EXPECT_EQ(samples[2], 1.0f);
}

TEST(EffectFilter, ResetClearsMemoriesAndEnvelopeButKeepsSettings) {
  EffectFilter f = makeFilter(0.3f, 0.7f, 0.2f);
  f.setEnvAmount(0.4f);
  std::vector<float> block(1000, 0.8f);
  f.process(block.data(), 1000);
  f.reset();
  EXPECT_EQ(f.envelope, 0.0f);
  EXPECT_EQ(f.biquadA.y1, 0.0f);
  EXPECT_EQ(f.biquadB.y1, 0.0f);
  EXPECT_EQ(f.mode, 1);
  EXPECT_FLOAT_EQ(f.envAmount, 0.4f);
  EXPECT_FLOAT_EQ(f.cutoff, 0.7f);
  EXPECT_FLOAT_EQ(f.resonance, 0.2f);
  // Silence in, silence out after a reset.
  std::vector<float> silence(64, 0.0f);
  f.process(silence.data(), 64);
  for (float v : silence) EXPECT_EQ(v, 0.0f);
}

}  // namespace
}  // namespace vt
