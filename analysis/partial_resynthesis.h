// Resynthesis of tracked partials with cubic phase interpolation: between
// two frames each partial's phase is the cubic that meets both frames'
// frequency and phase (with the whole number of turns that keeps the
// frequency smoothest), and its amplitude is linear.
#pragma once

#include "analysis/real_matrix.h"
#include "analysis/real_vector.h"

namespace vt::analysis {

// amplitudes, frequencies (Hz) and phases (radians): tracks x padded columns,
// NaN where absent; padded column c is the instant of sample 1 + (c - 1) * hop.
// The result has hop * (columns - 1) samples. A partial fades in over the hop
// before its first frame and out over the hop after its last, at its edge
// frequency.
RealVector resynthesizePartials(const RealMatrix& amplitudes, const RealMatrix& frequencies, const RealMatrix& phases,
                                int hop, double sampleRate);

}  // namespace vt::analysis
