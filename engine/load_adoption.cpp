// The engine's side of loading: handing a staged load over and adopting it
// between two render blocks (see engine/load_exchange.h).
#include <cstring>
#include <initializer_list>

#include "engine/parameter_limits.h"
#include "engine/pending_load.h"
#include "engine/synth_engine.h"
#include "engine/voice_slot_content.h"

namespace vt {

namespace {

constexpr float kOlderLayoutStretch = 0.5f;

void copyVoiceHeader(VoiceSlot& to, const VoiceSlot& from, unsigned fields) {
  if (&to == &from) return;
  if (fields & PendingLoad::VoiceName) std::memcpy(to.name, from.name, sizeof(to.name));
  if (fields & PendingLoad::VoiceLoopOn) to.loopOn = from.loopOn;
  if (fields & PendingLoad::VoiceLoopStart) to.loopStart = from.loopStart;
  if (fields & PendingLoad::VoiceLoopEnd) to.loopEnd = from.loopEnd;
  if (fields & PendingLoad::VoiceRowCount) to.rowCount = from.rowCount;
  if (fields & PendingLoad::VoiceLayerCount) to.layerCount = from.layerCount;
  if (fields & PendingLoad::VoiceMaxFrequency) to.maxFrequency = from.maxFrequency;
  // Loop points read without the sound they were fitted to must still lie inside the live sound.
  if (fields & (PendingLoad::VoiceLoopStart | PendingLoad::VoiceLoopEnd | PendingLoad::VoiceRowCount))
    to.limitLoopToSound();
}

}  // namespace

void SynthEngine::setInstrumentName(const char* name) {
  std::memset(instrumentName, 0, sizeof(instrumentName));
  for (std::size_t i = 0; name && name[i] && i + 1 < sizeof(instrumentName); ++i) instrumentName[i] = name[i];
}

PendingLoad* SynthEngine::stageLoad(unsigned slotMask) {
  PendingLoad* load = loadExchange.acquire();
  if (!load) return nullptr;
  // A suspended engine is read into in place: nothing renders (the gate is
  // held until the load is committed), and no spare slots are needed.
  suspendedLock.lock();
  if (!running.load(std::memory_order_acquire) && loadExchange.enterAdoption()) {
    if (running.load(std::memory_order_acquire)) {
      loadExchange.leaveAdoption();
    } else {
      exclusive = true;
      // A load published while the engine was resumed is adopted first.
      if (!load->isEmpty()) {
        adoptLoad(*load);
        load->clear();
      }
      loadExchange.provideSlots(0, slots);
      loadingInPlace = true;
      return load;
    }
  }
  suspendedLock.unlock();
  if (!loadExchange.provideSlots(slotMask, nullptr)) {
    // No room for the new content: an earlier unadopted load goes back as it was.
    if (loadExchange.heldLoadWasPublished()) {
      load->parameterCount = load->earlierParameterCount;
      loadExchange.publish();
    }
    loadExchange.release();
    return nullptr;
  }
  return load;
}

void SynthEngine::commitLoad() {
  PendingLoad* load = loadExchange.stagedLoad();
  if (!load) return;
  // What this loader read becomes what the host sees, limited to each
  // parameter's range (a non-finite value takes its default). Pending writes
  // the load supersedes are dropped, so the load's values are the ones applied.
  for (int i = 0; i < load->parameterCount && i < kNumHostParameters; ++i) {
    load->parameters[i] = loadedParameterValue(i, load->parameters[i]);
    road.store(i, load->parameters[i]);
    road.clearPending(i);
  }
  if (load->olderLayoutFixups && load->parameterCount > 0) {
    road.store(Stretch, kOlderLayoutStretch);
    road.store(MorphAmpX, road.value(MorphHarmX));
    road.store(MorphAmpY, road.value(MorphHarmY));
    for (int i : {static_cast<int>(Stretch), static_cast<int>(MorphAmpX), static_cast<int>(MorphAmpY)})
      road.clearPending(i);
  }
  if (loadingInPlace) {
    loadingInPlace = false;
    adoptLoad(*load);
    applyPendingParameters();
    load->clear();
    leaveExclusive();
    suspendedLock.unlock();
  } else if (!load->isEmpty()) {
    loadExchange.publish();
  }
  loadExchange.release();
  if (running.load(std::memory_order_acquire)) worker.start();
}

void SynthEngine::prepareRequestedSlots() {
  const unsigned requests = slotPreparationRequests.exchange(0, std::memory_order_acq_rel);
  for (int s = 0; s < kNumSlots; ++s) {
    if (!(requests & (1u << s))) continue;
    PendingLoad* load = stageLoad(1u << s);
    if (!load) continue;
    VoiceSlot& staged = load->stagedSlot(s);
    // A slot whose new content waits for adoption is prepared as it will be.
    if (load->slotChange[s] != PendingLoad::ReplaceContent) copyLiveSlot(staged, s);
    staged.prepare();
    load->noteSlotChange(s, PendingLoad::ReplaceContent, 0);
    commitLoad();
  }
}

InstrumentView SynthEngine::visibleInstrument(const PendingLoad* held) const {
  InstrumentView view;
  const bool staged = held && !held->readsInPlace();
  view.name = staged && held->hasName ? held->name : instrumentName;
  for (int i = 0; i < kNumHostParameters; ++i) view.parameters[i] = road.value(i);
  for (int id = 0; id < kMorphEnvelopes; ++id)
    view.morphEnvelopes[id] = staged && held->hasMorphEnvelope[id] ? &held->morphEnvelopes[id] : &morphEnvelopes[id];
  for (int s = 0; s < kNumSlots; ++s)
    view.slots[s] = staged && held->slotChange[s] == PendingLoad::ReplaceContent ? &held->stagedSlot(s) : &slots[s];
  view.formant = staged && held->hasFormant ? &held->formantCurve : &formant;
  return view;
}

void SynthEngine::adoptPublishedLoad() {
  if (PendingLoad* published = loadExchange.takePublished()) {
    adoptLoad(*published);
    loadExchange.finishAdoption();
  }
}

void SynthEngine::adoptLoad(PendingLoad& load) {
  // In the order of an instrument record: name, parameters, harmonic morph
  // pair, voices, formant curve, noise and amplitude pairs. The voices come
  // after the parameters, so a voice's own loop switch and multisample count
  // win over the values the parameters give every slot.
  if (load.hasName) setInstrumentName(load.name);
  // Read in place, the voices already sit in the live slots: their own loop
  // switch and multisample count are kept through the parameters.
  int voiceRows[kNumSlots] = {};
  bool voiceLoops[kNumSlots] = {};
  for (int s = 0; s < kNumSlots; ++s) {
    voiceRows[s] = slots[s].rowCount;
    voiceLoops[s] = slots[s].loopOn;
  }
  const int count = load.stagedParameterCount();
  for (int i = 0; i < count && i < kNumHostParameters; ++i) applyParameter(i, load.parameters[i]);
  if (load.olderLayoutFixups) {
    applyParameter(Stretch, kOlderLayoutStretch);
    applyParameter(MorphAmpX, params[MorphHarmX]);
    applyParameter(MorphAmpY, params[MorphHarmY]);
  }
  if (load.readsInPlace()) {
    for (int s = 0; s < kNumSlots; ++s) {
      if (load.slotChange[s] == PendingLoad::KeepSlot) continue;
      if (load.voiceHeaderFields[s] & PendingLoad::VoiceRowCount) slots[s].rowCount = voiceRows[s];
      if (load.voiceHeaderFields[s] & PendingLoad::VoiceLoopOn) slots[s].loopOn = voiceLoops[s];
    }
  }
  for (int id : {kMorphEnvelopeHarmX, kMorphEnvelopeHarmY})
    if (load.hasMorphEnvelope[id]) morphEnvelopes[id].copyFrom(load.morphEnvelopes[id]);

  for (int s = 0; s < kNumSlots; ++s) {
    VoiceSlot& live = slot(s);
    switch (load.slotChange[s]) {
      case PendingLoad::ReplaceContent: {
        if (!load.readsInPlace()) {
          // New content without a voice header of its own (a block file, an
          // edit, a preparation) keeps the loop switch and multisample count
          // the parameters set on the live slot, including any written since
          // the content was staged.
          const bool loopOn = live.loopOn;
          const int rowCount = live.rowCount;
          swapVoiceSlotContent(live, load.stagedSlot(s));
          if (!(load.voiceHeaderFields[s] & PendingLoad::VoiceLoopOn)) live.loopOn = loopOn;
          if (!(load.voiceHeaderFields[s] & PendingLoad::VoiceRowCount)) live.rowCount = rowCount;
          if (live.needsPreparation()) requestSlotPreparation(s);
        }
        live.setSampleRate(sampleRate);
        break;
      }
      case PendingLoad::ChangeHeader:
        if (!load.readsInPlace()) copyVoiceHeader(live, load.stagedSlot(s), load.voiceHeaderFields[s]);
        break;
      case PendingLoad::KeepSlot:
        break;
    }
  }

  if (load.hasFormant) formant.copyFrom(load.formantCurve);
  for (int id : {kMorphEnvelopeNoiseX, kMorphEnvelopeNoiseY, kMorphEnvelopeAmpX, kMorphEnvelopeAmpY})
    if (load.hasMorphEnvelope[id]) morphEnvelopes[id].copyFrom(load.morphEnvelopes[id]);
}

void SynthEngine::renderWhileLoading(float* left, float* right, int frames) {
  std::memset(left, 0, sizeof(float) * static_cast<size_t>(frames));
  std::memset(right, 0, sizeof(float) * static_cast<size_t>(frames));
  // The block's events act at the start of the next block instead of being lost.
  for (int i = 0; i < voiceQueue.count; ++i) voiceQueue.deltaFrames[i] = 0;
  for (int i = 0; i < effectQueue.count; ++i) effectQueue.deltaFrames[i] = 0;
}

}  // namespace vt
