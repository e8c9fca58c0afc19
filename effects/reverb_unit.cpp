#include "effects/reverb_unit.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <new>

#include "effects/effect_limits.h"

namespace vt {

namespace {

constexpr float kReferenceRateScale = 1.0f / 44100.0f;
constexpr float kSizeScale = 0.28f;
constexpr float kSizeOffset = 0.7f;
constexpr float kDampScale = 0.4f;
constexpr float kWetScale = 0.75f;
constexpr float kDryScale = 0.5f;
constexpr float kRightWetSlope = 0.3f;
constexpr float kGlideSeconds = 0.015f;

// True for zero and denormal floats (all exponent bits clear).
bool exponentIsZero(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof(bits));
  return (bits & 0x7F800000u) == 0;
}

}  // namespace

constexpr int ReverbUnit::kCombLengths[];
constexpr int ReverbUnit::kAllPassLengthsLeft[];

int ReverbUnit::scaledLength(int length, float rate) {
  return roundToInt(static_cast<float>(length) * (rate * kReferenceRateScale));
}

ReverbUnit::ReverbUnit() {
  int total = 0;
  for (int i = 0; i < kCombCount; ++i) {
    combs[i].capacity = scaledLength(kCombLengths[i], kMaxEffectSampleRate);
    total += combs[i].capacity;
  }
  for (int i = 0; i < kAllPassCount; ++i) {
    allPassLeft[i].capacity = scaledLength(kAllPassLengthsLeft[i], kMaxEffectSampleRate);
    allPassRight[i].capacity = scaledLength(kAllPassLengthsLeft[i] + kStereoSpread, kMaxEffectSampleRate);
    total += allPassLeft[i].capacity + allPassRight[i].capacity;
  }
  storage = new (std::nothrow) float[total]();
  float* next = storage;
  auto attach = [&next, this](float*& buffer, int capacity) {
    buffer = storage ? next : nullptr;
    if (storage) next += capacity;
  };
  for (Comb& c : combs) attach(c.buffer, c.capacity);
  for (AllPass& a : allPassLeft) attach(a.buffer, a.capacity);
  for (AllPass& a : allPassRight) attach(a.buffer, a.capacity);
  updateCombs();
}

ReverbUnit::~ReverbUnit() { delete[] storage; }

void ReverbUnit::setSampleRate(float rate) {
  sampleRate = effectSampleRateFor(rate);
  for (SmoothedValue* v : {&wetGlide, &dryGlide, &rightScaleGlide}) v->setRampTime(sampleRate, kGlideSeconds);
  auto resize = [this](int length, int capacity) {
    const int size = scaledLength(length, sampleRate);
    return size < 1 ? 1 : (size > capacity ? capacity : size);
  };
  for (int i = 0; i < kCombCount; ++i) {
    combs[i].size = resize(kCombLengths[i], combs[i].capacity);
    combs[i].index = 0;
  }
  for (int i = 0; i < kAllPassCount; ++i) {
    allPassLeft[i].size = resize(kAllPassLengthsLeft[i], allPassLeft[i].capacity);
    allPassRight[i].size = resize(kAllPassLengthsLeft[i] + kStereoSpread, allPassRight[i].capacity);
    allPassLeft[i].index = allPassRight[i].index = 0;
  }
  reset();
}

void ReverbUnit::settleIfIdle() {
  wetGlide.setTarget(wet);
  dryGlide.setTarget(dry);
  rightScaleGlide.setTarget(rightWetScale);
  if (running) return;
  wetGlide.snap();
  dryGlide.snap();
  rightScaleGlide.snap();
}

void ReverbUnit::reset() {
  running = false;
  settleIfIdle();
  // The damping memories are cleared with the lines: left alone they would
  // feed a faint remainder of the old tail back into the cleared combs.
  for (Comb& c : combs) c.filterStore = 0.0f;
  if (!storage) return;
  for (Comb& c : combs) std::memset(c.buffer, 0, sizeof(float) * static_cast<size_t>(c.size));
  for (AllPass& a : allPassLeft) std::memset(a.buffer, 0, sizeof(float) * static_cast<size_t>(a.size));
  for (AllPass& a : allPassRight) std::memset(a.buffer, 0, sizeof(float) * static_cast<size_t>(a.size));
}

void ReverbUnit::setMix(float value) {
  const float v = limitToUnit(value);
  wet = v * kWetScale;
  dry = 1.0f - v * kDryScale;
  settleIfIdle();
}

void ReverbUnit::setSize(float value) {
  const float v = limitToUnit(value);
  roomSize = v * kSizeScale + kSizeOffset;
  rightWetScale = v <= 0.5f ? 1.0f : 1.0f - kRightWetSlope * (v - 0.5f);
  updateCombs();
  settleIfIdle();
}

void ReverbUnit::setDecay(float value) {
  damp = (1.0f - limitToUnit(value)) * kDampScale;
  updateCombs();
}

void ReverbUnit::updateCombs() {
  for (Comb& c : combs) {
    c.feedback = roomSize;
    c.damp1 = damp;
    c.damp2 = 1.0f - damp;
  }
}

void ReverbUnit::process(float* left, float* right, int count) {
  if (!isActive() || !left || !right || count <= 0) return;
  running = true;
  const bool gliding = wetGlide.ramping() || dryGlide.ramping() || rightScaleGlide.ramping();
  for (int i = 0; i < count; ++i) {
    const float x = (left[i] + right[i]) * inputGain;
    float s = 0.0f;
    for (Comb& c : combs) s += c.step(x);
    float yl = s;
    float yr = s;
    for (AllPass& a : allPassLeft) yl = a.step(yl);
    for (AllPass& a : allPassRight) yr = a.step(yr);
    const float w = gliding ? wetGlide.next() : wetGlide.current();
    const float d = gliding ? dryGlide.next() : dryGlide.current();
    const float rs = gliding ? rightScaleGlide.next() : rightScaleGlide.current();
    left[i] = left[i] * d + yl * w;
    right[i] = right[i] * d + rs * (yr * w);
  }
  cleanDenormals();
}

bool ReverbUnit::holdsTail() const {
  if (!isActive()) return false;
  auto loud = [](const float* line, int size) {
    for (int i = 0; i < size; ++i)
      if (std::fabs(line[i]) > kTailThreshold) return true;
    return false;
  };
  for (const Comb& c : combs)
    if (std::fabs(c.filterStore) > kTailThreshold || loud(c.buffer, c.size)) return true;
  for (const AllPass& a : allPassLeft)
    if (loud(a.buffer, a.size)) return true;
  for (const AllPass& a : allPassRight)
    if (loud(a.buffer, a.size)) return true;
  return false;
}

void ReverbUnit::cleanDenormals() {
  for (Comb& c : combs) {
    if (exponentIsZero(c.filterStore)) c.filterStore = 0.0f;
  }
  auto cleanAllPass = [](AllPass& a) {
    const float v = a.buffer[a.index];
    if (v != 0.0f && exponentIsZero(v)) std::memset(a.buffer, 0, sizeof(float) * static_cast<size_t>(a.size));
  };
  for (AllPass& a : allPassLeft) cleanAllPass(a);
  for (AllPass& a : allPassRight) cleanAllPass(a);
}

}  // namespace vt
