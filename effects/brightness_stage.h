// The tone stage ahead of the effect chain: below the neutral value 0.5 it
// cross-fades the voice sum into a 2 kHz low-pass (darker), above it adds up
// to twice the signal high-passed at 900 Hz (brighter). Exactly 0.5 bypasses it.
#pragma once

#include "effects/biquad.h"

namespace vt {

class BrightnessStage {
public:
  static constexpr float kNeutral = 0.5f;

  // Stores the rate (unsupported rates leave the stage idle) and redesigns the
  // biquad for the current brightness, so a rate change never leaves it stale.
  void setSampleRate(float rate);
  // Stores the value and redesigns the biquad.
  void setBrightness(float value);
  void reset() { biquad.resetState(); }

  bool isBypassed() const { return brightness == kNeutral || sampleRate <= 0.0f; }
  // Mono, in place; does nothing while bypassed.
  void process(float* samples, int count);

  float sampleRate = 0.0f;
  float brightness = kNeutral;
  Biquad biquad;

private:
  void design();
};

}  // namespace vt
