// The harmonic oscillator bank: table-lookup sine partials with frequency and
// amplitude ramped linearly across a block, added to a voice's mono output.
#pragma once

#include "engine/sine_table.h"

namespace vt {

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

}  // namespace vt
