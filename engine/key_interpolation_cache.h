// Per-row tables for building a note that lies between two multisamples.
// For each of the 128 curves of a HarmonicSet (64 amplitude, 64 frequency) the
// four recordings R1 = this row soft, R2 = next row soft, R3 = this row loud,
// R4 = next row loud are put on one common time axis of at most 128 times,
// each time carrying the four recordings' values there, so that a note's
// curve is a plain weighted sum of four values at every time. The tables
// (about 320 kB) are allocated by the first build, so a slot holds them only
// for the rows it uses; a build never runs on the audio thread.
#pragma once

#include "engine/breakpoint_curve.h"
#include "engine/harmonic_set.h"

namespace vt {

class KeyInterpolationCache {
public:
  static constexpr int kCurves = HarmonicSet::kCurves;
  static constexpr int kTimes = 128;     // common times per curve
  static constexpr int kRecordings = 4;  // lower soft, upper soft, lower loud, upper loud
  static constexpr int kMaxMergedPoints = 512;
  static constexpr float kMinimumSpacing = 0.03f;  // seconds between kept times
  static constexpr int kThinningPlaces = 32;       // thinning starts once fewer places remain
  static constexpr float kEndStep = 0.001f;        // the silent time appended to amplitude curves
  static constexpr float kNoTimeKept = -1000.0f;

  KeyInterpolationCache() = default;  // no tables yet
  ~KeyInterpolationCache();

  KeyInterpolationCache(const KeyInterpolationCache&) = delete;
  KeyInterpolationCache& operator=(const KeyInterpolationCache&) = delete;

  // False before the first build and when the tables could not be allocated
  // (every curve then has no times).
  bool valid() const { return times != nullptr && values != nullptr; }
  // Allocates the tables unless they exist; false when that fails.
  bool allocate();

  void clear();  // no times for any curve

  // Exchanges the tables with 'other' without copying them.
  void swapWith(KeyInterpolationCache& other);

  // Rebuilds every curve from the four recordings (R1..R4 in the order above),
  // allocating the tables first if need be.
  void build(const HarmonicSet& lowerSoft, const HarmonicSet& upperSoft, const HarmonicSet& lowerLoud,
             const HarmonicSet& upperLoud);
  // Rebuilds one curve (0..63 amplitude, 64..127 frequency) from four recordings
  // (allocating the tables first if need be).
  void buildCurve(int curve, const BreakpointCurve* const recordings[kRecordings]);

  int count(int curve) const { return (curve >= 0 && curve < kCurves) ? counts[curve] : 0; }
  float time(int curve, int i) const { return times[curve][i]; }           // i < count(curve)
  const float* value(int curve, int i) const { return values[curve][i]; }  // four values, i < count(curve)

  // target = sum of weights[q] * value q at every common time (target reset
  // first; meant for a curve that owns its x axis).
  void blend(int curve, const float weights[kRecordings], BreakpointCurve& target) const;

private:
  float (*times)[kTimes] = nullptr;                // [kCurves][kTimes]
  float (*values)[kTimes][kRecordings] = nullptr;  // [kCurves][kTimes][kRecordings]
  int counts[kCurves] = {};
};

}  // namespace vt
