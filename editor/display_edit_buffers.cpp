#include "editor/display_edit_buffers.h"

#include <new>

#include "engine/harmonic_set.h"
#include "engine/noise_set.h"
#include "engine/staged_load.h"
#include "engine/synth_engine.h"
#include "engine/voice_slot.h"
#include "engine/voice_slot_content.h"

namespace vt {

namespace {

int voiceIndex(int voice) { return voice >= 0 && voice < kNumSlots ? voice : 0; }

}  // namespace

DisplayEditBuffers::DisplayEditBuffers() {
  for (int v = 0; v < kNumSlots; ++v) {
    harmonicCopies[v] = new (std::nothrow) HarmonicSet();
    noiseCopies[v] = new (std::nothrow) NoiseSet();
    rows[v] = -1;
    layers[v] = -1;
  }
}

DisplayEditBuffers::~DisplayEditBuffers() {
  for (int v = 0; v < kNumSlots; ++v) {
    delete harmonicCopies[v];
    delete noiseCopies[v];
  }
}

bool DisplayEditBuffers::valid() const {
  for (int v = 0; v < kNumSlots; ++v)
    if (!harmonicCopies[v] || !harmonicCopies[v]->valid() || !noiseCopies[v] || !noiseCopies[v]->valid()) return false;
  return formantCopy.capacity() > 0;
}

HarmonicSet& DisplayEditBuffers::harmonics(int voice) { return *harmonicCopies[voiceIndex(voice)]; }
NoiseSet& DisplayEditBuffers::noise(int voice) { return *noiseCopies[voiceIndex(voice)]; }
BreakpointCurve& DisplayEditBuffers::morphEnvelope(int index) {
  return envelopeCopies[index >= 0 && index < kMorphEnvelopes ? index : 0];
}
int DisplayEditBuffers::takenRow(int voice) const { return rows[voiceIndex(voice)]; }
int DisplayEditBuffers::takenLayer(int voice) const { return layers[voiceIndex(voice)]; }

bool DisplayEditBuffers::takeVoice(SynthEngine& engine, int voice, int row, int layer) {
  if (voice < 0 || voice >= kNumSlots || row < 0 || row >= VoiceSlot::kRows || layer < 0 ||
      layer >= VoiceSlot::kLayers || !harmonicCopies[voice] || !noiseCopies[voice])
    return false;
  const StagedLoad pause(engine, 0);
  if (!pause) return false;
  const VoiceSlot& slot = engine.slot(voice);
  harmonicCopies[voice]->copyFrom(slot.harmonics[row][layer]);
  noiseCopies[voice]->copyFrom(slot.noise[row][layer]);
  rows[voice] = row;
  layers[voice] = layer;
  return true;
}

bool DisplayEditBuffers::takeFormant(SynthEngine& engine) {
  const StagedLoad pause(engine, 0);
  if (!pause) return false;
  formantCopy.copyFrom(engine.formantCurve());
  return true;
}

bool DisplayEditBuffers::takeMorphEnvelopes(SynthEngine& engine) {
  const StagedLoad pause(engine, 0);
  if (!pause) return false;
  for (int i = 0; i < kMorphEnvelopes; ++i) envelopeCopies[i].copyFrom(engine.morphEnvelope(i));
  return true;
}

bool DisplayEditBuffers::applyVoice(SynthEngine& engine, int voice, bool alsoFirstLayer) {
  if (voice < 0 || voice >= kNumSlots || rows[voice] < 0 || !harmonicCopies[voice] || !noiseCopies[voice]) return false;
  const int row = rows[voice];
  const int layer = layers[voice];
  NoiseSet& noiseCopy = *noiseCopies[voice];
  for (int i = 0; i < noiseCopy.count; ++i) noiseCopy.frames[i].resample();
  StagedLoad load(engine, 1u << voice);
  if (!load) return false;
  VoiceSlot& staged = load->stagedSlot(voice);
  // The staged slot is the live one (or its content still waiting for
  // adoption) with the edited layer replaced.
  if (load->slotChange[voice] != PendingLoad::ReplaceContent) engine.copyLiveSlot(staged, voice);
  staged.harmonics[row][layer].copyFrom(*harmonicCopies[voice]);
  staged.noise[row][layer].copyFrom(noiseCopy);
  if (alsoFirstLayer && layer != 0) {
    staged.harmonics[row][0].copyFrom(*harmonicCopies[voice]);
    staged.noise[row][0].copyFrom(noiseCopy);
  }
  staged.prepare();
  load->noteSlotChange(voice, PendingLoad::ReplaceContent, 0);
  return true;
}

bool DisplayEditBuffers::applyFormant(SynthEngine& engine) {
  StagedLoad load(engine, 0);
  if (!load) return false;
  load->formantCurve.copyFrom(formantCopy);
  load->hasFormant = true;
  return true;
}

bool DisplayEditBuffers::applyMorphEnvelope(SynthEngine& engine, int index) {
  if (index < 0 || index >= kMorphEnvelopes) return false;
  StagedLoad load(engine, 0);
  if (!load) return false;
  load->morphEnvelopes[index].copyFrom(envelopeCopies[index]);
  load->hasMorphEnvelope[index] = true;
  return true;
}

}  // namespace vt
