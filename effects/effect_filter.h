// The resonant filter effect: a high-pass, a band-pass with a peaking boost,
// or a 24 dB/octave low-pass cascade, with a cutoff that follows an envelope
// of the input and a soft saturation whose ceiling rises with the resonance.
// Once the filter runs, a changed cutoff, resonance or envelope amount glides
// to its new value (redesigning every 33 samples) and a changed mode
// cross-fades from the old mode's output to the new one's, so settings can
// move while sound passes without clicks.
#pragma once

#include "effects/biquad.h"
#include "effects/smoothed_value.h"

namespace vt {

class EffectFilter {
public:
  static constexpr int kMaxSections = 4;
  static constexpr int kHighPass = 0;
  static constexpr int kBandPass = 1;
  static constexpr int kLowPass24 = 2;

  EffectFilter();

  // Stores the rate (0 or an unsupported rate leaves the filter idle) and resets.
  void setSampleRate(float rate);
  // Clears the memories and the envelope and designs anew.
  void reset();
  // Recomputes the coefficients from the stored settings and the envelope.
  void design();

  // Settings as normalised values 0..1; each one redesigns. The fields below
  // hold the values set; the design follows them as described above.
  void setMode(float value);  // below 1/6 high-pass, below 1/2 band-pass, otherwise low-pass
  void setEnvAmount(float value);
  void setCutoff(float value);
  void setResonance(float value);

  // Mono, in place; leaves the samples unchanged while no sample rate is set.
  void process(float* samples, int count);

  // The cutoff frequency in Hz for the settings now in effect and the envelope level.
  float cutoffFrequency() const;
  // Resonance figure 1..7: the Q or bandwidth of the sections and the saturation ceiling.
  float resonanceFigure() const { return resonanceGlide.current() * 6.0f + 1.0f; }
  // True while a setting glides or the mode cross-fades.
  bool changing() const {
    return cutoffGlide.ramping() || resonanceGlide.ramping() || envGlide.ramping() || fadeRemaining > 0;
  }

  float sampleRate = 0.0f;
  int mode = kLowPass24;
  float envAmount = 0.0f;
  float cutoff = 0.0f;
  float resonance = 0.0f;
  float envelope = 0.0f;
  int samplesSinceDesign = 0;
  float gain = 1.0f;
  int sectionCount = 0;
  float sectionCoefs[kMaxSections][4] = {};    // beta1, beta2, alpha1, alpha2
  float sectionHistory[kMaxSections][2] = {};  // h1, h2
  Biquad biquadA;                              // band-pass (mode 1)
  Biquad biquadB;                              // peaking boost (mode 1)
  Biquad highPass;                             // mode 0

private:
  void designMode(int m, double fc, double r);
  void designLowPassCascade(double fc, double r);
  void clearModeState(int m);
  float runMode(int m, float x);
  void flushMemories();
  // Makes the settings take effect at once while the filter has not run since its reset.
  void settleIfIdle();

  SmoothedValue cutoffGlide;
  SmoothedValue resonanceGlide;
  SmoothedValue envGlide;
  bool running = false;  // processed since the last reset
  int previousMode = kLowPass24;
  int fadeRemaining = 0;  // samples left of a mode cross-fade
  int fadeLength = 1;
};

}  // namespace vt
