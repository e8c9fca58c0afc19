// The 64 random-phase choices of the noise grains: (sin, cos) of 2*pi*m/64
// for m = 0..63, stored as 128 floats (sin at 2m, cos at 2m + 1). Shared by
// every NoiseFrame of the module: created by the first, freed with the last.
#pragma once

namespace vt {

class NoisePhaseTable {
public:
  static constexpr int kPhases = 64;

  // Null only when allocation failed; a holder that got null must not release.
  static const float* acquire();
  static void release();
};

}  // namespace vt
