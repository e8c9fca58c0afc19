// The chorus: tap positions a quarter cycle apart on the modulation sine,
// equal outputs at zero depth, left-only input, a safe line at zero base
// delay, and the idle state before a sample rate.
#include "effects/chorus_unit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace vt {
namespace {

constexpr float kRate = 48000.0f;

struct Stereo {
  std::vector<float> left;
  std::vector<float> right;
};

// Runs an impulse (or any left signal) through the chorus with garbage on the right input.
Stereo run(ChorusUnit& chorus, std::vector<float> left) {
  Stereo out{std::move(left), {}};
  out.right.assign(out.left.size(), 123.0f);
  chorus.process(out.left.data(), out.right.data(), static_cast<int>(out.left.size()));
  return out;
}

std::vector<float> impulse(int length) {
  std::vector<float> v(static_cast<size_t>(length), 0.0f);
  v[0] = 1.0f;
  return v;
}

TEST(ChorusUnit, SineTableHoldsOnePeriodInTwoHundredSteps) {
  ChorusUnit chorus;
  EXPECT_FLOAT_EQ(chorus.sine[0], 0.0f);
  EXPECT_FLOAT_EQ(chorus.sine[50], 1.0f);
  EXPECT_NEAR(chorus.sine[100], 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(chorus.sine[150], -1.0f);
  EXPECT_NEAR(chorus.sine[200], 0.0f, 1e-6f);
  EXPECT_NEAR(chorus.sine[25], std::sqrt(0.5f), 1e-6f);
}

TEST(ChorusUnit, TapsSitAtTheDelayPlusTheirModulationOffset) {
  // Rate 0 freezes the modulation at phase 0: tap 1 reads sin 0 (half the
  // depth), tap 2 a quarter cycle later reads sin 90 degrees (the full depth).
  ChorusUnit chorus;
  chorus.setSampleRate(kRate);
  chorus.setRate(0.0f);
  chorus.setMix(1.0f);    // wet 0.5, dry 0.5
  chorus.setDelay(0.5f);  // 15 ms = 720 samples
  chorus.setDepth(1.0f);  // 5 ms = 240 samples
  const Stereo out = run(chorus, impulse(2000));
  // Delay in samples = base + offset - 1 (the interpolation reads one sample ahead).
  const int leftTap = 720 + 120 - 1;
  const int rightTap = 720 + 240 - 1;
  for (int i = 0; i < 2000; ++i) {
    const float dry = i == 0 ? 0.5f : 0.0f;
    EXPECT_NEAR(out.left[i], dry + (i == leftTap ? 0.5f : 0.0f), 1e-5f) << i;
    EXPECT_NEAR(out.right[i], dry + (i == rightTap ? 0.5f : 0.0f), 1e-5f) << i;
  }
}

TEST(ChorusUnit, ModulationMovesTheTapsAndKeepsEnergy) {
  ChorusUnit chorus;
  chorus.setSampleRate(kRate);
  chorus.setRate(1.0f);  // 3 Hz
  chorus.setMix(1.0f);
  chorus.setDelay(0.5f);
  chorus.setDepth(1.0f);
  std::vector<float> tone(48000);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = std::sin(0.01f * static_cast<float>(i));
  const Stereo out = run(chorus, tone);
  double difference = 0.0;
  for (size_t i = 2000; i < tone.size(); ++i) {
    ASSERT_LE(std::fabs(out.left[i]), 1.0f + 1e-5f);
    ASSERT_LE(std::fabs(out.right[i]), 1.0f + 1e-5f);
    difference += std::fabs(out.left[i] - out.right[i]);
  }
  EXPECT_GT(difference, 100.0);  // the two taps differ
}

TEST(ChorusUnit, ZeroDepthGivesEqualOutputs) {
  ChorusUnit chorus;
  chorus.setSampleRate(kRate);
  chorus.setDepth(0.0f);
  chorus.setDelay(0.3f);
  chorus.setRate(0.7f);
  std::vector<float> tone(5000);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = std::sin(0.05f * static_cast<float>(i));
  const Stereo out = run(chorus, tone);
  EXPECT_EQ(out.left, out.right);
}

TEST(ChorusUnit, RightInputIsNeverRead) {
  ChorusUnit a;
  ChorusUnit b;
  for (ChorusUnit* c : {&a, &b}) {
    c->setSampleRate(kRate);
    c->setDelay(0.2f);
    c->setDepth(0.6f);
    c->setRate(0.4f);
  }
  std::vector<float> left(3000), l2(3000), r1(3000, 0.0f), r2(3000);
  for (int i = 0; i < 3000; ++i) {
    left[i] = l2[i] = std::sin(0.03f * static_cast<float>(i));
    r2[i] = static_cast<float>(i % 7) - 3.0f;
  }
  a.process(left.data(), r1.data(), 3000);
  b.process(l2.data(), r2.data(), 3000);
  EXPECT_EQ(left, l2);
  EXPECT_EQ(r1, r2);
}

TEST(ChorusUnit, ZeroBaseDelayStillReadsOnlyWrittenSamplesOfTheLine) {
  ChorusUnit chorus;
  chorus.setSampleRate(kRate);
  chorus.setRate(0.0f);
  chorus.setMix(1.0f);
  chorus.setDelay(0.0f);
  chorus.setDepth(1.0f);  // 240 samples of depth and no base delay
  ASSERT_LT(chorus.readBase, chorus.lineLength);
  const Stereo out = run(chorus, impulse(1000));
  // One wet echo per tap, each at least one sample after the input.
  int leftEchoes = 0;
  int rightEchoes = 0;
  for (int i = 1; i < 1000; ++i) {
    if (out.left[i] != 0.0f) ++leftEchoes;
    if (out.right[i] != 0.0f) ++rightEchoes;
  }
  EXPECT_EQ(leftEchoes, 1);
  EXPECT_EQ(rightEchoes, 1);
  EXPECT_FLOAT_EQ(out.left[0], 0.5f);
  EXPECT_FLOAT_EQ(out.right[0], 0.5f);
}

TEST(ChorusUnit, ResetClearsTheLineAndExtremeSettingsStayInRange) {
  ChorusUnit chorus;
  chorus.setSampleRate(192000.0f);
  for (float v : {-5.0f, 1e9f, NAN, 0.999f}) {
    chorus.setDelay(v);
    chorus.setDepth(v);
    chorus.setRate(v);
    chorus.setMix(v);
    EXPECT_GE(chorus.lineLength, 1);
    EXPECT_LE(chorus.lineLength, chorus.bufferCapacity);
    EXPECT_LT(chorus.readBase, chorus.lineLength);
    std::vector<float> l(4000, 0.5f), r(4000);
    chorus.process(l.data(), r.data(), 4000);
    for (float x : l) ASSERT_TRUE(std::isfinite(x));
  }
  chorus.setMix(1.0f);
  chorus.reset();
  std::vector<float> l(4000, 0.0f), r(4000);
  chorus.process(l.data(), r.data(), 4000);
  for (int i = 0; i < 4000; ++i) {
    ASSERT_EQ(l[i], 0.0f);
    ASSERT_EQ(r[i], 0.0f);
  }
}

TEST(ChorusUnit, IdleWithoutASupportedSampleRate) {
  ChorusUnit chorus;
  EXPECT_FALSE(chorus.isActive());
  chorus.setSampleRate(400000.0f);
  EXPECT_FALSE(chorus.isActive());
  float l[2] = {0.3f, 0.4f};
  float r[2] = {9.0f, 9.0f};
  chorus.process(l, r, 2);
  EXPECT_EQ(l[0], 0.3f);
  EXPECT_EQ(r[0], 9.0f);
}

}  // namespace
}  // namespace vt
