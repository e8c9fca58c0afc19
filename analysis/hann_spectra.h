// Short-time spectra with the periodic Hann window, scaled so that a steady
// sinusoid of amplitude A peaks near A, together with each bin's
// instantaneous frequency from the time-derivative window (the reassignment
// estimate): the bin frequency plus Im(Xd * conj(Xh)) / (2 pi |Xh|^2).
#pragma once

#include "analysis/frame_geometry.h"
#include "analysis/real_matrix.h"
#include "analysis/real_vector.h"

namespace vt::analysis {

struct HannSpectra {
  RealMatrix re;                      // bins 0 .. size/2 (rows) x frames, scaled by 2 / sum(window)
  RealMatrix im;                      // likewise
  RealMatrix instantaneousFrequency;  // Hz, same shape
};

// Frame j (1-based) spans samples 1 + (j - 1) * hop .. (j - 1) * hop + size.
// Each windowed frame is rotated by half its length before the transform, so
// that phases refer to the frame centre. A block shorter than one frame gives
// matrices with no columns.
HannSpectra hannSpectra(const RealVector& samples, const FrameGeometry& geometry, double sampleRate);

}  // namespace vt::analysis
