// The chorus: turns the mono signal into a stereo pair by reading a short
// delay line at two taps modulated by one sine a quarter cycle apart, one tap
// per channel. Buffers are sized at construction for the highest sample rate.
// Once the chorus runs, changed delay, depth and mix settings glide to their
// new values: the taps slide along the line instead of the line being
// cleared, so turning the knobs never interrupts the sound.
#pragma once

#include "effects/smoothed_value.h"

namespace vt {

class ChorusUnit {
public:
  static constexpr int kSineSteps = 200;           // steps per sine period
  static constexpr float kBufferSeconds = 0.035f;  // longest delay plus depth
  static constexpr float kMaxDelaySeconds = 0.03f;
  static constexpr float kMaxDepthSeconds = 0.005f;
  static constexpr float kMaxRateHz = 3.0f;

  ChorusUnit();
  ~ChorusUnit();
  ChorusUnit(const ChorusUnit&) = delete;
  ChorusUnit& operator=(const ChorusUnit&) = delete;

  // Ready to process: a supported sample rate is set and the line exists.
  bool isActive() const { return sampleRate > 0.0f && buffer != nullptr; }

  void setSampleRate(float rate);
  // Clears the line and restarts the modulation; the settings take effect at once.
  void reset();

  // Settings as normalised values 0..1.
  void setDelay(float value);  // 0..30 ms
  void setDepth(float value);  // 0..5 ms
  void setRate(float value);   // 0..3 Hz
  void setMix(float value);    // wet 0..0.5

  // Reads the left block only and writes both; does nothing while inactive.
  void process(float* left, float* right, int count);

  float delay = 0.0012f;
  float depth = 0.0043f;
  float rate = 2.0f;
  float mix = 0.5f;
  // The line the settings ask for: its length in samples (depth + delay) and
  // the read reference (depth) within it. A tap reads lineLength - readBase - 1
  // samples back plus its modulation offset (0..depth).
  int lineLength = 1;
  int readBase = 0;
  int writePos = 0;  // next write index in the whole buffer
  float sampleRate = 0.0f;
  float phase = 0.0f;
  float* buffer = nullptr;
  int bufferCapacity = 0;
  float sine[kSineSteps + 1];  // one period plus a guard entry for interpolation

private:
  // Recomputes lineLength and readBase and the glide targets from the settings.
  void updateLine();
  float readTap(float position, float depthSamples, int baseAge, float baseFraction) const;

  SmoothedValue baseGlide;   // samples back to the unmodulated tap
  SmoothedValue depthGlide;  // modulation depth in samples
  SmoothedValue mixGlide;
  bool running = false;  // processed since the last reset
};

}  // namespace vt
