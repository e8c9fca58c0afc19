// The noise part of one recording: up to 64 NoiseFrames at increasing times.
#pragma once

#include "engine/noise_frame.h"

namespace vt {

class NoiseSet {
public:
  static constexpr int kMaxFrames = 64;
  static constexpr float kFadeInTime = 0.01f;  // seconds, as for the harmonic part

  NoiseSet();
  ~NoiseSet();

  NoiseSet(const NoiseSet&) = delete;
  NoiseSet& operator=(const NoiseSet&) = delete;

  // Frames available: 64, or 0 when the frame array could not be allocated.
  int capacity() const { return frames ? kMaxFrames : 0; }
  bool valid() const;

  void reset();  // no frames

  // Appends a frame at 'time' and returns it (reset), or null when full.
  NoiseFrame* appendFrame(float time);

  // -1 without frames or for t <= times[0]; count - 1 for t past the last
  // frame; else the i with times[i] < t <= times[i + 1].
  int frameBefore(float t) const;

  // The two frames around t and the fraction between them. t equal to the
  // first time gives (0, 0, 0); before it (-1, -1, 0); past the last frame
  // (count - 1, -1, 0). j is -1 exactly when t lies outside the frames.
  void bracket(float t, int& i, int& j, float& fraction) const;

  // A set whose first frame is not silent gets a silent frame at time 0 (the
  // frames move 0.01 s later first when the first one is earlier than that).
  void prepare();

  void copyFrom(const NoiseSet& other);
  void setSampleRate(float rate);

  NoiseFrame* frames = nullptr;  // kMaxFrames, one array
  float times[kMaxFrames] = {};  // seconds, increasing
  int count = 0;
};

}  // namespace vt
