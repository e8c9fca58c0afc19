// The content of a voice slot is what a voice file holds and what preparing it
// derives: name, harmonic and noise sets, loop settings, multisample and layer
// counts, maximum frequency, markers and interpolation tables. Everything else
// in a slot (envelope template, LFO, detune, gains, portamento, stretch,
// release) is set by the engine's parameters and stays with the slot.
#pragma once

#include "engine/voice_slot.h"

namespace vt {

// Exchanges the content of two slots without copying the large arrays; the
// sample rates stay with each slot's sets. Used by the engine to adopt a slot
// prepared beside the live one, between two render blocks.
void swapVoiceSlotContent(VoiceSlot& a, VoiceSlot& b);

// Copies the content of 'from' into 'to' point by point (no lookup state is
// read, so 'from' may be a live slot that the audio thread reads meanwhile).
// The markers and interpolation tables are not copied: run prepare() after.
void copyVoiceSlotContent(VoiceSlot& to, const VoiceSlot& from);

}  // namespace vt
