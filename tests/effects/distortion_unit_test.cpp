// The distortion unit: untouched at zero amounts, the soft-knee and tube
// curves at known points, no folding past full scale, the compressor's
// instant attack and quarter-second recovery, and the bass boost response.
#include "effects/distortion_unit.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/effects/response_measurement.h"

namespace vt {
namespace {

DistortionUnit makeUnit(float distortion, float tube, float compress, float bass) {
  DistortionUnit unit;
  unit.setSampleRate(48000.0f);
  unit.setDistortion(distortion);
  unit.setTube(tube);
  unit.setCompress(compress);
  unit.setBassAmount(bass);
  return unit;
}

float processOne(DistortionUnit& unit, float x) {
  unit.process(&x, 1);
  return x;
}

TEST(DistortionUnit, ZeroAmountsLeaveTheSignalUntouched) {
  DistortionUnit unit = makeUnit(0.0f, 0.0f, 0.0f, 0.0f);
  std::vector<float> samples = {0.0f, 0.5f, -1.0f, 3.0f, -0.001f};
  const std::vector<float> original = samples;
  unit.process(samples.data(), static_cast<int>(samples.size()));
  EXPECT_EQ(samples, original);
}

TEST(DistortionUnit, SoftKneeIsLinearBelowTheKneeAndFlattensAbove) {
  DistortionUnit unit = makeUnit(1.0f, 0.0f, 0.0f, 0.0f);  // drive 11
  EXPECT_NEAR(processOne(unit, 1.0f), 1.0f / 11.0f, 1e-6f);
  EXPECT_NEAR(processOne(unit, -1.0f), -1.0f / 11.0f, 1e-6f);
  EXPECT_NEAR(processOne(unit, 0.05f), 0.05f, 1e-7f);  // 0.55 after the drive, under the knee
  // Above the knee the slope is 0.25 / (b - 0.75) of the driven signal.
  EXPECT_NEAR(processOne(unit, 2.0f), (0.25f / 10.25f * (22.0f - 0.75f) + 0.75f) / 11.0f, 1e-6f);
}

TEST(DistortionUnit, TubeReachesFullScaleWithZeroSlopeAndHoldsThere) {
  DistortionUnit unit = makeUnit(0.0f, 1.0f, 0.0f, 0.0f);  // drive 5
  EXPECT_NEAR(processOne(unit, 0.1f), 0.1f, 1e-7f);        // 0.5 driven, under the 0.6 knee
  EXPECT_NEAR(processOne(unit, 1.0f), 1.0f / 5.0f, 1e-6f);
  EXPECT_NEAR(processOne(unit, -1.0f), -1.0f / 5.0f, 1e-6f);
  // Half way up the knee: g = 0.5 * 0.707107, c = (0.5 - g^2) * 0.8 + 0.6.
  const float g = 0.5f * 0.707107f;
  EXPECT_NEAR(processOne(unit, 2.8f / 5.0f), ((0.5f - g * g) * 0.79999995f + 0.6f) / 5.0f, 1e-6f);
  // Past full scale the output stays at the ceiling instead of folding back.
  EXPECT_NEAR(processOne(unit, 3.0f), 0.2f, 1e-6f);
  EXPECT_NEAR(processOne(unit, -40.0f), -0.2f, 1e-6f);
}

TEST(DistortionUnit, CompressIsLimitedTo099) {
  DistortionUnit unit;
  unit.setCompress(1.0f);
  EXPECT_FLOAT_EQ(unit.compress, 0.99f);
  unit.setCompress(5.0f);
  EXPECT_FLOAT_EQ(unit.compress, 0.99f);
  unit.setCompress(0.5f);
  EXPECT_FLOAT_EQ(unit.compress, 0.5f);
}

TEST(DistortionUnit, CompressorAttacksInstantlyAndRecoversInAQuarterSecond) {
  const float rate = 48000.0f;
  DistortionUnit unit = makeUnit(0.0f, 0.0f, 0.5f, 0.0f);  // make-up gain 2
  // A quiet signal only gets the make-up gain.
  EXPECT_NEAR(processOne(unit, 0.1f), 0.2f, 1e-7f);
  // A peak of 0.5 is 1.0 after make-up: the knee gives the target gain.
  const float t = (1.0f - (1.0f - 0.31f) / (2.0f - 0.31f)) * 0.707107f;
  const float target = (0.5f - t * t) * 1.38f + 0.31f;
  EXPECT_NEAR(processOne(unit, 0.5f), target, 1e-6f);
  EXPECT_NEAR(unit.compRecovery, (1.0f - target) / (rate * 0.25f), 1e-9f);
  // Quiet samples afterwards rise linearly back to unity gain within 0.25 s.
  const int quarter = static_cast<int>(rate * 0.25f);
  std::vector<float> quiet(quarter, 0.01f);
  unit.process(quiet.data(), quarter);
  EXPECT_NEAR(quiet[0], 0.02f * (target + unit.compRecovery), 1e-7f);
  EXPECT_NEAR(quiet[quarter / 2], 0.02f * (target + (quarter / 2 + 1) * unit.compRecovery), 3e-5f);
  EXPECT_NEAR(unit.compGain, 1.0f, 1e-3f);
  EXPECT_NEAR(processOne(unit, 0.01f), 0.02f, 1e-6f);
}

TEST(DistortionUnit, CompressorNeverInvertsOrExceedsFullScale) {
  DistortionUnit unit = makeUnit(0.0f, 0.0f, 0.3f, 0.0f);
  for (float x : {0.8f, 1.5f, 3.0f, 10.0f, -10.0f, -2.0f}) {
    const float y = processOne(unit, x);
    EXPECT_GT(y * x, 0.0f) << x;
    EXPECT_LE(std::fabs(y), 1.0f + 1e-6f) << x;
  }
}

TEST(DistortionUnit, BassBoostRaisesTheLowEndAndLeavesTheRest) {
  const double rate = 48000.0;
  DistortionUnit unit = makeUnit(0.0f, 0.0f, 0.0f, 1.0f);
  auto gain = [&unit, rate](double f) {
    DistortionUnit copy = unit;
    return test::measureGain([&copy](float x) { return processOne(copy, x); }, f, rate, 0.1, 1.0);
  };
  // Fully on: peak at 90 Hz (+10 dB, one octave) into a 40 Hz high-pass (half an octave).
  auto expected = [rate](double f) {
    const double qPeak = test::qFromBandwidth(1.0, 90.0, rate);
    const double qHigh = test::qFromBandwidth(0.5, 40.0, rate);
    return std::abs(test::peakPrototype(test::warped(f, 90.0, rate), qPeak, 10.0) *
                    test::highPassPrototype(test::warped(f, 40.0, rate), qHigh));
  };
  for (double f : {30.0, 60.0, 90.0, 150.0, 1000.0}) EXPECT_NEAR(gain(f), expected(f), 3e-3 * expected(f)) << f;
  EXPECT_GT(test::toDb(gain(90.0)), 9.0);
  EXPECT_NEAR(gain(2000.0), 1.0, 5e-3);
}

TEST(DistortionUnit, IdleUntilTheSampleRateIsKnown) {
  DistortionUnit unit;
  unit.setDistortion(1.0f);
  unit.setCompress(0.9f);
  unit.setBassAmount(1.0f);
  EXPECT_EQ(processOne(unit, 0.9f), 0.9f);
}

}  // namespace
}  // namespace vt
