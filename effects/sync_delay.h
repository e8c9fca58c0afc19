// The tempo-synchronised stereo echo: each channel repeats after a whole
// number of sixteenth notes at the host tempo, with feedback. Both lines hold
// 24 seconds at the highest supported sample rate and are allocated at
// construction; a length beyond 24 seconds (the longest step below 50 BPM) is
// limited to 24 seconds, and an unknown tempo (0) counts as 120 BPM. Once the
// delay runs, changed mix and feedback settings glide to their new values; a
// repeated sync value leaves the lines alone.
#pragma once

#include "effects/smoothed_value.h"

namespace vt {

class SyncDelay {
public:
  static constexpr float kBufferSeconds = 24.0f;
  static constexpr float kDefaultTempo = 120.0f;  // also used while the host tempo is unknown
  static constexpr int kSyncSteps = 20;
  static constexpr float kMaxFeedback = 0.8f;

  SyncDelay();
  ~SyncDelay();
  SyncDelay(const SyncDelay&) = delete;
  SyncDelay& operator=(const SyncDelay&) = delete;

  // Ready to process: a supported sample rate is set and both lines exist.
  bool isActive() const { return sampleRate > 0.0f && bufferLeft != nullptr && bufferRight != nullptr; }

  void setSampleRate(float rate);
  // Clears both lines and restarts them at position 0.
  void reset();

  void setMix(float value);       // wet 0..0.5
  void setFeedback(float value);  // 0..0.8
  void setSyncLeft(float value);  // the knob value; a different step resets
  void setSyncRight(float value);
  // The host tempo in BPM (0 when unknown); a different tempo clears the lines.
  void setTempo(float beatsPerMinute);

  // The delay in sixteenth notes for a knob value: 1..16, then 32, 48, 64, 80.
  static float sixteenthsForValue(float value);
  // The delay in samples for a length in sixteenths at the current rate and
  // tempo, at least 1 and at most the 24-second line.
  int lengthFor(float sixteenths) const;
  int maxLength() const;

  // Both blocks in place; does nothing while inactive.
  void process(float* left, float* right, int count);

  // True while either line may still hold a sample above kTailThreshold in
  // magnitude for a later pass to play: one was written less than a line
  // length ago.
  bool holdsTail() const { return quietLeft < lengthLeft || quietRight < lengthRight; }
  static constexpr float kTailThreshold = 0.00003f;

  float sampleRate = 0.0f;
  float mix = 0.5f;
  float feedback = 0.5f;
  float syncLeft = 16.0f;
  float syncRight = 8.0f;
  float tempo = kDefaultTempo;
  float* bufferLeft = nullptr;
  float* bufferRight = nullptr;
  int posLeft = 0;
  int posRight = 0;
  int bufferCapacity = 0;

private:
  void processChannel(float* samples, int count, float* line, int& pos, int& used, int& quiet, int length) const;

  // Entries at and beyond these counts are known to be zero, so clearing a
  // line only touches the part that has been used since it was last cleared.
  int usedLeft = 0;
  int usedRight = 0;
  // Samples written since the last one above kTailThreshold, per line (saturating).
  SmoothedValue mixGlide{0.5f};
  SmoothedValue feedbackGlide{0.5f};
  bool running = false;  // processed since the last reset
  int quietLeft = kQuietForever;
  int quietRight = kQuietForever;
  int lengthLeft = 1;
  int lengthRight = 1;
  static constexpr int kQuietForever = 1 << 30;
};

}  // namespace vt
