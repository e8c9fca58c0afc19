// Thinning the per-frame harmonic tables into breakpoint envelopes: frames
// whose loss linear interpolation hides are removed until at most 80 remain,
// breakpoints closer than 30 ms are thinned out, trailing silence is cut and
// the sound is made to end in silence at most 0.25 s after it last sounds (its
// last sounding frame, or the last breakpoint but one when that comes later).
#pragma once

#include "analysis/real_matrix.h"
#include "analysis/time_thinning.h"

namespace vt::analysis {

constexpr double kHarmonicReductionThreshold = 3.0;  // starting error threshold
constexpr int kMaxHarmonicBreakpoints = 80;
constexpr double kHarmonicThinningStep = 0.03;   // seconds: breakpoints closer than this are thinned
constexpr double kSilentAmplitudeSum = 0.004;    // a breakpoint whose amplitudes sum to no more is silent
constexpr double kMaxFinalBreakpointGap = 0.25;  // seconds from the last breakpoint but one to the last

// Breakpoint tables of 65 rows: row 1 the breakpoint times in seconds, row
// h + 1 harmonic h (Hz in 'frequency', linear amplitude in 'amplitude'). Both
// have the same columns; both are empty when the input tables disagree.
struct HarmonicBreakpoints {
  RealMatrix frequency;
  RealMatrix amplitude;
};

// 'frequency' and 'amplitude' are 64 x frames (NaN counts as 0), one frame
// every 'framePeriod' seconds from 0; f0 is the root frequency in Hz.
// Tables of different shapes print a message on standard output and give
// empty tables.
// How far the reduction goes. The defaults are what every stored voice gets;
// the other settings keep as much as the voice format holds (128 points per
// curve) and serve to measure what the reduction costs.
struct HarmonicReductionSettings {
  double threshold = kHarmonicReductionThreshold;
  int limit = kMaxHarmonicBreakpoints;
  bool stopAtLimit = false;  // end the passes as soon as 'limit' is reached
  bool thinTime = true;      // thin breakpoints closer than 30 ms
  double silentSum = kSilentAmplitudeSum;
};

HarmonicBreakpoints reduceHarmonics(const RealMatrix& frequency, const RealMatrix& amplitude, double framePeriod,
                                    double f0, const HarmonicReductionSettings& settings = {});

}  // namespace vt::analysis
