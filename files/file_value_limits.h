// The ranges every number read from an instrument, voice or block file is
// limited to before it reaches the engine. A file may come from anywhere: a
// NaN time, an amplitude of 1e6 or a base frequency of 0 must load as a sound
// that plays finite and bounded, not poison every sum it reaches.
//
// Each limit is wide enough for anything the analysis, the editor or the
// factory recipe produces, so stored instruments load exactly as written.
#pragma once

#include <cfloat>
#include <cmath>

namespace vt {

// Seconds: no sound, frame, loop or morph-envelope time lies later (sounds are
// analysed from at most a few seconds of audio; an hour leaves ample room).
constexpr float kMaxFileTime = 3600.0f;

// Linear amplitude of one harmonic partial. A full-scale recording gives at
// most about 1.1 (the fundamental of a clipped square wave).
constexpr float kMaxPartialAmplitude = 2.0f;

// Magnitude of one noise spectrum point: several times what a full-scale
// sine gives in one band of the noise analysis.
constexpr float kMaxNoiseMagnitude = 1024.0f;

// Gain of the formant curve, the range its editor draws.
constexpr float kMaxFormantGain = 2.0f;

// Hz: the analysed fundamental of a recording. It must be positive: the key
// blend between multisamples works on its logarithm.
constexpr float kMinBaseFrequency = 1.0f;
constexpr float kMaxBaseFrequency = 100000.0f;

// Hz: the maximum frequency a voice stores (kept with the voice, not played).
constexpr float kMaxStoredFrequency = 1000000.0f;

// The box the points of one breakpoint list are limited to: x values are
// made finite, put inside [minX, maxX] and non-decreasing; y values are made
// finite and put inside [minY, maxY]. A NaN x takes the previous point's x
// (the first point's becomes 0, or the nearest edge of the box); a NaN y
// becomes 0, or the nearest edge of the box.
struct CurveLimits {
  float minX;
  float maxX;
  float minY;
  float maxY;
};

// Harmonic amplitudes over time.
constexpr CurveLimits kAmplitudeCurveLimits = {0.0f, kMaxFileTime, 0.0f, kMaxPartialAmplitude};
// Harmonic frequency ratios over time; each harmonic's ratios are checked
// against its own range when the block is read (HarmonicSet::validateFrequency).
constexpr CurveLimits kRatioCurveLimits = {0.0f, kMaxFileTime, -FLT_MAX, FLT_MAX};
// A noise spectrum over the normalised frequency 0..1 of the band.
constexpr CurveLimits kNoiseSpectrumLimits = {0.0f, 1.0f, 0.0f, kMaxNoiseMagnitude};
// A morph envelope: a pad position 0..1 over time.
constexpr CurveLimits kMorphEnvelopeLimits = {0.0f, kMaxFileTime, 0.0f, 1.0f};
// The formant curve: a gain over the normalised frequency 0..1.
constexpr CurveLimits kFormantCurveLimits = {0.0f, 1.0f, 0.0f, kMaxFormantGain};
// Only finite values, in order.
constexpr CurveLimits kAnyFiniteCurve = {-FLT_MAX, FLT_MAX, -FLT_MAX, FLT_MAX};

// 'value' made finite and put inside [low, high]; NaN becomes 'fallback'.
inline float limitFileValue(float value, float low, float high, float fallback) {
  if (std::isnan(value)) return fallback;
  if (value < low) return low;
  if (value > high) return high;
  return value;
}

}  // namespace vt
