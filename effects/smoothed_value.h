// A control value that glides to each new target along a straight line over a
// fixed time instead of jumping, so that a changed setting never steps the
// signal it scales or filters. The writer sets the target; the audio thread
// reads the value sample by sample (next) or block by block (advance).
// Setting the target it already has changes nothing.
#pragma once

namespace vt {

class SmoothedValue {
public:
  static constexpr float kDefaultSeconds = 0.015f;

  explicit SmoothedValue(float initial = 0.0f) : goal(initial), value(initial) {}

  // Length of a glide in samples for 'seconds' at 'sampleRate' (at least 1).
  void setRampTime(float sampleRate, float seconds = kDefaultSeconds) {
    const float samples = sampleRate * seconds;
    rampLength = samples >= 1.0f ? static_cast<int>(samples) : 1;
  }

  void setTarget(float target) {
    if (target == goal) return;
    goal = target;
    step = (goal - value) / static_cast<float>(rampLength);
    remaining = rampLength;
  }
  // The value takes the target at once.
  void snap() {
    value = goal;
    remaining = 0;
  }
  void jumpTo(float target) {
    goal = target;
    snap();
  }

  float target() const { return goal; }
  float current() const { return value; }
  bool ramping() const { return remaining > 0; }

  // One sample further; returns the new value.
  float next() {
    if (remaining > 0) {
      if (--remaining == 0)
        value = goal;
      else
        value += step;
    }
    return value;
  }
  // n samples further.
  void advance(int n) {
    if (remaining <= 0 || n <= 0) return;
    if (n >= remaining) {
      snap();
      return;
    }
    value += step * static_cast<float>(n);
    remaining -= n;
  }

private:
  float goal;
  float value;
  float step = 0.0f;
  int remaining = 0;
  int rampLength = 1;
};

}  // namespace vt
