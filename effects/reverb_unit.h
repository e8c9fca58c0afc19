// The reverb: the sum of both channels feeds eight parallel damped comb
// filters, whose sum runs through a chain of four all-pass filters per output
// channel (the right chain slightly longer for stereo spread). Buffers are
// sized at construction for the highest sample rate; a rate change only
// rescales the lengths and clears the lines, the mix, size and decay settings
// stay as they were last written. Once the reverb runs, a changed mix (and the
// right channel's wet scale that follows the size) glides to its new value.
#pragma once

#include "effects/smoothed_value.h"

namespace vt {

class ReverbUnit {
public:
  static constexpr int kCombCount = 8;
  static constexpr int kAllPassCount = 4;  // per channel
  static constexpr float kInputGain = 0.015f;
  static constexpr float kAllPassFeedback = 0.5f;
  // Lengths in samples at 44100 Hz, scaled to the sample rate.
  static constexpr int kCombLengths[kCombCount] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  static constexpr int kAllPassLengthsLeft[kAllPassCount] = {556, 441, 341, 225};
  static constexpr int kStereoSpread = 23;  // right all-pass lengths are the left ones plus this

  struct Comb {
    float feedback = 0.0f;
    float filterStore = 0.0f;
    float damp1 = 0.0f;
    float damp2 = 0.0f;
    float* buffer = nullptr;
    int size = 0;
    int index = 0;
    int capacity = 0;

    float step(float x) {
      const float out = buffer[index];
      filterStore = out * damp2 + filterStore * damp1;
      buffer[index] = x + filterStore * feedback;
      if (++index >= size) index = 0;
      return out;
    }
  };

  struct AllPass {
    float feedback = kAllPassFeedback;
    float* buffer = nullptr;
    int size = 0;
    int index = 0;
    int capacity = 0;

    float step(float x) {
      const float b = buffer[index];
      buffer[index] = x + b * feedback;
      if (++index >= size) index = 0;
      return b - x;
    }
  };

  ReverbUnit();
  ~ReverbUnit();
  ReverbUnit(const ReverbUnit&) = delete;
  ReverbUnit& operator=(const ReverbUnit&) = delete;

  bool isActive() const { return sampleRate > 0.0f && storage != nullptr; }

  // Rescales every length to the rate and clears the lines; keeps the settings.
  void setSampleRate(float rate);
  // Zeroes every line and damping memory; the indices stay.
  void reset();

  void setMix(float value);    // wet = v * 0.75, dry = 1 - v * 0.5
  void setSize(float value);   // comb feedback 0.7..0.98, right wet scale
  void setDecay(float value);  // comb damping 0.4..0

  // A 44100 Hz length scaled to the rate.
  static int scaledLength(int length, float rate);

  // Both blocks in place; does nothing while inactive.
  void process(float* left, float* right, int count);

  // True while a line or damping memory holds a value above kTailThreshold in
  // magnitude (a scan of every line: meant for the moments a caller is about
  // to stop running the unit, not for every block).
  bool holdsTail() const;
  static constexpr float kTailThreshold = 0.00003f;

  float inputGain = kInputGain;
  float roomSize = 0.84f;
  float damp = 0.2f;
  float wet = 1.0f;
  float dry = 0.0f;
  float rightWetScale = 1.0f;
  float sampleRate = 0.0f;
  Comb combs[kCombCount];
  AllPass allPassLeft[kAllPassCount];
  AllPass allPassRight[kAllPassCount];

private:
  void updateCombs();
  void settleIfIdle();

  SmoothedValue wetGlide{1.0f};
  SmoothedValue dryGlide{0.0f};
  SmoothedValue rightScaleGlide{1.0f};
  bool running = false;  // processed since the last reset
  void cleanDenormals();

  float* storage = nullptr;  // one block holding every line at its largest size
};

}  // namespace vt
