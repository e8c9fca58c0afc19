// The level at which a switched effect unit is heard: a unit switched on
// fades in from its input, a unit switched off fades out to its input, over
// kSeconds, so that a switch never steps the signal. While the fade runs the
// unit keeps processing; once faded out it is idle.
#pragma once

#include "effects/smoothed_value.h"

namespace vt {

class UnitFade {
public:
  static constexpr float kSeconds = 0.015f;

  void setSampleRate(float rate) { level.setRampTime(rate, kSeconds); }

  // Switches the unit; 'atOnce' skips the fade (nothing is playing yet).
  // True when the unit was idle and must start from a clean state.
  bool switchTo(bool on, bool atOnce) {
    const bool wasIdle = idle();
    switchedOn = on;
    level.setTarget(on ? 1.0f : 0.0f);
    if (atOnce) level.snap();
    return on && wasIdle;
  }
  // The fade ends at once (a reset of the whole chain).
  void settle() { level.snap(); }

  bool on() const { return switchedOn; }
  bool fading() const { return level.ramping(); }
  // Neither on nor fading out: the unit need not run.
  bool idle() const { return !switchedOn && !level.ramping(); }
  // The weight of the unit's output for the next sample (input: 1 - weight).
  float next() { return level.next(); }

private:
  SmoothedValue level{0.0f};
  bool switchedOn = false;
};

}  // namespace vt
