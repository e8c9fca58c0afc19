// One block of one sounding voice: the clocks, the sound loop while the key is
// held, envelope and LFO, and the oscillator and noise calls. A single-slot
// voice plays its own sets at their recorded speed; a morph leader aligns the
// four slots by their sync markers, time-warps each slot onto the morphed
// markers and renders the blended harmonics and noise; a follower renders
// nothing itself.
#pragma once

#include "engine/morph_positions.h"

namespace vt {

class BreakpointCurve;
class NoiseGenerator;
class SynthVoice;

// Adds n samples (1..256) of 'voice' to 'out'. formantCurve and formantTable are
// given while the formant filter is on, null otherwise.
void renderVoice(SynthVoice& voice, float* out, int n, const MorphPositions& morph, BreakpointCurve* formantCurve,
                 const float* formantTable, NoiseGenerator& noise);

}  // namespace vt
