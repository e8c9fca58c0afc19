#include "effects/distortion_unit.h"

#include <cmath>

#include "effects/effect_limits.h"

namespace vt {

namespace {

constexpr float kDistortionDrive = 10.0f;
constexpr float kDistortionKnee = 0.75f;
constexpr float kTubeDrive = 4.0f;
constexpr float kTubeKnee = 0.6f;
constexpr float kTubeScale = 0.79999995f;
constexpr float kCompressorKnee = 0.31f;
constexpr float kCompressorScale = 1.38f;
constexpr float kCompressorRecoverySeconds = 0.25f;
constexpr float kInvSqrt2 = 0.707107f;
constexpr double kBassHighPassHz = 40.0;
constexpr double kBassHighPassOctaves = 0.5;
constexpr double kBassPeakHz = 90.0;
constexpr double kBassPeakOctaves = 1.0;
constexpr double kBassPeakGainDb = 10.0;

// The knee position 0..1 between the threshold and the ceiling. Levels past the
// ceiling are held there: the quadratic knee reaches its maximum with zero
// slope at the ceiling and would otherwise fold loud peaks back (and finally
// invert them) instead of limiting them.
float kneePosition(float level, float threshold, float ceiling) {
  const float held = level < ceiling ? level : ceiling;
  return (held - threshold) / (ceiling - threshold);
}

}  // namespace

void DistortionUnit::setSampleRate(float rate) {
  sampleRate = effectSampleRateFor(rate);
  if (sampleRate <= 0.0f) return;
  bassHighPass.designHighPass(sampleRate, kBassHighPassHz, kBassHighPassOctaves, false);
  bassPeak.designPeak(sampleRate, kBassPeakHz, kBassPeakOctaves, kBassPeakGainDb);
}

void DistortionUnit::reset() {
  bassPeak.resetState();
  bassHighPass.resetState();
}

void DistortionUnit::setDistortion(float value) { distortion = limitToUnit(value); }
void DistortionUnit::setTube(float value) { tube = limitToUnit(value); }
void DistortionUnit::setBassAmount(float value) { bassAmount = limitToUnit(value); }

void DistortionUnit::setCompress(float value) {
  const float v = limitToUnit(value);
  compress = v < kMaxCompress ? v : kMaxCompress;
}

void DistortionUnit::process(float* samples, int count) {
  if (sampleRate <= 0.0f || !samples || count <= 0) return;
  if (distortion != 0.0f) applyDistortion(samples, count);
  if (tube != 0.0f) applyTube(samples, count);
  if (compress != 0.0f) applyCompressor(samples, count);
  if (bassAmount != 0.0f) applyBassBoost(samples, count);
}

void DistortionUnit::applyDistortion(float* samples, int count) const {
  const float b = distortion * kDistortionDrive + 1.0f;
  const float k = 0.25f / (b - kDistortionKnee);
  for (int i = 0; i < count; ++i) {
    float c = b * samples[i];
    if (c > kDistortionKnee) {
      c = k * (c - kDistortionKnee) + kDistortionKnee;
    } else if (c < -kDistortionKnee) {
      c = -(k * (-c - kDistortionKnee) + kDistortionKnee);
    }
    samples[i] = c / b;
  }
}

void DistortionUnit::applyTube(float* samples, int count) const {
  const float b = tube * kTubeDrive + 1.0f;
  for (int i = 0; i < count; ++i) {
    float c = b * samples[i];
    const float magnitude = std::fabs(c);
    if (magnitude > kTubeKnee) {
      const float g = (1.0f - kneePosition(magnitude, kTubeKnee, b)) * kInvSqrt2;
      const float shaped = (0.5f - g * g) * kTubeScale + kTubeKnee;
      c = c > 0.0f ? shaped : -shaped;
    }
    samples[i] = c / b;
  }
}

void DistortionUnit::applyCompressor(float* samples, int count) {
  const float b = 1.0f / (1.0f - compress);  // make-up gain
  const float r = sampleRate * kCompressorRecoverySeconds;
  float g = compGain;
  for (int i = 0; i < count; ++i) {
    float e = samples[i] * b;
    const float magnitude = std::fabs(e);
    if (magnitude > kCompressorKnee) {
      const float t = (1.0f - kneePosition(magnitude, kCompressorKnee, b)) * kInvSqrt2;
      const float target = ((0.5f - t * t) * kCompressorScale + kCompressorKnee) / magnitude;
      if (target < g) {
        compRecovery = (1.0f - target) / r;  // back to unity in a quarter of a second
        g = target;                          // instant attack
      }
    }
    if (g < 1.0f) {
      e *= g;
      g += compRecovery;
    }
    samples[i] = e;
  }
  compGain = g;
}

void DistortionUnit::applyBassBoost(float* samples, int count) {
  const float m = bassAmount;
  const float dry = 1.0f - m;
  for (int i = 0; i < count; ++i) {
    const float x = samples[i];
    const float y = bassHighPass.process(bassPeak.process(x));
    samples[i] = x * dry + y * m;
  }
}

}  // namespace vt
