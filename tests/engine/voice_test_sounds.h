// Small sounds built in memory for the voice, morph and playback tests, and an
// independent single-frequency DFT to measure what the engine renders.
#pragma once

#include <cmath>
#include <initializer_list>
#include <vector>

#include "engine/harmonic_set.h"
#include "engine/noise_set.h"
#include "engine/voice_slot.h"

namespace vt::test {

struct Partial {
  int harmonic;  // 1..64
  float level;
};

// A recording of steady partials at exact harmonic ratios: silent at 0, full
// level from 'rise' to duration - fall, silent again at 'duration'.
inline void buildRecording(HarmonicSet& set, float baseFrequency, std::initializer_list<Partial> partials,
                           float duration, float rise = 0.01f, float fall = 0.01f) {
  set.reset();
  const float times[4] = {0.0f, rise, duration - fall, duration};
  const float zeros[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  // The first harmonic's curves own the shared time axes; they always get the times.
  set.amplitude[0].assign(4, times, zeros);
  const float ones[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  set.frequency[0].assign(4, times, ones);
  for (const Partial& p : partials) {
    const int h = p.harmonic - 1;
    const float levels[4] = {0.0f, p.level, p.level, 0.0f};
    const float k = static_cast<float>(p.harmonic);
    const float ratios[4] = {k, k, k, k};
    set.amplitude[h].assign(4, times, levels);
    set.frequency[h].assign(4, times, ratios);
  }
  set.baseFrequency = baseFrequency;
  set.updateDuration();
}

// Fills both layers of row 0 of a one-row slot with the same recording and prepares it.
inline void buildSlot(VoiceSlot& slot, float baseFrequency, std::initializer_list<Partial> partials, float duration,
                      float fall = 0.01f) {
  slot.reset();
  slot.rowCount = 1;
  slot.layerCount = 2;
  for (int layer = 0; layer < VoiceSlot::kLayers; ++layer)
    buildRecording(slot.harmonics[0][layer], baseFrequency, partials, duration, 0.01f, fall);
  slot.prepare();
}

// A noise part that holds one spectrum entry at 'magnitude' from 0.01 s to 'duration'.
inline void buildNoise(NoiseSet& set, int entry, float magnitude, float duration) {
  set.reset();
  const float times[3] = {0.0f, 0.01f, duration};
  for (float t : times) {
    NoiseFrame* frame = set.appendFrame(t);
    if (!frame) return;
    if (t > 0.0f) frame->bins[entry] = magnitude;
    frame->silent = !(t > 0.0f && magnitude > 0.0f);
  }
}

// Amplitude of the sinusoid at frequency f in x (a rectangular-window DFT at
// exactly f, scaled so that a steady sine of amplitude a over whole periods gives a).
inline double amplitudeAt(const float* x, int n, double f, double sampleRate) {
  const double w = 2.0 * M_PI * f / sampleRate;
  const double stepRe = std::cos(w), stepIm = -std::sin(w);
  double re = 0.0, im = 0.0;
  double rotRe = 1.0, rotIm = 0.0;  // e^{-i w k}, advanced by one complex multiplication per sample
  for (int i = 0; i < n; ++i) {
    re += x[i] * rotRe;
    im += x[i] * rotIm;
    const double nextRe = rotRe * stepRe - rotIm * stepIm;
    rotIm = rotRe * stepIm + rotIm * stepRe;
    rotRe = nextRe;
    if ((i & 1023) == 1023) {  // keep the rotation on the unit circle
      const double r = std::sqrt(rotRe * rotRe + rotIm * rotIm);
      rotRe /= r;
      rotIm /= r;
    }
  }
  return 2.0 * std::sqrt(re * re + im * im) / n;
}

// The frequency, in steps of 'step' Hz between lo and hi, where x has the most energy.
inline double spectralPeak(const std::vector<float>& x, double sampleRate, double lo, double hi, double step) {
  double best = lo, bestAmplitude = -1.0;
  for (double f = lo; f <= hi; f += step) {
    const double a = amplitudeAt(x.data(), static_cast<int>(x.size()), f, sampleRate);
    if (a > bestAmplitude) {
      bestAmplitude = a;
      best = f;
    }
  }
  return best;
}

inline double rms(const float* x, int n) {
  double sum = 0.0;
  for (int i = 0; i < n; ++i) sum += static_cast<double>(x[i]) * x[i];
  return n > 0 ? std::sqrt(sum / n) : 0.0;
}

}  // namespace vt::test
