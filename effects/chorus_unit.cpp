#include "effects/chorus_unit.h"

#include <cmath>
#include <new>

#include "effects/effect_limits.h"

namespace vt {

namespace {

constexpr double kTwoPi = 6.28318530717958647692;
constexpr float kQuarterCycle = ChorusUnit::kSineSteps / 4;
// The delay line is never shorter than the depth plus two samples, so that the
// interpolated taps never reach the sample being written (with a base delay
// near 0 they would otherwise wrap round to the oldest sample).
constexpr int kMinimumBaseDelay = 2;

}  // namespace

ChorusUnit::ChorusUnit() {
  for (int i = 0; i <= kSineSteps; ++i) sine[i] = static_cast<float>(std::sin(kTwoPi * i / kSineSteps));
  bufferCapacity = roundToInt(static_cast<double>(kBufferSeconds) * kMaxEffectSampleRate) + kMinimumBaseDelay;
  buffer = new (std::nothrow) float[bufferCapacity]();
  if (!buffer) bufferCapacity = 0;
  reset();
}

ChorusUnit::~ChorusUnit() { delete[] buffer; }

void ChorusUnit::setSampleRate(float rate) {
  sampleRate = effectSampleRateFor(rate);
  reset();
}

void ChorusUnit::reset() {
  for (int i = 0; i < bufferCapacity; ++i) buffer[i] = 0.0f;
  phase = 0.0f;
  readBase = roundToInt(depth * sampleRate);
  lineLength = roundToInt((depth + delay) * sampleRate);
  if (lineLength < readBase + kMinimumBaseDelay) lineLength = readBase + kMinimumBaseDelay;
  if (lineLength > bufferCapacity) lineLength = bufferCapacity;
  if (lineLength < 1) lineLength = 1;
  if (readBase >= lineLength) readBase = lineLength - 1;
  writePos = 0;
}

void ChorusUnit::setDelay(float value) {
  delay = limitToUnit(value) * kMaxDelaySeconds;
  reset();
}

void ChorusUnit::setDepth(float value) {
  depth = limitToUnit(value) * kMaxDepthSeconds;
  reset();
}

void ChorusUnit::setRate(float value) { rate = limitToUnit(value) * kMaxRateHz; }

void ChorusUnit::setMix(float value) { mix = limitToUnit(value) * 0.5f; }

float ChorusUnit::readTap(float position, float depthSamples) const {
  const int j = static_cast<int>(position);
  const float m = sine[j] + (sine[j + 1] - sine[j]) * (position - static_cast<float>(j));
  const float offset = (m + 1.0f) * 0.5f * depthSamples;
  int t = static_cast<int>(offset);
  const float frac = offset - static_cast<float>(t);
  int k = readBase - t;
  if (k < 0) k += lineLength;
  int k1 = k + 1;
  if (k1 >= lineLength) k1 -= lineLength;
  return (1.0f - frac) * buffer[k1] + frac * buffer[k];
}

void ChorusUnit::process(float* left, float* right, int count) {
  if (!isActive() || !left || !right) return;
  // At most 3 Hz at 8 kHz or more: far below one period per sample, so a
  // single wrap keeps the phase inside the table.
  const float increment = rate * kSineSteps / sampleRate;
  const float dry = 1.0f - mix;
  // The taps reach back at most one line length, so one wrap keeps them inside.
  float depthSamples = depth * sampleRate;
  if (depthSamples > static_cast<float>(lineLength - 1)) depthSamples = static_cast<float>(lineLength - 1);

  for (int i = 0; i < count; ++i) {
    phase += increment;
    if (phase >= kSineSteps) phase -= kSineSteps;
    float second = phase + kQuarterCycle;
    if (second >= kSineSteps) second -= kSineSteps;

    const float tap1 = readTap(phase, depthSamples);
    const float tap2 = readTap(second, depthSamples);
    const float x = left[i];  // the chorus is fed from the left input only
    buffer[writePos] = x;
    left[i] = dry * x + mix * tap1;
    right[i] = dry * x + mix * tap2;
    if (++writePos >= lineLength) writePos = 0;
    if (++readBase >= lineLength) readBase = 0;
  }
}

}  // namespace vt
