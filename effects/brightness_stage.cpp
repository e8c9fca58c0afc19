#include "effects/brightness_stage.h"

#include "effects/effect_limits.h"

namespace vt {

namespace {

constexpr double kLowPassHz = 2000.0;
constexpr double kHighPassHz = 900.0;
constexpr double kBandwidthOctaves = 2.0;
constexpr float kBrightGain = 4.0f;  // (u - 0.5) * 4: up to twice the high-passed signal
constexpr float kDarkGain = 2.0f;    // (0.5 - u) * 2: up to the full low-passed signal
constexpr float kGlideSeconds = 0.015f;

}  // namespace

void BrightnessStage::setSampleRate(float rate) {
  sampleRate = effectSampleRateFor(rate);
  level.setRampTime(sampleRate, kGlideSeconds);
  design();
}

void BrightnessStage::setBrightness(float value) {
  brightness = limitToUnit(value);
  level.setTarget(brightness);
  if (!running) level.snap();
}

void BrightnessStage::reset() {
  darkFilter.resetState();
  brightFilter.resetState();
  level.snap();
  running = false;
}

void BrightnessStage::design() {
  if (sampleRate <= 0.0f) return;
  darkFilter.designLowPass(sampleRate, kLowPassHz, kBandwidthOctaves, false);
  brightFilter.designHighPass(sampleRate, kHighPassHz, kBandwidthOctaves, false);
}

void BrightnessStage::process(float* samples, int count) {
  if (isBypassed() || !samples || count <= 0) {
    darkLive = brightLive = false;
    return;
  }
  running = true;
  if (level.ramping()) {
    processGliding(samples, count);
  } else {
    processSteady(samples, count, level.current());
  }
}

void BrightnessStage::processSteady(float* samples, int count, float u) {
  if (u < kNeutral) {
    if (!darkLive) darkFilter.resetState();
    darkFilter.flushOutputState();
    const float wet = (kNeutral - u) * kDarkGain;
    const float dry = 1.0f - wet;
    for (int i = 0; i < count; ++i) samples[i] = wet * darkFilter.process(samples[i]) + dry * samples[i];
    darkLive = true;
    brightLive = false;
  } else {
    if (!brightLive) brightFilter.resetState();
    brightFilter.flushOutputState();
    const float wet = (u - kNeutral) * kBrightGain;
    for (int i = 0; i < count; ++i) samples[i] = wet * brightFilter.process(samples[i]) + samples[i];
    brightLive = true;
    darkLive = false;
  }
}

void BrightnessStage::processGliding(float* samples, int count) {
  // Both filters run so that each is current whichever side the glide ends on;
  // one that was idle starts from silence under a weight near 0.
  if (!darkLive) darkFilter.resetState();
  if (!brightLive) brightFilter.resetState();
  darkFilter.flushOutputState();
  brightFilter.flushOutputState();
  for (int i = 0; i < count; ++i) {
    const float u = level.next();
    const float dark = u < kNeutral ? (kNeutral - u) * kDarkGain : 0.0f;
    const float bright = u > kNeutral ? (u - kNeutral) * kBrightGain : 0.0f;
    const float s = samples[i];
    const float low = darkFilter.process(s);
    const float high = brightFilter.process(s);
    samples[i] = s + dark * (low - s) + bright * high;
  }
  darkLive = brightLive = true;
}

}  // namespace vt
