// Analysis windows, all periodic (length L, n = 0 .. L-1, the period being L),
// as the short-time spectra use them.
#pragma once

#include "analysis/real_vector.h"

namespace vt::analysis {

// w(n) = 0.5 * (1 - cos(2 pi n / L)).
RealVector periodicHann(int length);

// The time derivative of that Hann window, in units per second:
// d(n) = -(sampleRate / L) * pi * sin(2 pi n / L).
RealVector hannDerivative(int length, double sampleRate);

// w(n) = 0.42 - 0.5 cos(2 pi n / L) + 0.08 cos(4 pi n / L): 0 at n = 0 and 1
// at n = L / 2. Evaluated about its centre H = L / 2 as
// 0.42 + 0.5 cos(pi k / H) + 0.08 cos(2 pi k / H) with k = n - H, which gives
// both halves identical values.
RealVector periodicBlackman(int length);

}  // namespace vt::analysis
