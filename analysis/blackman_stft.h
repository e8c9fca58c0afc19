// Short-time Fourier transform with the periodic Blackman window.
#pragma once

#include "analysis/real_matrix.h"
#include "analysis/real_vector.h"

namespace vt::analysis {

// Unscaled short-time spectra: column f of re and im holds bins 0 .. L/2 of
// frame f (L/2 + 1 rows).
struct ComplexSpectrogram {
  RealMatrix re;
  RealMatrix im;
};

// Frames of length L (a power of two) start at samples 1, 1 + hop, 1 + 2 hop, ...
// (1-based). There are (count - L) / hop + 1 columns, the division truncated
// toward zero: a block that falls short of L by less than one hop gets one
// column, which stays all zeros, and a shorter one gets none. Each frame is
// multiplied by the periodic Blackman window of length L and transformed.
// A length that is not a power of two or a hop below 1 gives no columns.
ComplexSpectrogram blackmanStft(const RealVector& x, int length, int hop);

}  // namespace vt::analysis
