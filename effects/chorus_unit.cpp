#include "effects/chorus_unit.h"

#include <cmath>
#include <initializer_list>
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
constexpr float kGlideSeconds = 0.02f;

}  // namespace

ChorusUnit::ChorusUnit() {
  for (int i = 0; i <= kSineSteps; ++i) sine[i] = static_cast<float>(std::sin(kTwoPi * i / kSineSteps));
  bufferCapacity = roundToInt(static_cast<double>(kBufferSeconds) * kMaxEffectSampleRate) + kMinimumBaseDelay;
  buffer = new (std::nothrow) float[bufferCapacity]();
  if (!buffer) bufferCapacity = 0;
  mixGlide.jumpTo(mix);
  reset();
}

ChorusUnit::~ChorusUnit() { delete[] buffer; }

void ChorusUnit::setSampleRate(float rate) {
  sampleRate = effectSampleRateFor(rate);
  for (SmoothedValue* v : {&baseGlide, &depthGlide, &mixGlide}) v->setRampTime(sampleRate, kGlideSeconds);
  reset();
}

void ChorusUnit::reset() {
  for (int i = 0; i < bufferCapacity; ++i) buffer[i] = 0.0f;
  phase = 0.0f;
  writePos = 0;
  running = false;
  updateLine();
}

void ChorusUnit::updateLine() {
  readBase = roundToInt(depth * sampleRate);
  lineLength = roundToInt((depth + delay) * sampleRate);
  if (lineLength < readBase + kMinimumBaseDelay) lineLength = readBase + kMinimumBaseDelay;
  if (lineLength > bufferCapacity - 1) lineLength = bufferCapacity - 1;
  if (lineLength < 1) lineLength = 1;
  if (readBase >= lineLength) readBase = lineLength - 1;
  // The taps reach back at most one line length.
  float depthSamples = depth * sampleRate;
  if (depthSamples > static_cast<float>(lineLength - 1)) depthSamples = static_cast<float>(lineLength - 1);
  if (depthSamples < 0.0f) depthSamples = 0.0f;
  baseGlide.setTarget(static_cast<float>(lineLength - readBase - 1));
  depthGlide.setTarget(depthSamples);
  mixGlide.setTarget(mix);
  if (!running) {
    baseGlide.snap();
    depthGlide.snap();
    mixGlide.snap();
  }
}

void ChorusUnit::setDelay(float value) {
  delay = limitToUnit(value) * kMaxDelaySeconds;
  updateLine();
}

void ChorusUnit::setDepth(float value) {
  depth = limitToUnit(value) * kMaxDepthSeconds;
  updateLine();
}

void ChorusUnit::setRate(float value) { rate = limitToUnit(value) * kMaxRateHz; }

void ChorusUnit::setMix(float value) {
  mix = limitToUnit(value) * 0.5f;
  mixGlide.setTarget(mix);
  if (!running) mixGlide.snap();
}

float ChorusUnit::readTap(float position, float depthSamples, int baseAge, float baseFraction) const {
  const int j = static_cast<int>(position);
  const float m = sine[j] + (sine[j + 1] - sine[j]) * (position - static_cast<float>(j));
  const float offset = (m + 1.0f) * 0.5f * depthSamples + baseFraction;
  const int t = static_cast<int>(offset);
  const float frac = offset - static_cast<float>(t);
  // Samples 'age' and 'age + 1' back (age 1 is the last one written).
  const int age = baseAge + t;
  int newer = writePos - age;
  if (newer < 0) newer += bufferCapacity;
  int older = newer - 1;
  if (older < 0) older += bufferCapacity;
  return (1.0f - frac) * buffer[newer] + frac * buffer[older];
}

void ChorusUnit::process(float* left, float* right, int count) {
  if (!isActive() || !left || !right) return;
  running = true;
  // At most 3 Hz at 8 kHz or more: far below one period per sample, so a
  // single wrap keeps the phase inside the table.
  const float increment = rate * kSineSteps / sampleRate;
  // The oldest sample a tap may reach, one short of the sample about to be overwritten.
  const float maxReach = static_cast<float>(bufferCapacity - 2);

  for (int i = 0; i < count; ++i) {
    phase += increment;
    if (phase >= kSineSteps) phase -= kSineSteps;
    float second = phase + kQuarterCycle;
    if (second >= kSineSteps) second -= kSineSteps;

    const float base = baseGlide.next();
    float depthSamples = depthGlide.next();
    if (base + depthSamples + 1.0f > maxReach) depthSamples = maxReach - base - 1.0f;
    const int baseAge = static_cast<int>(base);
    const float baseFraction = base - static_cast<float>(baseAge);
    const float wet = mixGlide.next();

    const float tap1 = readTap(phase, depthSamples, baseAge, baseFraction);
    const float tap2 = readTap(second, depthSamples, baseAge, baseFraction);
    const float x = left[i];  // the chorus is fed from the left input only
    buffer[writePos] = x;
    const float dry = 1.0f - wet;
    left[i] = dry * x + wet * tap1;
    right[i] = dry * x + wet * tap2;
    if (++writePos >= bufferCapacity) writePos = 0;
  }
}

}  // namespace vt
