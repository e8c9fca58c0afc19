// Working spectra of the noise morph: four scratch spectra of 256 bins and
// one spectrum that stays all zero. One set is shared by every NoiseSet of the
// module (created by the first, freed with the last); an owner that may render
// on a thread of its own can hold a private NoiseScratch value instead.
#pragma once

namespace vt {

struct NoiseScratch {
  static constexpr int kBins = 256;
  static constexpr int kSpectra = 4;

  float spectra[kSpectra][kBins] = {};
  float zero[kBins] = {};  // never written

  // Null only when allocation failed; a holder that got null must not release.
  static NoiseScratch* acquire();
  static void release();
};

}  // namespace vt
