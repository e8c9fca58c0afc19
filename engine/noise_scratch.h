// Working spectra of the noise morph: four scratch spectra of 256 bins and
// one spectrum that stays all zero. Each noise generator holds its own, since
// plug-in instances may render on different threads.
#pragma once

namespace vt {

struct NoiseScratch {
  static constexpr int kBins = 256;
  static constexpr int kSpectra = 4;

  float spectra[kSpectra][kBins] = {};
  float zero[kBins] = {};  // never written
};

}  // namespace vt
