// The noise part of a sound: the residual's Blackman spectra measured in 256
// bands of about 86 Hz (44100 / 512) at any sample rate, with a gate that
// fades mostly-quiet residuals towards silence.
#pragma once

#include "analysis/real_matrix.h"
#include "analysis/real_vector.h"

namespace vt::analysis {

constexpr int kNoiseBandCount = 256;

// The noise analysis half-length E: the power of two nearest
// round(256 * sampleRate / 44100), the smaller one on a tie.
int noiseHalfLength(double sampleRate);

// Band magnitudes (256 rows x frames of hop E, window 2E), unscaled. A
// residual too short for one frame gives one column of E + 1 zeros.
RealMatrix analyzeNoise(const RealVector& residual, double sampleRate);

}  // namespace vt::analysis
