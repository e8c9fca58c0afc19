// The engine's side of loading: handing a staged load over and adopting it
// between two render blocks (see engine/load_exchange.h).
#include <chrono>
#include <cstring>
#include <initializer_list>
#include <thread>

#include "engine/pending_load.h"
#include "engine/synth_engine.h"
#include "engine/voice_slot_content.h"

namespace vt {

namespace {

constexpr std::chrono::microseconds kAdoptionPoll(200);
// A loader waits this long for the render call to adopt its load before it
// takes the host for idle and adopts the load itself between blocks.
constexpr std::chrono::milliseconds kIdleRenderWait(10);
constexpr float kOlderLayoutStretch = 0.5f;

void copyVoiceHeader(VoiceSlot& to, const VoiceSlot& from, unsigned fields) {
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

PendingLoad* SynthEngine::stageLoad() { return loadExchange.acquire(); }

void SynthEngine::commitLoad() {
  PendingLoad* load = loadExchange.stagedLoad();
  if (!load) return;
  if (!load->isEmpty()) {
    loadExchange.publish();
    std::uint32_t rendersSeen = loadExchange.renders();
    auto lastRender = std::chrono::steady_clock::now();
    while (loadExchange.isPending()) {
      const auto now = std::chrono::steady_clock::now();
      const std::uint32_t renders = loadExchange.renders();
      if (renders != rendersSeen) {
        // The host is rendering: its next block adopts the load.
        rendersSeen = renders;
        lastRender = now;
      }
      const bool idle = renders == 0 || now - lastRender >= kIdleRenderWait;
      if (idle && loadExchange.enterAdoption()) {
        if (PendingLoad* published = loadExchange.pendingLoad()) {
          adoptLoad(*published);
          loadExchange.markAdopted();
        }
        loadExchange.leaveAdoption();
        break;
      }
      std::this_thread::sleep_for(kAdoptionPoll);
    }
  }
  loadExchange.release();
}

void SynthEngine::adoptPublishedLoad() {
  if (PendingLoad* published = loadExchange.pendingLoad()) {
    adoptLoad(*published);
    loadExchange.markAdopted();
  }
  loadExchange.countRender();
}

void SynthEngine::adoptLoad(PendingLoad& load) {
  // In the order of an instrument record: name, parameters, harmonic morph
  // pair, voices, formant curve, noise and amplitude pairs. The voices come
  // after the parameters, so a voice's own loop switch and multisample count
  // win over the values the parameters give every slot.
  if (load.hasName) setInstrumentName(load.name);
  for (int i = 0; i < load.parameterCount && i < kNumHostParameters; ++i) setParameter(i, load.parameters[i]);
  if (load.olderLayoutFixups) {
    setParameter(Stretch, kOlderLayoutStretch);
    setParameter(MorphAmpX, params[MorphHarmX]);
    setParameter(MorphAmpY, params[MorphHarmY]);
  }
  for (int id : {kMorphEnvelopeHarmX, kMorphEnvelopeHarmY})
    if (load.hasMorphEnvelope[id]) morphEnvelopes[id].copyFrom(load.morphEnvelopes[id]);

  for (int s = 0; s < kNumSlots; ++s) {
    VoiceSlot& live = slot(s);
    switch (load.slotChange[s]) {
      case PendingLoad::ReplaceContent:
        swapVoiceSlotContent(live, load.stagedSlot(s));
        live.setSampleRate(sampleRate);
        break;
      case PendingLoad::ChangeHeader:
        copyVoiceHeader(live, load.stagedSlot(s), load.voiceHeaderFields[s]);
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
