// The harmonic part of one recording: 64 partials, each an amplitude curve and
// a frequency curve (a ratio to baseFrequency) over time, plus their summed
// amplitude. In a voice slot all amplitude curves share amplitude[0]'s time
// axis and all frequency curves share frequency[0]'s; a set built point by
// point from blended data (a playing note) can give every curve its own axis.
#pragma once

#include "engine/breakpoint_curve.h"

namespace vt {

class HarmonicSet {
public:
  static constexpr int kHarmonics = 64;
  static constexpr int kCurves = 2 * kHarmonics;  // amplitude curves, then frequency curves
  static constexpr float kFadeInTime = 0.01f;     // seconds of fade-in given to a sound that starts loud
  static constexpr float kDefaultSampleRate = 44100.0f;

  explicit HarmonicSet(bool shareTimeAxes = true);
  ~HarmonicSet();

  HarmonicSet(const HarmonicSet&) = delete;
  HarmonicSet& operator=(const HarmonicSet&) = delete;

  // Curve by flat index: 0..63 the amplitudes of harmonics 1..64, 64..127 their frequencies.
  BreakpointCurve& curve(int index) { return index < kHarmonics ? amplitude[index] : frequency[index - kHarmonics]; }
  const BreakpointCurve& curve(int index) const {
    return index < kHarmonics ? amplitude[index] : frequency[index - kHarmonics];
  }

  // False when an allocation made at construction failed.
  bool valid() const;

  // Every curve empty, baseFrequency and duration 0; the sample rate is kept.
  void reset();

  // Load validation, harmonic index h = 0..63 (harmonic k = h + 1):
  // the last amplitude point is forced to 0;
  void validateAmplitude(int h);
  // every ratio outside [k - 1, k + 1] becomes k and the amplitude at the same point 0.
  void validateFrequency(int h);
  // Both for every harmonic, then the duration.
  void validate();

  // A curve that shares another curve's time axis keeps no more points than
  // that axis holds: points beyond it would read whatever x values the axis
  // array held before, so the same data would load differently into a fresh
  // and a used set.
  void fitToSharedAxis(int index);

  // duration = the largest last time over the 64 amplitude curves.
  void updateDuration();
  // total = the sum of the 64 amplitudes at each time of amplitude[0]'s axis.
  void buildTotal();

  // Run after every load or edit: a sound whose total starts above 0 at time 0
  // gets a fade-in from silence (everything moves 0.01 s later and a silent
  // point is put at 0), a sound whose last frame is not silent has its last
  // amplitude points set to 0; total and duration are rebuilt.
  void prepare();

  bool hasEnded(float t) const { return t > duration; }

  // Deep copy of the 128 curves, the total and the scalar fields.
  void copyFrom(const HarmonicSet& other);

  BreakpointCurve amplitude[kHarmonics];
  BreakpointCurve frequency[kHarmonics];
  BreakpointCurve total;
  float baseFrequency = 0.0f;             // Hz, the analysed recording's fundamental
  float sampleRate = kDefaultSampleRate;  // Hz, the current output rate
  float duration = 0.0f;                  // seconds
  const float* sine = nullptr;            // the shared sine table (SineTable)
};

}  // namespace vt
