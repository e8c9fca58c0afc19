// The phrase the render host plays when no MIDI file is given: five bars of
// chords under a melody, with a modulation-wheel swell, a filter controller
// sweep and pitch-bend scoops and vibrato, on MIDI channel 1.
#pragma once

#include "tools/render/midi_sequence.h"

namespace vt::render {

// Built at 120 beats per minute (the tempo map may play it at another tempo).
MidiSequence demoPhrase();

}  // namespace vt::render
