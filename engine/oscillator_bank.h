// The harmonic oscillator bank: table-lookup sine partials with frequency and
// amplitude ramped linearly across a block, added to a voice's mono output.
#pragma once

#include "engine/sine_table.h"

namespace vt {

class BreakpointCurve;
class HarmonicSet;

// One partial handed to the four-at-a-time renderer: its phase in the voice's
// phase store and its frequency (Hz) and amplitude at the block's two ends.
struct PartialRamp {
  float* phase = nullptr;
  float f0 = 0.0f;
  float f1 = 0.0f;
  float a0 = 0.0f;
  float a1 = 0.0f;
};

// Period of the oscillator in table steps.
constexpr float kOscillatorPeriod = static_cast<float>(SineTable::kSteps);

// Adds n samples of one partial to out. The phase (table steps, 0 <= phase <
// kOscillatorPeriod) is advanced before each lookup and stored back; the
// amplitude is stepped before its first use, so sample 0 uses a0 + (a1 - a0)/n
// and the last sample a1. Frequency ramps linearly from f0 to f1. Nothing
// happens when n < 1, the sample rate is not positive or the table is missing.
void renderPartial(const float* sine, float sampleRate, float& phase, float* out, int n, float f0, float f1, float a0,
                   float a1);

// Renders four partials in one pass over out: the same samples as four
// renderPartial calls, up to the order in which the four products are summed.
void renderFourPartials(const float* sine, float sampleRate, const PartialRamp partials[4], float* out, int n);

// Frequency blend of four sounds at morph position (x, y) in which 0 means
// "harmonic absent": an absent sound is skipped instead of pulling the blend
// towards 0, first along x (A with B, C with D), then along y.
float zeroSkipBlend(float a, float b, float c, float d, float x, float y);

// Single-slot voice: adds one block of the set's 64 harmonics to out. t0 is the
// sound position at the block start, the block ends at t0 + n/sampleRate; the
// pitch (Hz) and amplitude (envelope gain) curves are read at those two times.
// phases holds one phase per harmonic (HarmonicSet::kHarmonics floats) and is
// carried from block to block; a skipped harmonic keeps its phase. With a
// formant curve, each partial is scaled by the curve at its frequency / 22050.
void renderHarmonics(HarmonicSet& set, float* out, int n, float t0, BreakpointCurve& pitch, BreakpointCurve& amplitude,
                     float* phases, BreakpointCurve* formant);

// The same between explicit sound times t0 and t1 (t1 may equal t0: a sound
// held still) with the envelope gains e0, e1 and the pitches p0, p1 (Hz) at
// the block's two ends.
void renderHarmonicsSpan(HarmonicSet& set, float* out, int n, float t0, float t1, float e0, float e1, float p0,
                         float p1, float* phases, BreakpointCurve* formant);

// Morphing voice: adds one block of the four sets A, B, C, D blended at harmonic
// morph position (x, y). Each set is read between its own start and end time.
// The pitch and amplitude curves are read at voiceStart and voiceEnd, the x
// positions of their two points (the voice's own sound position at the block's
// ends). gains are the four slots' harmonic volumes. A null set takes no part.
void renderMorphedHarmonics(HarmonicSet* const sets[4], float* out, int n, const float startTimes[4],
                            const float endTimes[4], BreakpointCurve& pitch, BreakpointCurve& amplitude,
                            float voiceStart, float voiceEnd, float* phases, float x, float y, BreakpointCurve* formant,
                            const float gains[4]);

// The morph blend of one block: positions and slot gains at its start and end.
struct MorphBlend {
  float x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
  float gains0[4] = {};
  float gains1[4] = {};
};

// The morphing voice's bank with the blend gliding across the block: the
// start amplitudes and frequencies use (x0, y0, gains0), the end ones
// (x1, y1, gains1); e0, e1 and p0, p1 are the envelope gains and pitches (Hz)
// at the block's two ends.
void renderMorphedHarmonicsSpan(HarmonicSet* const sets[4], float* out, int n, const float startTimes[4],
                                const float endTimes[4], float e0, float e1, float p0, float p1, float* phases,
                                const MorphBlend& blend, BreakpointCurve* formant);

}  // namespace vt
