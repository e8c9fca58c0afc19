// The partial renderers against a direct computation of the ramped sine.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/oscillator_bank.h"
#include "engine/sine_table.h"

namespace vt {
namespace {

constexpr double kTwoPi = 6.283185307179586;
// Linear interpolation over 200 steps is within (2*pi/200)^2/8 of the sine.
constexpr double kTableError = 1.3e-4;

class PartialTest : public ::testing::Test {
protected:
  void SetUp() override {
    sine = SineTable::acquire();
    ASSERT_NE(sine, nullptr);
  }
  void TearDown() override { SineTable::release(); }
  const float* sine = nullptr;
};

// The ramped partial computed in double precision from its definition: the
// phase increment moves linearly from f0 to f1 over the block, the phase is
// advanced before each sample and sample j has amplitude a0 + (j + 1)(a1 - a0)/n.
std::vector<double> expectedPartial(double phaseSteps, double sr, int n, double f0, double f1, double a0, double a1,
                                    double* endPhase = nullptr) {
  std::vector<double> y(n);
  const double inc0 = f0 * 200.0 / sr;
  const double dInc = (f1 - f0) * 200.0 / sr / n;
  double phase = phaseSteps;
  for (int j = 0; j < n; ++j) {
    phase += inc0 + j * dInc;
    const double amp = a0 + (j + 1) * (a1 - a0) / n;
    y[j] = amp * std::sin(kTwoPi * phase / 200.0);
  }
  if (endPhase) *endPhase = std::fmod(phase, 200.0);
  return y;
}

TEST_F(PartialTest, SteadyPartialIsASineOfItsFrequencyAcrossBlocks) {
  const float sr = 44100.0f;
  const double f = 1000.0;
  const double a = 0.5;
  const int block = 256;
  const int blocks = 8;
  std::vector<float> out(block * blocks, 0.0f);
  float phase = 0.0f;
  for (int b = 0; b < blocks; ++b) {
    renderPartial(sine, sr, phase, out.data() + b * block, block, float(f), float(f), float(a), float(a));
  }
  for (int j = 0; j < block * blocks; ++j) {
    const double expected = a * std::sin(kTwoPi * f * (j + 1) / sr);
    ASSERT_NEAR(out[j], expected, 1e-3) << "sample " << j;
  }
  EXPECT_NEAR(phase, std::fmod(f * 200.0 * block * blocks / sr, 200.0), 0.02);
}

TEST_F(PartialTest, RampsFrequencyAndAmplitudeWithinTheBlock) {
  const float sr = 48000.0f;
  const int n = 200;
  const float f0 = 300.0f, f1 = 5000.0f, a0 = 0.1f, a1 = 0.9f;
  const float startPhase = 37.25f;
  std::vector<float> out(n, 0.0f);
  float phase = startPhase;
  renderPartial(sine, sr, phase, out.data(), n, f0, f1, a0, a1);
  double endPhase = 0.0;
  const std::vector<double> expected = expectedPartial(startPhase, sr, n, f0, f1, a0, a1, &endPhase);
  for (int j = 0; j < n; ++j) ASSERT_NEAR(out[j], expected[j], 1e-3) << "sample " << j;
  EXPECT_NEAR(phase, endPhase, 0.01);
}

TEST_F(PartialTest, AddsToTheOutputAndStepsAmplitudeBeforeFirstUse) {
  // A quarter period per sample from phase 0 lands exactly on table entries
  // 50, 100, 150 and 0, so each sample shows its amplitude directly.
  const float sr = 40000.0f;
  const int n = 4;
  const float f = 10000.0f;
  std::vector<float> out(n, 1.0f);
  float phase = 0.0f;
  renderPartial(sine, sr, phase, out.data(), n, f, f, 0.0f, 0.8f);
  // Samples at phases 50, 100, 150, 0 with amplitudes 0.2, 0.4, 0.6, 0.8.
  EXPECT_NEAR(out[0], 1.0 + 0.2, 1e-6);
  EXPECT_NEAR(out[1], 1.0, 1e-6);
  EXPECT_NEAR(out[2], 1.0 - 0.6, 1e-6);
  EXPECT_NEAR(out[3], 1.0, 1e-6);
  EXPECT_EQ(phase, 0.0f);
}

TEST_F(PartialTest, OneSampleBlockAddsOneSampleAtTheEndAmplitude) {
  const float sr = 44100.0f;
  float out[2] = {0.25f, 0.0f};
  float phase = 10.0f;
  const float f0 = 2205.0f;  // 10 steps per sample
  renderPartial(sine, sr, phase, out, 1, f0, 8000.0f, 0.3f, 0.7f);
  EXPECT_NEAR(out[0], 0.25 + 0.7 * std::sin(kTwoPi * 20.0 / 200.0), kTableError);
  EXPECT_EQ(out[1], 0.0f);
  EXPECT_NEAR(phase, 20.0f, 1e-4);
}

TEST_F(PartialTest, DegenerateBlocksChangeNothing) {
  float out[4] = {1.0f, 2.0f, 3.0f, 4.0f};
  float phase = 12.5f;
  renderPartial(sine, 44100.0f, phase, out, 0, 440.0f, 440.0f, 1.0f, 1.0f);
  renderPartial(sine, 0.0f, phase, out, 4, 440.0f, 440.0f, 1.0f, 1.0f);
  renderPartial(nullptr, 44100.0f, phase, out, 4, 440.0f, 440.0f, 1.0f, 1.0f);
  EXPECT_EQ(phase, 12.5f);
  EXPECT_EQ(out[0], 1.0f);
  EXPECT_EQ(out[3], 4.0f);
}

TEST_F(PartialTest, OutOfRangeInputsStayInsideTheTable) {
  // End frequencies far above the sample rate, negative and NaN values, and a
  // phase outside the period: the output stays finite and the phase in range.
  const float sr = 44100.0f;
  const float cases[][5] = {
      {0.0f, 1000.0f, 1.0e7f, 1.0f, 1.0f},      {300.0f, 500.0f, -800.0f, 1.0f, 1.0f},
      {-1.0e6f, -100.0f, 1000.0f, 1.0f, 1.0f},  {NAN, 440.0f, NAN, 1.0f, 1.0f},
      {250.0f, 40000.0f, 90000.0f, 1.0f, 1.0f}, {NAN, INFINITY, INFINITY, 1.0f, 1.0f},
  };
  for (const auto& c : cases) {
    std::vector<float> out(256, 0.0f);
    float phase = c[0];
    renderPartial(sine, sr, phase, out.data(), 256, c[1], c[2], c[3], c[4]);
    EXPECT_TRUE(phase >= 0.0f && phase < 200.0f) << phase;
    for (float v : out) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) <= 1.0f);
  }
}

TEST_F(PartialTest, FourAtOnceMatchesFourSinglePartials) {
  std::mt19937 rng(1234);
  std::uniform_real_distribution<float> freq(0.0f, 22050.0f);
  std::uniform_real_distribution<float> amp(0.0f, 1.0f);
  std::uniform_real_distribution<float> startPhase(0.0f, 199.999f);
  const float sr = 44100.0f;
  for (int n : {1, 2, 3, 4, 5, 7, 64, 255, 256}) {
    for (int trial = 0; trial < 20; ++trial) {
      float phasesSingle[4], phasesFour[4];
      PartialRamp ramps[4];
      for (int k = 0; k < 4; ++k) {
        phasesSingle[k] = phasesFour[k] = startPhase(rng);
        ramps[k] = {&phasesFour[k], freq(rng), freq(rng), amp(rng), amp(rng)};
      }
      if (trial == 0) ramps[2].f1 = 1.0e6f;  // clamped the same way in both paths
      if (trial == 1) phasesSingle[1] = phasesFour[1] = 199.9999f;
      std::vector<float> single(n, 0.5f), four(n, 0.5f);
      for (int k = 0; k < 4; ++k) {
        renderPartial(sine, sr, phasesSingle[k], single.data(), n, ramps[k].f0, ramps[k].f1, ramps[k].a0, ramps[k].a1);
      }
      renderFourPartials(sine, sr, ramps, four.data(), n);
      for (int j = 0; j < n; ++j) ASSERT_NEAR(four[j], single[j], 2e-6) << "n " << n << " sample " << j;
      for (int k = 0; k < 4; ++k) ASSERT_EQ(phasesFour[k], phasesSingle[k]) << "n " << n << " partial " << k;
    }
  }
}

}  // namespace
}  // namespace vt
