// The first unit of the chain, on the mono voice sum: soft-knee distortion,
// tube saturation, a compressor with instant attack and quarter-second
// recovery, and a bass boost. Each stage is skipped while its amount is 0.
// Once the unit runs, a changed amount glides to its new value.
#pragma once

#include "effects/biquad.h"
#include "effects/smoothed_value.h"

namespace vt {

class DistortionUnit {
public:
  static constexpr float kMaxCompress = 0.99f;  // keeps the make-up gain at most 100

  // Stores the rate (unsupported rates leave the unit idle) and designs the bass filters.
  void setSampleRate(float rate);
  // Clears the bass filters' memories; the compressor keeps its gain. The
  // amounts take their values at once.
  void reset();

  void setDistortion(float value);
  void setTube(float value);
  void setCompress(float value);
  void setBassAmount(float value);

  // Mono, in place; leaves the samples unchanged while no sample rate is set.
  void process(float* samples, int count);

  float distortion = 0.0f;
  float tube = 0.0f;
  float compress = 0.0f;
  float bassAmount = 0.0f;
  float compGain = 1.0f;
  float compRecovery = 0.0f;
  float sampleRate = 0.0f;
  Biquad bassPeak;
  Biquad bassHighPass;

private:
  void applyDistortion(float* samples, int count) const;
  void applyTube(float* samples, int count) const;
  void applyCompressor(float* samples, int count);
  void applyBassBoost(float* samples, int count);
  // Every stage sample by sample while an amount glides.
  void processGliding(float* samples, int count);
  void settleIfIdle();

  SmoothedValue distortionGlide;
  SmoothedValue tubeGlide;
  SmoothedValue compressGlide{1.0f};  // the make-up gain 1 / (1 - compress)
  SmoothedValue bassGlide;
  bool running = false;
};

}  // namespace vt
