// Thinning the per-frame noise table into at most 48 breakpoints of at most
// 48 bands: frames are thinned in time, then removed where interpolation
// hides their loss, bands are removed where their neighbours stand in for
// them, and the noise is cut after its last audible breakpoint and ends in
// silence.
#pragma once

#include "analysis/real_matrix.h"

namespace vt::analysis {

constexpr double kNoiseFramePeriod = 0.005804988662131519;  // seconds: 256 / 44100
constexpr double kNoiseReductionThreshold = 5.0;
constexpr int kMaxNoiseBreakpoints = 48;
constexpr double kNoiseBandThreshold = 2.0;
constexpr int kMaxNoiseBands = 48;
constexpr double kAudibleNoiseSum = 5.0;  // a breakpoint whose bands sum to more is audible
// Bands that every band reduction keeps, spread over the spectrum.
constexpr int kKeptNoiseBands[] = {31, 63, 96, 127, 191};

// The result has a first column that is not a breakpoint: row 1 holds 0 and
// the rows below hold the numbers of the bands still present (1 .. 256, their
// rows in 'noise'). Every further column is a breakpoint: its time in row 1,
// the band magnitudes below. A table without rows or with fewer than two
// frames gives an empty result (no breakpoints).
// How far the reduction goes: the defaults are what every stored voice gets;
// the others keep as much as the voice format holds (64 frames of 128
// points) and serve to measure what the reduction costs.
struct NoiseReductionSettings {
  double framePeriod = kNoiseFramePeriod;
  double threshold = kNoiseReductionThreshold;
  int limit = kMaxNoiseBreakpoints;
  double bandThreshold = kNoiseBandThreshold;
  int bandLimit = kMaxNoiseBands;
  bool stopAtLimit = false;  // end the passes as soon as a limit is reached
  bool thinTime = true;      // the two time thinnings
  double audibleSum = kAudibleNoiseSum;
};

RealMatrix reduceNoise(const RealMatrix& noise, const NoiseReductionSettings& settings = {});

}  // namespace vt::analysis
