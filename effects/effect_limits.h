// The range of sample rates the effect units run at, and the limiting of
// setting values to 0..1 that every unit applies before deriving lengths,
// indices or gains from them.
#pragma once

#include <cmath>

namespace vt {

// Every buffer is sized at construction for the highest rate; outside the
// range the units stay idle (pass the signal through unchanged). The lowest
// rate keeps the fixed design frequencies (2 kHz brightness) below Nyquist.
constexpr float kMinEffectSampleRate = 8000.0f;
constexpr float kMaxEffectSampleRate = 192000.0f;

inline bool isSupportedEffectSampleRate(float rate) {
  return std::isfinite(rate) && rate >= kMinEffectSampleRate && rate <= kMaxEffectSampleRate;
}

// The rate a unit runs at for a requested rate: 0 (idle) when unsupported.
inline float effectSampleRateFor(float rate) { return isSupportedEffectSampleRate(rate) ? rate : 0.0f; }

// Limits a setting to 0..1; NaN becomes 0.
inline float limitToUnit(float value) { return value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f; }

// The integer part of x + 0.5 for non-negative x.
inline int roundToInt(double x) { return static_cast<int>(x + 0.5); }

}  // namespace vt
