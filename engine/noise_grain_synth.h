// Builds one noise grain from a 256-entry magnitude spectrum: optional formant
// weighting, a random phase per entry from a 64-step phase table, and an inverse
// real FFT. Configured per sample rate (grain length, transform size, where each
// entry lands in the transform).
//
// Frequency mapping. Entry i of a noise spectrum stands for the frequency
// (i + 1)/256 x 22050 Hz, the sampling of the frames' spectrum curves on the
// band of the 44100 Hz reference rate. At exactly 44100 Hz the 512-point
// transform is used and entry i goes to bin i + 1 (entry 255 is the Nyquist
// bin). At any other rate the 1024-point transform is used and entry i goes to
// bin round((i + 1) x 22050/256 / (rate/1024)) = round((i + 1) x 88200/rate), so
// the noise keeps the same frequencies in Hz at every rate. Entries landing on
// the same bin add up (their random phases make their powers add); entries
// at or above the Nyquist frequency of a lower rate, and entries that would
// round to DC at a very high rate, are left out. The Nyquist bin keeps only the
// real component, as at 44100 Hz.
//
// Level. The grain is scaled by 1/512 at every rate, so the sinusoid of one
// entry has the same amplitude at every rate and the noise level does not
// depend on the host's sample rate.
#pragma once

#include "engine/random_source.h"

namespace vt {

class RealFft;

class NoiseGrainSynth {
public:
  static constexpr int kSpectrumSize = 256;  // entries of a noise spectrum
  static constexpr int kPhaseCount = 64;     // steps of the random phase table
  static constexpr int kMinGrainLength = 512;
  static constexpr int kMaxGrainLength = 1024;  // grain buffers hold this many samples
  static constexpr float kReferenceRate = 44100.0f;
  static constexpr int kReferenceTransformSize = 512;

  NoiseGrainSynth();  // configured for 44100 Hz; holds the shared phase table
  ~NoiseGrainSynth();

  NoiseGrainSynth(const NoiseGrainSynth&) = delete;
  NoiseGrainSynth& operator=(const NoiseGrainSynth&) = delete;

  // Invalid rates (not finite, not positive) are taken as 44100 Hz.
  void setSampleRate(float rate);
  float sampleRate() const { return rate; }

  // The power of two nearest to rate x 512/44100 (ties to the smaller), at least 512 and
  // at most 1024 so that a grain fits its buffer.
  int grainLength() const { return length; }
  int transformSize() const { return size; }
  // Scale applied to every grain sample (through the amplitude of the overlap-add).
  float grainScale() const { return 1.0f / kReferenceTransformSize; }

  // Frequency in Hz that spectrum entry i stands for, at every rate.
  static double entryFrequency(int entry);
  // Transform bin that entry i goes to at the current rate, -1 when it is left out.
  int binOfEntry(int entry) const;

  // Writes one grain into 'grain' (kMaxGrainLength floats; the first grainLength() are the
  // grain, unscaled). 'formant' (256 floats) may be null. When every weighted entry is 0
  // the grain is silence and no random number is drawn; otherwise exactly 256 are drawn.
  // Without a phase table (its allocation failed) every grain is silence. A non-null
  // 'window' (kMaxGrainLength floats) weights every sample of the grain.
  void synthesize(const float* magnitudes, const float* formant, RandomSource& random, float* grain,
                  const float* window = nullptr) const;

private:
  float rate = kReferenceRate;
  int length = kMinGrainLength;
  int size = kReferenceTransformSize;
  const RealFft* fft = nullptr;
  const float* phases = nullptr;  // NoisePhaseTable: sin at 2m, cos at 2m + 1
  short bins[kSpectrumSize];
  bool oneBinPerEntry = true;  // entry i is bin i + 1 and the entries fill the transform (44100 Hz)
};

}  // namespace vt
