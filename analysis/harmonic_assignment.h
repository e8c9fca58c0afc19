// Turns partial tracks into the 64 harmonics of a sound with root frequency
// f0: tracks whose mean frequency lies near a multiple of f0 compete frame by
// frame for that harmonic; the resulting rows are then cleaned (sub-harmonic
// and sparse rows dropped) and renumbered by frequency.
#pragma once

#include "analysis/real_matrix.h"

namespace vt::analysis {

constexpr int kHarmonicCount = 64;

struct HarmonicTables {
  RealMatrix frequency;  // 64 x frames, Hz, NaN where missing
  RealMatrix amplitude;  // 64 x frames
};

// frequencies and amplitudes: tracks x frames (NaN where a track is absent).
// An f0 of -1 disables the low-frequency test of the cleaning stage.
HarmonicTables assignHarmonics(const RealMatrix& frequencies, const RealMatrix& amplitudes, double f0);

}  // namespace vt::analysis
