// The brightness stage: exact bypass at 0.5, the cross-fade into a 2 kHz
// low-pass below it and the added 900 Hz high-pass above it, compared with
// the analytic responses, and the redesign when the sample rate changes.
#include "effects/brightness_stage.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/effects/response_measurement.h"

namespace vt {
namespace {

using test::Complex;
using test::warped;

double gainOf(BrightnessStage stage, double frequency, double rate) {
  return test::measureGain(
      [&stage](float x) {
        stage.process(&x, 1);
        return x;
      },
      frequency, rate);
}

// |dry + wet * H| for the stage's design at brightness u.
double expectedGain(float u, double frequency, double rate) {
  if (u < 0.5f) {
    const double wet = (0.5 - u) * 2.0;
    const double q = test::qFromBandwidth(2.0, 2000.0, rate);
    return std::abs((1.0 - wet) + wet * test::lowPassPrototype(warped(frequency, 2000.0, rate), q));
  }
  const double wet = (u - 0.5) * 4.0;
  const double q = test::qFromBandwidth(2.0, 900.0, rate);
  return std::abs(1.0 + wet * test::highPassPrototype(warped(frequency, 900.0, rate), q));
}

TEST(BrightnessStage, ExactlyHalfLeavesTheSignalUntouched) {
  BrightnessStage stage;
  stage.setSampleRate(44100.0f);
  stage.setBrightness(0.5f);
  EXPECT_TRUE(stage.isBypassed());
  std::vector<float> samples = {0.1f, -0.7f, 0.3f, 1.5f};
  const std::vector<float> original = samples;
  stage.process(samples.data(), 4);
  EXPECT_EQ(samples, original);
  stage.setBrightness(0.5001f);
  EXPECT_FALSE(stage.isBypassed());
}

TEST(BrightnessStage, DarkAndBrightSettingsFollowTheFilterResponses) {
  const double rate = 44100.0;
  for (float u : {0.0f, 0.25f, 0.49f, 0.6f, 1.0f}) {
    BrightnessStage stage;
    stage.setSampleRate(static_cast<float>(rate));
    stage.setBrightness(u);
    for (double f : {100.0, 900.0, 2000.0, 6000.0, 12000.0}) {
      EXPECT_NEAR(gainOf(stage, f, rate), expectedGain(u, f, rate), 3e-3) << u << " at " << f;
    }
  }
  // Fully dark is the low-pass alone; fully bright adds twice the high-passed signal.
  BrightnessStage dark;
  dark.setSampleRate(44100.0f);
  dark.setBrightness(0.0f);
  EXPECT_LT(gainOf(dark, 12000.0, rate), 0.05);
  BrightnessStage bright;
  bright.setSampleRate(44100.0f);
  bright.setBrightness(1.0f);
  EXPECT_NEAR(gainOf(bright, 15000.0, rate), 3.0, 0.05);
}

TEST(BrightnessStage, ASampleRateChangeRedesignsForTheNewRate) {
  BrightnessStage stage;
  stage.setBrightness(0.0f);  // written before any rate is known
  stage.setSampleRate(44100.0f);
  EXPECT_NEAR(gainOf(stage, 3000.0, 44100.0), expectedGain(0.0f, 3000.0, 44100.0), 3e-3);
  stage.setSampleRate(96000.0f);
  EXPECT_NEAR(gainOf(stage, 3000.0, 96000.0), expectedGain(0.0f, 3000.0, 96000.0), 3e-3);
}

TEST(BrightnessStage, IdleWithoutASampleRate) {
  BrightnessStage stage;
  stage.setBrightness(0.0f);
  float samples[2] = {0.25f, -0.5f};
  stage.process(samples, 2);
  EXPECT_EQ(samples[0], 0.25f);
  EXPECT_EQ(samples[1], -0.5f);
}

}  // namespace
}  // namespace vt
