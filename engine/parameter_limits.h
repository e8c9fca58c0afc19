// The legal range of every parameter value. Whatever writes the parameter
// array (host automation, the host chunk, instrument files, MIDI controllers,
// the editor) hands its value through here first, so the engine never holds a
// value that could poison the sound: host parameters stay within 0..1, the
// modulation slots' source and target numbers within their lists, and the
// editor's internal values finite.
#pragma once

namespace vt {

// Source numbers 0-127 (the modulation source list) and target numbers 0-53
// (the modulation target table) are held as plain numbers, not 0..1.
constexpr float kHighestModulationSource = 127.0f;
constexpr float kHighestModulationTarget = 53.0f;

// The value as the array may hold it: limited to the parameter's range. False
// (and 'limited' untouched) for an index outside 0-244 or a value that is not
// finite, which leaves the parameter unchanged.
bool limitParameterValue(int index, float value, float* limited);

// For loads, which must give every parameter a value: a non-finite value
// takes the parameter's construction default; any other is limited as above.
float loadedParameterValue(int index, float value);

}  // namespace vt
