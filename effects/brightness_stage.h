// The tone stage ahead of the effect chain: below the neutral value 0.5 it
// cross-fades the voice sum into a 2 kHz low-pass (darker), above it adds up
// to twice the signal high-passed at 900 Hz (brighter). Exactly 0.5 bypasses
// it. Once the stage runs, a changed brightness glides to its new value, with
// both filters running during the glide so that crossing 0.5 is seamless.
#pragma once

#include "effects/biquad.h"
#include "effects/smoothed_value.h"

namespace vt {

class BrightnessStage {
public:
  static constexpr float kNeutral = 0.5f;

  // Stores the rate (unsupported rates leave the stage idle) and redesigns the
  // filters, so a rate change never leaves them stale.
  void setSampleRate(float rate);
  // Stores the value; the stage glides to it.
  void setBrightness(float value);
  // Clears the filter memories; the brightness takes its value at once.
  void reset();

  bool isBypassed() const { return sampleRate <= 0.0f || (!level.ramping() && level.current() == kNeutral); }
  // Mono, in place; does nothing while bypassed.
  void process(float* samples, int count);

  float sampleRate = 0.0f;
  float brightness = kNeutral;  // the value set
  Biquad darkFilter;            // 2 kHz low-pass
  Biquad brightFilter;          // 900 Hz high-pass

private:
  void design();
  void processSteady(float* samples, int count, float u);
  void processGliding(float* samples, int count);

  SmoothedValue level{kNeutral};
  bool running = false;     // processed since the last reset
  bool darkLive = false;    // the low-pass ran in the last block
  bool brightLive = false;  // the high-pass ran in the last block
};

}  // namespace vt
