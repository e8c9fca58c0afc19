// The slot LFO: one tempo-synchronised rate and one shape per slot, shared by
// vibrato (pitch) and tremolo (gain). Its phase runs on a note's envelope
// clock, so every note starts the LFO at phase 0.
#pragma once

namespace vt {

class VoiceSlot;

enum class LfoTarget { vibrato, tremolo };

enum LfoShapeIndex { kLfoSine = 0, kLfoSaw = 1, kLfoSquare = 2 };

// Tempo assumed while the host reports none.
constexpr float kDefaultTempo = 120.0f;

// Beats per minute to use for tempo-synchronised timing: the host's tempo, or
// 120 when it is unknown (0, negative or not a number).
float effectiveTempo(float hostTempo);

// LFO period in seconds: a sixteenth of a beat times k, where k runs through
// 1..16, 32, 48, 64, 80 as the rate parameter falls from 1 to 0.
float lfoPeriod(float rateParameter, float hostTempo);

// Sets the slot's vibrato and tremolo fields from the five LFO parameters.
void applyLfoSettings(VoiceSlot& slot, float rateParameter, float vibrato, float tremolo, float onSwitch, float shape,
                      float hostTempo);

// The LFO's value at time t (seconds since note-on): depth x waveform, 0 when off.
// Sine from the shared sine table, saw falling from +depth to -depth, square
// -depth in the first half of the period and +depth in the second.
float lfoValue(const VoiceSlot& slot, float t, LfoTarget target);

}  // namespace vt
