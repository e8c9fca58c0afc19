// The twenty note-fraction steps that the delay times, the LFO rate and their
// read-outs share: a knob value picks step n = 1 + int(20 x (1 - value)),
// limited to 1..20, computed in float so that every user of the mapping lands
// on the same step for the same stored value. Steps 1..16 are that many
// sixteenth notes, steps 17..20 are 2, 3, 4 and 5 whole notes (32, 48, 64
// and 80 sixteenths).
#pragma once

#include "effects/effect_limits.h"

namespace vt {

constexpr int kNoteFractionSteps = 20;
constexpr int kLastSixteenthStep = 16;  // steps up to here count single sixteenths
constexpr int kWholeNoteStepOffset = 15;
constexpr int kSixteenthsPerWholeNote = 16;

// 1 (value 1, the shortest) .. 20 (value 0, the longest); NaN gives 20.
inline int noteFractionStep(float value) {
  const int n = 1 + static_cast<int>(static_cast<float>(kNoteFractionSteps) * (1.0f - limitToUnit(value)));
  return n > kNoteFractionSteps ? kNoteFractionSteps : n;
}

// Length of a step (1..20) in sixteenth notes.
inline int noteFractionSixteenths(int step) {
  return step <= kLastSixteenthStep ? step : (step - kWholeNoteStepOffset) * kSixteenthsPerWholeNote;
}

}  // namespace vt
