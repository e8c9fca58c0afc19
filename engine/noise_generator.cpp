#include "engine/noise_generator.h"

#include <cmath>

#include "engine/breakpoint_curve.h"
#include "engine/noise_blend.h"
#include "engine/noise_set.h"

namespace vt {

namespace {

const float kZeroSpectrum[NoiseGrainSynth::kSpectrumSize] = {};
constexpr int kMorphSlots = 4;

// A morph position outside 0..1 (or not a number) is taken at the nearest end.
float clampUnit(float x) { return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f; }

// The two read positions run half a grain apart within 0..length.
bool positionsValid(const NoiseGrainState& state, int length) {
  const int apart = state.i1 > state.i2 ? state.i1 - state.i2 : state.i2 - state.i1;
  return state.i1 >= 0 && state.i2 >= 0 && state.i1 <= length && state.i2 <= length && apart == length / 2;
}

}  // namespace

void NoiseGenerator::buildWindow() {
  // sqrt(p) sin(pi i / L): a grain and the one half a grain away weigh
  // sqrt(p) sin and sqrt(p) cos of the same angle, whose squares sum to p.
  const int length = synth.grainLength();
  const double level = std::sqrt(kCrossFadePower);
  const double pi = 3.14159265358979323846;
  for (int i = 0; i < NoiseGrainSynth::kMaxGrainLength; ++i)
    window[i] = i < length ? static_cast<float>(level * std::sin(pi * i / length)) : 0.0f;
}

void NoiseGenerator::windowedGrain(const float* spectrum, const float* formant, float* grain) {
  // The window is applied as the transform writes its outputs: no second pass.
  synth.synthesize(spectrum, formant, randomSource, grain, window);
}

bool NoiseGenerator::startsGrain(const NoiseGrainState& state, int n) const {
  if (n <= 0) return false;
  const int length = synth.grainLength();
  if (!positionsValid(state, length)) return true;
  const int ahead = state.i1 > state.i2 ? state.i1 : state.i2;
  return ahead + n > length;
}

void NoiseGenerator::renderSpectrum(const float* spectrum, float* output, int n, float a0, float a1,
                                    NoiseGrainState& state, const float* formant) {
  if (n <= 0 || !output) return;
  if (!spectrum) spectrum = kZeroSpectrum;
  const int length = synth.grainLength();
  const int halfLength = length / 2;

  // Both positions 0 (a new note), or positions left by another grain length after a
  // sample-rate change: start with a fresh grain in buffer 1 and silence in buffer 2.
  if (!positionsValid(state, length)) {
    state.i1 = 0;
    windowedGrain(spectrum, formant, state.buffer1);
    for (int t = 0; t < length; ++t) state.buffer2[t] = 0.0f;
    state.i2 = halfLength;
  }

  const float scale = synth.grainScale();
  const float ampStart = a0 * scale;
  const float ampStep = (a1 - a0) * scale / n;

  int i1 = state.i1;
  int i2 = state.i2;
  int k = 0;
  while (k < n) {
    if (i1 >= length) {
      windowedGrain(spectrum, formant, state.buffer1);
      i1 = 0;
    }
    if (i2 >= length) {
      windowedGrain(spectrum, formant, state.buffer2);
      i2 = 0;
    }
    // Run up to the next grain start or the end of the block.
    int run = n - k;
    if (length - i1 < run) run = length - i1;
    if (length - i2 < run) run = length - i2;
    // The grains carry their window already (windowedGrain).
    const float* g1 = state.buffer1 + i1;
    const float* g2 = state.buffer2 + i2;
    float* out = output + k;
    const float ampRun = ampStart + ampStep * k;
    for (int j = 0; j < run; ++j) {
      const float amp = ampRun + ampStep * j;
      out[j] += (g1[j] + g2[j]) * amp;
    }
    i1 += run;
    i2 += run;
    k += run;
  }
  state.i1 = i1;
  state.i2 = i2;
}

void NoiseGenerator::renderNoise(const NoiseSet& set, float* output, int n, float p0, float a0, float a1,
                                 NoiseGrainState& state, const float* formant) {
  if (n <= 0 || !output || set.count <= 0) return;
  const float* spectrum = nullptr;
  if (startsGrain(state, n)) {
    spectrum = interpolateNoise(set, static_cast<float>(p0 + grainTimeOffset()), scratch.spectra[0]);
  }
  renderSpectrum(spectrum, output, n, a0, a1, state, formant);
}

void NoiseGenerator::renderNoise(const NoiseSet& set, float* output, int n, float p0, BreakpointCurve& amplitude,
                                 NoiseGrainState& state, const float* formant) {
  if (n <= 0 || set.count <= 0) return;
  const float a0 = amplitude.evaluate(p0);
  const float a1 = amplitude.evaluate(static_cast<float>(p0 + static_cast<double>(n) / synth.sampleRate()));
  renderNoise(set, output, n, p0, a0, a1, state, formant);
}

void NoiseGenerator::renderMorphedNoise(const NoiseSet* const sets[4], float* output, int n, const float startTimes[4],
                                        float a0, float a1, NoiseGrainState& state, float nx, float ny,
                                        const float* formant) {
  if (n <= 0 || !output || !sets || !startTimes) return;
  const float* spectrum = nullptr;
  if (startsGrain(state, n)) {
    nx = clampUnit(nx);
    ny = clampUnit(ny);
    const float weights[kMorphSlots] = {(1.0f - nx) * (1.0f - ny), nx * (1.0f - ny), (1.0f - nx) * ny, nx * ny};
    const float* spectra[kMorphSlots];
    for (int s = 0; s < kMorphSlots; ++s) {
      // A slot without weight is not read; blendSpectra skips it too.
      spectra[s] =
          (sets[s] && weights[s] != 0.0f)
              ? interpolateNoise(*sets[s], static_cast<float>(startTimes[s] + grainTimeOffset()), scratch.spectra[s])
              : scratch.zero;
    }
    blendSpectra(spectra[0], spectra[1], spectra[2], spectra[3], nx, ny, blended);
    spectrum = blended;
  }
  renderSpectrum(spectrum, output, n, a0, a1, state, formant);
}

void NoiseGenerator::renderMorphedNoise(const NoiseSet* const sets[4], float* output, int n, const float startTimes[4],
                                        float p0, BreakpointCurve& amplitude, NoiseGrainState& state, float nx,
                                        float ny, const float* formant) {
  if (n <= 0) return;
  const float a0 = amplitude.evaluate(p0);
  const float a1 = amplitude.evaluate(static_cast<float>(p0 + static_cast<double>(n) / synth.sampleRate()));
  renderMorphedNoise(sets, output, n, startTimes, a0, a1, state, nx, ny, formant);
}

}  // namespace vt
