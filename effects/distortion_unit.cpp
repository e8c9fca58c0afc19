#include "effects/distortion_unit.h"

#include <cmath>
#include <initializer_list>

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
constexpr float kGlideSeconds = 0.015f;

// The knee position 0..1 between the threshold and the ceiling. Levels past the
// ceiling are held there: the quadratic knee reaches its maximum with zero
// slope at the ceiling and would otherwise fold loud peaks back (and finally
// invert them) instead of limiting them.
float kneePosition(float level, float threshold, float ceiling) {
  const float held = level < ceiling ? level : ceiling;
  return (held - threshold) / (ceiling - threshold);
}

float distortSample(float x, float b, float k) {
  float c = b * x;
  if (c > kDistortionKnee) {
    c = k * (c - kDistortionKnee) + kDistortionKnee;
  } else if (c < -kDistortionKnee) {
    c = -(k * (-c - kDistortionKnee) + kDistortionKnee);
  }
  return c / b;
}

float tubeSample(float x, float b) {
  float c = b * x;
  const float magnitude = std::fabs(c);
  if (magnitude > kTubeKnee) {
    const float g = (1.0f - kneePosition(magnitude, kTubeKnee, b)) * kInvSqrt2;
    const float shaped = (0.5f - g * g) * kTubeScale + kTubeKnee;
    c = c > 0.0f ? shaped : -shaped;
  }
  return c / b;
}

// One compressor step with make-up gain b and recovery base r on gain g.
float compressSample(float x, float b, float r, float& g, float& recovery) {
  float e = x * b;
  const float magnitude = std::fabs(e);
  if (magnitude > kCompressorKnee) {
    const float t = (1.0f - kneePosition(magnitude, kCompressorKnee, b)) * kInvSqrt2;
    const float target = ((0.5f - t * t) * kCompressorScale + kCompressorKnee) / magnitude;
    if (target < g) {
      recovery = (1.0f - target) / r;  // back to unity in a quarter of a second
      g = target;                      // instant attack
    }
  }
  if (g < 1.0f) {
    e *= g;
    g += recovery;
  }
  return e;
}

}  // namespace

void DistortionUnit::setSampleRate(float rate) {
  sampleRate = effectSampleRateFor(rate);
  for (SmoothedValue* v : {&distortionGlide, &tubeGlide, &compressGlide, &bassGlide})
    v->setRampTime(sampleRate, kGlideSeconds);
  if (sampleRate <= 0.0f) return;
  bassHighPass.designHighPass(sampleRate, kBassHighPassHz, kBassHighPassOctaves, false);
  bassPeak.designPeak(sampleRate, kBassPeakHz, kBassPeakOctaves, kBassPeakGainDb);
}

void DistortionUnit::reset() {
  bassPeak.resetState();
  bassHighPass.resetState();
  running = false;
  settleIfIdle();
}

void DistortionUnit::settleIfIdle() {
  if (running) return;
  for (SmoothedValue* v : {&distortionGlide, &tubeGlide, &compressGlide, &bassGlide}) v->snap();
}

void DistortionUnit::setDistortion(float value) {
  distortion = limitToUnit(value);
  distortionGlide.setTarget(distortion);
  settleIfIdle();
}

void DistortionUnit::setTube(float value) {
  tube = limitToUnit(value);
  tubeGlide.setTarget(tube);
  settleIfIdle();
}

void DistortionUnit::setBassAmount(float value) {
  bassAmount = limitToUnit(value);
  bassGlide.setTarget(bassAmount);
  settleIfIdle();
}

void DistortionUnit::setCompress(float value) {
  const float v = limitToUnit(value);
  compress = v < kMaxCompress ? v : kMaxCompress;
  compressGlide.setTarget(1.0f / (1.0f - compress));  // glides in make-up gain
  settleIfIdle();
}

void DistortionUnit::process(float* samples, int count) {
  if (sampleRate <= 0.0f || !samples || count <= 0) return;
  running = true;
  if (distortionGlide.ramping() || tubeGlide.ramping() || compressGlide.ramping() || bassGlide.ramping()) {
    processGliding(samples, count);
    return;
  }
  if (distortionGlide.current() != 0.0f) applyDistortion(samples, count);
  if (tubeGlide.current() != 0.0f) applyTube(samples, count);
  if (compressGlide.current() != 1.0f) applyCompressor(samples, count);
  if (bassGlide.current() != 0.0f) applyBassBoost(samples, count);
}

void DistortionUnit::applyDistortion(float* samples, int count) const {
  const float b = distortionGlide.current() * kDistortionDrive + 1.0f;
  const float k = 0.25f / (b - kDistortionKnee);
  for (int i = 0; i < count; ++i) samples[i] = distortSample(samples[i], b, k);
}

void DistortionUnit::applyTube(float* samples, int count) const {
  const float b = tubeGlide.current() * kTubeDrive + 1.0f;
  for (int i = 0; i < count; ++i) samples[i] = tubeSample(samples[i], b);
}

void DistortionUnit::applyCompressor(float* samples, int count) {
  const float b = compress == 0.0f ? 1.0f : 1.0f / (1.0f - compress);  // make-up gain
  const float r = sampleRate * kCompressorRecoverySeconds;
  float g = compGain;
  for (int i = 0; i < count; ++i) samples[i] = compressSample(samples[i], b, r, g, compRecovery);
  compGain = g;
}

void DistortionUnit::applyBassBoost(float* samples, int count) {
  const float m = bassGlide.current();
  const float dry = 1.0f - m;
  for (int i = 0; i < count; ++i) {
    const float x = samples[i];
    const float y = bassHighPass.process(bassPeak.process(x));
    samples[i] = x * dry + y * m;
  }
}

void DistortionUnit::processGliding(float* samples, int count) {
  const float r = sampleRate * kCompressorRecoverySeconds;
  float g = compGain;
  for (int i = 0; i < count; ++i) {
    float x = samples[i];
    const float a = distortionGlide.next();
    if (a != 0.0f) {
      const float b = a * kDistortionDrive + 1.0f;
      x = distortSample(x, b, 0.25f / (b - kDistortionKnee));
    }
    const float t = tubeGlide.next();
    if (t != 0.0f) x = tubeSample(x, t * kTubeDrive + 1.0f);
    const float previousMakeUp = compressGlide.current();
    const float makeUp = compressGlide.next();
    if (makeUp > previousMakeUp && previousMakeUp > 1.0f) {
      // A rising make-up gain is met by the gain reduction at once (the attack
      // would otherwise wait for the next peak), then recovers as after any peak.
      g *= previousMakeUp / makeUp;
      if (g < 1.0f) compRecovery = (1.0f - g) / r;
    }
    if (makeUp != 1.0f) x = compressSample(x, makeUp, r, g, compRecovery);
    const float m = bassGlide.next();
    if (m != 0.0f) {
      const float y = bassHighPass.process(bassPeak.process(x));
      x = x * (1.0f - m) + y * m;
    }
    samples[i] = x;
  }
  compGain = g;
}

}  // namespace vt
