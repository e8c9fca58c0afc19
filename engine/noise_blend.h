// Reading and blending noise spectra: one NoiseSet interpolated at a time, the
// four-way blend of spectra, and the key and velocity blend that builds a
// note's own NoiseSet from the slot's rows and layers at note-on.
#pragma once

#include "engine/noise_set.h"

namespace vt {

// The 256-bin spectrum of 'set' at time t: the two frames around t mixed linearly, or
// all zero when t lies outside the frames (or the set has none). Returns either the
// bins of a frame, a static all-zero spectrum, or 'scratch' (256 floats) filled with
// the mix; the result stays valid until the set or the scratch changes.
const float* interpolateNoise(const NoiseSet& set, float t, float* scratch);

// out = (1-a)(1-b) s1 + a(1-b) s2 + (1-a) b s3 + a b s4, bin by bin over 256 bins. A
// source whose weight is 0 is not read, so a corner of the blend reproduces its
// spectrum exactly. 'out' may be one of the sources.
void blendSpectra(const float* s1, const float* s2, const float* s3, const float* s4, float a, float b, float* out);

// Builds a note's NoiseSet from the lower and upper rows' soft and loud sets at key
// fraction k and velocity fraction u (lower soft, upper soft, lower loud, upper loud
// weighted as in blendSpectra with a = k, b = u). The frame times of the four sets are
// merged; a time is kept when it lies more than 0.005 s after the last kept one
// (0.03 s once that spacing would reach past 0.1 s); at most 64 frames are kept, and
// once fewer than 16 places remain the remaining times are thinned evenly over them.
// The target's frames get bins only (their spectrum curves stay empty) and are marked
// not silent. No allocation. A target that is one of the sources is left unchanged.
void blendNoise(const NoiseSet& lowerSoft, const NoiseSet& lowerLoud, const NoiseSet& upperSoft,
                const NoiseSet& upperLoud, float k, float u, NoiseSet& target);

}  // namespace vt
