// The modulation slots' target numbers and the parameters they drive.
#pragma once

namespace vt {

constexpr int kModulationTargets = 54;  // 0 (none) to 53
// Controller sources start here in the source list: source 8 + c is MIDI controller c.
constexpr int kFirstControllerSource = 8;
// Only the first eight modulation slots respond to MIDI controllers.
constexpr int kControllerModulationSlots = 8;

// The parameter index of a modulation target number, or -1 for none / out of range.
int modulationTargetParameter(int target);

}  // namespace vt
