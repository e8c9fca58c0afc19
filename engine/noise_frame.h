// One spectral envelope of a sound's noise part: the spectrum curve over the
// normalised band 0..1 (1 = half the sample rate) and the same spectrum
// sampled into 256 bins, bin i at (i + 1)/256, which is what the noise
// generator reads.
#pragma once

#include "engine/breakpoint_curve.h"

namespace vt {

class NoiseFrame {
public:
  static constexpr int kBins = 256;
  static constexpr float kStandardSampleRate = 44100.0f;

  NoiseFrame();
  ~NoiseFrame();

  NoiseFrame(const NoiseFrame&) = delete;
  NoiseFrame& operator=(const NoiseFrame&) = delete;

  bool valid() const { return phases != nullptr && spectrum.capacity() > 0; }

  // Samples the spectrum into the bins and recomputes the silent flag.
  void resample();
  // Empty spectrum, all bins 0, silent.
  void reset();
  // Spectrum, bins, silent flag and sample rate.
  void copyFrom(const NoiseFrame& other);

  BreakpointCurve spectrum;
  float bins[kBins] = {};
  float sampleRate = kStandardSampleRate;
  bool silent = true;             // no bin above 0
  const float* phases = nullptr;  // the shared NoisePhaseTable
};

}  // namespace vt
