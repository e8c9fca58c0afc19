#include "effects/brightness_stage.h"

#include "effects/effect_limits.h"

namespace vt {

namespace {

constexpr double kLowPassHz = 2000.0;
constexpr double kHighPassHz = 900.0;
constexpr double kBandwidthOctaves = 2.0;
constexpr float kBrightGain = 4.0f;  // (u - 0.5) * 4: up to twice the high-passed signal
constexpr float kDarkGain = 2.0f;    // (0.5 - u) * 2: up to the full low-passed signal

}  // namespace

void BrightnessStage::setSampleRate(float rate) {
  sampleRate = effectSampleRateFor(rate);
  design();
}

void BrightnessStage::setBrightness(float value) {
  brightness = limitToUnit(value);
  design();
}

void BrightnessStage::design() {
  if (sampleRate <= 0.0f) return;
  if (brightness < kNeutral) {
    biquad.designLowPass(sampleRate, kLowPassHz, kBandwidthOctaves, false);
  } else {
    biquad.designHighPass(sampleRate, kHighPassHz, kBandwidthOctaves, false);
  }
}

void BrightnessStage::process(float* samples, int count) {
  if (isBypassed() || !samples) return;
  biquad.flushOutputState();
  const float u = brightness;
  float wet;
  float dry;
  if (u < kNeutral) {
    wet = (kNeutral - u) * kDarkGain;
    dry = 1.0f - wet;
  } else {
    wet = (u - kNeutral) * kBrightGain;
    dry = 1.0f;
  }
  for (int i = 0; i < count; ++i) samples[i] = wet * biquad.process(samples[i]) + dry * samples[i];
}

}  // namespace vt
