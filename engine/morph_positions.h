// Where a morphing voice stands on the three X/Y pads for one block: harmonic
// (hx, hy), noise (nx, ny) and amplitude/time alignment (ax, ay). They come from
// the knobs, or, with the envelope-controlled morph, from the engine's six
// morph-envelope curves read over the note's life.
#pragma once

namespace vt {

class BreakpointCurve;

struct MorphPositions {
  float hx = 0.0f;
  float hy = 0.0f;
  float nx = 0.0f;
  float ny = 0.0f;
  float ax = 0.0f;
  float ay = 0.0f;
  // The harmonic and noise positions at the block's end, where they glide
  // within the block (a knob that moved); otherwise equal to those above.
  float hx1 = 0.0f;
  float hy1 = 0.0f;
  float nx1 = 0.0f;
  float ny1 = 0.0f;
};

// The six morph-envelope curves in their stored order: harmonic X/Y, noise X/Y, amplitude X/Y.
enum MorphEnvelopeIndex {
  kMorphEnvelopeHarmX = 0,
  kMorphEnvelopeHarmY = 1,
  kMorphEnvelopeNoiseX = 2,
  kMorphEnvelopeNoiseY = 3,
  kMorphEnvelopeAmpX = 4,
  kMorphEnvelopeAmpY = 5,
  kMorphEnvelopes = 6
};

// Positions for one block of 'blockSeconds' of a voice whose envelope clock is
// 'clock', from the parameter array. With EnvelopeMorphOn the harmonic and
// noise positions are the mean of the curves at the block's two ends, looped
// between GlobalLoopStartTime x 60 and GlobalLoopEndTime x 60 seconds while
// GlobalLoopOn is set, and scaled by tempo/120 with GlobalSyncOn (tempo 120
// when the host reports none); the amplitude position stays on its knobs.
MorphPositions chooseMorphPositions(const float* parameters, BreakpointCurve* envelopes, float clock,
                                    float blockSeconds, float hostTempo);

}  // namespace vt
