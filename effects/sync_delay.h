// The tempo-synchronised stereo echo: each channel repeats after a whole
// number of sixteenth notes at the host tempo, with feedback. A length beyond
// 24 seconds (the longest step below 50 BPM) is limited to 24 seconds, and an
// unknown tempo (0) counts as 120 BPM. Once the delay runs, changed mix and
// feedback settings glide to their new values.
//
// Each line is a ring written at one position and read a length behind it.
// A new tempo or sync step never clears what was written: the read moves to
// the new length by cross-fading from the old read position to the new one
// over kLengthFadeSeconds, so the echoes keep playing at the new timing
// without a click. Clearing (reset) costs nothing, whatever the line length:
// each line remembers how much has been written since it was cleared, and
// everything further back reads as silence.
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
  static constexpr float kLengthFadeSeconds = 0.02f;
  // Lines on demand are sized for the current steps at any tempo down to
  // this one, so that tempo changes a host plays need no new lines.
  static constexpr float kSlowestPlannedTempo = 50.0f;

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
  // rate, the lines are only as long as the current sync steps need at the
  // current rate and any tempo down to kSlowestPlannedTempo. A longer need
  // found while processing (a longer step, a slower tempo) is asked for (the
  // lines cannot be allocated on the audio thread); until longer lines
  // arrive the echo is limited to the lines there are. Longer lines take
  // over the history of the shorter ones: the older part is read from the
  // old lines until the new ones reach back as far. With no lines at all the
  // unit passes the dry part of the signal as an empty line would.
  void setLinesOnDemand(bool onDemand) { linesOnDemand = onDemand; }
  // Not on the audio thread, while nothing processes: makes the lines long
  // enough for the current settings now, keeping what they hold.
  void prepareLines();
  // Any thread but the audio thread, while processing goes on: frees lines
  // the audio thread has given back and allocates the lines it asked for.
  void serviceLines();
  // Samples of line the current settings need (each channel).
  int neededCapacity() const;
  // Clears both lines and restarts them, in constant time.
  void reset();

  void setMix(float value);       // wet 0..0.5
  void setFeedback(float value);  // 0..0.8
  void setSyncLeft(float value);  // the knob value; the read glides to the new length
  void setSyncRight(float value);
  // The host tempo in BPM (0 when unknown); the read glides to the new lengths.
  void setTempo(float beatsPerMinute);

  // The delay in sixteenth notes for a knob value: 1..16, then 32, 48, 64, 80.
  static float sixteenthsForValue(float value);
  // The delay in samples for a length in sixteenths at the current rate and
  // tempo, at least 1 and at most the 24-second line (or the line there is).
  int lengthFor(float sixteenths) const;
  int maxLength() const;
  // The lengths each channel reads at now (the new one once a cross-fade ends).
  int readLengthLeft() const { return left.length; }
  int readLengthRight() const { return right.length; }

  // Both blocks in place; does nothing while inactive.
  void process(float* leftSamples, float* rightSamples, int count);

  // True while either line may still hold a sample above kTailThreshold in
  // magnitude for a later pass to play: one was written less than a read
  // length ago.
  bool holdsTail() const { return left.holdsTail() || right.holdsTail(); }
  static constexpr float kTailThreshold = 0.00003f;

  float sampleRate = 0.0f;
  float mix = 0.5f;
  float feedback = 0.5f;
  float syncLeft = 16.0f;
  float syncRight = 8.0f;
  float tempo = kDefaultTempo;
  float* bufferLeft = nullptr;
  float* bufferRight = nullptr;
  int bufferCapacity = 0;

private:
  struct Lines {
    float* left = nullptr;
    float* right = nullptr;
    int capacity = 0;
  };
  // The read side of one channel: its length and the cross-fade to a new one.
  struct Reader {
    int length = 1;
    int fadeFrom = 1;  // the length faded away from while fadeDone < fadeLength
    int fadeDone = 0;
    int quiet = kQuietForever;  // samples written since the last one above kTailThreshold (saturating)
    bool fading(int fadeLength) const { return fadeDone < fadeLength; }
    bool holdsTail() const { return quiet < (length > fadeFrom ? length : fadeFrom); }
  };
  static Lines* allocateLines(int capacity);
  static void freeLines(Lines* lines);

  // The sample written 'back' samples before the current position (1 = the
  // last one) of the channel's current or previous line, 0 when not written.
  float readBack(const float* line, const float* previousLine, int back, int at, int held, int switched) const;
  void processChannel(float* samples, int count, float* line, const float* previousLine, Reader& reader, int target);
  void freeLines();
  // Audio thread: takes lines delivered by serviceLines; gives back old ones.
  void adoptDeliveredLines();
  void retirePreviousLines();
  int samplesFor(float sixteenths, float beatsPerMinute) const;

  bool linesOnDemand = false;
  std::mutex linesLock;  // prepareLines and serviceLines (never the audio thread)
  int largestDelivered = 0;
  std::atomic<int> requestedCapacity{0};
  std::atomic<Lines*> delivered{nullptr};
  std::atomic<Lines*> retired{nullptr};

  // Both lines are written at 'position'; 'written' samples have been
  // written since the last clear (saturating at the capacity) and anything
  // further back reads as zero.
  int position = 0;
  int written = 0;
  // Shorter lines replaced while processing, still read for the part of the
  // history the new lines do not hold yet: 'sinceSwitch' samples have been
  // written to the new lines since, and 'previousPosition' was the write
  // position in the old ones.
  Lines* previous = nullptr;
  int previousPosition = 0;
  int sinceSwitch = 0;

  Reader left;
  Reader right;
  int fadeLength = 1;
  // Samples left of the rise of the lines' input after lines arrived for a
  // running unit that had none: the first echo then starts without a step.
  int inputRise = 0;

  SmoothedValue mixGlide{0.5f};
  SmoothedValue feedbackGlide{0.5f};
  bool running = false;  // processed since the last reset
  static constexpr int kQuietForever = 1 << 30;
};

}  // namespace vt
