// The editor-side copies the editing displays are bound to, and their
// hand-over to the engine. Each voice page edits a copy of one multisample
// layer (a harmonic block and a noise block); the effects page a copy of the
// formant curve; the morph page copies of the six morph envelopes. A copy is
// taken from the engine on the UI thread (take...) and goes back whole
// through a staged load (apply...), which the engine adopts between two render
// blocks, so a playing voice never reads a half-edited list.
#pragma once

#include "engine/breakpoint_curve.h"
#include "engine/morph_positions.h"
#include "engine/parameter_ids.h"

namespace vt {

class HarmonicSet;
class NoiseSet;
class SynthEngine;

class DisplayEditBuffers {
public:
  DisplayEditBuffers();
  ~DisplayEditBuffers();
  DisplayEditBuffers(const DisplayEditBuffers&) = delete;
  DisplayEditBuffers& operator=(const DisplayEditBuffers&) = delete;

  // False when a copy could not be allocated (nothing should be bound then).
  bool valid() const;

  // The copies; voice 0-3 (out of range gives voice 0), envelope 0-5.
  HarmonicSet& harmonics(int voice);
  NoiseSet& noise(int voice);
  BreakpointCurve& formant() { return formantCopy; }
  BreakpointCurve& morphEnvelope(int index);
  // Which layer of the voice the copy came from (-1 before the first take).
  int takenRow(int voice) const;
  int takenLayer(int voice) const;

  // Copies the engine's data into the copies (UI thread). The copy is read
  // while holding the engine's staging area, so no load is adopted meanwhile.
  // False for a bad index or when the staging area could not be had.
  bool takeVoice(SynthEngine& engine, int voice, int row, int layer);
  bool takeFormant(SynthEngine& engine);
  bool takeMorphEnvelopes(SynthEngine& engine);

  // Hands the voice copy to the engine as the blocks of the layer it was taken
  // from (and of layer 0 too when alsoFirstLayer is set, for the SoftLoud
  // "both" position); the slot is prepared again. False when nothing was
  // taken or the staging area could not be had.
  bool applyVoice(SynthEngine& engine, int voice, bool alsoFirstLayer);
  bool applyFormant(SynthEngine& engine);
  bool applyMorphEnvelope(SynthEngine& engine, int index);

private:
  HarmonicSet* harmonicCopies[kNumSlots] = {};
  NoiseSet* noiseCopies[kNumSlots] = {};
  int rows[kNumSlots];
  int layers[kNumSlots];
  BreakpointCurve formantCopy;
  BreakpointCurve envelopeCopies[kMorphEnvelopes];
};

}  // namespace vt
