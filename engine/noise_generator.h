// The noise generator of one engine: overlap-adds noise grains (NoiseGrainSynth)
// into a voice's output. Each grain is weighted by a half-sine window, so two
// grains half a grain apart cross-fade with power-complementary weights: the
// grains are uncorrelated, so their powers add up to a constant and the noise
// keeps a steady level through every cross-fade. Every grain that starts
// within a block uses the spectrum of the time half a grain after the block
// start. The engine owns one generator, and with it the one random source of
// the noise phases, which tests can seed.
#pragma once

#include "engine/noise_grain_state.h"
#include "engine/noise_grain_synth.h"
#include "engine/noise_scratch.h"
#include "engine/random_source.h"

namespace vt {

class BreakpointCurve;
class NoiseSet;

class NoiseGenerator {
public:
  static constexpr int kSpectrumSize = NoiseGrainSynth::kSpectrumSize;

  // The steady power of the cross-fade relative to one grain's: the mean power of
  // the linear cross-fade the noise levels of stored sounds were set with, 2/3,
  // so every instrument keeps its long-term noise level.
  static constexpr double kCrossFadePower = 2.0 / 3.0;

  NoiseGenerator() { buildWindow(); }

  // Not on the audio thread while a block renders.
  void setSampleRate(float rate) {
    synth.setSampleRate(rate);
    buildWindow();
  }
  // The weight of a grain's sample i (0 .. grainLength() - 1).
  float windowAt(int i) const { return window[i]; }
  float sampleRate() const { return synth.sampleRate(); }
  const NoiseGrainSynth& grainSynth() const { return synth; }
  int grainLength() const { return synth.grainLength(); }
  RandomSource& random() { return randomSource; }

  // Seconds from a block's start to the time whose spectrum its grains use.
  double grainTimeOffset() const { return 0.5 * synth.grainLength() / synth.sampleRate(); }

  // True when rendering the next n samples with this state starts at least one grain.
  bool startsGrain(const NoiseGrainState& state, int n) const;

  // Adds n samples of noise to 'output'. Every grain started in them is built from
  // 'spectrum' (256 magnitudes; null counts as all zero) weighted by 'formant' (256
  // floats, or null). The amplitude ramps linearly from a0 at the first sample towards
  // a1 one sample past the last; the grain scale is applied on top.
  void renderSpectrum(const float* spectrum, float* output, int n, float a0, float a1, NoiseGrainState& state,
                      const float* formant);

  // A voice playing one slot: grains use 'set' interpolated at p0 + half a grain (silence
  // outside its frames). The amplitude ramps from a0 at p0 towards a1 at p0 + n/rate; the
  // curve form reads them from a two-point amplitude curve. An empty set adds nothing,
  // draws no random number and leaves the state alone.
  void renderNoise(const NoiseSet& set, float* output, int n, float p0, float a0, float a1, NoiseGrainState& state,
                   const float* formant);
  void renderNoise(const NoiseSet& set, float* output, int n, float p0, BreakpointCurve& amplitude,
                   NoiseGrainState& state, const float* formant);

  // A morph group: each of the four sets (A, B, C, D; null counts as empty) is read at
  // its own start time plus half a grain and the four spectra are blended at (nx, ny)
  // before grain synthesis. The curve form reads the amplitude at p0 and p0 + n/rate.
  void renderMorphedNoise(const NoiseSet* const sets[4], float* output, int n, const float startTimes[4], float a0,
                          float a1, NoiseGrainState& state, float nx, float ny, const float* formant);
  void renderMorphedNoise(const NoiseSet* const sets[4], float* output, int n, const float startTimes[4], float p0,
                          BreakpointCurve& amplitude, NoiseGrainState& state, float nx, float ny, const float* formant);

private:
  void buildWindow();
  // A new grain in 'grain', weighted by the cross-fade window.
  void windowedGrain(const float* spectrum, const float* formant, float* grain);

  NoiseGrainSynth synth;
  float window[NoiseGrainSynth::kMaxGrainLength] = {};
  RandomSource randomSource;
  NoiseScratch scratch;  // this engine's own working spectra: engines may render on different threads
  float blended[kSpectrumSize] = {};
};

}  // namespace vt
