// The analysis core: a mono sound and its root frequency become 64 harmonic
// frequency and amplitude rows and a 256-band noise table.
//
// Partials are tracked on Hann spectra, resynthesised with cubic phase and
// subtracted from the input; what is left is measured as noise. The harmonic
// data itself comes from a second tracking pass on Blackman spectra, whose
// tracks are assigned to harmonic numbers.
#pragma once

#include <functional>

#include "analysis/real_matrix.h"
#include "analysis/real_vector.h"

namespace vt::analysis {

struct SoundAnalysis {
  RealMatrix harmonicFrequency;     // 64 x analysis frames, Hz, NaN where missing
  RealMatrix harmonicAmplitude;     // 64 x analysis frames, linear amplitude
  RealMatrix noise;                 // 256 bands x noise frames, unscaled magnitudes
  double framePeriod = 0.0;         // seconds between analysis frames
  bool trackBudgetReached = false;  // a tracking pass hit its cell budget (maxBin was halved or tracks cut)
};

// Called now and then with the share of the work done (0 .. 1).
using AnalysisProgress = std::function<void(double)>;

SoundAnalysis analyzeSound(const RealVector& samples, double sampleRate, double f0,
                           const AnalysisProgress& progress = nullptr);

}  // namespace vt::analysis
