// The engine's six morph-envelope curves: three pairs of an X and a Y curve
// that drive the morph positions over a note's life when EnvelopeMorphOn is set.
#pragma once

namespace vt {

enum MorphEnvelopeId : int {
  HarmonicMorphX = 0,
  HarmonicMorphY = 1,
  NoiseMorphX = 2,
  NoiseMorphY = 3,
  AmplitudeMorphX = 4,
  AmplitudeMorphY = 5,
};

constexpr int kNumMorphEnvelopes = 6;

}  // namespace vt
