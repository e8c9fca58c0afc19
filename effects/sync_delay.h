// The tempo-synchronised stereo echo: each channel repeats after a whole
// number of sixteenth notes at the host tempo, with feedback. Both lines hold
// 24 seconds at the sample rate the host sets and are allocated when it sets
// it (hosts change the rate only while the plug-in is suspended); a length
// beyond 24 seconds (the longest step below 50 BPM) is limited to 24 seconds,
// and an unknown tempo (0) counts as 120 BPM. Once the delay runs, changed mix
// and feedback settings glide to their new values; a repeated sync value
// leaves the lines alone.
//
// Clearing costs nothing, whatever the line length: each line remembers how
// far it has been written since it was cleared, and everything beyond reads
// as silence. So a tempo change or a switch write never stalls the audio thread.
#pragma once

#include <atomic>
#include <mutex>

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

  // Allocates the lines for the rate (a rate outside 8-192 kHz leaves the
  // unit inactive, as does a failed allocation). Not while processing. With
  // lines on demand it only frees them: see below.
  void setSampleRate(float rate);

  // Lines on demand (the engine's delay): instead of 24 seconds at every
  // rate, the lines are only as long as the current sync steps, tempo and
  // rate need. A longer need found while processing is asked for (the lines
  // cannot be allocated on the audio thread); until longer lines arrive the
  // echo is limited to the lines there are, and with none at all the unit
  // passes the dry part of the signal as an empty line would.
  void setLinesOnDemand(bool onDemand) { linesOnDemand = onDemand; }
  // Not on the audio thread, while nothing processes: makes the lines long
  // enough for the current settings now.
  void prepareLines();
  // Any thread but the audio thread, while processing goes on: frees lines
  // the audio thread has given back and allocates the lines it asked for.
  void serviceLines();
  // Samples of line the current settings need (each channel).
  int neededCapacity() const;
  // Clears both lines and restarts them at position 0, in constant time.
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
  struct Lines {
    float* left = nullptr;
    float* right = nullptr;
    int capacity = 0;
  };
  static Lines* allocateLines(int capacity);
  static void freeLines(Lines* lines);

  void processChannel(float* samples, int count, float* line, int& pos, int& written, int& quiet, int length) const;
  void freeLines();
  // Audio thread: takes lines delivered by serviceLines.
  void adoptDeliveredLines();
  int samplesFor(float sixteenths) const;

  bool linesOnDemand = false;
  std::mutex linesLock;  // prepareLines and serviceLines (never the audio thread)
  int largestDelivered = 0;
  std::atomic<int> requestedCapacity{0};
  std::atomic<Lines*> delivered{nullptr};
  std::atomic<Lines*> retired{nullptr};

  // Entries at and beyond these counts have not been written since the last
  // clear and read as zero.
  int writtenLeft = 0;
  int writtenRight = 0;

  SmoothedValue mixGlide{0.5f};
  SmoothedValue feedbackGlide{0.5f};
  bool running = false;  // processed since the last reset
  // Samples written since the last one above kTailThreshold, per line (saturating).
  static constexpr int kQuietForever = 1 << 30;
  int quietLeft = kQuietForever;
  int quietRight = kQuietForever;
  int lengthLeft = 1;
  int lengthRight = 1;
};

}  // namespace vt
